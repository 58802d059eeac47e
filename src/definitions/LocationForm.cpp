#include "definitions/LocationForm.h"

#include <vector>

#include "base/Text.h"

namespace quill::location {

namespace {

bool HasDrive(std::string_view s) {
  if (s.size() < 2 || s[1] != ':') return false;
  const char c = static_cast<char>(s[0] | 0x20);
  return c >= 'a' && c <= 'z';
}

// The names of a path between its separators, with "." and ".." resolved.
std::vector<std::string> Names(std::string_view rest) {
  std::vector<std::string> names;
  size_t start = 0;
  while (start <= rest.size()) {
    size_t end = rest.find('\\', start);
    if (end == std::string_view::npos) end = rest.size();
    std::string name(rest.substr(start, end - start));
    start = end + 1;
    if (name == "..") {
      if (!names.empty()) names.pop_back();
      continue;
    }
    // "name.", "name " and "." all lose their trailing dots and blanks, as the system reads
    // them; what is left empty names nothing.
    while (!name.empty() && (name.back() == '.' || name.back() == ' ')) name.pop_back();
    if (!name.empty()) names.push_back(std::move(name));
  }
  return names;
}

}  // namespace

std::string CanonicalFilePath(std::string_view path) {
  std::string s = text::ReplaceAll(text::Trim(path), "/", "\\");
  if ((text::StartsWith(s, "\\\\?\\") || text::StartsWith(s, "\\\\.\\")) && HasDrive(s.substr(4)))
    s.erase(0, 4);
  std::string out;
  std::string_view rest = s;
  if (HasDrive(s) && (s.size() == 2 || s[2] == '\\')) {
    out = s.substr(0, 2) + "\\";
    rest.remove_prefix(2);
  } else if (text::StartsWith(s, "\\\\")) {
    out = "\\\\";
  }
  const std::vector<std::string> names = Names(rest);
  // A network prefix alone names nothing.
  if (names.empty() && out == "\\\\") return {};
  for (const std::string& name : names) {
    if (!out.empty() && out.back() != '\\') out += '\\';
    out += name;
  }
  return out;
}

bool IsDrivePath(std::string_view canonical) {
  return HasDrive(canonical) && canonical.size() >= 3 && canonical[2] == '\\';
}

std::string CanonicalKeyPath(std::string_view keyPath) {
  std::string out;
  for (const std::string& name : text::Split(text::Trim(keyPath), "\\")) {
    if (name.empty()) continue;
    if (!out.empty()) out += '\\';
    out += name;
  }
  return out;
}

}  // namespace quill::location
