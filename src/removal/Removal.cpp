#include "removal/Removal.h"

#include <algorithm>
#include <exception>
#include <vector>

#include "base/DateTime.h"
#include "base/Numbers.h"
#include "base/Text.h"
#include "core/ProcessTools.h"
#include "core/ProgramContext.h"
#include "definitions/LocationForm.h"
#include "definitions/ProtectedFloor.h"
#include "forms/Control.h"
#include "platform/FileSystem.h"
#include "removal/RemovalContract.h"
#include "removal/RemovalShare.h"
#include "removal/RemovalWindow.h"
#include "removal/frmDelete.h"
#include "results/Finding.h"
#include "results/ItemKind.h"

namespace quill {

namespace {

// Deletions are retried without waiting.
constexpr int kDeleteAttempts = 8;

/// Runs one step of a run; a failing step is skipped and the next one runs.
template <class F>
void Step(ProgramContext& app, const char* what, F&& action) {
  try {
    action();
  } catch (const std::exception& e) {
    app.Host().HandlerFailed(what, e.what());
  } catch (...) {
    app.Host().HandlerFailed(what, "unknown error");
  }
}

bool IsFile(platform::FileSystem& files, const std::string& path) {
  auto attrs = files.Attributes(path);
  return attrs && !(*attrs & platform::kAttrDirectory);
}

std::string RegistryId(platform::RootKey root, const std::string& keyPath,
                       const std::string& valueName, bool wholeKey) {
  return text::ToLower(std::to_string(static_cast<uint32_t>(root)) + "|" + keyPath + "|" +
                       (wholeKey ? std::string("*") : "=" + valueName));
}

}  // namespace

RemovalKind KindOfPath(const std::string& path) {
  const size_t dot = path.rfind('.');
  if (dot == std::string::npos) return RemovalKind::Other;
  const std::string ext = path.substr(dot + 1);
  if (ext.find(':') != std::string::npos || ext.find('\\') != std::string::npos)
    return RemovalKind::Other;
  const std::string kind = text::ToUpper(text::Trim(ext));
  if (kind == "EXE") return RemovalKind::Executable;
  if (kind == "DLL" || kind == "OCX") return RemovalKind::Library;
  return RemovalKind::Other;
}

std::string RemovingCaption(ProgramContext& app, int row, int rows) {
  return app.Msg("MSG_REMOVING2") + " : " + std::to_string(numbers::Percent(row, rows)) + "% " +
         app.Msg("MSG_COMPLETED");
}

// ---- Restore points ----------------------------------------------------------------------

bool RestorePointsSupported(ProgramContext& app) {
  auto& system = app.System();
  if (!system.HasSystemRestore()) return false;
  const auto v = system.Version();
  if (v.platformId == 1) return v.minor == 90;
  if (v.platformId == 2) return (v.major == 5 && v.minor == 1) || v.major > 5;
  return false;
}

std::optional<RestorePointError> BeginRestorePoint(ProgramContext& app,
                                                   const std::string& description, int type) {
  if (app.RestorePointSequence != 0)
    return RestorePointError{100001, "You must End the previous restore point first."};
  auto sequence = app.System().BeginRestorePoint(description, type);
  if (!sequence) return RestorePointError{100002, "The restore point could not be created."};
  app.RestorePointSequence = *sequence;
  return std::nullopt;
}

void EndRestorePoint(ProgramContext& app) {
  const int64_t sequence = app.RestorePointSequence;
  app.RestorePointSequence = 0;
  app.System().EndRestorePoint(sequence);
}

// ---- One run ------------------------------------------------------------------------------

Removal::Removal(ProgramContext& app, RemovalWindow& window)
    : main_(window), app_(app), quarantine_(app) {}

std::optional<std::string> Removal::EnsureFileCopy(const std::string& path, bool record,
                                                   QuarantineKind kind) {
  const std::string key = text::ToLower(path);
  if (auto it = copies_.find(key); it != copies_.end()) return it->second;
  auto saved = quarantine_.SaveQuarantineCopy(path, text::AfterLastBackslash(path), kind);
  if (!saved) return std::nullopt;
  copies_[key] = *saved;
  // The record names the copy as saved (it may carry a " (2)") and where it came from.
  if (record) quarantine_.LogQuarantinedFile(path, *saved);
  return saved;
}

std::optional<std::string> Removal::EnsureFolderCopy(const std::string& path) {
  std::string source = path;
  if (text::EndsWith(source, "\\")) source.pop_back();
  const std::string key = text::ToLower(source) + "\\";
  if (auto it = copies_.find(key); it != copies_.end()) return it->second;
  auto saved = quarantine_.SaveQuarantineFolder(source);
  if (saved) copies_[key] = *saved;
  return saved;
}

Removal::FileOutcome Removal::RemoveExecutableFile(const std::string& path) {
  const size_t slash = path.rfind('\\');
  if (slash == std::string::npos) return FileOutcome::NoSuchFile;
  auto& files = app_.Files();
  if (!IsFile(files, path)) return FileOutcome::NoSuchFile;
  if (!StopProcessForFile(app_, path.substr(slash + 1))) return FileOutcome::StillRunning;
  bool found = false;
  for (int attempt = 0; attempt < kDeleteAttempts; ++attempt) {
    if (IsFile(files, path)) {
      found = true;
      // Without a copy the file stays: the retry pass tries again, or lists it.
      if (EnsureFileCopy(path)) files.DeleteFile(path);
    }
    app_.Host().DoEvents();
  }
  return found ? FileOutcome::Attempted : FileOutcome::GoneAlready;
}

Removal::FileOutcome Removal::RemoveLibraryFile(const std::string& path) {
  if (path.find('\\') == std::string::npos) return FileOutcome::NoSuchFile;
  auto& files = app_.Files();
  if (!IsFile(files, path)) return FileOutcome::NoSuchFile;
  UnregisterLibrary(path);
  const bool copied = copies_.count(text::ToLower(path)) > 0;
  auto saved = EnsureFileCopy(path, false);
  if (!saved || !files.DeleteFile(path)) return FileOutcome::NotDeleted;
  // The record tells of a library removed, so it is written once the file is gone.
  if (!copied) quarantine_.LogQuarantinedFile(path, *saved);
  return FileOutcome::Deleted;
}

bool Removal::MayTouch(const std::string& path) {
  const auto attrs = app_.Files().Attributes(path);
  const bool folder = attrs && (*attrs & platform::kAttrDirectory);
  auto why = RemovalContract(app_.Files(), app_.Floor())
                 .Refusal(path, folder ? ItemShape::Folder : ItemShape::File);
  if (why) Refuse(path, *why);
  return !why;
}

void Removal::Refuse(const std::string& place, const std::string& why) {
  if (!refusals_.emplace(text::ToLower(place), why).second) return;
  app_.RemovalRefusals.push_back(why);
}

bool Removal::RemoveFileOrFolder(const std::string& path) {
  if (path.find('\\') == std::string::npos) return false;
  auto& files = app_.Files();
  auto attrs = files.Attributes(path);
  if (!attrs) return false;
  bool mayDelete = false;
  if (*attrs & platform::kAttrDirectory) {
    // The original goes only when the whole tree is safe in the quarantine.
    if (EnsureFolderCopy(path)) files.DeleteFolder(path, true);
  } else {
    mayDelete = EnsureFileCopy(path).has_value();
  }
  for (int attempt = 0; attempt < kDeleteAttempts; ++attempt) {
    if (mayDelete) files.DeleteFile(path);
    app_.Host().DoEvents();
  }
  return true;
}

void Removal::RemoveCookieFile(const std::string& path) {
  if (EnsureFileCopy(path, true, QuarantineKind::Cookie)) app_.Files().DeleteFile(path);
}

void Removal::UnregisterLibrary(const std::string& path) {
  app_.System().CallLibraryRegistration(path, true);
}

void Removal::RemoveRegistryValue(platform::RootKey root, const std::string& keyPath,
                                  const std::string& valueName) {
  const std::string id = RegistryId(root, keyPath, valueName, false);
  if (keptRegistry_.count(id)) return;
  auto& reg = app_.Registry();
  const std::string keyText = platform::RootName(root) + "\\" + keyPath;
  if (app_.QuarantineLogging) {
    // Read before deleting: afterwards the data is gone for good. The default value is
    // saved too, as it goes first when a whole key is removed.
    if (auto value = reg.QueryValue(root, keyPath, valueName)) {
      const std::string entry = keyText + "\\" + (valueName.empty() ? "(Default)" : valueName);
      if (!quarantine_.ExportRegistryKeys(entry, entry, {{keyText, {{valueName, *value}}}})) {
        keptRegistry_.insert(id);
        return;
      }
    }
  }
  reg.OpenKey(root, keyPath, platform::kKeySetValue);
  reg.DeleteValue(root, keyPath, valueName);
  if (!valueName.empty()) quarantine_.LogRemovedRegistryEntry(keyText, valueName);
}

bool Removal::RemoveRegistryKey(platform::RootKey root, const std::string& keyPath) {
  const std::string id = RegistryId(root, keyPath, {}, true);
  if (keptRegistry_.count(id)) return false;
  auto& reg = app_.Registry();
  if (app_.QuarantineLogging) {
    const bool exists = reg.OpenKey(root, keyPath, platform::kKeyRead) == platform::RegStatus::Ok;
    if (exists) {
      // The whole tree, every value of every type and the empty subkeys, in one export.
      const std::string keyText = platform::RootName(root) + "\\" + keyPath;
      auto tree = ReadKeyTree(reg, root, keyPath);
      if (!tree || !quarantine_.ExportRegistryKeys(keyText, keyText, *tree)) {
        keptRegistry_.insert(id);
        return false;
      }
    }
  }
  if (reg.DeleteKeyTree(root, keyPath) != platform::RegStatus::Ok) return false;
  quarantine_.LogRemovedRegistryEntry(platform::RootHandleText(root) + "\\" + keyPath,
                                      "All Values");
  return true;
}

void Removal::KeepItem(forms::ListView& list, int row, const std::string& shown,
                       const std::function<bool(const forms::ListItem&)>& isResultRow) {
  auto& problems = main_.DeleteFailed().lstProblem;
  // One place found under two threat names is still one item that stayed.
  const auto& listed = problems.Items();
  if (std::none_of(listed.begin(), listed.end(),
                   [&](const forms::ListItem& it) { return it.text == shown; })) {
    // An item the contract refused carries the reason beside it.
    auto reason = refusals_.find(text::ToLower(location::CanonicalFilePath(shown)));
    if (reason == refusals_.end()) reason = refusals_.find(text::ToLower(shown));
    problems.Add(shown, 0, {reason == refusals_.end() ? std::string() : reason->second});
  }
  ++failedCount_;
  // Unticked rows stay listed after the run, and are not counted as removed.
  auto& results = main_.ResultsList();
  auto& findings = main_.Findings();
  for (int r = 0; r < results.Count(); ++r) {
    if (!isResultRow(results.Item(r))) continue;
    results.SetChecked(r, false);
    if (findings.Contains(results.Item(r).tag))
      findings.At(results.Item(r).tag).state = FindingState::Failed;
  }
  if (row < list.Count()) list.SetChecked(row, false);
}

void Removal::RetryCheck(int row) {
  auto& list = main_.FilesToDelete();
  const std::string text = list.Item(row).text;
  const std::string path = location::CanonicalFilePath(text);
  const std::string link = list.Item(row).SubItem(1);
  auto& files = app_.Files();
  if (!files.Attributes(path)) return;
  if (IsFile(files, path) && text::ContainsNoCase(path, ".exe") && MayTouch(path))
    RemoveExecutableFile(path);
  // A folder only partly copied or deleted stays as much as a file that is still there.
  if (!files.Attributes(path)) return;
  KeepItem(list, row, text, [&](const forms::ListItem& it) {
    return (it.smallIcon == kItemFile && it.text == link) ||
           (it.smallIcon == kItemFolder && it.SubItem(1) == text);
  });
}

void Removal::FilePass() {
  auto& list = main_.FilesToDelete();
  const int rows = list.Count();
  for (int i = 0; i < rows && i < list.Count(); ++i) {
    const bool ticked = list.Item(i).checked;
    if (ticked) {
      // Removed as written in the one form protection tests; what the contract refuses stays
      // (and the retry pass lists it).
      const std::string path = location::CanonicalFilePath(list.Item(i).text);
      if (MayTouch(path))
        Step(app_, "removal: file", [&] {
          main_.RemovalBar().SetValue(i + 1);
          main_.RemovalPercentage().SetCaption(RemovingCaption(app_, i + 1, rows));
          main_.RemovalItem().SetCaption(text::ToLower(path));
          const RemovalKind kind = KindOfPath(path);
          if (kind == RemovalKind::Library) UnregisterLibrary(path);
          if (kind == RemovalKind::Executable) RemoveExecutableFile(path);
          if (kind == RemovalKind::Library) {
            RemoveLibraryFile(path);
            RemoveFileOrFolder(path);
          }
          if (kind == RemovalKind::Other) RemoveFileOrFolder(path);
        });
    }
    app_.Host().DoEvents();
    // Only rows the user ticked can have failed: an unticked file was never meant to go.
    if (ticked && !app_.QuarantineLogging && i < list.Count())
      Step(app_, "removal: retry check", [&] { RetryCheck(i); });
  }
}

void Removal::RegistryPass() {
  auto& list = main_.RegistryToDelete();
  const int rows = list.Count();
  for (int i = 0; i < rows && i < list.Count(); ++i) {
    if (!list.Item(i).checked) continue;
    const auto item = list.Item(i);
    Step(app_, "removal: registry", [&] {
      main_.RemovalBar().SetValue(barBase_ + i + 1);
      main_.RemovalPercentage().SetCaption(RemovingCaption(app_, i + 1, rows));
      main_.RemovalItem().SetCaption(text::ToLower(item.SubItem(1) + "\\" + item.SubItem(2)));
      const std::string rootText = text::Trim(item.text);
      const std::string keyPath = location::CanonicalKeyPath(item.SubItem(1));
      const std::string valueName = text::Trim(item.SubItem(2));
      if (rootText.empty() || keyPath.empty()) return;
      auto root = platform::RootFromHandleText(rootText);
      if (!root) return;
      if (auto why = RemovalContract::KeyRefusal(*root, keyPath, valueName)) {
        Refuse(platform::RootName(*root) + "\\" + keyPath +
                   (valueName.empty() ? std::string() : "\\" + valueName),
               *why);
        return;
      }
      if (!valueName.empty()) {
        RemoveRegistryValue(*root, keyPath, valueName);
      } else {
        RemoveRegistryValue(*root, keyPath, "");
        RemoveRegistryKey(*root, keyPath);
      }
    });
    app_.Host().DoEvents();
    if (!app_.QuarantineLogging && i < list.Count())
      Step(app_, "removal: registry check", [&] { RegistryCheck(i); });
  }
}

void Removal::RegistryCheck(int row) {
  auto& list = main_.RegistryToDelete();
  const forms::ListItem item = list.Item(row);
  const auto root = platform::RootFromHandleText(text::Trim(item.text));
  const std::string keyPath = location::CanonicalKeyPath(item.SubItem(1));
  const std::string valueName = text::Trim(item.SubItem(2));
  if (!root || keyPath.empty()) return;
  auto& reg = app_.Registry();
  const bool stays =
      valueName.empty() ? reg.OpenKey(*root, keyPath, platform::kKeyRead) == platform::RegStatus::Ok
                        : reg.QueryValue(*root, keyPath, valueName).has_value();
  if (!stays) return;
  const std::string shown = platform::RootName(*root) + "\\" + keyPath +
                            (valueName.empty() ? std::string() : "\\" + valueName);
  KeepItem(list, row, shown, [&](const forms::ListItem& it) {
    return it.smallIcon != kItemFile && it.smallIcon != kItemFolder &&
           it.smallIcon != kItemCookie &&
           (it.text == item.SubItem(3) || it.text == item.SubItem(1));
  });
}

void Removal::CookiePass() {
  auto& list = main_.CookiesToDelete();
  auto& bar = main_.RemovalBar();
  const int rows = list.Count();
  for (int i = 0; i < rows && i < list.Count(); ++i) {
    if (!list.Item(i).checked) continue;
    const std::string text = list.Item(i).text;
    const std::string path = location::CanonicalFilePath(text);
    Step(app_, "removal: cookie", [&] {
      // The bar counts files and registry entries only; cookies keep it at its end.
      bar.SetValue(std::min<int64_t>(bar.Max(), barBase_ + i + 1));
      main_.RemovalPercentage().SetCaption(RemovingCaption(app_, i + 1, rows));
      main_.RemovalItem().SetCaption(text::ToLower(path));
      if (IsFile(app_.Files(), path) && MayTouch(path)) RemoveCookieFile(path);
    });
    app_.Host().DoEvents();
    if (!app_.QuarantineLogging && i < list.Count() && app_.Files().Attributes(path)) {
      Step(app_, "removal: cookie check", [&] {
        KeepItem(list, i, text, [&](const forms::ListItem& it) {
          return it.smallIcon == kItemCookie && it.SubItem(1) == text;
        });
      });
    }
  }
}

void Removal::RemovalPass() {
  const int failedBefore = failedCount_;
  barBase_ = 0;
  if (auto why = quarantine_.NotOurs()) Refuse(quarantine_.QuarantineFolder(), *why);
  if (app_.QuarantineLogging && !StaysOnMachine(app_.Files(), quarantine_.LogPath()))
    Refuse(quarantine_.LogPath(),
           quarantine_.LogPath() + " leads elsewhere (a link): the log is not written through it");
  Step(app_, "removal: pass start", [&] {
    if (main_.ResultsList().Count() == 0) return;
    main_.RemovalBar().SetVisible(true);
    main_.RemovalPercentage().SetVisible(true);
    main_.RemovalPercentage().SetCaption(app_.Msg("MSG_REMOVING"));
    main_.RemovalBar().SetMax(main_.FilesToDelete().Count() + main_.RegistryToDelete().Count());
    main_.RemovalBar().SetValue(0);
  });
  FilePass();
  barBase_ = main_.FilesToDelete().Count();
  RegistryPass();
  barBase_ += main_.RegistryToDelete().Count();
  CookiePass();
  if (failedCount_ > failedBefore) {
    Step(app_, "removal: delete failed", [&] {
      auto& window = main_.DeleteFailed();
      window.Show();
      window.ZOrder();
    });
  }
}

// ---- Main window handlers -------------------------------------------------------------------

}  // namespace quill
