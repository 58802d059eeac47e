#include "support/TestHost.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/DateTime.h"
#include "forms/Form.h"
#include "forms/Timer.h"

namespace quill::test {
namespace {

using forms::Form;
using forms::MsgBoxButtons;
using forms::MsgBoxIcon;
using forms::MsgBoxResult;

class AlertForm : public Form {
 public:
  explicit AlertForm(forms::Host& host) : Form(host, "frmHomePageChangedAlert", "Alert") {}
  forms::CommandButton cmdYes{*this, "cmdYes", "Yes"};
  forms::CommandButton cmdNO{*this, "cmdNO", "No"};
  forms::Timer tmrClose{*this, "tmrClose", 500, false};
};

TEST(TestHostTest, ModalWindowReturnsWhenAHookAtTheNthDoEventsHidesIt) {
  TestHost host;
  AlertForm alert(host);
  host.AtDoEvents(5, [&] { alert.Hide(); });
  alert.Show(true);
  EXPECT_EQ(host.DoEventsCount(), 5);
  EXPECT_FALSE(alert.Visible());
  EXPECT_TRUE(alert.Loaded());
  EXPECT_FALSE(alert.Modal());
  ASSERT_EQ(host.DialogsOf(DialogKind::Modal).size(), 1u);
  EXPECT_EQ(host.Dialogs()[0].formName, "frmHomePageChangedAlert");
  EXPECT_FALSE(host.Dialogs()[0].closedByHost);
  EXPECT_TRUE(host.Failures().empty());
}

TEST(TestHostTest, ModalWindowReturnsWhenItsScriptUnloadsIt) {
  TestHost host;
  AlertForm alert(host);
  std::string answer;
  alert.cmdYes.OnClick([&] {
    answer = "yes";
    alert.Unload();
  });
  host.OnModal("FRMHOMEPAGECHANGEDALERT", [](Form& f) {
    EXPECT_TRUE(f.Visible());
    EXPECT_TRUE(f.Modal());
    f.FindControl("cmdYes")->Click();
  });
  alert.Show(true);
  EXPECT_EQ(answer, "yes");
  EXPECT_FALSE(alert.Loaded());
  EXPECT_EQ(host.DoEventsCount(), 0);

  // A script may leave the window to its own timer: the host keeps yielding, and time
  // moves when each yield advances the clock.
  host.SetDoEventsAdvance(100);
  alert.tmrClose.OnTick([&] { alert.Hide(); });
  host.OnModal("frmHomePageChangedAlert", [&](Form&) { alert.tmrClose.Enable(true); });
  alert.Show(true);
  EXPECT_FALSE(alert.Visible());
  EXPECT_EQ(host.DoEventsCount(), 5);
}

TEST(TestHostTest, UnansweredModalWindowNeverHangs) {
  TestHost host;
  AlertForm alert(host);
  alert.Show(true);  // no script, no hooks: the host closes it
  EXPECT_FALSE(alert.Visible());
  EXPECT_TRUE(host.Dialogs().back().closedByHost);
  EXPECT_TRUE(host.Failures().empty());

  // A script that leaves the window open forever: capped, and reported.
  host.SetModalCap(1000);
  host.OnModal("frmHomePageChangedAlert", [](Form&) {});
  alert.Show(true);
  EXPECT_FALSE(alert.Visible());
  EXPECT_EQ(host.DoEventsCount(), 1000);
  ASSERT_EQ(host.Failures().size(), 1u);
}

TEST(TestHostTest, RecordsEveryDialogAndAnswersFromScriptsCallbackOrDefault) {
  TestHost host;
  AlertForm owner(host);
  host.QueueMsgBox(MsgBoxResult::Yes);
  EXPECT_EQ(host.MsgBox("Remove?", MsgBoxButtons::YesNo, MsgBoxIcon::Question, "Quillonet"),
            MsgBoxResult::Yes);
  // Nothing scripted: OK for a plain box, the negative answer otherwise.
  EXPECT_EQ(host.MsgBox("Done", MsgBoxButtons::OkOnly, MsgBoxIcon::Information, "Q"),
            MsgBoxResult::Ok);
  EXPECT_EQ(host.MsgBox("Sure?", MsgBoxButtons::YesNo, MsgBoxIcon::Question, "Q"),
            MsgBoxResult::No);
  EXPECT_EQ(host.MsgBox("More?", MsgBoxButtons::OkCancel, MsgBoxIcon::None, "Q"),
            MsgBoxResult::Cancel);
  host.OnMsgBox([](const DialogRecord& d) {
    return d.text == "Continue?" ? MsgBoxResult::Ok : MsgBoxResult::Cancel;
  });
  EXPECT_EQ(host.MsgBox("Continue?", MsgBoxButtons::OkCancel, MsgBoxIcon::None, "Q"),
            MsgBoxResult::Ok);
  host.QueueMsgBox(MsgBoxResult::Yes);  // not a button of an OK box: the host says so
  host.MsgBox("Info", MsgBoxButtons::OkOnly, MsgBoxIcon::None, "Q");
  EXPECT_EQ(host.Failures().size(), 1u);

  host.QueueInput(std::string("my site"));
  EXPECT_EQ(host.InputBox("Describe", "Submit", "default"), "my site");
  EXPECT_FALSE(host.InputBox("Again", "Submit", "").has_value());
  host.QueueOpenFile(std::string("C:\\file.exe"));
  EXPECT_EQ(host.OpenFileDialog("Pick a file"), "C:\\file.exe");
  EXPECT_FALSE(host.ChooseFolder(&owner, "Pick a folder").has_value());

  const auto& d = host.Dialogs();
  ASSERT_EQ(d.size(), 10u);
  EXPECT_EQ(d[0].text, "Remove?");
  EXPECT_EQ(d[0].title, "Quillonet");
  EXPECT_EQ(d[0].buttons, MsgBoxButtons::YesNo);
  EXPECT_EQ(d[0].icon, MsgBoxIcon::Question);
  EXPECT_EQ(d[2].result, MsgBoxResult::No);
  EXPECT_EQ(d[6].kind, DialogKind::InputBox);
  EXPECT_EQ(d[6].text, "Describe");
  EXPECT_EQ(d[6].defaultText, "default");
  EXPECT_EQ(d[8].title, "Pick a file");
  EXPECT_EQ(d[9].kind, DialogKind::ChooseFolder);
  EXPECT_EQ(d[9].formName, "frmHomePageChangedAlert");
  EXPECT_EQ(host.DialogsOf(DialogKind::MsgBox).size(), 6u);
}

TEST(TestHostTest, HooksRunAtTheirDoEventsAndTheClockStartsOnAMonday) {
  TestHost host;
  EXPECT_EQ(datetime::WeekdayName(host.NowLocal()), "Monday");
  EXPECT_EQ(host.NowLocal(), (datetime::LocalDateTime{2026, 1, 5, 9, 0, 0}));
  std::vector<std::string> log;
  host.DoEvents();
  host.AtDoEvents(2, [&] { log.push_back("once@" + std::to_string(host.DoEventsCount())); });
  int every = host.EveryDoEvents([&] { log.push_back("every"); });
  host.DoEvents();
  host.DoEvents();
  host.RemoveHook(every);
  host.DoEvents();
  EXPECT_EQ(log, (std::vector<std::string>{"every", "once@3", "every"}));
  EXPECT_EQ(host.PendingHooks(), 0);

  host.SetNow(datetime::LocalDateTime{2026, 3, 1, 23, 59, 59});
  host.SetDoEventsAdvance(1000);
  host.DoEvents();
  EXPECT_EQ(host.NowLocal(), (datetime::LocalDateTime{2026, 3, 2, 0, 0, 0}));
}

TEST(TestHostTest, TrayClipboardAndQuit) {
  TestHost host;
  auto alert = std::make_unique<AlertForm>(host);
  EXPECT_FALSE(host.TrayModify(*alert, "x"));  // no icon yet
  EXPECT_TRUE(host.TrayAdd(*alert, "Quillonet"));
  EXPECT_FALSE(host.TrayAdd(*alert, "again"));
  EXPECT_TRUE(host.TrayModify(*alert, "Scanning"));
  EXPECT_EQ(host.TrayTip("frmHomePageChangedAlert"), "Scanning");
  alert.reset();  // a destroyed window leaves no icon behind
  EXPECT_FALSE(host.TrayPresent("frmHomePageChangedAlert"));

  host.ClipboardSetText("copied");
  EXPECT_EQ(host.Clipboard(), "copied");
  host.ClipboardClear();
  EXPECT_EQ(host.Clipboard(), "");
  EXPECT_FALSE(host.QuitRequested());
  host.Quit();
  EXPECT_TRUE(host.QuitRequested());
}

}  // namespace
}  // namespace quill::test
