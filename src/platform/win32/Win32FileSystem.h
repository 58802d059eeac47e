#pragma once

#include <functional>
#include <string>

#include "platform/FileSystem.h"

namespace quill::platform::win32 {

/// The machine's own file system through the Win32 file calls; paths are used as given.
class Win32FileSystem : public FileSystem {
 public:
  std::optional<uint32_t> Attributes(const std::string& path) override;
  std::optional<std::vector<DirEntry>> List(const std::string& folder) override;
  std::optional<uint64_t> FileSize(const std::string& path) override;
  std::optional<std::string> ResolveCase(const std::string& path) override;
  std::optional<std::string> ReadFile(const std::string& path) override;
  std::optional<std::string> ReadFileRange(const std::string& path, uint64_t offset,
                                           size_t maxBytes) override;
  bool WriteFile(const std::string& path, const std::string& bytes) override;
  bool CreateNewFile(const std::string& path, const std::string& bytes) override;
  bool ReplaceFile(const std::string& path, const std::string& bytes) override;
  bool AppendFile(const std::string& path, const std::string& bytes) override;
  bool CopyFile(const std::string& from, const std::string& to, bool failIfExists) override;
  bool CopyFolder(const std::string& from, const std::string& to, bool overwrite) override;
  bool DeleteFile(const std::string& path) override;
  bool DeleteFolder(const std::string& path, bool force) override;
  bool Rename(const std::string& from, const std::string& to) override;
  bool CreateFolder(const std::string& path) override;
  bool SetAttributes(const std::string& path, uint32_t attributes) override;
  /// A path on a local drive is the machine's; a network drive or share is Host.
  Place Locate(const std::string& path) override;
  std::string NativePath(const std::string& path) override { return path; }
  std::string FromNativePath(const std::string& nativePath) override { return nativePath; }

  /// For tests: called with each entry's name before a tree deletion or copy handles it.
  std::function<void(const std::string& name)> treeEntryHook;

 private:
  bool WriteInto(const std::string& path, const std::string& bytes, bool append);
};

}  // namespace quill::platform::win32
