#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "base/Text.h"
#include "platform/FileSystem.h"

namespace quill::testing {

/// A flat in-memory file system for the catalogue's parsing tests: files by Windows path
/// (case-insensitive), folders implied by the files in them. Writes can be made to fail.
class MemoryFileSystem : public platform::FileSystem {
 public:
  void Put(const std::string& path, const std::string& bytes) { files_[Key(path)] = bytes; }
  std::optional<std::string> Get(const std::string& path) const {
    auto it = files_.find(Key(path));
    if (it == files_.end()) return std::nullopt;
    return it->second;
  }
  void AddFolder(const std::string& path) { folders_.push_back(Key(path)); }
  bool failWrites = false;
  int writes = 0;
  /// The ReplaceFile call of this number (1 = the first) fails; 0: none does.
  int failReplaceNumber = 0;
  int replaces = 0;

  std::optional<uint32_t> Attributes(const std::string& path) override {
    if (files_.count(Key(path))) return platform::kAttrArchive;
    for (const auto& f : folders_)
      if (f == Key(path)) return platform::kAttrDirectory;
    return std::nullopt;
  }
  std::optional<std::vector<platform::DirEntry>> List(const std::string&) override {
    return std::nullopt;
  }
  std::optional<uint64_t> FileSize(const std::string& path) override {
    auto bytes = Get(path);
    if (!bytes) return std::nullopt;
    return bytes->size();
  }
  std::optional<std::string> ResolveCase(const std::string& path) override {
    return Attributes(path) ? std::optional<std::string>(path) : std::nullopt;
  }
  std::optional<std::string> ReadFile(const std::string& path) override { return Get(path); }
  bool WriteFile(const std::string& path, const std::string& bytes) override {
    ++writes;
    if (failWrites) return false;
    Put(path, bytes);
    return true;
  }
  bool AppendFile(const std::string& path, const std::string& bytes) override {
    if (failWrites) return false;
    files_[Key(path)] += bytes;
    return true;
  }
  bool ReplaceFile(const std::string& path, const std::string& bytes) override {
    if (failWrites || ++replaces == failReplaceNumber) return false;
    files_[Key(path)] = bytes;
    return true;
  }
  bool CopyFile(const std::string&, const std::string&, bool) override { return false; }
  bool CopyFolder(const std::string&, const std::string&, bool) override { return false; }
  bool DeleteFile(const std::string& path) override { return files_.erase(Key(path)) > 0; }
  bool DeleteFolder(const std::string&, bool) override { return false; }
  bool Rename(const std::string& from, const std::string& to) override {
    auto bytes = Get(from);
    if (!bytes || files_.count(Key(to))) return false;
    files_.erase(Key(from));
    Put(to, *bytes);
    return true;
  }
  bool CreateFolder(const std::string& path) override {
    AddFolder(path);
    return true;
  }
  bool SetAttributes(const std::string&, uint32_t) override { return false; }
  std::string NativePath(const std::string& path) override { return path; }
  std::string FromNativePath(const std::string& path) override { return path; }

 private:
  static std::string Key(const std::string& path) { return text::ToLower(path); }
  std::map<std::string, std::string> files_;
  std::vector<std::string> folders_;
};

}  // namespace quill::testing
