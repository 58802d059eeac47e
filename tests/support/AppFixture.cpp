#include "support/AppFixture.h"

#include "support/TestPlatform.h"

#include <filesystem>

#include "base/Text.h"
#include "definitions/DefinitionCodec.h"

namespace quill::test {

AppFixture::AppFixture(Options options)
    : settingsFolder_(MakeTempFolder("settings")), programFolder_(MakeTempFolder("program")) {
  if (options.withLanguageFile) {
    std::error_code ec;
    std::filesystem::copy_file(std::string(QUILL_SOURCE_DIR) + "/resources/Localization.txt",
                               programFolder_ + "/Localization.txt", ec);
  }
  host_ = std::make_unique<TestHost>();
  platform_ = MakeTestPlatform(prefix_.Root(), settingsFolder_, programFolder_, started_);
  app_ = std::make_unique<Application>(*host_, platform_);
  if (!options.firstRun) MarkNotFirstRun(*app_);
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
