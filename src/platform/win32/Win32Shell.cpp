#include "platform/win32/Win32Shell.h"

#include "platform/win32/WinApi.h"
// The shell calls need the base definitions above.
#include <shellapi.h>
#include <shlobj.h>

#include <cctype>
#include <string>
#include <vector>

#include "base/Text.h"

namespace quill::platform::win32 {
namespace {

std::optional<std::string> CleanFolder(const char* path) {
  std::string folder(path);
  if (folder.empty()) return std::nullopt;
  while (folder.size() > 3 && folder.back() == '\\') folder.pop_back();
  return folder;
}

std::string WithoutTrailingSlash(std::string folder) {
  while (folder.size() > 3 && folder.back() == '\\') folder.pop_back();
  return folder;
}

/// No "insert a disk" message boxes while drives are looked at.
class QuietErrors {
 public:
  QuietErrors() : old_(SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX)) {}
  ~QuietErrors() { SetErrorMode(old_); }
  QuietErrors(const QuietErrors&) = delete;
  QuietErrors& operator=(const QuietErrors&) = delete;

 private:
  UINT old_;
};

bool Started(HINSTANCE result) {
  return reinterpret_cast<INT_PTR>(result) > 32;
}

}  // namespace

std::optional<std::string> Win32Shell::SpecialFolder(int csidl) {
  char path[MAX_PATH + 1] = {};
  if (!SHGetSpecialFolderPathA(nullptr, path, csidl, FALSE)) return std::nullopt;
  return CleanFolder(path);
}

std::optional<std::string> Win32Shell::SpecialFolderByLocation(int csidl) {
  LPITEMIDLIST item = nullptr;
  if (FAILED(SHGetSpecialFolderLocation(nullptr, csidl, &item)) || item == nullptr)
    return std::nullopt;
  char path[MAX_PATH + 1] = {};
  const BOOL found = SHGetPathFromIDListA(item, path);
  CoTaskMemFree(item);
  if (!found) return std::nullopt;
  return CleanFolder(path);
}

std::string Win32Shell::SystemDirectory() {
  char path[MAX_PATH + 1] = {};
  const UINT length = GetSystemDirectoryA(path, sizeof path);
  if (length == 0 || length > MAX_PATH) return "C:\\windows\\system32";
  return WithoutTrailingSlash(path);
}

std::string Win32Shell::WindowsDirectory() {
  char path[MAX_PATH + 1] = {};
  const UINT length = GetWindowsDirectoryA(path, sizeof path);
  if (length == 0 || length > MAX_PATH) return "C:\\windows";
  return WithoutTrailingSlash(path);
}

std::vector<DriveInfo> Win32Shell::Drives() {
  std::vector<DriveInfo> drives;
  char roots[26 * 4 + 2] = {};
  const DWORD length = GetLogicalDriveStringsA(sizeof roots, roots);
  if (length == 0 || length > sizeof roots) return drives;
  QuietErrors quiet;
  for (const char* root = roots; *root != '\0'; root += std::char_traits<char>::length(root) + 1) {
    DriveInfo drive;
    drive.letter = static_cast<char>(std::toupper(static_cast<unsigned char>(root[0])));
    drive.type = static_cast<DriveType>(GetDriveTypeA(root));
    DWORD serial = 0, maxName = 0, flags = 0;
    drive.ready =
        GetVolumeInformationA(root, nullptr, 0, &serial, &maxName, &flags, nullptr, 0) != 0;
    drives.push_back(drive);
  }
  return drives;
}

std::optional<VolumeSize> Win32Shell::Volume(const std::string& root) {
  QuietErrors quiet;
  ULARGE_INTEGER available{}, total{}, free{};
  if (!GetDiskFreeSpaceExA(root.c_str(), &available, &total, &free)) return std::nullopt;
  return VolumeSize{total.QuadPart, free.QuadPart};
}

bool Win32Shell::Execute(const std::string& commandLine, ShowStyle style) {
  std::string line = text::Trim(commandLine);
  if (line.empty()) return false;
  // The program is the first word, or the quoted text at the start; the rest are its
  // parameters.
  std::string program, parameters;
  if (line.front() == '"') {
    const size_t close = line.find('"', 1);
    if (close == std::string::npos) return false;
    program = line.substr(1, close - 1);
    parameters = text::Trim(line.substr(close + 1));
  } else {
    const size_t space = line.find_first_of(" \t");
    program = line.substr(0, space);
    if (space != std::string::npos) parameters = text::Trim(line.substr(space + 1));
  }
  if (program.empty()) return false;
  return Started(ShellExecuteA(nullptr, "open", program.c_str(),
                               parameters.empty() ? nullptr : parameters.c_str(), nullptr,
                               static_cast<int>(style)));
}

bool Win32Shell::OpenDocument(const std::string& path, ShowStyle style) {
  std::string target = text::Trim(path);
  if (target.size() >= 2 && target.front() == '"' && target.back() == '"')
    target = target.substr(1, target.size() - 2);
  if (target.empty()) return false;
  return Started(
      ShellExecuteA(nullptr, "open", target.c_str(), nullptr, nullptr, static_cast<int>(style)));
}

}  // namespace quill::platform::win32
