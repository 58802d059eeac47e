#include "ReleaseStore.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>
#include <set>
#include <unordered_set>

#include <sys/stat.h>
#include <unistd.h>

namespace quill::defserver {
namespace {

namespace fs = std::filesystem;

// Lines without their CR LF (or LF) ends.
std::vector<std::string_view> Lines(std::string_view text) {
  std::vector<std::string_view> out;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    out.push_back(line);
    start = end + 1;
  }
  return out;
}

bool IsBlank(std::string_view line) {
  return line.find_first_not_of(" \t") == std::string_view::npos;
}

// Adds a line to a release file unless the file already holds it.
struct UniqueLines {
  std::vector<std::string> lines;
  std::unordered_set<std::string> seen;
  void Add(std::string line) {
    if (seen.insert(line).second) lines.push_back(std::move(line));
  }
};

std::vector<Target> TargetsOf(std::string_view kind) {
  if (kind == "EXE") return {Target::File, Target::Exe};
  if (kind == "REG") return {Target::Registry};
  if (kind == "COOK") return {Target::Cookies};
  if (kind == "DIR") return {Target::Directory};
  if (kind == "SAFETY") return {Target::Safety};
  return {Target::File};  // FILE, DLL
}

bool WriteLines(const fs::path& path, const std::vector<std::string>& lines) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  for (const auto& line : lines) out << line << "\r\n";
  out.flush();
  return static_cast<bool>(out);
}

constexpr const char* kMetaFile = "release.meta";

int64_t SecondsNow() {
  return std::chrono::duration_cast<std::chrono::seconds>(
             std::chrono::system_clock::now().time_since_epoch())
      .count();
}

std::string MetaText(const ReleaseMeta& meta) {
  return "sequence=" + std::to_string(meta.sequence) +
         "\r\nexpires=" + std::to_string(meta.expires) + "\r\n";
}

std::optional<ReleaseMeta> ReadMeta(const fs::path& file) {
  const auto text = ReadWholeFile(file);
  if (!text) return std::nullopt;
  ReleaseMeta meta;
  bool sequence = false, expires = false;
  for (std::string_view line : Lines(*text)) {
    try {
      if (line.rfind("sequence=", 0) == 0) {
        meta.sequence = std::stoull(std::string(line.substr(9)));
        sequence = true;
      } else if (line.rfind("expires=", 0) == 0) {
        meta.expires = std::stoll(std::string(line.substr(8)));
        expires = true;
      }
    } catch (const std::exception&) {
      return std::nullopt;
    }
  }
  if (!sequence || !expires) return std::nullopt;
  return meta;
}

}  // namespace

std::optional<std::string> ReadWholeFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::optional<datetime::LocalDateTime> ParseReleaseName(const std::string& name) {
  if (name.size() != 15 || name[8] != '-') return std::nullopt;
  for (size_t i = 0; i < name.size(); ++i) {
    if (i != 8 && (name[i] < '0' || name[i] > '9')) return std::nullopt;
  }
  auto num = [&](size_t pos, size_t len) { return std::stoi(name.substr(pos, len)); };
  datetime::LocalDateTime dt{num(0, 4), num(4, 2), num(6, 2), num(9, 2), num(11, 2), num(13, 2)};
  // Read back through the date helper to refuse impossible dates such as 20260231.
  const auto parsed = datetime::ParseGeneralDate(
      std::to_string(dt.month) + "/" + std::to_string(dt.day) + "/" + std::to_string(dt.year));
  // (A year under 100 reads back as 19xx or 20xx: "00260316" would be served as 2026.)
  if (!parsed || parsed->year != dt.year || parsed->day != dt.day || dt.hour > 23 ||
      dt.minute > 59 || dt.second > 59)
    return std::nullopt;
  return dt;
}

std::string ReleaseName(const datetime::LocalDateTime& d) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%04d%02d%02d-%02d%02d%02d", d.year, d.month, d.day, d.hour,
                d.minute, d.second);
  return buf;
}

std::vector<std::string> ReleaseStore::List() const {
  std::vector<std::string> names;
  std::error_code ec;
  for (fs::directory_iterator it(Releases(), ec), end; !ec && it != end; it.increment(ec)) {
    const std::string name = it->path().filename().string();
    if (ParseReleaseName(name) && it->is_directory(ec)) names.push_back(name);
  }
  std::sort(names.begin(), names.end());
  return names;
}

fs::path ReleaseStore::FilePath(const std::string& name, Target target) const {
  return Releases() / name / kTargetFiles[static_cast<size_t>(target)];
}

std::optional<ReleaseMeta> ReleaseStore::Meta(const std::string& name) const {
  std::error_code ec;
  if (!ParseReleaseName(name) || !fs::is_directory(Releases() / name, ec)) return std::nullopt;
  if (auto meta = ReadMeta(Releases() / name / kMetaFile)) return meta;
  // An older release without a meta file: its place in the list and its folder's age.
  const auto names = List();
  ReleaseMeta meta;
  meta.sequence =
      static_cast<uint64_t>(std::find(names.begin(), names.end(), name) - names.begin() + 1);
  struct stat folder {};
  const bool known = ::stat((Releases() / name).c_str(), &folder) == 0;
  meta.expires = known ? int64_t{folder.st_mtime} + int64_t{kDefaultExpiryDays} * 86400 : 0;
  return meta;
}

std::shared_ptr<const Release> ReleaseStore::Load(const std::string& name) const {
  auto date = ParseReleaseName(name);
  if (!date || !fs::is_directory(Releases() / name)) return nullptr;
  auto release = std::make_shared<Release>();
  release->name = name;
  release->date = *date;
  for (size_t t = 0; t < kTargetCount; ++t) {
    const auto target = static_cast<Target>(t);
    auto text = ReadWholeFile(FilePath(name, target));
    if (!text) continue;
    UniqueLines unique;
    size_t skipped = 0;
    for (std::string_view line : Lines(*text)) {
      if (line.empty()) continue;
      if (!IsTransportable(target, line)) {
        ++skipped;
        continue;
      }
      unique.Add(std::string(line));
    }
    if (skipped > 0)
      std::cerr << "release " << name << ", " << kTargetFiles[t] << ": " << skipped
                << " line(s) the update protocol cannot carry are not served\n";
    release->lines[t] = std::move(unique.lines);
  }
  return release;
}

std::vector<std::string> ReleaseStore::Publish(const fs::path& from,
                                               const datetime::LocalDateTime& date,
                                               std::optional<int64_t> expires) const {
  std::vector<std::string> problems;
  const std::string name = ReleaseName(date);
  const auto existing = List();
  if (!existing.empty() && existing.back() >= name)
    problems.push_back("release " + name + " is not later than the newest release " +
                       existing.back());

  std::set<std::string> known;
  for (const auto& source : kPlainSources) known.insert(source.fileName);
  std::error_code ec;
  if (!fs::is_directory(from, ec)) problems.push_back(from.string() + " is not a folder");
  for (fs::directory_iterator it(from, ec), end; !ec && it != end; it.increment(ec)) {
    if (!known.count(it->path().filename().string()))
      problems.push_back("unknown source file " + it->path().filename().string() +
                         " (expected FILE.txt, DLL.txt, EXE.txt, REG.txt, COOK.txt, DIR.txt or "
                         "SAFETY.txt)");
  }

  std::array<UniqueLines, kTargetCount> files;
  for (const auto& source : kPlainSources) {
    auto text = ReadWholeFile(from / source.fileName);
    if (!text) continue;
    const auto lines = Lines(*text);
    for (size_t i = 0; i < lines.size(); ++i) {
      if (IsBlank(lines[i])) continue;
      std::string error;
      auto stored = StoredLine(source.kind, lines[i], &error);
      if (!stored) {
        problems.push_back(std::string(source.fileName) + " line " + std::to_string(i + 1) + ": " +
                           error);
        continue;
      }
      for (Target target : TargetsOf(source.kind)) files[static_cast<size_t>(target)].Add(*stored);
    }
  }
  if (!problems.empty()) return problems;

  // Written beside the releases and renamed into place, so a server never lists a release
  // whose files are still being written.
  const fs::path staging = Releases() / (".publish-" + name + "-" + std::to_string(::getpid()));
  fs::create_directories(staging, ec);
  ReleaseMeta meta{1, expires.value_or(SecondsNow() + int64_t{kDefaultExpiryDays} * 86400)};
  if (!existing.empty()) meta.sequence = Meta(existing.back()).value_or(ReleaseMeta{}).sequence + 1;
  for (size_t t = 0; t < kTargetCount && !ec; ++t) {
    if (!WriteLines(staging / kTargetFiles[t], files[t].lines))
      ec = std::make_error_code(std::errc::io_error);
  }
  if (!ec) {
    std::ofstream out(staging / kMetaFile, std::ios::binary | std::ios::trunc);
    out << MetaText(meta);
    out.flush();
    if (!out) ec = std::make_error_code(std::errc::io_error);
  }
  if (!ec) fs::rename(staging, Releases() / name, ec);
  if (ec) {
    problems.push_back("could not write the release: " + ec.message());
    fs::remove_all(staging, ec);
  }
  return problems;
}

}  // namespace quill::defserver
