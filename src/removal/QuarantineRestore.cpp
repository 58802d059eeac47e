#include "removal/QuarantineRestore.h"

#include <algorithm>
#include <utility>

#include "base/Sha256.h"
#include "base/Text.h"
#include "platform/FileSystem.h"
#include "platform/Registry.h"
#include "removal/ChangeLock.h"
#include "removal/Quarantine.h"
#include "removal/RegistryExport.h"
#include "removal/RemovalContract.h"
#include "removal/RemovalInputs.h"

namespace quill {

namespace {

using platform::RegStatus;

constexpr const char* kRegistryBusy =
    "the registry is in use: a wineserver serves this Wine prefix, and whatever is written now "
    "would be lost when it saves the registry. Close every Windows program of the prefix (or "
    "run \"wineserver -k\") and try again.";

std::string ParentKey(const std::string& path) {
  const size_t slash = path.rfind('\\');
  return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

// Creates the folder and every missing folder above it.
bool EnsureFolder(platform::FileSystem& files, const std::string& folder) {
  if (folder.empty()) return false;
  if (auto attrs = files.Attributes(folder)) return (*attrs & platform::kAttrDirectory) != 0;
  const std::string parent = text::UpToLastBackslash(folder);
  if (parent.size() > 1 && !EnsureFolder(files, parent.substr(0, parent.size() - 1))) return false;
  return files.CreateFolder(folder);
}

// A key of an export, resolved to its root and path.
struct PlannedKey {
  platform::RootKey root;
  std::string path;
  const RegExportKey* key;
};

// Whether every key can be written now: the nearest existing key above (or at) each must
// open for writing. Empty when it can; the reason otherwise.
std::optional<std::string> CheckWritable(platform::Registry& reg,
                                         const std::vector<PlannedKey>& keys) {
  for (const PlannedKey& k : keys) {
    std::string probe = k.path;
    while (!probe.empty() && reg.OpenKey(k.root, probe, platform::kKeyRead) != RegStatus::Ok)
      probe = ParentKey(probe);
    const RegStatus status =
        reg.OpenKey(k.root, probe, platform::kKeySetValue | platform::kKeyCreateSubKey);
    if (status == RegStatus::AccessDenied) return std::string(kRegistryBusy);
    if (status != RegStatus::Ok) return "the registry key " + k.key->key + " cannot be written";
  }
  return std::nullopt;
}

// What a registry restore changed, so that a write failing halfway can be taken back.
struct RegistryUndo {
  std::vector<std::pair<const PlannedKey*, std::string>> values;
  std::vector<const PlannedKey*> keys;
  std::vector<std::string> createdTops;

  void Run(platform::Registry& reg) {
    for (auto it = values.rbegin(); it != values.rend(); ++it)
      reg.DeleteValue(it->first->root, it->first->path, it->second);
    for (size_t i = keys.size(); i-- > 0;) reg.DeleteKeyTree(keys[i]->root, createdTops[i]);
  }
};

bool Exists(platform::Registry& reg, platform::RootKey root, const std::string& path) {
  return reg.OpenKey(root, path, platform::kKeyRead) == RegStatus::Ok;
}

bool Within(const std::string& key, const std::string& top) {
  return text::EqualsNoCase(key, top) ||
         (key.size() > top.size() && text::StartsWithNoCase(key, top + "\\"));
}

// Why an export may not be written back for the item: every key must be the item's own key
// or below it; for a single value, exactly that value of its key.
std::optional<std::string> ExportRefusal(const std::string& original,
                                         const std::vector<RegExportKey>& keys) {
  auto split = SplitRootKeyText(original);
  if (!split || split->second.empty()) return "its original " + original + " is no registry key";
  const bool wholeKey = std::all_of(keys.begin(), keys.end(),
                                    [&](const RegExportKey& k) { return Within(k.key, original); });
  if (wholeKey && !keys.empty()) {
    if (auto why = RemovalContract::KeyRefusal(split->first, split->second, "")) return why;
    return std::nullopt;
  }
  // A single value: the original is its key and its name (which may hold a backslash).
  const std::string outside =
      "its export writes outside " + original + ", where the item came from";
  if (keys.size() != 1 || keys[0].values.size() != 1) return outside;
  const std::string& name = keys[0].values[0].first;
  auto valueKey = SplitRootKeyText(keys[0].key);
  if (!valueKey || valueKey->second.empty() ||
      !text::EqualsNoCase(original, keys[0].key + "\\" + (name.empty() ? "(Default)" : name)))
    return outside;
  return RemovalContract::KeyRefusal(valueKey->first, valueKey->second, name);
}

}  // namespace

QuarantineRestore::QuarantineRestore(const RemovalInputs& in)
    : in_(in), folder_(QuarantineStore(in).QuarantineFolder()) {}

std::optional<std::vector<QuarantineItem>> QuarantineRestore::Items() {
  return QuarantineManifest(in_.files, folder_).Load();
}

std::vector<RestoreOutcome> QuarantineRestore::Restore(const std::vector<int>& ids) {
  std::vector<RestoreOutcome> outcomes;
  const ChangeLock lock(in_.files, in_.dataFolder);
  for (int id : ids) {
    if (lock.Refusal()) {
      outcomes.push_back(
          {id, false, "Not restored " + std::to_string(id) + ": " + *lock.Refusal()});
      continue;
    }
    auto items = Items();
    const QuarantineItem* found = nullptr;
    if (items) {
      for (const QuarantineItem& item : *items)
        if (item.id == id) found = &item;
    }
    if (!found) {
      outcomes.push_back({id, false,
                          items ? "No item " + std::to_string(id) + " in the quarantine."
                                : "The quarantine manifest cannot be read."});
      continue;
    }
    outcomes.push_back(RestoreItem(*found));
  }
  return outcomes;
}

std::vector<RestoreOutcome> QuarantineRestore::RestoreAll() {
  std::vector<int> ids;
  for (const QuarantineItem& item : Items().value_or(std::vector<QuarantineItem>{}))
    if (item.restoredTo.empty()) ids.push_back(item.id);
  return Restore(ids);
}

RestoreOutcome QuarantineRestore::RestoreItem(QuarantineItem item) {
  RestoreOutcome outcome{item.id, false, {}};
  const std::string head = std::to_string(item.id) + ": " + item.original;
  auto fail = [&](const std::string& why) {
    outcome.message = "Not restored " + head + ": " + why;
    return outcome;
  };
  if (!item.restoredTo.empty()) return fail("restored already, to " + item.restoredTo);
  if (auto why = CopyRefusal(item)) return fail(*why);
  if (item.kind != QuarantineKind::Registry) {
    const ItemShape shape =
        item.kind == QuarantineKind::Folder ? ItemShape::Folder : ItemShape::File;
    // The refusal names the place itself.
    if (auto why = RemovalContract(in_.files, in_.floor).Refusal(item.original, shape, true)) {
      outcome.message = "Not restored " + std::to_string(item.id) + ": " + *why;
      return outcome;
    }
  }
  auto& files = in_.files;
  const std::string copyPath = folder_ + "\\" + item.copy;
  if (item.kind != QuarantineKind::Folder) {
    // The copy must be the one saved: a changed file is not put back in the user's place.
    auto bytes = files.ReadFile(copyPath);
    if (!bytes) return fail("its copy " + copyPath + " is missing");
    if (bytes->size() != item.size || Sha256::Hex(*bytes) != item.sha256)
      return fail("its copy " + copyPath + " has changed since it was saved");
  } else if (!files.Attributes(copyPath)) {
    return fail("its copy " + copyPath + " is missing");
  }
  std::string where = item.original;
  std::string note;
  const bool ok = item.kind == QuarantineKind::Registry ? RestoreRegistry(item, note)
                                                        : RestoreFile(item, where, note);
  if (!ok) return fail(note);
  outcome.done = true;
  outcome.message = "Restored " + head + note;
  item.restoredTo = where;
  if (!QuarantineManifest(files, folder_).Update(item))
    outcome.message +=
        "\n  (the quarantine manifest could not be updated; the item still shows "
        "as saved)";
  return outcome;
}

bool QuarantineRestore::RestoreFile(const QuarantineItem& item, std::string& where,
                                    std::string& message) {
  auto& files = in_.files;
  const bool isFolder = item.kind == QuarantineKind::Folder;
  const size_t slash = item.original.rfind('\\');
  if (slash == std::string::npos || slash + 1 >= item.original.size()) {
    message = "its original location is not a full path";
    return false;
  }
  const std::string parent = item.original.substr(0, slash);
  const std::string name = item.original.substr(slash + 1);
  if (!EnsureFolder(files, parent.size() == 2 ? parent + "\\" : parent)) {
    message = "the folder " + parent + " cannot be made";
    return false;
  }
  const std::string freeName = FreeNameIn(files, parent, name, isFolder);
  if (freeName.empty()) {
    message = "no free name in " + parent;
    return false;
  }
  const std::string target = parent + "\\" + freeName;
  const std::string copyPath = folder_ + "\\" + item.copy;
  const bool copied =
      isFolder ? files.CopyFolder(copyPath, target, false) : files.CopyFile(copyPath, target, true);
  if (!copied) {
    // The name was free, so whatever the failed copy left there is ours to take away.
    if (files.Attributes(target))
      isFolder ? files.DeleteFolder(target, true) : files.DeleteFile(target);
    message = "it could not be copied to " + target;
    return false;
  }
  where = target;
  if (freeName != name)
    message = "\n  as " + target + ", since " + (isFolder ? "a folder" : "a file") +
              " of that name is there already";
  return true;
}

bool QuarantineRestore::RestoreRegistry(const QuarantineItem& item, std::string& message) {
  auto& reg = in_.registry;
  auto bytes = in_.files.ReadFile(folder_ + "\\" + item.copy);
  auto keys = bytes ? ParseRegExport(*bytes) : std::nullopt;
  if (!keys) {
    message = "its export " + item.copy + " cannot be read";
    return false;
  }
  if (auto why = ExportRefusal(item.original, *keys)) {
    message = *why;
    return false;
  }
  std::vector<PlannedKey> planned;
  for (const RegExportKey& key : *keys) {
    auto split = SplitRootKeyText(key.key);
    if (!split || split->second.empty()) {
      message = "the export names the key " + key.key + ", which cannot be written";
      return false;
    }
    planned.push_back({split->first, split->second, &key});
  }
  if (auto why = CheckWritable(reg, planned)) {
    message = *why;
    return false;
  }
  RegistryUndo undo;
  for (const PlannedKey& k : planned) {
    if (!Exists(reg, k.root, k.path)) {
      std::string top = k.path;
      while (!ParentKey(top).empty() && !Exists(reg, k.root, ParentKey(top))) top = ParentKey(top);
      if (reg.CreateKey(k.root, k.path) != RegStatus::Ok) {
        undo.Run(reg);
        message = "the key " + k.key->key + " could not be made; nothing was restored";
        return false;
      }
      undo.keys.push_back(&k);
      undo.createdTops.push_back(top);
    }
    for (const auto& [name, value] : k.key->values) {
      const std::string shown = name.empty() ? "(Default)" : name;
      if (auto current = reg.QueryValue(k.root, k.path, name)) {
        // Never over what is there now: its data may be the user's.
        if (current->type != value.type || current->data != value.data)
          message += "\n  kept the current data of " + k.key->key + " \"" + shown +
                     "\"; the saved data stays in " + item.copy;
        continue;
      }
      if (reg.SetValue(k.root, k.path, name, value) != RegStatus::Ok) {
        undo.Run(reg);
        message = "the value " + k.key->key + " \"" + shown +
                  "\" could not be written; nothing was restored";
        return false;
      }
      undo.values.emplace_back(&k, name);
    }
  }
  return true;
}

RestoreOutcome QuarantineRestore::Delete(int id) {
  RestoreOutcome outcome{id, false, {}};
  const ChangeLock lock(in_.files, in_.dataFolder);
  if (lock.Refusal()) {
    outcome.message = "Not deleted " + std::to_string(id) + ": " + *lock.Refusal();
    return outcome;
  }
  auto items = Items();
  if (!items) {
    outcome.message = "The quarantine manifest cannot be read.";
    return outcome;
  }
  auto it = std::find_if(items->begin(), items->end(),
                         [&](const QuarantineItem& i) { return i.id == id; });
  if (it == items->end()) {
    outcome.message = "No item " + std::to_string(id) + " in the quarantine.";
    return outcome;
  }
  if (auto why = CopyRefusal(*it)) {
    outcome.message = "Not deleted " + std::to_string(id) + ": " + *why;
    return outcome;
  }
  auto& files = in_.files;
  const bool shared = std::any_of(items->begin(), items->end(), [&](const QuarantineItem& i) {
    return i.id != id && text::EqualsNoCase(i.copy, it->copy);
  });
  const std::string copyPath = folder_ + "\\" + it->copy;
  if (!shared && files.Attributes(copyPath)) {
    const bool gone = it->kind == QuarantineKind::Folder ? files.DeleteFolder(copyPath, true)
                                                         : files.DeleteFile(copyPath);
    if (!gone) {
      outcome.message =
          "Not deleted " + std::to_string(id) + ": " + copyPath + " could not be deleted";
      return outcome;
    }
  }
  if (!QuarantineManifest(files, folder_).Remove(id)) {
    outcome.message = "Not deleted " + std::to_string(id) + ": the manifest could not be written";
    return outcome;
  }
  outcome.done = true;
  outcome.message = "Deleted " + std::to_string(id) + ": " +
                    (shared ? "its entry (the copy " + copyPath + " stays for another item)"
                            : "its copy " + copyPath) +
                    ", saved from " + it->original;
  return outcome;
}

std::optional<std::string> QuarantineRestore::CopyRefusal(const QuarantineItem& item) {
  if (auto why = QuarantineStore(in_).NotOurs()) return why;
  const std::string& name = item.copy;
  // A plain name of an entry right in the quarantine folder: nothing that climbs out of it
  // or leads elsewhere.
  if (name.empty() || name.find_first_of("\\/:") != std::string::npos || Climbs(name))
    return "its copy name \"" + name + "\" is not a plain name inside the quarantine";
  const auto listed = in_.files.List(folder_);
  if (!listed) return "the quarantine folder " + folder_ + " cannot be read";
  for (const auto& entry : *listed) {
    if (!text::EqualsNoCase(entry.name, name)) continue;
    const bool folder = (entry.attributes & platform::kAttrDirectory) != 0;
    if ((entry.attributes & platform::kAttrReparsePoint) ||
        folder != (item.kind == QuarantineKind::Folder) ||
        !StaysOnMachine(in_.files, folder_ + "\\" + name))
      return "its copy " + folder_ + "\\" + name + " is a link or not what was saved";
    return std::nullopt;
  }
  return "its copy " + folder_ + "\\" + name + " is missing";
}

}  // namespace quill
