// The desktop program itself, left running offscreen on a real prefix with its default options:
// its shields act on their own timers, in real time, at their real intervals.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <thread>

#include "platform/Registry.h"
#include "support/ChildProcess.h"
#include "support/CliRunner.h"
#include "support/RealWinePrefix.h"
#include "support/TestPlatform.h"

namespace quill::test {
namespace {

TEST(DesktopProgram, RestoresAHijackedStartPageAndAlertsOnAMatchingProgramWhileRunning) {
  QUILL_REQUIRE_REAL_WINE();
  CliRunner cli;
  const auto work = cli.Work();
  const std::string prefix = RealWinePrefix::CopyTo(work.string());
  ASSERT_EQ(cli.Run({"--prefix", prefix, "stage-definitions",
                     std::string(QUILL_SOURCE_DIR) + "/resources/definitions"})
                .status,
            0);
  std::filesystem::create_directories(work / "config/quillonet");
  std::ofstream(work / "config/quillonet/Quillonet.ini")
      << "[Settings]\nLanguage=English\nMinimized=Yes\nFirstTime=Yes\nshowHelp=0\n"
      << "[OptionAndSettings]\noptAlwaysnotifybeforerestoring=False\n"
      << "optRestoredefaultwithoutnotification=True\nchkAutomaticUpdate=0\n";
  const auto log = work / "events.log";
  const std::string pid = (work / "pid").string();
  ASSERT_EQ(std::system(("WINEPREFIX=" + prefix +
                         " QT_QPA_PLATFORM=offscreen QUILLONET_EVENT_LOG=" + log.string() + " " +
                         cli.CommandLine({}, QUILL_DESKTOP_BINARY) + " >" +
                         (work / "out").string() + " 2>&1 & echo $! >" + pid)
                            .c_str()),
            0);
  struct Stop {
    std::string pid;
    ~Stop() { std::system(("kill $(cat " + pid + ") 2>/dev/null").c_str()); }
  } stop{pid};
  const auto seen = [&](const std::string& what) {
    for (int i = 0; i < 100 && CliRunner::ReadAll(log).find(what) == std::string::npos; ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    return CliRunner::ReadAll(log).find(what) != std::string::npos;
  };
  // After the first home-page tick (5 s) has remembered the page, it is hijacked.
  EXPECT_TRUE(seen("tick FrmMain.tmrCheckHomePage"));
  auto platform = MakeTestPlatform(prefix, (work / "s").string(), (work / "p").string(),
                                   std::make_shared<std::vector<std::string>>());
  const char* key = "Software\\Microsoft\\Internet Explorer\\Main";
  const auto page = [&] {
    return platform.registry->QueryValue(platform::RootKey::CurrentUser, key, "Start Page");
  };
  const auto original = page();
  ASSERT_TRUE(original);
  platform.registry->SetValue(platform::RootKey::CurrentUser, key, "Start Page",
                              platform::MakeSz("http://hijack.example/"));
  const auto restored = [&] { return page() && page()->data == original->data; };
  for (int i = 0; i < 100 && !restored(); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  EXPECT_TRUE(restored()) << "within two home-page intervals\n" << CliRunner::ReadAll(log);

  ChildProcess spy("C:\\Program Files\\QuillonetTestFolder\\quillonet-testapp.exe", prefix);
  EXPECT_TRUE(seen("show frmSpywareFoundAlert")) << CliRunner::ReadAll(work / "out");
  EXPECT_EQ(std::system(("kill -0 $(cat " + pid + ")").c_str()), 0) << "still running";
}

}  // namespace
}  // namespace quill::test
