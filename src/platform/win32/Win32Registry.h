#pragma once

#include "platform/Registry.h"

namespace quill::platform::win32 {

/// The machine's own registry through the Reg*A calls.
class Win32Registry : public Registry {
 public:
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
};

}  // namespace quill::platform::win32
