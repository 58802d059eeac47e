#pragma once

#include <string>

namespace quill::test {

/// A fresh Wine-format prefix (Wine's folder layout, drives C: and Z:) in a temporary folder,
/// removed with everything in it when the object goes.
class TempPrefix {
 public:
  TempPrefix();
  ~TempPrefix();
  TempPrefix(const TempPrefix&) = delete;
  TempPrefix& operator=(const TempPrefix&) = delete;

  /// The prefix folder (holds drive_c and dosdevices).
  const std::string& Root() const { return root_; }
  /// The profile folder name under C:\users.
  const std::string& User() const { return user_; }
  /// Host path of a Windows path on the prefix's drives (existing components matched without
  /// regard to case, the rest as written).
  std::string Native(const std::string& windowsPath) const;
  /// Writes a file at a Windows path, creating the folders on the way. False on failure.
  bool WriteFile(const std::string& windowsPath, const std::string& bytes) const;
  /// Creates a folder (and its parents) at a Windows path.
  bool MakeFolder(const std::string& windowsPath) const;

 private:
  std::string root_;
  std::string user_;
};

}  // namespace quill::test
