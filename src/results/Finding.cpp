#include "results/Finding.h"

#include <algorithm>

#include "base/Text.h"
#include "results/ItemKind.h"

namespace quill {

namespace {

bool Blank(const std::string& s) {
  return s.find_first_not_of(" \t\r\n") == std::string::npos;
}

constexpr const char* kExcludedKey = "ROW_EXCLUDED";
constexpr const char* kProtectedKey = "ROW_PROTECTED";
constexpr const char* kCookieKey = "ROW_COOKIE";
constexpr const char* kApplicationKey = "ROW_RUNNING_APPLICATION";
constexpr const char* kProcessKey = "ROW_RUNNING_PROCESS";
constexpr const char* kStoppedKey = "ROW_STOPPED";

// The English words of a key of the table below.
const std::string& English(const char* key) {
  for (const auto& [k, words] : FindingTexts())
    if (k == key) return words;
  static const std::string none;
  return none;
}

// Whether a pending finding follows a results row (its icon, name and place).
bool FollowsRow(const Finding& f, int icon, const std::string& name, const std::string& place) {
  const bool inFiles = !f.IsRegistry() && f.kind != FindingKind::Cookie;
  switch (icon) {
    case kItemCookie:
      return f.kind == FindingKind::Cookie && f.location == place;
    case kItemRegistry:
      return f.IsRegistry() && (f.keyPath == name || f.threat == name);
    case kItemFile:
      // Every file found under one threat name follows together.
      return inFiles && f.threat == name;
    case kItemFolder:
      return inFiles && f.location == place;
    default:
      return false;
  }
}

}  // namespace

bool Finding::IsRegistry() const {
  return kind == FindingKind::RegistryValue || kind == FindingKind::RegistryKey;
}

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

const std::vector<std::pair<std::string, std::string>>& FindingTexts() {
  static const std::vector<std::pair<std::string, std::string>> texts = {
      {kExcludedKey, "EXCLUDED"},       {kProtectedKey, "PROTECTED"},
      {kCookieKey, "Cookie"},           {kApplicationKey, "Running Application"},
      {kProcessKey, "Running Process"}, {kStoppedKey, "[Program] was stopped"},
  };
  return texts;
}

std::string Finding::ProgressTextKey() const {
  if (state == FindingState::Excluded) return kExcludedKey;
  if (state == FindingState::Protected) return kProtectedKey;
  switch (kind) {
    case FindingKind::Cookie:
      return kCookieKey;
    case FindingKind::RunningApplication:
      return kApplicationKey;
    case FindingKind::RunningProcess:
      return kProcessKey;
    default:
      return {};
  }
}

std::string Finding::ProgressDetailKey() const {
  const bool running =
      kind == FindingKind::RunningApplication || kind == FindingKind::RunningProcess;
  return running && state != FindingState::Excluded && state != FindingState::Protected
             ? kStoppedKey
             : std::string();
}

std::string Finding::ProgressText() const {
  if (const std::string key = ProgressTextKey(); !key.empty()) return English(key.c_str());
  if (kind == FindingKind::RegistryKey && Blank(threat)) return "RegKey " + keyPath;
  return threat;
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
      return text::ReplaceAll(English(kStoppedKey), "[Program]", location);
    default:
      return location;
  }
}

int FindingList::Add(Finding finding) {
  finding.pending = finding.state == FindingState::Found && finding.removable;
  items_.push_back(std::move(finding));
  const int index = Count() - 1;
  if (watcher_) watcher_(index);
  return index;
}

void FindingList::TickWith(int shown, bool ticked) {
  if (!Contains(shown)) return;
  // Only ticks change in the loop, so the row's own fields stay as they are.
  const Finding& row = At(shown);
  const int icon = row.ResultIcon();
  for (Finding& f : items_)
    if (f.pending && FollowsRow(f, icon, row.name, row.location)) f.ticked = ticked;
}

void FindingList::WithdrawTicked() {
  for (Finding& f : items_)
    if (f.ticked) f.pending = false;
}

bool FindingList::AnyRegistryPending() const {
  return std::any_of(items_.begin(), items_.end(),
                     [](const Finding& f) { return f.pending && f.IsRegistry(); });
}

Finding LeftAloneFinding(FindingKind kind, FindingState state, std::string location) {
  Finding finding;
  finding.kind = kind;
  finding.state = state;
  finding.location = std::move(location);
  return finding;
}

}  // namespace quill
