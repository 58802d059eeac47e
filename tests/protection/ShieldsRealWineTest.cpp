// Both shields on a real prefix made by Wine: the start page changed with Wine's own `reg`
// tool, a wineserver holding the registry, and a real Wine program matching a definition
// while a native program of the same name runs beside it.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <memory>
#include <random>
#include <thread>

#include "app/Application.h"
#include "app/FrmMain.h"
#include "app/ProtectionAlerts.h"
#include "definitions/DefinitionCodec.h"
#include "definitions/ExclusionList.h"
#include "protection/Protection.h"
#include "support/ChildProcess.h"
#include "support/CliRunner.h"
#include "support/RealWinePrefix.h"
#include "support/StoredSettings.h"
#include "support/TempPrefix.h"
#include "support/TestHost.h"
#include "support/TestPlatform.h"

namespace quill::test {
namespace {

namespace fs = std::filesystem;

constexpr const char* kMain = "HKCU\\Software\\Microsoft\\Internet Explorer\\Main";

class ShieldsRealWine : public ::testing::Test {
 protected:
  void SetUp() override {
    QUILL_REQUIRE_REAL_WINE();
    dir_ = fs::temp_directory_path() / ("quill-shield-" + std::to_string(std::random_device{}()));
    fs::create_directories(dir_ / "settings");
    fs::create_directories(dir_ / "program");
    prefix_ = RealWinePrefix::CopyTo(dir_.string());
    ASSERT_FALSE(prefix_.empty());
    SetPage("http://home.example/");
    host_ = std::make_unique<TestHost>();
    platform_ = MakeTestPlatform(prefix_, (dir_ / "settings").string(), (dir_ / "program").string(),
                                 std::make_shared<std::vector<std::string>>());
    app_ = std::make_unique<Application>(*host_, platform_);
    MarkNotFirstRun(*app_);
    app_->Main().Load();
    ASSERT_TRUE(app_->Main().Loaded());
  }
  void TearDown() override {
    app_.reset();
    if (dir_.empty()) return;
    if (!prefix_.empty()) RealWinePrefix::RunWine(prefix_, "wineserver -k 2>/dev/null; true");
    std::error_code ec;
    fs::remove_all(dir_, ec);
  }

  std::string Wine(const std::string& command, bool waitForServer = true) {
    std::string out;
    EXPECT_EQ(RealWinePrefix::RunWine(prefix_, command, &out, waitForServer), 0) << command << "\n"
                                                                                 << out;
    return out;
  }
  void SetPage(const std::string& url) {
    Wine(std::string("wine reg add '") + kMain + "' /v 'Start Page' /d '" + url + "' /f");
  }
  std::string Page() { return Wine(std::string("wine reg query '") + kMain + "' /v 'Start Page'"); }
  std::string Remembered() { return GetSetting(*app_, "OptionAndSettings", "Homepage", "?"); }
  Protection& Shields() { return app_->Main().Shields(); }
  int Alerts(const char* form) {
    int n = 0;
    for (const auto& d : host_->DialogsOf(DialogKind::Modal)) n += d.formName == form;
    return n;
  }
  int HomeAlerts() { return Alerts("frmHomePageChangedAlert"); }
  void AnswerHomePage(bool keep) {
    host_->OnModal("frmHomePageChangedAlert", [keep](forms::Form& f) {
      auto& alert = static_cast<frmHomePageChangedAlert&>(f);
      (keep ? alert.cmdYes : alert.cmdNO).Click();
    });
  }

  fs::path dir_;
  std::string prefix_;
  std::unique_ptr<TestHost> host_;
  platform::Platform platform_;
  std::unique_ptr<Application> app_;
};

TEST_F(ShieldsRealWine, AChangedStartPageIsNoticedOnceAndRestoredOrAcceptedAsTheOptionsSay) {
  Shields().HomePageTick();
  EXPECT_EQ(Remembered(), "http://home.example/") << "the first tick remembers the page";
  EXPECT_EQ(HomeAlerts(), 0);

  SetPage("http://hijack.example/?q=" + std::string(1500, 'x'));
  AnswerHomePage(true);
  Shields().HomePageTick();
  Shields().HomePageTick();
  ASSERT_EQ(HomeAlerts(), 1);
  const std::string info = app_->FindWindow<frmHomePageChangedAlert>()->lblHomePageInfo.Caption();
  EXPECT_EQ(info,
            "Quillonet has detected that your Homepage has been changed.\r\n\r\n"
            "Click YES to keep your homepage as:\r\nhttp://home.example/\r\n\r\n"
            "Click No to change your homepage to:\r\nhttp://hijack.example/?q=" +
                std::string(1500, 'x'))
      << "the whole value is read";
  EXPECT_NE(Page().find("http://home.example/"), std::string::npos);

  SetPage("http://chosen.example/");
  AnswerHomePage(false);
  Shields().HomePageTick();
  Shields().HomePageTick();
  EXPECT_EQ(HomeAlerts(), 2);
  EXPECT_EQ(Remembered(), "http://chosen.example/");

  // Silently: no question, the page comes back.
  app_->Main().optRestoredefaultwithoutnotification.UserSelect();
  EXPECT_EQ(GetSetting(*app_, "OptionAndSettings", "optAlwaysnotifybeforerestoring", "?"), "False");
  Wine(std::string("wine reg add '") + kMain + "' /v 'Start Page' /t REG_EXPAND_SZ /d 'x' /f");
  Shields().HomePageTick();
  EXPECT_EQ(HomeAlerts(), 2);
  EXPECT_NE(Page().find("http://chosen.example/"), std::string::npos);

  // Missing key: created by the restore.
  Wine(std::string("wine reg delete '") + kMain + "' /f");
  Shields().HomePageTick();
  EXPECT_EQ(HomeAlerts(), 2) << "an unreadable page is no change";
  EXPECT_EQ(Remembered(), "http://chosen.example/");
}

TEST_F(ShieldsRealWine, WithAWineserverRunningNoFalseAlertAndNothingIsLost) {
  Shields().HomePageTick();
  SetPage("http://hijack.example/");
  Wine("wineserver -p", false);
  const std::string hive = CliRunner::ReadAll(fs::path(prefix_) / "user.reg");
  AnswerHomePage(true);
  for (int i = 0; i < 4; ++i) Shields().HomePageTick();
  EXPECT_EQ(HomeAlerts(), 1) << "asked once; the failing restore is retried silently";
  EXPECT_EQ(Remembered(), "http://home.example/");
  EXPECT_EQ(CliRunner::ReadAll(fs::path(prefix_) / "user.reg"), hive)
      << "a hive Wine holds is not written";

  Wine("wineserver -k");
  Shields().HomePageTick();
  EXPECT_EQ(HomeAlerts(), 1);
  EXPECT_NE(Page().find("http://home.example/"), std::string::npos);
}

/// Runs `wine program args` in the background and returns its process id once this prefix's
/// process list shows it (0 when it never appears); `known` are copies already running.
uint32_t StartWineProgram(Application& app, const std::string& prefix, const std::string& exe,
                          const std::vector<uint32_t>& known = {}) {
  RealWinePrefix::RunWine(
      prefix, "wine '" + exe + "' -n 300 127.0.0.1 >/dev/null 2>&1 </dev/null &", nullptr, false);
  const std::string name = exe.substr(exe.rfind('\\') + 1);
  for (int i = 0; i < 300; ++i) {
    if (auto list = app.Processes().Enumerate())
      for (const auto& p : *list)
        if (p.name == name && std::find(known.begin(), known.end(), p.pid) == known.end())
          return p.pid;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  return 0;
}

TEST_F(ShieldsRealWine, AMatchedWineProgramRaisesOneAlertStopEndsExactlyItAllowExcludesIt) {
  fs::create_directories(fs::path(prefix_) / "drive_c/Program Files/Vendor");
  fs::copy_file(fs::path(prefix_) / "drive_c/windows/system32/ping.exe",
                fs::path(prefix_) / "drive_c/Program Files/Vendor/spyagent.exe");
  ASSERT_TRUE(
      app_->Files().WriteFile(app_->DataFile("ExeDefinition.dat"),
                              EncodeLine("spyagent.exe=Spy Agent|[progfil]Vendor") + "\r\n"));
  const std::string exe = "C:\\Program Files\\Vendor\\spyagent.exe";
  ChildProcess native("spyagent.exe");
  const uint32_t pid = StartWineProgram(*app_, prefix_, exe);
  ASSERT_NE(pid, 0u);

  std::string company, file;
  host_->OnModal("frmSpywareFoundAlert", [&](forms::Form& f) {
    auto& alert = static_cast<frmSpywareFoundAlert&>(f);
    company = alert.lblAlertCompanyName.Caption();
    file = alert.lblAlertFileName.Caption();
    alert.cmdYes.Click();
  });
  Shields().ProcessShieldTick();
  Shields().ProcessShieldTick();
  EXPECT_EQ(Alerts("frmSpywareFoundAlert"), 1);
  EXPECT_EQ(file, "SPYAGENT.EXE");
  EXPECT_EQ(company, "No Company name available for SPYAGENT.EXE");
  EXPECT_TRUE(app_->Processes().WaitForExit(pid, 10000)) << "the Wine program was stopped";
  EXPECT_TRUE(native.Running()) << "the native program of the same name runs on";
  EXPECT_TRUE(host_->DialogsOf(DialogKind::MsgBox).empty());

  // ALLOW: the name is excluded, and the next check lists it as such.
  host_->OnModal("frmSpywareFoundAlert",
                 [](forms::Form& f) { static_cast<frmSpywareFoundAlert&>(f).cmdNO.Click(); });
  const uint32_t second = StartWineProgram(*app_, prefix_, exe);
  ASSERT_NE(second, 0u);
  Shields().ProcessShieldTick();
  EXPECT_EQ(Alerts("frmSpywareFoundAlert"), 2);
  EXPECT_EQ(*app_->Files().ReadFile(app_->DataFile("ENoSignature.dat")), "SPYAGENT.EXE\r\n");
  const uint32_t third = StartWineProgram(*app_, prefix_, exe, {second});
  ASSERT_NE(third, 0u);
  Shields().ProcessShieldTick();
  EXPECT_EQ(Alerts("frmSpywareFoundAlert"), 2);
  int excluded = 0;
  for (const auto& row : app_->Main().lvwSpywareFound.Items()) excluded += row.text == "EXCLUDED";
  EXPECT_EQ(excluded, 2) << "both running copies";
  EXPECT_FALSE(app_->Processes().WaitForExit(second, 0));
  app_->Processes().Terminate(second, 0);
  app_->Processes().Terminate(third, 0);
}

}  // namespace
}  // namespace quill::test
