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

namespace {
std::string FileKey(const std::string& path) {
  return text::ToLower(path);
}
}  // namespace

FakeFileSystem FakeFileSystem::WithDriveZ() {
  FakeFileSystem files;
  files.hostRootAsDriveZ = true;
  return files;
}

void FakeFileSystem::Put(const std::string& path, const std::string& bytes) {
  files_[FileKey(path)] = bytes;
}

std::optional<std::string> FakeFileSystem::Get(const std::string& path) const {
  auto it = files_.find(FileKey(path));
  if (it == files_.end()) return std::nullopt;
  return it->second;
}

void FakeFileSystem::AddFolder(const std::string& path) {
  folders_.insert(FileKey(path));
}

std::optional<uint32_t> FakeFileSystem::Attributes(const std::string& path) {
  if (files_.count(FileKey(path))) return platform::kAttrArchive;
  if (folders_.count(FileKey(path))) return platform::kAttrDirectory;
  return std::nullopt;
}

std::optional<std::vector<platform::DirEntry>> FakeFileSystem::List(const std::string&) {
  return std::nullopt;
}

std::optional<uint64_t> FakeFileSystem::FileSize(const std::string& path) {
  auto bytes = Get(path);
  if (!bytes) return std::nullopt;
  return bytes->size();
}

std::optional<std::string> FakeFileSystem::ResolveCase(const std::string& path) {
  return Attributes(path) ? std::optional<std::string>(path) : std::nullopt;
}

std::optional<std::string> FakeFileSystem::ReadFile(const std::string& path) {
  return Get(path);
}

bool FakeFileSystem::WriteFile(const std::string& path, const std::string& bytes) {
  ++writes;
  if (failWrites) return false;
  Put(path, bytes);
  return true;
}

bool FakeFileSystem::AppendFile(const std::string& path, const std::string& bytes) {
  if (failWrites) return false;
  files_[FileKey(path)] += bytes;
  return true;
}

bool FakeFileSystem::ReplaceFile(const std::string& path, const std::string& bytes) {
  if (failWrites || ++replaces == failReplaceNumber) return false;
  Put(path, bytes);
  return true;
}

bool FakeFileSystem::CopyFile(const std::string&, const std::string&, bool) {
  return false;
}

bool FakeFileSystem::CopyFolder(const std::string&, const std::string&, bool) {
  return false;
}

bool FakeFileSystem::DeleteFile(const std::string& path) {
  return files_.erase(FileKey(path)) > 0;
}

bool FakeFileSystem::DeleteFolder(const std::string&, bool) {
  return false;
}

bool FakeFileSystem::Rename(const std::string& from, const std::string& to) {
  auto bytes = Get(from);
  if (!bytes || files_.count(FileKey(to))) return false;
  files_.erase(FileKey(from));
  Put(to, *bytes);
  return true;
}

bool FakeFileSystem::CreateFolder(const std::string& path) {
  AddFolder(path);
  return true;
}

bool FakeFileSystem::SetAttributes(const std::string&, uint32_t) {
  return false;
}

std::string FakeFileSystem::NativePath(const std::string& path) {
  if (!hostRootAsDriveZ) return path;
  if (path.size() < 3 || !text::StartsWith(text::ToLower(path), "z:\\")) return {};
  std::string out;
  for (char c : path.substr(2)) out += c == '\\' ? '/' : c;
  return out;
}

std::string FakeFileSystem::FromNativePath(const std::string& nativePath) {
  if (!hostRootAsDriveZ) return nativePath;
  if (nativePath.empty() || nativePath[0] != '/') return {};
  std::string out = "Z:";
  for (char c : nativePath) out += c == '/' ? '\\' : c;
  return out;
}

FakeSystem::FakeSystem(std::unique_ptr<platform::System> inner) : inner_(std::move(inner)) {}

FakeSystem& FakeSystem::Install(platform::Platform& platform) {
  auto fake = std::make_unique<FakeSystem>(std::move(platform.system));
  auto& ref = *fake;
  platform.system = std::move(fake);
  return ref;
}

platform::OsVersion FakeSystem::Version() {
  if (version) return *version;
  return inner_ ? inner_->Version() : platform::OsVersion{};
}

platform::ProgramIdentity FakeSystem::Identity() {
  return inner_ ? inner_->Identity() : platform::ProgramIdentity{};
}

bool FakeSystem::AcquireSingleInstance() {
  return inner_ ? inner_->AcquireSingleInstance() : true;
}

bool FakeSystem::HasSystemRestore() {
  if (hasRestore) return *hasRestore;
  return inner_ && inner_->HasSystemRestore();
}

std::optional<int64_t> FakeSystem::BeginRestorePoint(const std::string& description, int type) {
  begun.push_back(description + "|" + std::to_string(type));
  if (!hasRestore) return inner_ ? inner_->BeginRestorePoint(description, type) : std::nullopt;
  if (!beginSucceeds) return std::nullopt;
  return nextSequence;
}

bool FakeSystem::EndRestorePoint(int64_t sequence) {
  ended.push_back(sequence);
  if (!hasRestore) return inner_ && inner_->EndRestorePoint(sequence);
  return true;
}

bool FakeSystem::CallLibraryRegistration(const std::string& path, bool unregister) {
  registrations.push_back((unregister ? "unregister " : "register ") + path);
  return false;
}

FakeProcesses::FakeProcesses(std::unique_ptr<platform::Processes> real) : real_(std::move(real)) {}

FakeProcesses& FakeProcesses::Install(platform::Platform& platform) {
  auto narrowed = std::make_unique<FakeProcesses>(std::move(platform.processes));
  auto& ref = *narrowed;
  platform.processes = std::move(narrowed);
  return ref;
}

std::optional<std::vector<platform::ProcessInfo>> FakeProcesses::Enumerate() {
  if (failing_) return std::nullopt;
  auto all = real_->Enumerate();
  if (!all) return all;
  std::vector<platform::ProcessInfo> kept;
  for (auto& info : *all)
    if (allowed_.count(info.pid) != 0) kept.push_back(std::move(info));
  return kept;
}

bool FakeProcesses::Terminate(uint32_t pid, uint32_t exitCode) {
  return allowed_.count(pid) != 0 && real_->Terminate(pid, exitCode);
}

bool FakeProcesses::WaitForExit(uint32_t pid, int timeoutMs) {
  return real_->WaitForExit(pid, timeoutMs);
}

FakeInternet::FakeInternet(std::vector<std::string> chunks, bool complete, int status)
    : chunks_(std::move(chunks)), complete_(complete), status_(status) {}

platform::HttpReply FakeInternet::Get(const std::string&, const ChunkCallback& onChunk) {
  platform::HttpReply reply;
  reply.status = status_;
  reply.complete = complete_;
  for (const std::string& chunk : chunks_) {
    if (!onChunk(chunk.data(), chunk.size())) {
      reply.complete = false;
      break;
    }
  }
  return reply;
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
  // Short, so that a test meeting a silent or trickling server is over in about a second.
  po.network = kTestNetworkLimits;
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
