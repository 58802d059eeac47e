#include "support/TestPlatform.h"

#include <filesystem>
#include <random>

#include "app/MachineSettingsStore.h"
#include "base/Text.h"

namespace quill::test {

FakeShell::FakeShell(std::map<int, std::string> folderTable)
    : folders(std::move(folderTable)), started(std::make_shared<std::vector<std::string>>()) {}

FakeShell::FakeShell(std::unique_ptr<platform::Shell> inner,
                     std::shared_ptr<std::vector<std::string>> startedList)
    : started(std::move(startedList)), inner_(std::move(inner)) {
  if (!started) started = std::make_shared<std::vector<std::string>>();
}

std::optional<std::string> FakeShell::SpecialFolder(int csidl) {
  ++asked;
  if (auto it = folders.find(csidl); it != folders.end()) return it->second;
  if (inner_) return inner_->SpecialFolder(csidl);
  return std::nullopt;
}

std::optional<std::string> FakeShell::SpecialFolderByLocation(int csidl) {
  if (!inner_ || folders.count(csidl)) return SpecialFolder(csidl);
  ++asked;
  return inner_->SpecialFolderByLocation(csidl);
}

std::string FakeShell::SystemDirectory() {
  return inner_ ? inner_->SystemDirectory() : systemDirectory;
}

std::string FakeShell::WindowsDirectory() {
  return inner_ ? inner_->WindowsDirectory() : windowsDirectory;
}

std::vector<platform::DriveInfo> FakeShell::Drives() {
  if (inner_) return inner_->Drives();
  return {};
}

std::optional<platform::VolumeSize> FakeShell::Volume(const std::string& root) {
  if (volume) return volume;
  if (inner_) return inner_->Volume(root);
  return std::nullopt;
}

bool FakeShell::Execute(const std::string& commandLine, platform::ShowStyle style) {
  started->push_back(commandLine);
  styles.push_back(style);
  return true;
}

bool FakeShell::OpenDocument(const std::string& path, platform::ShowStyle style) {
  started->push_back("open " + path);
  styles.push_back(style);
  return true;
}

using platform::RegStatus;
using platform::RegValue;
using platform::RootKey;

void FakeRegistry::Set(RootKey root, const std::string& key, const std::string& name,
                       RegValue value) {
  keys_[{root, text::ToLower(key)}].push_back({name, std::move(value)});
}

void FakeRegistry::SetSz(RootKey root, const std::string& key, const std::string& name,
                         const std::string& data, platform::RegType type) {
  Set(root, key, name, RegValue{static_cast<uint32_t>(type), data});
}

RegStatus FakeRegistry::OpenKey(RootKey root, const std::string& path, uint32_t) {
  return keys_.count({root, text::ToLower(path)}) ? RegStatus::Ok : RegStatus::NotFound;
}

RegStatus FakeRegistry::CreateKey(RootKey, const std::string&) {
  return RegStatus::Failed;
}

std::optional<RegValue> FakeRegistry::QueryValue(RootKey root, const std::string& path,
                                                 const std::string& name) {
  auto it = keys_.find({root, text::ToLower(path)});
  if (it == keys_.end()) return std::nullopt;
  for (const auto& [n, v] : it->second)
    if (text::EqualsNoCase(n, name)) return v;
  return std::nullopt;
}

RegStatus FakeRegistry::SetValue(RootKey, const std::string&, const std::string&, const RegValue&) {
  return RegStatus::Failed;
}

RegStatus FakeRegistry::DeleteValue(RootKey, const std::string&, const std::string&) {
  return RegStatus::Failed;
}

RegStatus FakeRegistry::DeleteKeyTree(RootKey, const std::string&) {
  return RegStatus::Failed;
}

std::optional<std::vector<std::string>> FakeRegistry::EnumValues(RootKey root,
                                                                 const std::string& path) {
  auto it = keys_.find({root, text::ToLower(path)});
  if (it == keys_.end()) return std::nullopt;
  std::vector<std::string> names;
  for (const auto& entry : it->second) names.push_back(entry.first);
  return names;
}

std::optional<std::vector<std::string>> FakeRegistry::EnumKeys(RootKey root,
                                                               const std::string& path) {
  std::string prefix = text::ToLower(path) + "\\";
  std::vector<std::string> names;
  for (const auto& [id, values] : keys_) {
    if (id.first != root || !text::StartsWith(id.second, prefix)) continue;
    std::string rest = id.second.substr(prefix.size());
    if (rest.find('\\') == std::string::npos) names.push_back(rest);
  }
  if (names.empty()) return std::nullopt;
  return names;
}

void SetTestVolume(platform::Platform& platform, std::optional<platform::VolumeSize> size) {
  if (auto* shell = dynamic_cast<FakeShell*>(platform.shell.get())) shell->volume = size;
}

std::string MakeTempFolder(const std::string& tag) {
  std::random_device rd;
  auto base = std::filesystem::temp_directory_path();
  for (int i = 0; i < 100; ++i) {
    auto dir = base / ("quill-" + tag + "-" + std::to_string(rd()));
    std::error_code ec;
    if (std::filesystem::create_directory(dir, ec)) return dir.string();
  }
  return (base / tag).string();
}

platform::Platform MakeTestPlatform(const std::string& prefixRoot,
                                    const std::string& settingsFolder,
                                    const std::string& programFolder,
                                    std::shared_ptr<std::vector<std::string>> started) {
  platform::PlatformOptions po;
  po.prefix = prefixRoot;
  po.settingsFolder = settingsFolder;
  po.programFolder = programFolder;
  po.connectTimeoutSeconds = 5;
  po.lowSpeedTimeoutSeconds = 5;
  auto platform = platform::CreatePlatform(po);
  platform.shell = std::make_unique<FakeShell>(std::move(platform.shell), std::move(started));
  return platform;
}

void MarkNotFirstRun(Application& app) {
  const auto& id = app.Identity();
  app.Platform().settings->Save(id.productName, "Settings", "Language", "English");
  app.Platform().settings->Save(id.productName, "Settings", "FirstTime", "Yes");
  app.Platform().settings->Save(id.productName, "Settings", "showHelp", "0");
}

}  // namespace quill::test
