#include "GuiFixture.h"

#include <QTest>
#include <QTimer>
#include <filesystem>
#include <fstream>

#include "Desktop.h"
#include "app/MachineSettingsStore.h"
#include "app/frmSplash.h"
#include "base/Text.h"
#include "platform/Registry.h"
#include "support/TestPlatform.h"
#include "views/Style.h"
#include "views/ViewFactory.h"

namespace quill::test {

namespace {

std::string WithBackslash(std::string path) {
  path = text::ReplaceAll(path, "\\\\", "\\");
  if (!text::EndsWith(path, "\\")) path += "\\";
  return path;
}

}  // namespace

QApplication& GuiFixture::Qt() {
  static int argc = 1;
  static char name[] = "gui_tests";
  static char* argv[] = {name, nullptr};
  static QApplication* app = [] {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    auto* a = new QApplication(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    gui::ApplyStyle(*a);
    return a;
  }();
  return *app;
}

GuiFixture::GuiFixture()
    : settingsFolder_(MakeTempFolder("gui-settings")),
      programFolder_(MakeTempFolder("gui-program")) {
  Qt();
  host_ = std::make_unique<gui::QtHost>();
  // Every yield pumps the queue: a test's click waits for the scan's next yield, not a clock.
  host_->SetEventThrottle(0);
  host_->SetMessageHook(
      [this](const gui::QtHost::Message& m) -> std::optional<forms::MsgBoxResult> {
        if (!answers_.empty()) {
          auto answer = answers_.front();
          answers_.pop_front();
          return answer;
        }
        return gui::QtHost::AgreeableAnswer(m.buttons);
      });
  // No real dialog may block a test.
  host_->SetFileHook(
      [](const std::string&) { return std::optional<std::optional<std::string>>(std::nullopt); });
  host_->SetFolderHook(
      [](const std::string&) { return std::optional<std::optional<std::string>>(std::nullopt); });
  host_->SetInputHook(
      [](const std::string&) { return std::optional<std::optional<std::string>>(std::nullopt); });

  platform_ = MakeTestPlatform(prefix_.Root(), settingsFolder_, programFolder_, started_);
  host_->SetFileSystem(platform_.files.get());
  app_ = std::make_unique<Application>(*host_, platform_);
  host_->SetViewFactory(gui::MakeViewFactory(*app_));
  gui::FollowProgramLanguage(*host_, *app_);

  MarkNotFirstRun(*app_);
}

GuiFixture::~GuiFixture() {
  app_.reset();
  host_.reset();
  std::error_code ec;
  std::filesystem::remove_all(settingsFolder_, ec);
  std::filesystem::remove_all(programFolder_, ec);
}

void GuiFixture::WriteStarterDefinitions() {
  std::string dataFolder =
      app_->Tokens().ExpandPathTokens("[appdata]" + app_->Identity().productName + "DAT");
  dataFolder = WithBackslash(dataFolder);
  const std::filesystem::path source = std::string(QUILL_SOURCE_DIR) + "/resources/definitions";
  for (const auto& entry : std::filesystem::directory_iterator(source)) {
    if (entry.path().extension() != ".dat") continue;
    std::ifstream in(entry.path(), std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_TRUE(prefix_.WriteFile(dataFolder + entry.path().filename().string(), bytes));
  }
}

void GuiFixture::Plant() {
  auto& tokens = app_->Tokens();
  ASSERT_TRUE(prefix_.WriteFile(
      WithBackslash(tokens.ExpandPathTokens("[personl]")) + "quillonet-testfile.txt", "test"));
  ASSERT_TRUE(prefix_.WriteFile(
      WithBackslash(tokens.ExpandPathTokens("[progfil]")) + "QuillonetTestFolder\\readme.txt",
      "test"));
  auto& registry = app_->Registry();
  ASSERT_EQ(registry.CreateKey(platform::RootKey::CurrentUser, "Software\\QuillonetTest"),
            platform::RegStatus::Ok);
  ASSERT_EQ(registry.SetValue(platform::RootKey::CurrentUser, "Software\\QuillonetTest",
                              "TestValue", platform::MakeSz("test")),
            platform::RegStatus::Ok);
}

bool GuiFixture::Exists(const std::string& windowsPath) {
  return app_->Files().Attributes(windowsPath).has_value();
}

void GuiFixture::WriteLanguageFile(const std::string& bytes) {
  std::ofstream out(programFolder_ + "/Localization.txt", std::ios::binary);
  out << bytes;
}

void GuiFixture::Start() {
  auto& splash = app_->Splash();
  splash.Load();
  splash.Show();
  // The countdown's ticks, without waiting for its clock.
  for (int tick = 0; tick < 200 && splash.Timer2.IsEnabled() && !app_->Ended(); ++tick)
    splash.Timer2.Fire();
  host_->ProcessEventsNow();
  ASSERT_TRUE(Main().Loaded());
  ASSERT_TRUE(Main().Visible());
  ASSERT_NE(host_->ViewOf(Main()), nullptr);
  ASSERT_TRUE(host_->ViewOf(Main())->isVisible());
}

gui::MainView& GuiFixture::View() {
  auto* view = qobject_cast<gui::MainView*>(host_->ViewOf(Main()));
  if (!view) throw std::runtime_error("the main window has no view");
  return *view;
}

void GuiFixture::Click(const std::string& name, std::optional<int> index) {
  auto* button = Widget<QAbstractButton>(name, index);
  ASSERT_NE(button, nullptr);
  ASSERT_TRUE(button->isVisible()) << name;
  ASSERT_TRUE(button->isEnabled()) << name;
  QTest::mouseClick(button, ::Qt::LeftButton);
}

std::vector<std::string> GuiFixture::MessagesShown() const {
  std::vector<std::string> texts;
  for (const auto& m : host_->Messages()) texts.push_back(m.text);
  return texts;
}

void GuiFixture::WhenIdle(std::function<bool()> action, int delayMs) {
  // A retry waits a millisecond: re-posted at once it would keep the very pump that runs it
  // busy for ever.
  QTimer::singleShot(delayMs, host_.get(), [this, action] {
    if (!action()) WhenIdle(action, 1);
  });
}

}  // namespace quill::test
