#include "removal/RemovalShare.h"

#include <map>
#include <set>
#include <vector>

#include "base/Text.h"
#include "definitions/LocationForm.h"
#include "platform/FileSystem.h"
#include "platform/Registry.h"
#include "platform/Shell.h"
#include "removal/RemovalInputs.h"
#include "removal/RemovalRun.h"

namespace quill {

namespace {

constexpr uint64_t kSmallBytes = 1 << 20;
constexpr uint64_t kSmallEntries = 100;
// Bounds for a tree that loops back on itself (a link key, a folder mounted inside itself).
constexpr int kMaxDepth = 64;
constexpr uint64_t kMaxCountedKeys = 1000000;

uint64_t TreeBytes(platform::FileSystem& files, const std::string& path, int depth) {
  const auto attrs = files.Attributes(path);
  if (!attrs) return 0;
  if (!(*attrs & platform::kAttrDirectory)) return files.FileSize(path).value_or(0);
  // A linked folder goes as a link; what it leads to stays.
  if ((*attrs & platform::kAttrReparsePoint) || depth > kMaxDepth) return 0;
  uint64_t total = 0;
  for (const auto& entry : files.List(path).value_or(std::vector<platform::DirEntry>{})) {
    if (!(entry.attributes & platform::kAttrDirectory))
      total += entry.size;
    else if (!(entry.attributes & platform::kAttrReparsePoint))
      total += TreeBytes(files, path + "\\" + entry.name, depth + 1);
  }
  return total;
}

// What the user has below a folder of the machine: its files, with the real contents of the
// profile folders that link outside the machine (each counted once, without the host's
// hidden entries there, which are no part of the machine).
uint64_t MachineBytes(platform::FileSystem& files, const std::string& folder, int depth,
                      bool inLinked, std::set<std::pair<uint64_t, uint64_t>>& seen) {
  if (depth > kMaxDepth) return 0;
  uint64_t total = 0;
  for (const auto& entry : files.List(folder).value_or(std::vector<platform::DirEntry>{})) {
    if (inLinked && !entry.name.empty() && entry.name[0] == '.') continue;
    const std::string path = (folder.back() == '\\' ? folder : folder + "\\") + entry.name;
    if (!(entry.attributes & platform::kAttrDirectory)) {
      total += entry.size;
      continue;
    }
    bool linked = inLinked;
    if (entry.attributes & platform::kAttrReparsePoint) {
      const platform::Place place = files.Locate(path);
      if (place.kind != platform::PlaceKind::LinkedFolder ||
          !text::EqualsNoCase(location::CanonicalFilePath(place.linkedFolder), path))
        continue;
      linked = true;
    }
    if (const auto id = files.Identity(path); id && id->fileIndex != 0)
      if (!seen.insert({id->volume, id->fileIndex}).second) continue;
    total += MachineBytes(files, path, depth + 1, linked, seen);
  }
  return total;
}

// The whole a drive's share is measured against: for a drive of the machine what the user
// has there (MachineBytes), for one that shows the host the used space of its volume.
uint64_t DriveWhole(const RemovalInputs& in, const std::string& root) {
  auto& files = in.files;
  if (files.Locate(root).kind == platform::PlaceKind::Machine) {
    std::set<std::pair<uint64_t, uint64_t>> seen;
    return MachineBytes(files, root, 0, false, seen);
  }
  const auto volume = in.shell.Volume(root);
  return volume && volume->total > volume->free ? volume->total - volume->free : 0;
}

// Keys and values of a key's tree.
uint64_t TreeEntries(platform::Registry& reg, platform::RootKey root, const std::string& key,
                     int depth, uint64_t& budget) {
  if (budget == 0 || depth > kMaxDepth) return 0;
  --budget;
  uint64_t count = 1 + reg.EnumValues(root, key).value_or(std::vector<std::string>{}).size();
  for (const auto& sub : reg.EnumKeys(root, key).value_or(std::vector<std::string>{}))
    count += TreeEntries(reg, root, key.empty() ? sub : key + "\\" + sub, depth + 1, budget);
  return count;
}

// The hive a key lives in, as a root and the key of the hive's top there.
struct Hive {
  platform::RootKey root;
  std::string top;
  std::string Name() const {
    return platform::RootName(root) + (top.empty() ? std::string() : "\\" + top);
  }
};

Hive HiveOf(platform::RootKey root, const std::string& keyPath) {
  using platform::RootKey;
  switch (root) {
    case RootKey::CurrentUser:
      return {root, ""};
    case RootKey::Users:
      return {root, keyPath.substr(0, keyPath.find('\\'))};
    default:
      return {RootKey::LocalMachine, ""};
  }
}

struct Tally {
  uint64_t part = 0;
  uint64_t whole = 0;
};

void Consider(std::optional<RemovalShare>& largest, const std::string& place, const Tally& t,
              uint64_t small) {
  if (t.part < small || t.whole == 0) return;
  if (t.part * 100 <= t.whole * static_cast<uint64_t>(kLargeRemovalPercent)) return;
  const int percent = static_cast<int>(std::min<uint64_t>(100, t.part * 100 / t.whole));
  if (!largest || percent > largest->percent) largest = RemovalShare{place, percent};
}

}  // namespace

std::optional<RemovalShare> LargeRemovalShare(const RemovalInputs& in,
                                              const RemovalRequest& request) {
  std::optional<RemovalShare> largest;

  std::map<std::string, Tally> drives;
  std::set<std::string> seen;
  for (const auto* targets : {&request.files, &request.cookies}) {
    for (const RemovalTarget& target : *targets) {
      if (!target.ticked) continue;
      const std::string path = location::CanonicalFilePath(target.text);
      if (!location::IsDrivePath(path) || !seen.insert(text::ToLower(path)).second) continue;
      drives[text::ToUpper(path.substr(0, 3))].part += TreeBytes(in.files, path, 0);
    }
  }
  for (auto& [drive, tally] : drives) {
    // A few small items never count as large: the drive is not measured for them.
    if (tally.part < kSmallBytes) continue;
    tally.whole = DriveWhole(in, drive);
    Consider(largest, drive, tally, kSmallBytes);
  }

  std::map<std::string, std::pair<Hive, Tally>> hives;
  auto& reg = in.registry;
  for (const RemovalTarget& target : request.registry) {
    if (!target.ticked) continue;
    const auto root = platform::RootFromHandleText(text::Trim(target.text));
    const std::string key = location::CanonicalKeyPath(target.keyPath);
    if (!root || key.empty()) continue;
    const Hive hive = HiveOf(*root, key);
    auto& slot = hives.try_emplace(hive.Name(), hive, Tally{}).first->second;
    uint64_t budget = kMaxCountedKeys;
    slot.second.part +=
        text::Trim(target.valueName).empty() ? TreeEntries(reg, *root, key, 0, budget) : 1;
  }
  for (auto& [name, entry] : hives) {
    uint64_t budget = kMaxCountedKeys;
    entry.second.whole = TreeEntries(reg, entry.first.root, entry.first.top, 0, budget);
    Consider(largest, name, entry.second, kSmallEntries);
  }
  return largest;
}

}  // namespace quill
