// Background protection as it runs: the program started minimized with both shields and a daily
// schedule on, the virtual clock moving, and every check reached only through its window timer.
// Proves each shield works at its own interval while the others tick beside it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/DateTime.h"
#include "platform/Registry.h"
#include "protection/ProtectionAlerts.h"
#include "scenario/ScanScenarioSupport.h"
#include "support/ChildProcess.h"

namespace quill::test {
namespace {

constexpr const char* kMain = "Software\\Microsoft\\Internet Explorer\\Main";
constexpr const char* kHome = "http://home.example/";
constexpr platform::RootKey kUser = platform::RootKey::CurrentUser;

class RunningProtection : public ScanScenario {
 protected:
  void SetPage(const std::string& url) {
    App().Registry().CreateKey(kUser, kMain);
    App().Registry().SetValue(kUser, kMain, "Start Page", platform::MakeSz(url));
  }
  std::string Page() { return App().Registry().QueryValue(kUser, kMain, "Start Page")->data; }
  int Alerts(const char* form) {
    int n = 0;
    for (const auto& d : Host().DialogsOf(DialogKind::Modal)) n += d.formName == form;
    return n;
  }
};

TEST_F(RunningProtection, EachShieldAndTheScheduleActAtTheirOwnIntervalsForTenMinutes) {
  WriteDefinitions({});
  fx.WriteDefinitions("ExeDefinition.dat", {"spyagent.exe=Spy Agent|[progfil]Vendor"});
  App().SaveSetting("Settings", "Minimized", "Yes");
  SetPage(kHome);
  Host().SetNow(datetime::LocalDateTime{2026, 12, 7, 14, 25, 0});
  Host().OnModal("frmHomePageChangedAlert",
                 [](forms::Form& f) { static_cast<frmHomePageChangedAlert&>(f).cmdYes.Click(); });
  Host().OnModal("frmSpywareFoundAlert",
                 [](forms::Form& f) { static_cast<frmSpywareFoundAlert&>(f).cmdYes.Click(); });
  Start();
  auto& m = Main();
  std::vector<int64_t> scans;  // when each scan started
  m.cmdScan.Changed().Subscribe([&] {
    if (!m.cmdScan.Enabled() && (scans.empty() || Host().ElapsedMs() != scans.back()))
      scans.push_back(Host().ElapsedMs());
  });
  m.chkAutomaticScanYesOrNo.SetValue(1);  // daily at 14:33
  m.dtpScheduleTime.UserChange("2:33:00 PM");
  m.CmdProceed_Click();
  const auto ticks = [&] {
    return std::vector<int>{Host().Ticks(m.tmrCheckHomePage), Host().Ticks(m.tmrMemoryInspected),
                            Host().Ticks(m.tmrScheduler)};
  };

  // Hijacked at minute 1, at minute 6 with silent restoring: back within two intervals.
  Host().Advance(60000);
  SetPage("http://hijack.example/");
  Host().Advance(10000);
  EXPECT_EQ(Page(), kHome);
  // The user's scan, half a minute long from minute 4: no tick runs meanwhile.
  Host().Advance(170000);
  std::vector<int> before = ticks(), inScan;
  Host().AtDoEvents(1, [&] {
    Host().Advance(30000);
    inScan = ticks();
  });
  Scan(0);
  EXPECT_EQ(inScan, before);
  // Minute 5: a matching Wine program, one alert within two process intervals.
  Host().Advance(30000);
  ChildProcess spy("C:\\Program Files\\Vendor\\spyagent.exe", fx.Prefix().Root());
  Host().Advance(4000);
  EXPECT_EQ(Alerts("frmSpywareFoundAlert"), 1);
  EXPECT_TRUE(App().Processes().WaitForExit(spy.Pid(), 10000)) << "STOP ended it";
  m.optRestoredefaultwithoutnotification.UserSelect();
  Host().Advance(96000);
  SetPage("http://again.example/");
  Host().Advance(10000);
  EXPECT_EQ(Page(), kHome);
  EXPECT_EQ(Alerts("frmHomePageChangedAlert"), 1);

  Host().Advance(190000);
  EXPECT_EQ(scans, (std::vector<int64_t>{240000, 480000})) << "the user's, then 14:33:00";
  EXPECT_EQ(Alerts("frmSpywareFoundAlert"), 1);
  // Each interval of the ten minutes ticked, but those held in the scan (home page 6, process
  // 15, schedule 30), which fired once as it ended.
  EXPECT_EQ(ticks(), (std::vector<int>{120 - 6 + 1, 300 - 15 + 1, 600 - 30 + 1}));
}

}  // namespace
}  // namespace quill::test
