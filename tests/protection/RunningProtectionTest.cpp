// Background protection as it runs: started minimized with both shields and a daily schedule on,
// the virtual clock moving, every check reached only through its window timer.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "app/ProtectionAlerts.h"
#include "base/DateTime.h"
#include "scenario/ScanScenarioSupport.h"
#include "support/ChildProcess.h"
#include "support/StoredSettings.h"

namespace quill::test {
namespace {

using RunningProtection = ScanScenario;

TEST_F(RunningProtection, EachShieldAndTheScheduleActAtTheirOwnIntervalsForTenMinutes) {
  const char* key = "Software\\Microsoft\\Internet Explorer\\Main";
  const auto user = platform::RootKey::CurrentUser;
  auto& reg = App().Registry();
  const auto setPage = [&](const char* url) {
    reg.CreateKey(user, key);
    reg.SetValue(user, key, "Start Page", platform::MakeSz(url));
  };
  const auto page = [&] { return reg.QueryValue(user, key, "Start Page")->data; };
  const auto alerts = [&](const char* form) {
    const auto shown = Host().DialogsOf(DialogKind::Modal);
    return std::count_if(shown.begin(), shown.end(), [&](auto& d) { return d.formName == form; });
  };
  WriteDefinitions({});
  fx.WriteDefinitions("ExeDefinition.dat", {"spyagent.exe=Spy Agent|[progfil]Vendor"});
  SaveSetting(App(), "Settings", "Minimized", "Yes");
  setPage("http://home.example/");
  Host().SetNow(datetime::LocalDateTime{2026, 12, 7, 14, 25, 0});
  Host().OnModal("frmHomePageChangedAlert",
                 [](forms::Form& f) { static_cast<frmHomePageChangedAlert&>(f).cmdYes.Click(); });
  Host().OnModal("frmSpywareFoundAlert",
                 [](forms::Form& f) { static_cast<frmSpywareFoundAlert&>(f).cmdYes.Click(); });
  Start();
  auto& m = Main();
  std::vector<std::string> scans;  // when each scan started, as the scan run records it
  Host().EveryDoEvents([&] {
    const ScanState& scan = m.Scan();
    if (scan.running && !scan.ScanStartedAt.empty() &&
        (scans.empty() || scans.back() != scan.ScanStartedAt))
      scans.push_back(scan.ScanStartedAt);
  });
  m.chkAutomaticScanYesOrNo.SetValue(1);  // daily at 14:33
  m.dtpScheduleTime.UserChange("2:33:00 PM");
  m.CmdProceed_Click();
  const auto ticks = [&] {
    return std::vector<int>{Host().Ticks(m.tmrCheckHomePage), Host().Ticks(m.tmrMemoryInspected),
                            Host().Ticks(m.tmrScheduler)};
  };

  // Hijacked at minute 1 (asked about), and at minute 6 (restored silently): back within two
  // home-page intervals.
  Host().Advance(60000);
  setPage("http://hijack.example/");
  Host().Advance(10000);
  EXPECT_EQ(page(), "http://home.example/");
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
  EXPECT_EQ(alerts("frmSpywareFoundAlert"), 1);
  EXPECT_TRUE(App().Processes().WaitForExit(spy.Pid(), 10000)) << "STOP ended it";
  m.optRestoredefaultwithoutnotification.UserSelect();
  Host().Advance(96000);
  setPage("http://again.example/");
  Host().Advance(10000);
  EXPECT_EQ(page(), "http://home.example/");
  EXPECT_EQ(alerts("frmHomePageChangedAlert"), 1);

  Host().Advance(190000);
  EXPECT_EQ(scans, (std::vector<std::string>{"12/7/2026 2:29:00 PM", "12/7/2026 2:33:00 PM"}))
      << "the user's, then 14:33:00";
  EXPECT_EQ(alerts("frmSpywareFoundAlert"), 1);
  // Each interval of the ten minutes ticked, but those held in the scan (home page 6, process
  // 15, schedule 30), which fired once as it ended.
  EXPECT_EQ(ticks(), (std::vector<int>{120 - 6 + 1, 300 - 15 + 1, 600 - 30 + 1}));
}

}  // namespace
}  // namespace quill::test
