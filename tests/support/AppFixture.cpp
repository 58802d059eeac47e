#include "support/AppFixture.h"

#include <filesystem>
#include <random>

#include "app/MachineSettingsStore.h"
#include "base/Text.h"
#include "definitions/DefinitionCodec.h"

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

 private:
  std::unique_ptr<platform::Shell> inner_;
  std::shared_ptr<std::vector<std::string>> started_;
};

std::string MakeTempFolder(const char* tag) {
  std::random_device rd;
  auto base = std::filesystem::temp_directory_path();
  for (int i = 0; i < 100; ++i) {
    auto dir = base / (std::string("quill-") + tag + "-" + std::to_string(rd()));
    std::error_code ec;
    if (std::filesystem::create_directory(dir, ec)) return dir.string();
  }
  return (base / tag).string();
}
}  // namespace

AppFixture::AppFixture(Options options)
    : settingsFolder_(MakeTempFolder("settings")), programFolder_(MakeTempFolder("program")) {
  if (options.withLanguageFile) {
    std::error_code ec;
    std::filesystem::copy_file(std::string(QUILL_SOURCE_DIR) + "/resources/Localization.txt",
                               programFolder_ + "/Localization.txt", ec);
  }
  host_ = std::make_unique<TestHost>();
  platform::PlatformOptions po;
  po.prefix = prefix_.Root();
  po.settingsFolder = settingsFolder_;
  po.programFolder = programFolder_;
  po.connectTimeoutSeconds = 5;
  po.lowSpeedTimeoutSeconds = 5;
  platform_ = platform::CreatePlatform(po);
  platform_.shell = std::make_unique<RecordingShell>(std::move(platform_.shell), started_);
  app_ = std::make_unique<Application>(*host_, platform_);
  if (!options.firstRun) {
    const auto& id = app_->Identity();
    platform_.settings->Save(id.productName, "Settings", "Language", "English");
    auto& machine = app_->MachineSettings();
    machine.Write(id.productName, "Settings", "FirstTime", "Yes");
    machine.Write(id.productName, "Settings", "showHelp", "0");
  }
}

AppFixture::~AppFixture() {
  app_.reset();
  host_.reset();
  std::error_code ec;
  std::filesystem::remove_all(settingsFolder_, ec);
  std::filesystem::remove_all(programFolder_, ec);
}

void AppFixture::Start() {
  auto& main = app_->Main();
  main.Load();
  if (!app_->Ended() && main.State() != forms::WindowState::Minimized) main.Show();
}

std::string AppFixture::DataFolder() {
  std::string folder =
      app_->Tokens().ExpandPathTokens("[appdata]" + app_->Identity().productName + "DAT");
  folder = text::ReplaceAll(folder, "\\\\", "\\");
  while (text::EndsWith(folder, "\\")) folder.pop_back();
  return folder;
}

void AppFixture::WriteDefinitions(const std::string& name,
                                  const std::vector<std::string>& plainLines) {
  std::string bytes;
  for (const auto& line : plainLines) bytes += EncodeLine(line) + "\r\n";
  WriteDataFile(name, bytes);
}

void AppFixture::WriteDataFile(const std::string& name, const std::string& bytes) {
  prefix_.WriteFile(DataFolder() + "\\" + name, bytes);
}

}  // namespace quill::test
