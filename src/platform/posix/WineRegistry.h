#pragma once

#include <memory>
#include <string>

#include "platform/Registry.h"

namespace quill::platform::posix {

/// The registry of a Wine prefix, kept in Wine's own hive files: user.reg is
/// HKEY_CURRENT_USER, system.reg HKEY_LOCAL_MACHINE and userdef.reg HKEY_USERS\.Default;
/// HKEY_CLASSES_ROOT and HKEY_CURRENT_CONFIG are the keys of HKEY_LOCAL_MACHINE Windows
/// shows there, and symbolic link keys are followed as Wine follows them.
///
/// Parsed hives stay in memory and are read again only when their file changes. A write
/// replaces the hive file atomically and keeps every line it does not change. Writes are
/// refused (access denied) while a wineserver serves the prefix, since the server would save
/// its own copy over them, and refused (failed) for a hive that could not be read completely.
class WineRegistry : public Registry {
 public:
  /// `prefixRoot` is the prefix's native folder (e.g. /home/u/.wine).
  explicit WineRegistry(std::string prefixRoot);
  ~WineRegistry() override;
  WineRegistry(const WineRegistry&) = delete;
  WineRegistry& operator=(const WineRegistry&) = delete;

  RegStatus OpenKey(RootKey root, const std::string& path, uint32_t access) override;
  RegStatus CreateKey(RootKey root, const std::string& path) override;
  std::optional<RegValue> QueryValue(RootKey root, const std::string& path,
                                     const std::string& name) override;
  RegStatus SetValue(RootKey root, const std::string& path, const std::string& name,
                     const RegValue& value) override;
  RegStatus DeleteValue(RootKey root, const std::string& path, const std::string& name) override;
  RegStatus DeleteKeyTree(RootKey root, const std::string& path) override;
  std::optional<std::vector<std::string>> EnumValues(RootKey root,
                                                     const std::string& path) override;
  std::optional<std::vector<std::string>> EnumKeys(RootKey root, const std::string& path) override;
  /// The roots of the hives that are unreadable or hold lines that could not be parsed.
  std::vector<std::string> UnreadableParts() override;
  /// True while a wineserver serves the prefix and nothing else would refuse the write.
  bool WritesHeldByRunningSystem(RootKey root, const std::string& path) override;

  /// The prefix's native folder.
  const std::string& PrefixRoot() const;

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace quill::platform::posix
