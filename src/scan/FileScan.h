#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/FileSystem.h"

namespace quill {

namespace forms {
class Host;
}
struct ScanInputs;
class ScanWindow;
struct ScanState;
class DefinitionSet;
class ExclusionList;
class ProtectedFloor;

// ---- Path helpers ---------------------------------------------------------------------------

/// True when the path names a plain file: it exists, is not a folder, and carries neither
/// the hidden nor the system attribute. Wildcards never count. Any error gives false.
bool FileExists(platform::FileSystem& files, const std::string& path);
/// True when the path names a folder (hidden folders count).
bool FolderExists(platform::FileSystem& files, const std::string& path);
/// The number of "\" in the text.
int PathDepth(std::string_view text);
/// How many path parts two locations share, compared from their last parts backwards
/// (drive and its "\" dropped first); positions need not be consecutive and empty parts of
/// a never count. Both texts are expected in lower case.
int MatchingTailCount(std::string_view a, std::string_view b);

// ---- Definition-driven stages (Smart Scan) ---------------------------------------------------

/// Tests every file definition for its file at the defined place.
void ScanFileDefinitions(const ScanInputs& in, ScanWindow& main);
/// Tests every folder definition for its folder.
void ScanFolderDefinitions(const ScanInputs& in, ScanWindow& main);

// ---- The tree walk (Full System, Folder and File Scan) ----------------------------------------

/// Walks the tree below a folder: every entry of a folder is compared with the definition
/// tables before any subfolder is entered. folder ends in "\".
void ScanFolderTree(const ScanInputs& in, ScanWindow& main, const std::string& folder);
/// Compares one met folder (ending in "\") with the folder definitions; records a hit.
void CheckFoundFolder(const ScanInputs& in, ScanWindow& main, const std::string& folder);
/// Compares one met file with the file definitions; records a hit.
void CheckFoundFile(const ScanInputs& in, ScanWindow& main, const std::string& path);

/// The walk's state for one scan: what it caches about the machine, and scratch room for
/// the candidate rows, so that examining an item allocates next to nothing.
class FolderWalk {
 public:
  FolderWalk(const ScanInputs& in, ScanWindow& main);

  void ScanFolderTree(const std::string& folder);
  void CheckFoundFolder(const std::string& folder);
  void CheckFoundFile(const std::string& path);

 private:
  // folderLower: the met folder in lower case ending in "\"; nameLower: the trimmed name.
  // listedOnly: a file the walk met without knowing its hidden and system bits; it only
  // counts when it has neither.
  void CheckFile(const std::string& folderLower, const std::string& nameLower,
                 bool listedOnly = false);
  // Whether the walk goes into a listed folder: a plain folder, or one the system links
  // elsewhere when its identity is known, and in either case one not walked yet this scan.
  bool Enters(const platform::DirEntry& entry);
  // One folder's entries, in listing order: examines each and returns the names of the
  // subfolders to enter.
  void ExamineEntries(const std::string& folder, std::vector<std::string>& subfolders);
  bool SystemFolderRuleHolds(std::string_view met, std::string_view stored) const;
  static bool WindowsWordRuleHolds(std::string_view met, std::string_view stored);
  bool PublishedByMicrosoft(const std::string& path);

  ScanWindow& main_;
  forms::Host& host_;
  ScanState& scan_;
  platform::FileSystem& files_;
  DefinitionSet& definitions_;
  ExclusionList& exclusions_;
  const ProtectedFloor& floor_;
  std::string systemDirectoryLower_;
  std::vector<uint32_t> rows_;
  std::string scratch_;
};

}  // namespace quill
