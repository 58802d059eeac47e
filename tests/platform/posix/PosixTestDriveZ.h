#pragma once

#include <string>

#include "platform/FileSystem.h"

namespace quill::platform::posix::testing {

/// A file system that only knows Wine's default z: drive (the host's root), for the classes
/// that need nothing more than FromNativePath.
class DriveZOnly : public platform::FileSystem {
 public:
  std::string FromNativePath(const std::string& nativePath) override {
    if (nativePath.empty() || nativePath[0] != '/') return {};
    std::string out = "Z:";
    for (char c : nativePath) out += c == '/' ? '\\' : c;
    return out;
  }
  std::string NativePath(const std::string&) override { return {}; }
  std::optional<uint32_t> Attributes(const std::string&) override { return std::nullopt; }
  std::optional<std::vector<DirEntry>> List(const std::string&) override { return std::nullopt; }
  std::optional<uint64_t> FileSize(const std::string&) override { return std::nullopt; }
  std::optional<std::string> ResolveCase(const std::string&) override { return std::nullopt; }
  std::optional<std::string> ReadFile(const std::string&) override { return std::nullopt; }
  bool WriteFile(const std::string&, const std::string&) override { return false; }
  bool AppendFile(const std::string&, const std::string&) override { return false; }
  bool CopyFile(const std::string&, const std::string&, bool) override { return false; }
  bool CopyFolder(const std::string&, const std::string&, bool) override { return false; }
  bool DeleteFile(const std::string&) override { return false; }
  bool DeleteFolder(const std::string&, bool) override { return false; }
  bool Rename(const std::string&, const std::string&) override { return false; }
  bool CreateFolder(const std::string&) override { return false; }
  bool SetAttributes(const std::string&, uint32_t) override { return false; }
};

}  // namespace quill::platform::posix::testing
