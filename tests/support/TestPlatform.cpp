#include "support/TestPlatform.h"

#include <filesystem>
#include <random>

#include "app/MachineSettingsStore.h"

namespace quill::test {

namespace {
/// The real shell for folders and drives; starting programs is only recorded.
class RecordingShell : public platform::Shell {
 public:
  RecordingShell(std::unique_ptr<platform::Shell> inner,
                 std::shared_ptr<std::vector<std::string>> started)
      : inner_(std::move(inner)), started_(std::move(started)) {}
  std::optional<std::string> SpecialFolder(int csidl) override {
    return inner_->SpecialFolder(csidl);
  }
  std::optional<std::string> SpecialFolderByLocation(int csidl) override {
    return inner_->SpecialFolderByLocation(csidl);
  }
  std::string SystemDirectory() override { return inner_->SystemDirectory(); }
  std::string WindowsDirectory() override { return inner_->WindowsDirectory(); }
  std::vector<platform::DriveInfo> Drives() override { return inner_->Drives(); }
  std::optional<platform::VolumeSize> Volume(const std::string& root) override {
    if (volume) return volume;
    return inner_->Volume(root);
  }
  bool Execute(const std::string& commandLine, platform::ShowStyle) override {
    started_->push_back(commandLine);
    return true;
  }
  bool OpenDocument(const std::string& path, platform::ShowStyle) override {
    started_->push_back("open " + path);
    return true;
  }

  std::optional<platform::VolumeSize> volume;

 private:
  std::unique_ptr<platform::Shell> inner_;
  std::shared_ptr<std::vector<std::string>> started_;
};
}  // namespace

void SetTestVolume(platform::Platform& platform, std::optional<platform::VolumeSize> size) {
  if (auto* shell = dynamic_cast<RecordingShell*>(platform.shell.get())) shell->volume = size;
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
  platform.shell = std::make_unique<RecordingShell>(std::move(platform.shell), std::move(started));
  return platform;
}

void MarkNotFirstRun(Application& app) {
  const auto& id = app.Identity();
  app.Platform().settings->Save(id.productName, "Settings", "Language", "English");
  app.Platform().settings->Save(id.productName, "Settings", "FirstTime", "Yes");
  app.Platform().settings->Save(id.productName, "Settings", "showHelp", "0");
}

}  // namespace quill::test
