#include "core/ProcessTools.h"

#include <algorithm>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "base/Text.h"
#include "core/ProgramContext.h"

namespace quill {
namespace {

constexpr size_t kMaxBaseName = 260;
constexpr int kStopAttempts = 11;

/// Position of needle in hay at or after start, or npos.
size_t FindBytes(const std::string& hay, const std::string& needle, size_t start) {
  if (start > hay.size()) return std::string::npos;
  return hay.find(needle, start);
}

std::string Wide(std::string_view ascii) {
  std::string out;
  out.reserve(ascii.size() * 2);
  for (char c : ascii) {
    out.push_back(c);
    out.push_back('\0');
  }
  return out;
}

}  // namespace

int EnumerateProcesses(platform::Processes& processes, std::vector<std::string>& names,
                       std::vector<uint32_t>& ids, std::vector<std::string>* paths) {
  names.clear();
  ids.clear();
  if (paths) paths->clear();
  std::optional<std::vector<platform::ProcessInfo>> listed = processes.Enumerate();
  if (!listed) return -1;
  for (const auto& info : *listed) {
    std::string name;
    if (info.pid == 0) {
      name = "System Idle Process";
    } else if (info.pid == 2) {
      name = "System";
    } else {
      name = info.name.substr(0, info.name.find('\0'));
      if (name.size() > kMaxBaseName) name.resize(kMaxBaseName);
    }
    if (name.empty()) continue;
    names.push_back(name);
    ids.push_back(info.pid);
    if (paths) paths->push_back(info.pid == 0 || info.pid == 2 ? std::string() : info.path);
  }
  return static_cast<int>(names.size());
}

namespace {

// The most of a file the publisher lookup reads: a version resource lives in the program's
// resource section, which is far smaller in any real program.
constexpr size_t kMaxVersionBytes = 16u << 20;

uint32_t LittleEndian(const std::string& bytes, size_t at, size_t width) {
  uint32_t value = 0;
  for (size_t i = 0; i < width && at + i < bytes.size(); ++i)
    value |= static_cast<uint32_t>(static_cast<unsigned char>(bytes[at + i])) << (8 * i);
  return value;
}

/// Where a program file keeps its resources (file offset and size), from its headers; empty
/// when the file is no program or has no resource section.
std::optional<std::pair<uint64_t, uint32_t>> ResourceSection(platform::FileSystem& files,
                                                             const std::string& path) {
  auto head = files.ReadFileRange(path, 0, 4096);
  if (!head || head->size() < 64 || head->compare(0, 2, "MZ") != 0) return std::nullopt;
  const size_t pe = LittleEndian(*head, 0x3C, 4);
  if (pe + 24 > head->size() || head->compare(pe, 4, std::string("PE\0\0", 4)) != 0)
    return std::nullopt;
  const size_t sections = LittleEndian(*head, pe + 6, 2);
  const size_t optionalSize = LittleEndian(*head, pe + 20, 2);
  size_t at = pe + 24 + optionalSize;
  for (size_t i = 0; i < sections && at + 40 <= head->size(); ++i, at += 40) {
    if (head->compare(at, 5, ".rsrc") != 0) continue;
    return std::make_pair(static_cast<uint64_t>(LittleEndian(*head, at + 20, 4)),
                          LittleEndian(*head, at + 16, 4));
  }
  return std::nullopt;
}

/// The bytes the publisher is looked for in: a program's resource section, else the start of
/// the file; never more than kMaxVersionBytes.
std::optional<std::string> VersionBytes(platform::FileSystem& files, const std::string& path) {
  if (auto section = ResourceSection(files, path)) {
    auto bytes = files.ReadFileRange(path, section->first,
                                     std::min<size_t>(section->second, kMaxVersionBytes));
    if (bytes && !bytes->empty()) return bytes;
  }
  return files.ReadFileRange(path, 0, kMaxVersionBytes);
}

}  // namespace

std::string ReadPublisherName(platform::FileSystem& files, const std::string& path) {
  std::optional<std::string> bytes = VersionBytes(files, path);
  if (!bytes) return "";
  const std::string& data = *bytes;

  size_t start = 0;
  bool wideInfo = false;
  if (size_t at = FindBytes(data, Wide("StringFileInfo"), 0); at != std::string::npos) {
    start = at;
    wideInfo = true;
  } else if (size_t at8 = FindBytes(data, "StringFileInfo", 0); at8 != std::string::npos) {
    start = at8;
  }

  bool wide = wideInfo;
  size_t key = std::string::npos;
  size_t valueStart = 0;
  if (wideInfo) {
    key = FindBytes(data, Wide("CompanyName"), start);
    valueStart = key + 26;
  } else {
    key = FindBytes(data, "CompanyName", start);
    valueStart = key + 12;
    if (key == std::string::npos) {
      key = FindBytes(data, Wide("CompanyName"), start);
      valueStart = key + 26;
      wide = true;
    }
  }
  if (key == std::string::npos || valueStart >= data.size()) return "";

  // The value ends at the terminating zero (with a wide value: its last character's high
  // byte and the zero character). A resource cut off before that carries no usable name.
  const size_t end = FindBytes(data, std::string(3, '\0'), valueStart);
  if (end == std::string::npos) return "";
  std::string value = data.substr(valueStart, end - valueStart);

  // No terminator right after the value: the stretch ran into the next key. The value then
  // ends at its first control character, looked for within 255 bytes (whole characters in
  // wide text, whose high bytes are zero).
  // (A wide key at the very end of the stretch lacks its last high byte: leave it out.)
  std::string nextKey = wide ? Wide("FileDescription") : std::string("FileDescription");
  if (wide) nextKey.pop_back();
  if (value.find(nextKey) != std::string::npos) {
    const size_t limit = std::min(data.size(), valueStart + 255);
    const size_t step = wide ? 2 : 1;
    size_t stop = limit;
    for (size_t i = valueStart + step; i < limit; i += step) {
      const auto c = static_cast<unsigned char>(data[i]);
      const bool control = wide ? (c < 32 && i + 1 < data.size() && data[i + 1] == '\0') : c < 32;
      if (control) {
        stop = i;
        break;
      }
    }
    value = data.substr(valueStart, stop - valueStart);
  }
  value.erase(std::remove(value.begin(), value.end(), '\0'), value.end());
  return value;
}

bool TerminateProcessById(platform::Processes& processes, uint32_t pid, uint32_t exitCode) {
  return processes.Terminate(pid, exitCode);
}

namespace {

/// The name as short process lists show it: 15 characters at most, else the part before the
/// first "."; compared trimmed and without regard to case.
std::string ReducedName(const std::string& name) {
  std::string reduced;
  if (name.size() >= 16) {
    reduced = name.substr(0, 15);
  } else if (size_t dot = name.find('.'); dot != std::string::npos) {
    reduced = name.substr(0, dot);
  } else {
    reduced = name;
  }
  return text::ToUpper(text::Trim(reduced));
}

}  // namespace

bool StopProcessForFile(platform::Processes& processes, const std::string& fileName) {
  // No name names no process.
  if (text::Trim(fileName).empty()) return true;
  const std::string base = text::ReplaceAllNoCase(fileName, ".exe", "");
  const std::string shortName =
      text::ToUpper(text::Trim((base.size() >= 7 ? base.substr(0, 6) : base) + "~1"));
  const std::string wanted = ReducedName(fileName);

  std::vector<std::string> names;
  std::vector<uint32_t> ids;
  if (EnumerateProcesses(processes, names, ids) < 0) return true;
  std::optional<uint32_t> target;
  for (size_t i = 0; i < names.size() && !target; ++i) {
    const std::string image = text::AfterLastBackslash(names[i].substr(0, names[i].find('\0')));
    const std::string reduced = ReducedName(image);
    if (reduced == wanted || reduced == shortName) target = ids[i];
  }
  if (!target) return true;
  return StopProcessById(processes, *target);
}

bool StopProcessById(platform::Processes& processes, uint32_t pid) {
  for (int attempt = 0; attempt < kStopAttempts; ++attempt) {
    if (TerminateProcessById(processes, pid, 0)) return true;
    if (processes.WaitForExit(pid, 1)) return true;
  }
  return false;
}

bool StopProcessForFile(ProgramContext& app, const std::string& fileName) {
  return StopProcessForFile(app.Processes(), fileName);
}

bool StopProcessById(ProgramContext& app, uint32_t pid) {
  return StopProcessById(app.Processes(), pid);
}

}  // namespace quill
