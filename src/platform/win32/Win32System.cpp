#include "platform/win32/Win32System.h"

#include "platform/win32/WinApi.h"
// The version and restore calls need the base definitions above.
#include <srrestoreptapi.h>
#include <winver.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "platform/ProgramIdentity.h"

namespace quill::platform::win32 {
namespace {

std::string ModulePath() {
  std::vector<char> path(MAX_PATH);
  while (true) {
    const DWORD length = GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return {};
    if (length < path.size()) return std::string(path.data(), length);
    if (path.size() >= 32768) return {};
    path.resize(path.size() * 2);
  }
}

std::string FolderOf(const std::string& path) {
  const size_t slash = path.find_last_of('\\');
  if (slash == std::string::npos) return {};
  return path.substr(0, slash == 2 ? 3 : slash);
}

std::string WithoutTrailingSlash(std::string folder) {
  while (folder.size() > 3 && (folder.back() == '\\' || folder.back() == '/')) folder.pop_back();
  return folder;
}

/// One text of the executable's own version information; empty when it has none.
std::string VersionText(const std::string& module, const char* name) {
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeA(module.c_str(), &ignored);
  if (size == 0) return {};
  std::vector<char> info(size);
  if (!GetFileVersionInfoA(module.c_str(), 0, size, info.data())) return {};
  struct Translation {
    WORD language, codePage;
  };
  Translation* translations = nullptr;
  UINT length = 0;
  if (!VerQueryValueA(info.data(), "\\VarFileInfo\\Translation",
                      reinterpret_cast<void**>(&translations), &length) ||
      length < sizeof(Translation))
    return {};
  char query[64];
  std::snprintf(query, sizeof query, "\\StringFileInfo\\%04x%04x\\%s", translations[0].language,
                translations[0].codePage, name);
  char* value = nullptr;
  if (!VerQueryValueA(info.data(), query, reinterpret_cast<void**>(&value), &length) ||
      value == nullptr || length == 0)
    return {};
  return std::string(value, strnlen(value, length));
}

/// Wine's restore calls answer success without making anything: a machine run by Wine has no
/// System Restore, whatever the call says.
bool RunsOnWine() {
  HMODULE ntdll = GetModuleHandleA("ntdll.dll");
  return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

using SetRestorePoint = BOOL(WINAPI*)(PRESTOREPOINTINFOA, PSTATEMGRSTATUS);

SetRestorePoint RestoreCall() {
  if (RunsOnWine()) return nullptr;
  HMODULE library = LoadLibraryA("srclient.dll");
  if (library == nullptr) return nullptr;
  return reinterpret_cast<SetRestorePoint>(
      reinterpret_cast<void*>(GetProcAddress(library, "SRSetRestorePointA")));
}

}  // namespace

Win32System::Win32System(std::string programFolderOverride)
    : programFolderOverride_(std::move(programFolderOverride)) {}

Win32System::~Win32System() {
  if (instanceMutex_ != nullptr) CloseHandle(instanceMutex_);
}

OsVersion Win32System::Version() {
  OSVERSIONINFOA info{};
  info.dwOSVersionInfoSize = sizeof info;
  if (!GetVersionExA(&info)) return OsVersion{};
  return OsVersion{static_cast<int>(info.dwPlatformId), static_cast<int>(info.dwMajorVersion),
                   static_cast<int>(info.dwMinorVersion)};
}

std::optional<std::string> Win32System::StartupCommand() {
  const std::string module = ModulePath();
  if (module.empty()) return std::nullopt;
  return "\"" + module + "\"";
}

ProgramIdentity Win32System::Identity() {
  ProgramIdentity id;
  const std::string module = ModulePath();
  // The brand comes from the executable's own version information; the build's values stand
  // in for a file that has none.
  auto text = [&module](const char* name, const char* fallback) {
    std::string value = module.empty() ? std::string() : VersionText(module, name);
    return value.empty() ? std::string(fallback) : value;
  };
  id.productName = text("ProductName", build::kProductName);
  id.companyName = text("CompanyName", build::kCompanyName);
  id.comments = text("Comments", build::kComments);
  id.versionMajor = build::kVersionMajor;
  id.versionMinor = build::kVersionMinor;
  id.brandNumber = build::kBrandNumber;
  id.exeName = build::kExeName;

  std::string folder = programFolderOverride_;
  if (folder.empty()) {
    const char* fromEnv = std::getenv("QUILLONET_PROGRAM_DIR");
    if (fromEnv != nullptr) folder = fromEnv;
  }
  if (folder.empty()) folder = FolderOf(module);
  id.programFolder = WithoutTrailingSlash(folder);
  return id;
}

bool Win32System::AcquireSingleInstance() {
  if (instanceMutex_ != nullptr) return true;
  const std::string name = std::string("Local\\") + build::kExeName + "-single-instance";
  HANDLE mutex = CreateMutexA(nullptr, FALSE, name.c_str());
  if (mutex == nullptr) return true;  // cannot tell: do not keep the program from starting
  if (GetLastError() == ERROR_ALREADY_EXISTS) {
    CloseHandle(mutex);
    return false;
  }
  instanceMutex_ = mutex;
  return true;
}

bool Win32System::HasSystemRestore() {
  return RestoreCall() != nullptr;
}

std::optional<int64_t> Win32System::BeginRestorePoint(const std::string& description, int type) {
  SetRestorePoint call = RestoreCall();
  if (call == nullptr) return std::nullopt;
  RESTOREPOINTINFOA info{};
  info.dwEventType = BEGIN_SYSTEM_CHANGE;
  info.dwRestorePtType = static_cast<DWORD>(type);
  std::strncpy(info.szDescription, description.c_str(), sizeof info.szDescription - 1);
  STATEMGRSTATUS status{};
  if (!call(&info, &status) || status.nStatus != ERROR_SUCCESS) return std::nullopt;
  return status.llSequenceNumber;
}

bool Win32System::EndRestorePoint(int64_t sequence) {
  SetRestorePoint call = RestoreCall();
  if (call == nullptr) return false;
  RESTOREPOINTINFOA info{};
  info.dwEventType = END_SYSTEM_CHANGE;
  info.llSequenceNumber = sequence;
  STATEMGRSTATUS status{};
  return call(&info, &status) && status.nStatus == ERROR_SUCCESS;
}

bool Win32System::CallLibraryRegistration(const std::string& path, bool unregister) {
  HMODULE library = LoadLibraryA(path.c_str());
  if (library == nullptr) return false;
  using Entry = HRESULT(STDAPICALLTYPE*)();
  auto entry = reinterpret_cast<Entry>(reinterpret_cast<void*>(
      GetProcAddress(library, unregister ? "DllUnregisterServer" : "DllRegisterServer")));
  const bool done = entry != nullptr && SUCCEEDED(entry());
  FreeLibrary(library);
  return done;
}

namespace {
std::string SettingsKey(const std::string& app, const std::string& section) {
  return "Software\\VB and VBA Program Settings\\" + app + "\\" + section;
}
}  // namespace

std::string RegistrySettingsStore::Get(const std::string& app, const std::string& section,
                                       const std::string& key, const std::string& defaultValue) {
  auto value = registry_.QueryValue(RootKey::CurrentUser, SettingsKey(app, section), key);
  if (!value || (value->type != REG_SZ && value->type != REG_EXPAND_SZ)) return defaultValue;
  return value->data;
}

bool RegistrySettingsStore::Save(const std::string& app, const std::string& section,
                                 const std::string& key, const std::string& value) {
  // Empty names would land in another key or the default value: refuse them.
  if (app.empty() || section.empty() || key.empty()) return false;
  const std::string path = SettingsKey(app, section);
  return registry_.CreateKey(RootKey::CurrentUser, path) == RegStatus::Ok &&
         registry_.SetValue(RootKey::CurrentUser, path, key, MakeSz(value)) == RegStatus::Ok;
}

}  // namespace quill::platform::win32
