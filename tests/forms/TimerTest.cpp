#include "forms/Timer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "forms/Form.h"
#include "support/TestHost.h"

namespace quill::forms {
namespace {

using test::TestHost;

class ClockForm : public Form {
 public:
  explicit ClockForm(Host& host, std::string name = "frmClock") : Form(host, std::move(name)) {}
  Timer tmrFast{*this, "tmrFast", 100, true};
  Timer tmrSlow{*this, "tmrSlow", 250, true};
  Timer tmrOff{*this, "tmrOff", 50, false};
};

struct TimerTest : ::testing::Test {
  TestHost host;
  std::vector<std::string> log;
  void Record(Timer& timer) {
    timer.OnTick(
        [this, &timer] { log.push_back(timer.Name() + "@" + std::to_string(host.ElapsedMs())); });
  }
};

TEST_F(TimerTest, FiresInVirtualTimeOrderOnlyWhileEnabledAndLoaded) {
  ClockForm form(host);
  Record(form.tmrFast);
  Record(form.tmrSlow);
  Record(form.tmrOff);

  // Not loaded: nothing fires however long we wait.
  host.Advance(1000);
  EXPECT_TRUE(log.empty());

  form.Load();  // countdowns start here (t = 1000)
  host.Advance(500);
  EXPECT_EQ(
      log, (std::vector<std::string>{"tmrFast@1100", "tmrFast@1200", "tmrSlow@1250", "tmrFast@1300",
                                     "tmrFast@1400", "tmrFast@1500", "tmrSlow@1500"}));
  EXPECT_EQ(host.ElapsedMs(), 1500);

  log.clear();
  form.tmrFast.SetEnabled(false);
  form.tmrOff.SetEnabled(true);  // due 50 ms from now
  host.Advance(120);
  EXPECT_EQ(log, (std::vector<std::string>{"tmrOff@1550", "tmrOff@1600"}));

  log.clear();
  form.Unload();
  host.Advance(1000);
  EXPECT_TRUE(log.empty());
  EXPECT_TRUE(host.HandlerFailures().empty());
}

TEST_F(TimerTest, TickOrderTiesFollowCreationOrderAndClockMoves) {
  ClockForm form(host);
  form.tmrSlow.SetInterval(100);  // same period as tmrFast, created after it
  Record(form.tmrFast);
  Record(form.tmrSlow);
  form.Load();
  auto before = host.Now();
  host.Advance(200);
  EXPECT_EQ(log,
            (std::vector<std::string>{"tmrFast@100", "tmrSlow@100", "tmrFast@200", "tmrSlow@200"}));
  EXPECT_EQ(host.Now() - before, std::chrono::milliseconds(200));
}

TEST_F(TimerTest, ChangesMadeInsideTheTickAreHonoured) {
  ClockForm form(host);
  int fast = 0;
  int slow = 0;
  // tmrFast slows itself down on its second tick; tmrSlow switches itself off at once.
  form.tmrFast.OnTick([&] {
    if (++fast == 2) form.tmrFast.SetInterval(1000);
  });
  form.tmrSlow.OnTick([&] {
    ++slow;
    form.tmrSlow.Enable(false);
  });
  form.Load();
  host.Advance(1199);
  EXPECT_EQ(fast, 2);  // 100, 200; next would be 1200
  EXPECT_EQ(slow, 1);
  host.Advance(1);
  EXPECT_EQ(fast, 3);
  EXPECT_EQ(host.NextDue(form.tmrFast), 2200);
  EXPECT_FALSE(host.NextDue(form.tmrSlow).has_value());

  // Disabling another timer from a tick stops it even when it was due at the same moment.
  ClockForm other(host, "frmOther");
  int otherSlow = 0;
  other.tmrSlow.SetInterval(100);
  other.tmrFast.OnTick([&] { other.tmrSlow.SetEnabled(false); });
  other.tmrSlow.OnTick([&] { ++otherSlow; });
  other.Load();
  host.Advance(500);
  EXPECT_EQ(otherSlow, 0);
}

TEST_F(TimerTest, ZeroIntervalNeverFiresAndReenablingRestartsTheCountdown) {
  ClockForm form(host);
  int ticks = 0;
  form.tmrFast.OnTick([&] { ++ticks; });
  form.Load();
  host.Advance(90);
  form.tmrFast.SetEnabled(false);
  form.tmrFast.SetEnabled(true);  // full 100 ms again from t = 90
  host.Advance(99);
  EXPECT_EQ(ticks, 0);
  host.Advance(1);
  EXPECT_EQ(ticks, 1);

  form.tmrFast.SetInterval(0);
  host.Advance(10000);
  EXPECT_EQ(ticks, 1);
  form.tmrFast.Fire();  // even a direct call does nothing without an interval
  EXPECT_EQ(ticks, 1);
}

TEST_F(TimerTest, TickThatYieldsIsNotReenteredAndTimersKeepRunning) {
  ClockForm form(host);
  host.SetDoEventsAdvance(100);
  int depth = 0;
  int maxDepth = 0;
  int fastTicks = 0;
  int slowTicks = 0;
  form.tmrSlow.OnTick([&] {
    ++slowTicks;
    ++depth;
    maxDepth = std::max(maxDepth, depth);
    // A long operation inside the tick that keeps the window responsive.
    for (int i = 0; i < 10; ++i) host.DoEvents();
    --depth;
  });
  form.tmrFast.OnTick([&] { ++fastTicks; });
  form.Load();
  host.Advance(250);
  EXPECT_EQ(maxDepth, 1);
  EXPECT_EQ(slowTicks, 1);
  EXPECT_GE(fastTicks, 9);  // tmrFast ran while tmrSlow's tick yielded
  EXPECT_EQ(host.ElapsedMs(), 1250);
  // tmrSlow became due while its tick ran; it fires late, once, not once per missed period.
  host.Advance(1);
  EXPECT_EQ(slowTicks, 2);
  EXPECT_EQ(maxDepth, 1);
}

TEST_F(TimerTest, HeldTimersKeepTheirRhythmAndOneDueMeanwhileFiresOnceOnRelease) {
  ClockForm form(host);
  Record(form.tmrFast);
  Record(form.tmrSlow);
  form.Load();  // fast due at 100, slow at 250
  host.Advance(150);
  form.tmrFast.Hold();
  form.tmrSlow.Hold();
  host.Advance(50);
  form.tmrSlow.Release();  // not due meanwhile: still due at 250, not 450
  host.Advance(250);
  form.tmrFast.Release();  // due at 200 while held: once now, then every 100
  form.tmrSlow.Hold();
  form.tmrSlow.Enable(true);  // switched on: afresh, at 700
  host.Advance(250);
  EXPECT_EQ(log, (std::vector<std::string>{"tmrFast@100", "tmrSlow@250", "tmrFast@450",
                                           "tmrFast@550", "tmrFast@650", "tmrSlow@700"}));
}

TEST_F(TimerTest, DestroyedTimerIsForgottenByTheHost) {
  {
    ClockForm form(host);
    form.Load();
    EXPECT_EQ(host.TimerCount(), 3);
  }
  EXPECT_EQ(host.TimerCount(), 0);
  host.Advance(1000);  // nothing dangling to fire
}

}  // namespace
}  // namespace quill::forms
