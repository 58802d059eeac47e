#include "removal/Removal.h"

#include <algorithm>
#include <functional>

#include "base/Numbers.h"
#include "base/Text.h"
#include "core/ProcessTools.h"
#include "definitions/LocationForm.h"
#include "definitions/ProtectedFloor.h"
#include "forms/HandlerBoundary.h"
#include "forms/Host.h"
#include "platform/FileSystem.h"
#include "platform/System.h"
#include "removal/RemovalContract.h"
#include "removal/RemovalInputs.h"
#include "removal/RemovalWindow.h"
#include "results/Finding.h"

namespace quill {

namespace {

// Deletions are retried without waiting.
constexpr int kDeleteAttempts = 8;

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

void RemovalStep(const RemovalInputs& in, const char* what, const std::function<void()>& action) {
  forms::RunHandler(&in.host, what, action);
}

std::string RemovingCaption(const RemovalInputs& in, int row, int rows) {
  return in.msg("MSG_REMOVING2") + " : " + std::to_string(numbers::Percent(row, rows)) + "% " +
         in.msg("MSG_COMPLETED");
}

// ---- Restore points ----------------------------------------------------------------------

bool RestorePointsSupported(platform::System& system) {
  if (!system.HasSystemRestore()) return false;
  const auto v = system.Version();
  if (v.platformId == 1) return v.minor == 90;
  if (v.platformId == 2) return (v.major == 5 && v.minor == 1) || v.major > 5;
  return false;
}

std::string RemovalQuestion(ProgramContext& app) {
  const RemovalInputs in = RemovalInputsOf(app);
  std::string question = in.msg("MSG_CONFIRM1") + "\r\n\r\n" + in.msg("MSG_CONFIRM2") + "\r\n\r\n" +
                         in.dataFolder + "\\quarantine";
  if (RestorePointsSupported(in.system))
    question += "\r\n\r\n" + in.msg("MSG_CONFIRM3") + "\r\n\r\n" + in.msg("MSG_CONFIRM4");
  return question;
}

std::optional<RestorePointError> RestorePoint::BeginRestorePoint(const std::string& description,
                                                                 int type) {
  if (sequence_ != 0)
    return RestorePointError{100001, "You must End the previous restore point first."};
  auto sequence = system_.BeginRestorePoint(description, type);
  if (!sequence) return RestorePointError{100002, "The restore point could not be created."};
  sequence_ = *sequence;
  return std::nullopt;
}

void RestorePoint::EndRestorePoint() {
  const int64_t sequence = sequence_;
  sequence_ = 0;
  system_.EndRestorePoint(sequence);
}

// ---- One run ------------------------------------------------------------------------------

Removal::Removal(const RemovalInputs& in, RemovalRequest& request, RemovalWindow& window,
                 RemovalResult& result)
    : in_(in), request_(request), window_(window), result_(result), quarantine_(in) {}

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
  auto& files = in_.files;
  if (!IsFile(files, path)) return FileOutcome::NoSuchFile;
  if (!StopProcessForFile(in_.processes, path.substr(slash + 1))) return FileOutcome::StillRunning;
  bool found = false;
  for (int attempt = 0; attempt < kDeleteAttempts; ++attempt) {
    if (IsFile(files, path)) {
      found = true;
      // Without a copy the file stays: the retry pass tries again, or lists it.
      if (EnsureFileCopy(path)) files.DeleteFile(path);
    }
    in_.host.DoEvents();
  }
  return found ? FileOutcome::Attempted : FileOutcome::GoneAlready;
}

Removal::FileOutcome Removal::RemoveLibraryFile(const std::string& path) {
  if (path.find('\\') == std::string::npos) return FileOutcome::NoSuchFile;
  auto& files = in_.files;
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
  const auto attrs = in_.files.Attributes(path);
  const bool folder = attrs && (*attrs & platform::kAttrDirectory);
  auto why = RemovalContract(in_.files, in_.floor)
                 .Refusal(path, folder ? ItemShape::Folder : ItemShape::File);
  if (why) Refuse(path, *why);
  return !why;
}

void Removal::Refuse(const std::string& place, const std::string& why) {
  if (!refusals_.emplace(text::ToLower(place), why).second) return;
  result_.refusals.push_back(why);
}

bool Removal::RemoveFileOrFolder(const std::string& path) {
  if (path.find('\\') == std::string::npos) return false;
  auto& files = in_.files;
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
    in_.host.DoEvents();
  }
  return true;
}

void Removal::RemoveCookieFile(const std::string& path) {
  if (EnsureFileCopy(path, true, QuarantineKind::Cookie)) in_.files.DeleteFile(path);
}

void Removal::UnregisterLibrary(const std::string& path) {
  in_.system.CallLibraryRegistration(path, true);
}

void Removal::RemoveRegistryValue(platform::RootKey root, const std::string& keyPath,
                                  const std::string& valueName) {
  const std::string id = RegistryId(root, keyPath, valueName, false);
  if (keptRegistry_.count(id)) return;
  auto& reg = in_.registry;
  const std::string keyText = platform::RootName(root) + "\\" + keyPath;
  if (recording_) {
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
  auto& reg = in_.registry;
  if (recording_) {
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

void Removal::KeepItem(RemovalTarget& target, const std::string& shown) {
  // One place found under two threat names is still one item that stayed.
  auto& problems = result_.problems;
  if (std::none_of(problems.begin(), problems.end(),
                   [&](const RemovalProblem& p) { return p.place == shown; })) {
    // An item the contract refused carries the reason beside it.
    auto reason = refusals_.find(text::ToLower(location::CanonicalFilePath(shown)));
    if (reason == refusals_.end()) reason = refusals_.find(text::ToLower(shown));
    problems.push_back({shown, reason == refusals_.end() ? std::string() : reason->second});
  }
  // Unticked, it stays listed after the run and is not counted as removed.
  target.ticked = false;
  result_.kept.push_back(target);
  if (!request_.findings) return;
  for (int i = 0; i < request_.findings->Count(); ++i) {
    Finding& finding = request_.findings->At(i);
    if (finding.Listed() && StaysWith(target, finding.ResultIcon(), finding.name, finding.location))
      finding.state = FindingState::Failed;
  }
}

void Removal::ShowStep(int64_t bar, int row, int rows, const std::string& item) {
  window_.SetRemovalBar(bar);
  window_.ShowRemovalPercentage(RemovingCaption(in_, row, rows));
  window_.ShowRemovalItem(text::ToLower(item));
}

void Removal::RetryCheck(RemovalTarget& target) {
  const std::string path = location::CanonicalFilePath(target.text);
  auto& files = in_.files;
  if (!files.Attributes(path)) return;
  if (IsFile(files, path) && text::ContainsNoCase(path, ".exe") && MayTouch(path))
    RemoveExecutableFile(path);
  // A folder only partly copied or deleted stays as much as a file that is still there.
  if (!files.Attributes(path)) return;
  KeepItem(target, target.text);
}

void Removal::FilePass() {
  auto& targets = request_.files;
  const int rows = static_cast<int>(targets.size());
  for (int i = 0; i < rows; ++i) {
    RemovalTarget& target = targets[static_cast<size_t>(i)];
    const bool ticked = target.ticked;
    if (ticked) {
      // Removed as written in the one form protection tests; what the contract refuses stays
      // (and the retry pass lists it).
      const std::string path = location::CanonicalFilePath(target.text);
      if (MayTouch(path))
        RemovalStep(in_, "removal: file", [&] {
          ShowStep(i + 1, i + 1, rows, path);
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
    in_.host.DoEvents();
    // Only targets the user ticked can have failed: an unticked file was never meant to go.
    if (ticked && !recording_)
      RemovalStep(in_, "removal: retry check", [&] { RetryCheck(target); });
  }
}

void Removal::RegistryPass() {
  auto& targets = request_.registry;
  const int rows = static_cast<int>(targets.size());
  for (int i = 0; i < rows; ++i) {
    RemovalTarget& target = targets[static_cast<size_t>(i)];
    if (!target.ticked) continue;
    RemovalStep(in_, "removal: registry", [&] {
      ShowStep(barBase_ + i + 1, i + 1, rows, target.keyPath + "\\" + target.valueName);
      const std::string rootText = text::Trim(target.text);
      const std::string keyPath = location::CanonicalKeyPath(target.keyPath);
      const std::string valueName = text::Trim(target.valueName);
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
    in_.host.DoEvents();
    if (!recording_) RemovalStep(in_, "removal: registry check", [&] { RegistryCheck(target); });
  }
}

void Removal::RegistryCheck(RemovalTarget& target) {
  const auto root = platform::RootFromHandleText(text::Trim(target.text));
  const std::string keyPath = location::CanonicalKeyPath(target.keyPath);
  const std::string valueName = text::Trim(target.valueName);
  if (!root || keyPath.empty()) return;
  auto& reg = in_.registry;
  const bool stays =
      valueName.empty() ? reg.OpenKey(*root, keyPath, platform::kKeyRead) == platform::RegStatus::Ok
                        : reg.QueryValue(*root, keyPath, valueName).has_value();
  if (!stays) return;
  KeepItem(target, platform::RootName(*root) + "\\" + keyPath +
                       (valueName.empty() ? std::string() : "\\" + valueName));
}

void Removal::CookiePass() {
  auto& targets = request_.cookies;
  const int rows = static_cast<int>(targets.size());
  for (int i = 0; i < rows; ++i) {
    RemovalTarget& target = targets[static_cast<size_t>(i)];
    if (!target.ticked) continue;
    const std::string path = location::CanonicalFilePath(target.text);
    RemovalStep(in_, "removal: cookie", [&] {
      // The bar counts files and registry entries only; cookies keep it at its end.
      const int64_t place = barBase_ + i + 1;
      ShowStep(barEnd_ ? std::min(*barEnd_, place) : place, i + 1, rows, path);
      if (IsFile(in_.files, path) && MayTouch(path)) RemoveCookieFile(path);
    });
    in_.host.DoEvents();
    if (!recording_ && in_.files.Attributes(path))
      RemovalStep(in_, "removal: cookie check", [&] { KeepItem(target, target.text); });
  }
}

void Removal::RemovalPass(bool recording) {
  recording_ = recording;
  quarantine_.SetLogging(recording);
  barBase_ = 0;
  if (auto why = quarantine_.NotOurs()) Refuse(quarantine_.QuarantineFolder(), *why);
  if (recording_ && !StaysOnMachine(in_.files, quarantine_.LogPath()))
    Refuse(quarantine_.LogPath(),
           quarantine_.LogPath() + " leads elsewhere (a link): the log is not written through it");
  RemovalStep(in_, "removal: pass start", [&] {
    if (!request_.listed) return;
    window_.ShowRemovalProgress();
    window_.ShowRemovalPercentage(in_.msg("MSG_REMOVING"));
    barEnd_ = static_cast<int64_t>(request_.files.size() + request_.registry.size());
    window_.SetRemovalBarEnd(*barEnd_);
    window_.SetRemovalBar(0);
  });
  FilePass();
  barBase_ = static_cast<int64_t>(request_.files.size());
  RegistryPass();
  barBase_ += static_cast<int64_t>(request_.registry.size());
  CookiePass();
}

}  // namespace quill
