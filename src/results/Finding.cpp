#include "results/Finding.h"

#include "results/ItemKind.h"

namespace quill {

namespace {

bool Blank(const std::string& s) {
  return s.find_first_not_of(" \t\r\n") == std::string::npos;
}

}  // namespace

bool Finding::Listed() const {
  if (state != FindingState::Found && state != FindingState::Removed &&
      state != FindingState::Failed)
    return false;
  if (!removable) return false;
  // A value no threat is named for is removed with the rest, but shown nowhere.
  if (kind == FindingKind::RegistryValue && Blank(threat)) return false;
  return kind != FindingKind::RunningApplication && kind != FindingKind::RunningProcess;
}

int Finding::ResultIcon() const {
  if (state == FindingState::Excluded) return kItemExcluded;
  switch (kind) {
    case FindingKind::Cookie:
      return kItemCookie;
    case FindingKind::RegistryValue:
    case FindingKind::RegistryKey:
      return kItemRegistry;
    case FindingKind::File:
      return kItemFile;
    case FindingKind::Folder:
    case FindingKind::WalkedFolder:
      return kItemFolder;
    default:
      return 0;
  }
}

std::string Finding::ProgressText() const {
  switch (state) {
    case FindingState::Excluded:
      return "EXCLUDED";
    case FindingState::Protected:
      return "PROTECTED";
    default:
      break;
  }
  switch (kind) {
    case FindingKind::Cookie:
      return "Cookie";
    case FindingKind::RunningApplication:
      return "Running Application";
    case FindingKind::RunningProcess:
      return "Running Process";
    case FindingKind::RegistryKey:
      return Blank(threat) ? "RegKey " + keyPath : threat;
    default:
      return threat;
  }
}

int Finding::ProgressIcon() const {
  if (state == FindingState::Excluded || state == FindingState::Protected) return kItemExcluded;
  switch (kind) {
    case FindingKind::Cookie:
      return kItemCookie;
    case FindingKind::RegistryKey:
      return Blank(threat) ? 0 : kItemRegistry;
    case FindingKind::RegistryValue:
      return kItemRegistry;
    case FindingKind::Folder:
      return kItemFolder;
    default:
      return kItemFile;
  }
}

std::string Finding::ProgressDetail() const {
  if (state == FindingState::Excluded || state == FindingState::Protected) return location;
  switch (kind) {
    case FindingKind::Cookie:
      // The progress list names the cookie file alone.
      return location.substr(location.rfind('\\') + 1);
    case FindingKind::RunningApplication:
    case FindingKind::RunningProcess:
      return location + " was stopped";
    default:
      return location;
  }
}

int FindingList::Add(Finding finding) {
  items_.push_back(std::move(finding));
  const int index = Count() - 1;
  if (watcher_) watcher_(index);
  return index;
}

Finding LeftAloneFinding(FindingKind kind, FindingState state, std::string location) {
  Finding finding;
  finding.kind = kind;
  finding.state = state;
  finding.location = std::move(location);
  return finding;
}

}  // namespace quill
