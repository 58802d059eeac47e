#include "base/Text.h"

#include <algorithm>
#include <cctype>

namespace quill::text {
namespace {
char Lower(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}
char Upper(char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

// Every occurrence of from, as find reports them from a position on, replaced by to.
template <typename Find>
std::string ReplaceEach(std::string_view s, std::string_view from, std::string_view to, Find find) {
  if (from.empty()) return std::string(s);
  std::string r;
  r.reserve(s.size());
  size_t pos = 0;
  for (size_t hit; (hit = find(s, from, pos)) != std::string_view::npos; pos = hit + from.size()) {
    r.append(s.substr(pos, hit - pos));
    r.append(to);
  }
  r.append(s.substr(pos));
  return r;
}

}  // namespace

std::string ToLower(std::string_view s) {
  std::string r(s);
  for (char& c : r) c = Lower(c);
  return r;
}

std::string ToUpper(std::string_view s) {
  std::string r(s);
  for (char& c : r) c = Upper(c);
  return r;
}

std::string TrimLeft(std::string_view s) {
  size_t b = 0;
  while (b < s.size() && s[b] == ' ') ++b;
  return std::string(s.substr(b));
}

std::string TrimRight(std::string_view s) {
  size_t e = s.size();
  while (e > 0 && s[e - 1] == ' ') --e;
  return std::string(s.substr(0, e));
}

std::string Trim(std::string_view s) {
  size_t b = 0, e = s.size();
  while (b < e && s[b] == ' ') ++b;
  while (e > b && s[e - 1] == ' ') --e;
  return std::string(s.substr(b, e - b));
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (Lower(a[i]) != Lower(b[i])) return false;
  return true;
}

bool StartsWith(std::string_view s, std::string_view p) {
  return s.substr(0, p.size()) == p;
}
bool EndsWith(std::string_view s, std::string_view p) {
  return s.size() >= p.size() && s.substr(s.size() - p.size()) == p;
}
bool StartsWithNoCase(std::string_view s, std::string_view p) {
  return s.size() >= p.size() && EqualsNoCase(s.substr(0, p.size()), p);
}
bool EndsWithNoCase(std::string_view s, std::string_view p) {
  return s.size() >= p.size() && EqualsNoCase(s.substr(s.size() - p.size()), p);
}
bool Contains(std::string_view s, std::string_view part) {
  return s.find(part) != std::string_view::npos;
}
bool ContainsNoCase(std::string_view s, std::string_view part) {
  return FindNoCase(s, part) != std::string_view::npos;
}

size_t Find(std::string_view s, std::string_view part, size_t start) {
  if (start > s.size()) return std::string_view::npos;
  return s.find(part, start);
}

size_t FindNoCase(std::string_view s, std::string_view part, size_t start) {
  if (start > s.size()) return std::string_view::npos;
  if (part.empty()) return start;
  if (part.size() > s.size()) return std::string_view::npos;
  const char first = Lower(part[0]);
  for (size_t i = start; i + part.size() <= s.size(); ++i) {
    if (Lower(s[i]) != first) continue;
    if (EqualsNoCase(s.substr(i, part.size()), part)) return i;
  }
  return std::string_view::npos;
}

size_t FindLast(std::string_view s, std::string_view part) {
  return s.rfind(part);
}

size_t FindLastNoCase(std::string_view s, std::string_view part) {
  if (part.size() > s.size()) return std::string_view::npos;
  for (size_t i = s.size() - part.size() + 1; i-- > 0;)
    if (EqualsNoCase(s.substr(i, part.size()), part)) return i;
  return std::string_view::npos;
}

std::string ReplaceAll(std::string_view s, std::string_view from, std::string_view to) {
  return ReplaceEach(s, from, to, [](std::string_view in, std::string_view part, size_t pos) {
    return in.find(part, pos);
  });
}

std::string ReplaceAllNoCase(std::string_view s, std::string_view from, std::string_view to) {
  return ReplaceEach(s, from, to, [](std::string_view in, std::string_view part, size_t pos) {
    return FindNoCase(in, part, pos);
  });
}

std::vector<std::string> Split(std::string_view s, std::string_view sep) {
  std::vector<std::string> parts;
  if (s.empty()) return parts;
  if (sep.empty()) {
    parts.emplace_back(s);
    return parts;
  }
  size_t pos = 0;
  while (true) {
    size_t hit = s.find(sep, pos);
    if (hit == std::string_view::npos) break;
    parts.emplace_back(s.substr(pos, hit - pos));
    pos = hit + sep.size();
  }
  parts.emplace_back(s.substr(pos));
  return parts;
}

std::vector<std::string> SplitLines(std::string_view s) {
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '\r' || s[i] == '\n') {
      lines.emplace_back(s.substr(start, i - start));
      if (s[i] == '\r' && i + 1 < s.size() && s[i + 1] == '\n') ++i;
      start = i + 1;
    }
  }
  if (start < s.size()) lines.emplace_back(s.substr(start));
  return lines;
}

std::string AfterLastBackslash(std::string_view path) {
  size_t p = path.rfind('\\');
  return std::string(p == std::string_view::npos ? path : path.substr(p + 1));
}

std::string UpToLastBackslash(std::string_view path) {
  size_t p = path.rfind('\\');
  return p == std::string_view::npos ? std::string() : std::string(path.substr(0, p + 1));
}

long long Val(std::string_view s) {
  size_t i = 0;
  while (i < s.size() && (s[i] == ' ' || s[i] == '\t')) ++i;
  bool negative = false;
  if (i < s.size() && (s[i] == '-' || s[i] == '+')) negative = s[i++] == '-';
  long long v = 0;
  while (i < s.size() && s[i] >= '0' && s[i] <= '9') {
    if (v < 1'000'000'000'000'000LL) v = v * 10 + (s[i] - '0');
    ++i;
  }
  return negative ? -v : v;
}

bool ToBool(std::string_view s) {
  std::string t = Trim(s);
  if (EqualsNoCase(t, "true")) return true;
  if (EqualsNoCase(t, "false") || t.empty()) return false;
  bool numeric = std::all_of(t.begin(), t.end(), [](char c) {
    return (c >= '0' && c <= '9') || c == '-' || c == '+' || c == '.';
  });
  if (!numeric) return false;
  return Val(t) != 0 || (t.find_first_of("123456789") != std::string::npos);
}

std::string BoolText(bool value) {
  return value ? "True" : "False";
}

std::string WithThousands(long long value) {
  std::string digits = std::to_string(value < 0 ? -value : value);
  std::string out;
  int count = 0;
  for (size_t i = digits.size(); i-- > 0;) {
    out.insert(out.begin(), digits[i]);
    if (++count % 3 == 0 && i > 0) out.insert(out.begin(), ',');
  }
  if (value < 0) out.insert(out.begin(), '-');
  return out;
}

std::string FromWindows1252(std::string_view bytes) {
  // Code points of 0x80..0x9F; the rest of the page equals Latin-1.
  static constexpr char16_t kHigh[32] = {
      0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
      0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
      0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
  std::string out;
  out.reserve(bytes.size());
  for (char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x80) {
      out.push_back(c);
      continue;
    }
    const char32_t code = byte < 0xA0 ? kHigh[byte - 0x80] : byte;
    if (code < 0x800) {
      out.push_back(static_cast<char>(0xC0 | (code >> 6)));
    } else {
      out.push_back(static_cast<char>(0xE0 | (code >> 12)));
      out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
    }
    out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
  }
  return out;
}

}  // namespace quill::text
