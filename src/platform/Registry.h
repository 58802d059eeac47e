#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quill::platform {

/// Predefined roots, by their handle values.
enum class RootKey : uint32_t {
  ClassesRoot = 0x80000000u,
  CurrentUser = 0x80000001u,
  LocalMachine = 0x80000002u,
  Users = 0x80000003u,
  PerformanceData = 0x80000004u,
  CurrentConfig = 0x80000005u,
  DynData = 0x80000006u,
};

/// Value types, with the platform's numbers.
enum class RegType : uint32_t {
  None = 0,
  Sz = 1,
  ExpandSz = 2,
  Binary = 3,
  Dword = 4,
  DwordBigEndian = 5,
  Link = 6,
  MultiSz = 7,
  ResourceList = 8,
  FullResourceDescriptor = 9,
  ResourceRequirementsList = 10,
  Qword = 11,
};

/// A value's data. For Sz, ExpandSz and Link the data is the text without its terminating
/// zero; for MultiSz the strings each followed by a zero byte; for Dword and Qword the
/// little-endian bytes; otherwise the raw bytes.
struct RegValue {
  uint32_t type = 0;
  std::string data;
};

enum class RegStatus { Ok, NotFound, AccessDenied, Failed };

/// Access rights of a key open.
inline constexpr uint32_t kKeyQueryValue = 0x1;
inline constexpr uint32_t kKeySetValue = 0x2;
inline constexpr uint32_t kKeyCreateSubKey = 0x4;
inline constexpr uint32_t kKeyEnumerateSubKeys = 0x8;
inline constexpr uint32_t kKeyNotify = 0x10;
inline constexpr uint32_t kKeyCreateLink = 0x20;
inline constexpr uint32_t kKeyAllAccess = 0xF003F;
inline constexpr uint32_t kKeyRead = 0x20019;

/// The registry. Keys are named by root and a backslash-separated path (compared without
/// regard to case). Every call reports failure by its result and never throws.
class Registry {
 public:
  virtual ~Registry() = default;
  /// Whether the key exists and could be opened with the requested access.
  virtual RegStatus OpenKey(RootKey root, const std::string& path, uint32_t access) = 0;
  /// Creates the key and its missing parents.
  virtual RegStatus CreateKey(RootKey root, const std::string& path) = 0;
  /// The value of that name ("" = the key's default value).
  virtual std::optional<RegValue> QueryValue(RootKey root, const std::string& path,
                                             const std::string& name) = 0;
  /// Sets a value; the key must exist.
  virtual RegStatus SetValue(RootKey root, const std::string& path, const std::string& name,
                             const RegValue& value) = 0;
  virtual RegStatus DeleteValue(RootKey root, const std::string& path, const std::string& name) = 0;
  /// Deletes the key with all its subkeys and values.
  virtual RegStatus DeleteKeyTree(RootKey root, const std::string& path) = 0;
  /// Names of the key's values / subkeys, in stored order; empty optional when absent.
  virtual std::optional<std::vector<std::string>> EnumValues(RootKey root,
                                                             const std::string& path) = 0;
  virtual std::optional<std::vector<std::string>> EnumKeys(RootKey root,
                                                           const std::string& path) = 0;
  /// The parts of the registry (by full root name, e.g. "HKEY_CURRENT_USER") whose stored
  /// data could not be read completely just now: what they hold may be missing from every
  /// answer. Empty when everything could be read.
  virtual std::vector<std::string> UnreadableParts() { return {}; }
  /// Whether writes under the key are refused just now only because the running system
  /// holds the registry (a Wine prefix in use); the account itself may write there.
  virtual bool WritesHeldByRunningSystem(RootKey /*root*/, const std::string& /*path*/) {
    return false;
  }
};

/// "HKEY_LOCAL_MACHINE" and so on; "" for an unknown handle.
std::string RootName(RootKey root);
/// Signed decimal form of a root handle, as the removal list stores it (-2147483646).
std::string RootHandleText(RootKey root);
/// Parses a root from its signed or unsigned decimal handle text; empty when not a root.
std::optional<RootKey> RootFromHandleText(const std::string& text);

/// Appends "hex:" (binary) or "hex(N):" and the bytes as comma-separated hexadecimal pairs,
/// wrapped as the registry's text formats wrap them: once a line passes 76 columns it ends
/// in "\" + lineEnd and goes on after two spaces.
void AppendRegHexData(std::string& out, uint32_t type, std::string_view bytes,
                      std::string_view lineEnd);

/// Convenience constructors.
RegValue MakeSz(const std::string& text);
RegValue MakeDword(uint32_t value);

}  // namespace quill::platform
