// Scheduled scans on the test host's virtual clock, through the real main window: every kind
// of schedule, one scan per occurrence, a moment that passed while nothing ticked, automatic
// removal only for the scheduled scan, and a schedule switched off that stays off.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "base/DateTime.h"
#include "scenario/ScanScenarioSupport.h"
#include "support/StoredSettings.h"

namespace quill::test {
namespace {

using datetime::LocalDateTime;

class Scheduler : public ScanScenario {
 protected:
  void SetUp() override {
    WriteDefinitions({"evil.exe=Evil Threat|[progfil]EvilCo|Spyware"});
    // 7 December 2026 is a Monday.
    Host().SetNow(LocalDateTime{2026, 12, 7, 8, 0, 0});
    Start();
    // Every scan the scan run begins, by the start its state records (scans yield as they go).
    Host().EveryDoEvents([this] {
      const ScanState& scan = Main().Scan();
      if (scan.running && !scan.ScanStartedAt.empty() &&
          (starts_.empty() || starts_.back() != scan.ScanStartedAt))
        starts_.push_back(scan.ScanStartedAt);
    });
  }

  /// Fills the Schedule page as a user would and presses "Apply".
  void Apply(int day, std::optional<std::string> time, std::optional<std::string> date = {},
             bool on = true) {
    auto& m = Main();
    m.chkAutomaticScanYesOrNo.SetValue(1);
    m.cmbDays.SetListIndex(day);
    m.dtpScheduleTime.UserChange(time);
    if (day == 8) m.dtpScheduleDate.UserChange(date);
    if (!on) m.chkAutomaticScanYesOrNo.SetValue(0);
    m.CmdProceed_Click();
  }
  /// Sets the clock (as after a sleep: no timer becomes due) and lets `ms` pass.
  void At(const LocalDateTime& when, int64_t ms = 3000) {
    Host().SetNow(when);
    Host().Advance(ms);
  }
  std::string Option(const char* key) { return GetSetting(App(), "OptionAndSettings", key, "?"); }

  int Scans() const { return static_cast<int>(starts_.size()); }

  std::vector<std::string> starts_;
};

TEST_F(Scheduler, EachKindOfScheduleFiresOncePerOccurrenceAndCatchesUpAfterAGap) {
  Apply(7, "2:30:00 PM");  // Daily
  EXPECT_EQ(Option("Day"), "7");
  EXPECT_EQ(Option("Time"), "2:30:00 PM");
  EXPECT_EQ(Option("Date"), "Null");
  At({2026, 12, 7, 14, 29, 58});
  EXPECT_EQ(starts_, std::vector<std::string>{"12/7/2026 2:30:00 PM"})
      << "the scan starts by itself at 14:30:00";
  Host().Advance(60000);
  EXPECT_EQ(Scans(), 1) << "a scan that ends within its second does not start again";
  At({2026, 12, 8, 14, 29, 59});
  EXPECT_EQ(Scans(), 2) << "the next day";
  // The machine slept across the moment: the first check afterwards still fires, once.
  At({2026, 12, 9, 14, 0, 0}, 1000);
  At({2026, 12, 9, 16, 45, 0}, 5000);
  EXPECT_EQ(Scans(), 3);

  Apply(0, "9:00:00 AM");  // Mondays
  At({2026, 12, 10, 8, 59, 58});
  At({2026, 12, 13, 8, 59, 58});
  EXPECT_EQ(Scans(), 3) << "not on a Thursday or a Sunday";
  At({2026, 12, 14, 8, 59, 58});
  EXPECT_EQ(Scans(), 4);

  // One date: refused without a date, then only on that day.
  Apply(8, "10:00:00 AM", std::nullopt);
  ASSERT_FALSE(Host().DialogsOf(DialogKind::MsgBox).empty());
  EXPECT_EQ(Host().DialogsOf(DialogKind::MsgBox).back().text, App().Msg("MSG_DATE"));
  EXPECT_EQ(Option("Day"), "0") << "a refused schedule stores nothing";
  Apply(8, "10:00:00 AM", "12/24/2026");
  At({2026, 12, 23, 9, 59, 59});
  EXPECT_EQ(Scans(), 4);
  At({2026, 12, 24, 9, 59, 59});
  EXPECT_EQ(Scans(), 5);
  At({2026, 12, 25, 9, 59, 59});
  EXPECT_EQ(Scans(), 5);

  Apply(9, std::nullopt);  // Never
  EXPECT_EQ(Option("Day"), "9");
  EXPECT_EQ(Option("Time"), "Null");
  At({2026, 12, 26, 9, 59, 59});
  EXPECT_EQ(Scans(), 5);
}

TEST_F(Scheduler, AutomaticRemovalOnlyForTheScheduledScanAndOffStaysOff) {
  const std::string evil = "C:\\Program Files\\EvilCo\\evil.exe";
  Plant(evil);
  Main().chkAutoDel.SetValue(1);
  EXPECT_EQ(GetSetting(App(), "Settings", "chkAutoDel", "?"), "1");
  Apply(7, "2:30:00 PM");
  At({2026, 12, 7, 14, 29, 59});
  ASSERT_EQ(Scans(), 1);
  EXPECT_FALSE(std::filesystem::exists(fx.Prefix().Native(evil))) << "removed without questions";
  EXPECT_FALSE(Main().AutomaticRemoval());

  // A scan the user starts afterwards only lists what it finds.
  Plant(evil);
  Scan(0);
  EXPECT_TRUE(std::filesystem::exists(fx.Prefix().Native(evil)));
  EXPECT_EQ(ResultNames(), Names({"Evil Threat"}));

  // Restoring the window leaves the scheduler running.
  Main().SetState(forms::WindowState::Minimized);
  Main().SetState(forms::WindowState::Normal);
  EXPECT_TRUE(Main().tmrScheduler.IsEnabled());

  // Switched off, it stays off, also when the program starts again.
  Apply(7, "3:00:00 PM", {}, false);
  EXPECT_EQ(Option("chkAutomaticScanYesOrNo"), "0");
  EXPECT_EQ(Main().chkAutomaticScanYesOrNo.Value(), 0);
  EXPECT_FALSE(Main().tmrScheduler.IsEnabled());
  Main().LoadSchedule();
  Main().LoadOptions();
  Main().ApplyTimerState(true);
  EXPECT_EQ(Main().chkAutomaticScanYesOrNo.Value(), 0);
  EXPECT_FALSE(Main().tmrScheduler.IsEnabled());
  At({2026, 12, 7, 14, 59, 59});
  EXPECT_EQ(Scans(), 2) << "only the user's scan";
}

}  // namespace
}  // namespace quill::test
