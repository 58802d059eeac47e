#include "removal/RemovalContract.h"

#include "base/Text.h"
#include "definitions/LocationForm.h"
#include "definitions/ProtectedFloor.h"
#include "platform/FileSystem.h"

namespace quill {

namespace {

// A name below `top` (itself excluded) that starts with "." (a hidden entry of the host).
std::optional<std::string> HiddenBelow(const std::string& path, const std::string& top) {
  if (path.size() <= top.size()) return std::nullopt;
  for (const std::string& name : text::Split(path.substr(top.size()), "\\"))
    if (!name.empty() && name[0] == '.') return name;
  return std::nullopt;
}

bool IsFolder(platform::FileSystem& files, const std::string& path) {
  const auto attrs = files.Attributes(path);
  return attrs && (*attrs & platform::kAttrDirectory);
}

}  // namespace

bool Climbs(std::string_view path) {
  for (const std::string& name : text::Split(text::ReplaceAll(path, "/", "\\"), "\\"))
    if (text::Trim(name) == "." || text::Trim(name) == "..") return true;
  return false;
}

bool StaysOnMachine(platform::FileSystem& files, const std::string& path) {
  return files.Locate(path).kind == platform::PlaceKind::Machine;
}

std::optional<std::string> RemovalContract::Refusal(std::string_view path, ItemShape shape,
                                                    bool restore) const {
  using platform::PlaceKind;
  const std::string shown(path);
  if (Climbs(path)) return shown + ": the path climbs with \"..\"; nothing is done there";
  const std::string canonical = location::CanonicalFilePath(path);
  if (!location::IsDrivePath(canonical) || canonical.size() <= 3)
    return shown + ": not a file or folder on a drive of the machine";
  const platform::Place place = files_.Locate(canonical);
  switch (place.kind) {
    case PlaceKind::Machine:
      break;
    case PlaceKind::LinkedFolder: {
      const std::string linked = location::CanonicalFilePath(place.linkedFolder);
      if (canonical.size() <= linked.size() || !text::StartsWithNoCase(canonical, linked + "\\"))
        return shown + ": the profile folder linked outside the machine (" + linked +
               ") is never removed, only what a scan found inside it";
      if (auto name = HiddenBelow(canonical, linked))
        return shown + ": the hidden entry " + *name + " inside the linked folder " + linked +
               " belongs to the host, not to the machine";
      break;
    }
    case PlaceKind::Host: {
      const std::string drive = canonical.substr(0, 2);
      if (restore)
        return shown + ": lies on the host outside the machine (drive " + drive +
               "); nothing is restored there, the saved copy stays in the quarantine";
      if (auto name = HiddenBelow(canonical, drive))
        return shown + ": the hidden entry " + *name + " on drive " + drive +
               " belongs to the host, not to the machine";
      if (shape == ItemShape::Folder || IsFolder(files_, canonical))
        return shown + ": a folder reached through drive " + drive +
               ", which shows the host outside the machine; only single files found there "
               "are removed";
      break;
    }
    case PlaceKind::MachineFiles:
      return shown +
             ": leads to the machine's own files (its registry hives and drive mappings), which "
             "a removal never touches";
    case PlaceKind::Unknown:
      return shown + ": cannot be placed on a drive of the machine";
  }
  if (floor_.ProtectsPath(canonical))
    return shown + ": a protected folder of the machine (or one that holds one)";
  return std::nullopt;
}

std::optional<std::string> RemovalContract::KeyRefusal(platform::RootKey root,
                                                       std::string_view keyPath,
                                                       std::string_view valueName) {
  if (!ProtectedFloor::ProtectsValue(root, keyPath, valueName)) return std::nullopt;
  return platform::RootName(root) + "\\" + location::CanonicalKeyPath(keyPath) +
         ": a protected key of the machine (or one that holds one)";
}

}  // namespace quill
