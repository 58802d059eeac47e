#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace quill::platform {

enum class DriveType {
  Unknown = 0,
  NoRootDir = 1,
  Removable = 2,
  Fixed = 3,
  Remote = 4,
  CdRom = 5,
  RamDisk = 6
};

struct DriveInfo {
  char letter = 'C';
  DriveType type = DriveType::Unknown;
  bool ready = false;
};

struct VolumeSize {
  uint64_t total = 0;
  uint64_t free = 0;
};

/// Window style of a started program (the platform's values).
enum class ShowStyle {
  Hidden = 0,
  NormalFocus = 1,
  MinimizedFocus = 2,
  MaximizedFocus = 3,
  NormalNoFocus = 4,
  MinimizedNoFocus = 6
};

/// Special folders, drives, and starting programs and documents.
class Shell {
 public:
  virtual ~Shell() = default;
  /// Path of a special folder by CSIDL, without a trailing backslash; empty optional when the
  /// folder has no file-system path (the Recycle Bin) or is unknown.
  virtual std::optional<std::string> SpecialFolder(int csidl) = 0;
  /// The same folder obtained through its item identifier (the second way the program asks).
  virtual std::optional<std::string> SpecialFolderByLocation(int csidl) = 0;
  /// The system folder, without a trailing backslash.
  virtual std::string SystemDirectory() = 0;
  virtual std::string WindowsDirectory() = 0;
  virtual std::vector<DriveInfo> Drives() = 0;
  /// Volume information of a root such as "C:\"; empty when the volume is not ready.
  virtual std::optional<VolumeSize> Volume(const std::string& root) = 0;
  /// Starts a command line ("explorer.exe C:\x", "notepad C:\y.dat", "regedit.exe").
  /// Never blocks waiting for the started program.
  virtual bool Execute(const std::string& commandLine, ShowStyle style) = 0;
  /// Opens a document or folder with its handler (the "open" verb).
  virtual bool OpenDocument(const std::string& path, ShowStyle style) = 0;
};

/// CSIDL numbers used by the program.
namespace csidl {
inline constexpr int kPrograms = 2, kPersonal = 5, kFavorites = 6, kStartup = 7, kRecent = 8,
                     kSendTo = 9, kBitBucket = 10, kStartMenu = 11, kDesktopDirectory = 16,
                     kFonts = 20, kTemplates = 21, kCommonStartMenu = 22, kCommonPrograms = 23,
                     kCommonDesktopDirectory = 25, kAppData = 26, kAltStartup = 29,
                     kCommonAltStartup = 30, kCommonFavorites = 31, kInternetCache = 32,
                     kCookies = 33, kHistory = 34, kCommonAppData = 35, kWindows = 36, kSystem = 37,
                     kProgramFiles = 38, kProgramFilesCommon = 43, kCommonTemplates = 45,
                     kCommonDocuments = 46;
}

}  // namespace quill::platform
