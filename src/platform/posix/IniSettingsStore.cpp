#include "platform/posix/IniSettingsStore.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <utility>

#include "base/Text.h"

namespace quill::platform::posix {
namespace {

/// One line of the file, kept as written so that a rewrite changes only what it must.
struct Line {
  std::string raw;
  enum Kind { Other, Section, Entry } kind = Other;
  std::string name;   // section name, or key (unescaped)
  std::string value;  // unescaped value of an entry
};

std::vector<Line> ParseLines(const std::string& content) {
  std::vector<Line> lines;
  for (std::string& raw : text::SplitLines(content)) {
    Line line;
    line.raw = std::move(raw);
    std::string trimmed = text::Trim(line.raw);
    if (!trimmed.empty() && trimmed.front() == '[' && trimmed.back() == ']') {
      line.kind = Line::Section;
      line.name = IniUnescape(text::Trim(trimmed.substr(1, trimmed.size() - 2)));
    } else if (!trimmed.empty() && trimmed.front() != ';' && trimmed.front() != '#') {
      size_t eq = line.raw.find('=');
      if (eq != std::string::npos) {
        line.kind = Line::Entry;
        line.name = IniUnescape(text::Trim(line.raw.substr(0, eq)));
        line.value = IniUnescape(line.raw.substr(eq + 1));
      }
    }
    lines.push_back(std::move(line));
  }
  return lines;
}

std::string CacheKey(const std::string& section, const std::string& key) {
  return text::ToLower(section) + '\n' + text::ToLower(key);
}

bool ReadWhole(const std::string& path, std::string& out) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  out.clear();
  char buffer[8192];
  for (;;) {
    ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      ::close(fd);
      return false;
    }
    if (n == 0) break;
    out.append(buffer, static_cast<size_t>(n));
  }
  ::close(fd);
  return true;
}

bool MakeFolders(const std::string& folder) {
  if (folder.empty()) return false;
  struct stat info {};
  if (::stat(folder.c_str(), &info) == 0) return S_ISDIR(info.st_mode);
  size_t slash = folder.find_last_of('/');
  if (slash != std::string::npos && slash > 0 && !MakeFolders(folder.substr(0, slash)))
    return false;
  return ::mkdir(folder.c_str(), 0700) == 0 || errno == EEXIST;
}

/// Writes the bytes to a new file beside the target and renames it over the target, so a
/// reader sees either the old or the new settings, never half of them.
bool ReplaceFile(const std::string& path, const std::string& bytes) {
  std::string temp = path + ".XXXXXX";
  int fd = ::mkostemp(temp.data(), O_CLOEXEC);
  if (fd < 0) return false;
  bool ok = true;
  for (size_t done = 0; ok && done < bytes.size();) {
    ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0)
      ok = false;
    else
      done += static_cast<size_t>(n);
  }
  ok = ok && ::fchmod(fd, 0600) == 0;
  ok = ok && ::fsync(fd) == 0;
  ok = ::close(fd) == 0 && ok;
  ok = ok && ::rename(temp.c_str(), path.c_str()) == 0;
  if (!ok) ::unlink(temp.c_str());
  return ok;
}

char HexDigit(int v) {
  return static_cast<char>(v < 10 ? '0' + v : 'A' + v - 10);
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

std::string IniEscape(const std::string& raw, bool isName) {
  std::string out;
  out.reserve(raw.size());
  for (size_t i = 0; i < raw.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(raw[i]);
    bool edgeBlank = isName && c == ' ' && (i == 0 || i + 1 == raw.size());
    if (c == '\\') {
      out += "\\\\";
    } else if (c == '\r') {
      out += "\\r";
    } else if (c == '\n') {
      out += "\\n";
    } else if (c < 0x20 || c == 0x7F || edgeBlank ||
               (isName &&
                (c == '=' || c == '[' || c == ']' || (i == 0 && (c == ';' || c == '#'))))) {
      out += "\\x";
      out += HexDigit(c >> 4);
      out += HexDigit(c & 15);
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

std::string IniUnescape(const std::string& written) {
  std::string out;
  out.reserve(written.size());
  for (size_t i = 0; i < written.size(); ++i) {
    char c = written[i];
    if (c != '\\' || i + 1 >= written.size()) {
      out += c;
      continue;
    }
    char next = written[i + 1];
    if (next == '\\') {
      out += '\\';
      ++i;
    } else if (next == 'r') {
      out += '\r';
      ++i;
    } else if (next == 'n') {
      out += '\n';
      ++i;
    } else if (next == 'x' && i + 3 < written.size() && HexValue(written[i + 2]) >= 0 &&
               HexValue(written[i + 3]) >= 0) {
      out += static_cast<char>(HexValue(written[i + 2]) * 16 + HexValue(written[i + 3]));
      i += 3;
    } else {
      out += c;  // not one of ours: keep the backslash as written
    }
  }
  return out;
}

IniSettingsStore::IniSettingsStore(std::string folder) : folder_(std::move(folder)) {
  while (folder_.size() > 1 && folder_.back() == '/') folder_.pop_back();
}

std::string IniSettingsStore::FileFor(const std::string& app) const {
  std::string path = PlainFileFor(app);
  struct stat info {};
  if (::stat(path.c_str(), &info) == 0) return path;
  // Application names are matched without regard to case, like sections and keys.
  std::string wanted = path.substr(folder_.size() + 1);
  if (DIR* dir = ::opendir(folder_.c_str())) {
    while (dirent* entry = ::readdir(dir)) {
      if (text::EqualsNoCase(entry->d_name, wanted)) {
        path = folder_ + "/" + entry->d_name;
        break;
      }
    }
    ::closedir(dir);
  }
  return path;
}

std::string IniSettingsStore::PlainFileFor(const std::string& app) const {
  std::string safe;
  for (char c : app) {
    bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                 c == '-' || c == '_' || c == ' ' || c == '.';
    safe += plain ? c : '_';
  }
  if (safe.empty() || safe.front() == '.') safe.insert(safe.begin(), '_');
  return folder_ + "/" + safe + ".ini";
}

const IniSettingsStore::Parsed& IniSettingsStore::Load(const std::string& app) {
  std::string path = FileFor(app);
  FileStamp stamp;
  struct stat info {};
  if (::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode)) {
    stamp.exists = true;
    stamp.device = static_cast<uint64_t>(info.st_dev);
    stamp.inode = static_cast<uint64_t>(info.st_ino);
    stamp.size = static_cast<uint64_t>(info.st_size);
    stamp.mtimeNs = static_cast<int64_t>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
  }
  Parsed& parsed = cache_[path];
  if (parsed.loaded && parsed.stamp == stamp) return parsed;

  parsed = Parsed{};
  std::string content;
  if (stamp.exists && !ReadWhole(path, content)) return parsed;  // try again next time
  parsed.stamp = stamp;
  parsed.loaded = true;
  std::string section;
  for (const Line& line : ParseLines(content)) {
    if (line.kind == Line::Section) section = line.name;
    if (line.kind == Line::Entry) parsed.values.emplace(CacheKey(section, line.name), line.value);
  }
  return parsed;
}

std::string IniSettingsStore::Get(const std::string& app, const std::string& section,
                                  const std::string& key, const std::string& defaultValue) {
  try {
    std::lock_guard lock(mutex_);
    const Parsed& parsed = Load(app);
    auto found = parsed.values.find(CacheKey(section, key));
    return found == parsed.values.end() ? defaultValue : found->second;
  } catch (...) {
    return defaultValue;
  }
}

bool IniSettingsStore::Save(const std::string& app, const std::string& section,
                            const std::string& key, const std::string& value) {
  try {
    std::lock_guard lock(mutex_);
    std::string path = FileFor(app);
    if (!MakeFolders(folder_)) return false;
    std::string content;
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0 && !ReadWhole(path, content)) return false;

    std::vector<Line> lines = ParseLines(content);
    std::string entry = IniEscape(key, true) + "=" + IniEscape(value, false);
    // Find the first section of that name, then the key within it (or the section's end).
    size_t sectionAt = lines.size();
    for (size_t i = 0; i < lines.size(); ++i) {
      if (lines[i].kind == Line::Section && text::EqualsNoCase(lines[i].name, section)) {
        sectionAt = i;
        break;
      }
    }
    if (sectionAt == lines.size()) {
      if (!lines.empty() && !text::Trim(lines.back().raw).empty()) lines.push_back(Line{});
      lines.push_back(Line{"[" + IniEscape(section, true) + "]", Line::Section, section, {}});
      lines.push_back(Line{entry, Line::Entry, key, value});
    } else {
      size_t end = sectionAt + 1;
      size_t keyAt = lines.size();
      for (; end < lines.size() && lines[end].kind != Line::Section; ++end) {
        if (keyAt == lines.size() && lines[end].kind == Line::Entry &&
            text::EqualsNoCase(lines[end].name, key)) {
          keyAt = end;
        }
      }
      if (keyAt != lines.size()) {
        // The key keeps the spelling it was first written with.
        std::string& raw = lines[keyAt].raw;
        raw = raw.substr(0, raw.find('=')) + "=" + IniEscape(value, false);
      } else {
        // After the section's last non-blank line, so blank separators stay between sections.
        size_t insertAt = end;
        while (insertAt > sectionAt + 1 && text::Trim(lines[insertAt - 1].raw).empty()) --insertAt;
        lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(insertAt),
                     Line{entry, Line::Entry, key, value});
      }
    }

    std::string bytes;
    for (const Line& line : lines) bytes += line.raw + "\n";
    if (!ReplaceFile(path, bytes)) return false;
    cache_.erase(path);  // the next read parses what was written
    return true;
  } catch (...) {
    return false;
  }
}

}  // namespace quill::platform::posix
