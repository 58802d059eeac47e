#include "platform/win32/Win32Registry.h"

#include "platform/win32/WinApi.h"

#include <string>
#include <utility>
#include <vector>

namespace quill::platform::win32 {
namespace {

HKEY RootHandle(RootKey root) {
  return reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(static_cast<uint32_t>(root)));
}

RegStatus StatusOf(LONG code) {
  switch (code) {
    case ERROR_SUCCESS:
      return RegStatus::Ok;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
      return RegStatus::NotFound;
    case ERROR_ACCESS_DENIED:
      return RegStatus::AccessDenied;
    default:
      return RegStatus::Failed;
  }
}

/// An open key, closed with the object.
class Key {
 public:
  Key(RootKey root, const std::string& path, REGSAM access)
      : code_(RegOpenKeyExA(RootHandle(root), path.c_str(), 0, access, &key_)) {}
  ~Key() {
    if (code_ == ERROR_SUCCESS) RegCloseKey(key_);
  }
  Key(const Key&) = delete;
  Key& operator=(const Key&) = delete;
  bool Ok() const { return code_ == ERROR_SUCCESS; }
  LONG Code() const { return code_; }
  HKEY Handle() const { return key_; }

 private:
  HKEY key_ = nullptr;
  LONG code_;
};

// One text with one terminating zero as the system stores it (a list of texts ends in two).
bool IsSingleText(DWORD type) {
  return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_LINK;
}

/// Names of values or subkeys, in stored order.
std::optional<std::vector<std::string>> EnumNames(RootKey root, const std::string& path,
                                                  bool values) {
  Key key(root, path, values ? KEY_QUERY_VALUE : KEY_ENUMERATE_SUB_KEYS);
  if (!key.Ok()) return std::nullopt;
  std::vector<std::string> names;
  std::vector<char> buffer(16384 + 1);
  for (DWORD index = 0;; ++index) {
    DWORD size = static_cast<DWORD>(buffer.size());
    LONG code = values ? RegEnumValueA(key.Handle(), index, buffer.data(), &size, nullptr, nullptr,
                                       nullptr, nullptr)
                       : RegEnumKeyExA(key.Handle(), index, buffer.data(), &size, nullptr, nullptr,
                                       nullptr, nullptr);
    if (code == ERROR_NO_MORE_ITEMS) break;
    if (code != ERROR_SUCCESS) return std::nullopt;
    names.emplace_back(buffer.data(), size);
  }
  return names;
}

}  // namespace

RegStatus Win32Registry::OpenKey(RootKey root, const std::string& path, uint32_t access) {
  Key key(root, path, access);
  return StatusOf(key.Code());
}

RegStatus Win32Registry::CreateKey(RootKey root, const std::string& path) {
  HKEY key = nullptr;
  LONG code = RegCreateKeyExA(RootHandle(root), path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                              KEY_WRITE, nullptr, &key, nullptr);
  if (code == ERROR_SUCCESS) RegCloseKey(key);
  return StatusOf(code);
}

std::optional<RegValue> Win32Registry::QueryValue(RootKey root, const std::string& path,
                                                  const std::string& name) {
  Key key(root, path, KEY_QUERY_VALUE);
  if (!key.Ok()) return std::nullopt;
  DWORD type = 0;
  DWORD size = 0;
  LONG code = RegQueryValueExA(key.Handle(), name.c_str(), nullptr, &type, nullptr, &size);
  // The value may grow between the two calls: ask again with the new size.
  std::string data;
  while (code == ERROR_SUCCESS || code == ERROR_MORE_DATA) {
    data.assign(size, '\0');
    code = RegQueryValueExA(key.Handle(), name.c_str(), nullptr, &type,
                            reinterpret_cast<BYTE*>(data.data()), &size);
    if (code == ERROR_SUCCESS) break;
  }
  if (code != ERROR_SUCCESS) return std::nullopt;
  data.resize(size);
  // Text without its terminating zero; lists keep one zero after each string.
  if (IsSingleText(type) && !data.empty() && data.back() == '\0') data.pop_back();
  if (type == REG_MULTI_SZ && data.size() >= 2 && data[data.size() - 1] == '\0' &&
      data[data.size() - 2] == '\0')
    data.pop_back();
  return RegValue{type, std::move(data)};
}

RegStatus Win32Registry::SetValue(RootKey root, const std::string& path, const std::string& name,
                                  const RegValue& value) {
  Key key(root, path, KEY_SET_VALUE);
  if (!key.Ok()) return StatusOf(key.Code());
  std::string data = value.data;
  if (IsSingleText(value.type)) data.push_back('\0');
  if (value.type == REG_MULTI_SZ) data.push_back('\0');
  return StatusOf(RegSetValueExA(key.Handle(), name.c_str(), 0, value.type,
                                 reinterpret_cast<const BYTE*>(data.data()),
                                 static_cast<DWORD>(data.size())));
}

RegStatus Win32Registry::DeleteValue(RootKey root, const std::string& path,
                                     const std::string& name) {
  Key key(root, path, KEY_SET_VALUE);
  if (!key.Ok()) return StatusOf(key.Code());
  return StatusOf(RegDeleteValueA(key.Handle(), name.c_str()));
}

RegStatus Win32Registry::DeleteKeyTree(RootKey root, const std::string& path) {
  // A root itself is never deleted.
  if (path.find_first_not_of('\\') == std::string::npos) return RegStatus::AccessDenied;
  // Children first: RegDeleteKeyA removes only keys without subkeys.
  if (auto children = EnumNames(root, path, false)) {
    for (const auto& child : *children) {
      RegStatus status = DeleteKeyTree(root, path + "\\" + child);
      if (status != RegStatus::Ok && status != RegStatus::NotFound) return status;
    }
  }
  return StatusOf(RegDeleteKeyA(RootHandle(root), path.c_str()));
}

std::optional<std::vector<std::string>> Win32Registry::EnumValues(RootKey root,
                                                                  const std::string& path) {
  return EnumNames(root, path, true);
}

std::optional<std::vector<std::string>> Win32Registry::EnumKeys(RootKey root,
                                                                const std::string& path) {
  return EnumNames(root, path, false);
}

}  // namespace quill::platform::win32
