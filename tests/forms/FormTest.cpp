#include "forms/Form.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "forms/ListView.h"
#include "forms/Timer.h"
#include "support/TestHost.h"

namespace quill::forms {
namespace {

using test::DialogKind;
using test::TestHost;

class SampleForm : public Form {
 public:
  explicit SampleForm(Host& host, std::string name = "frmSample")
      : Form(host, std::move(name), "Sample") {}
  Label lblStatus{*this, "lblStatus", "Ready"};
  CommandButton cmdGo{*this, "cmdGo", "Go"};
  CheckBox chkAutoDel{*this, "chkAutoDel", "Delete"};
  ControlArray<OptionButton> optScan{*this, "optScan", {"Smart", "Full", "Folder"}, "scan"};
  OptionButton optMemorySheildOn{*this, "optMemorySheildOn", "On", {}, "shield"};
  OptionButton optMemorySheildOff{*this, "optMemorySheildOff", "Off", {}, "shield"};
  ComboBox cmbDays{*this, "cmbDays"};
  ProgressBar pbProgress{*this, "pbProgress"};
  TabStrip tabMain{*this, "tabMain", {"Home", "Scan"}};
  Timer tmrScroll{*this, "tmrScroll", 200, true};
};

TEST(FormTest, ControlsKeepDeclarationOrderAndAreFoundByName) {
  TestHost host;
  SampleForm form(host);
  std::vector<std::string> names;
  for (Control* c : form.Controls())
    names.push_back(c->Name() + (c->Index() ? std::to_string(*c->Index()) : ""));
  EXPECT_EQ(names,
            (std::vector<std::string>{"lblStatus", "cmdGo", "chkAutoDel", "optScan0", "optScan1",
                                      "optScan2", "optMemorySheildOn", "optMemorySheildOff",
                                      "cmbDays", "pbProgress", "tabMain", "tmrScroll"}));
  EXPECT_EQ(form.FindControl("optscan", 2), &form.optScan[2]);
  EXPECT_EQ(form.FindControl("CMDGO"), &form.cmdGo);
  EXPECT_EQ(form.FindControl("cmdMissing"), nullptr);
  EXPECT_EQ(form.tmrScroll.TypeName(), "Timer");
  EXPECT_EQ(form.optScan[1].TypeName(), "OptionButton");
  {
    Label lblExtra(form, "lblExtra");
    EXPECT_EQ(form.Controls().back(), &lblExtra);
  }
  EXPECT_EQ(form.Controls().back(), &form.tmrScroll);
}

TEST(FormTest, ClickRunsOnlyWhileEnabledAndChangesAreSignalled) {
  TestHost host;
  SampleForm form(host);
  int clicks = 0;
  int changes = 0;
  form.cmdGo.OnClick([&] { ++clicks; });
  form.cmdGo.Changed().Subscribe([&] { ++changes; });
  form.cmdGo.Click();
  form.cmdGo.SetEnabled(false);
  form.cmdGo.Click();  // a disabled button cannot be clicked
  EXPECT_EQ(clicks, 1);
  form.cmdGo.RaiseClick();  // code calling the handler directly
  EXPECT_EQ(clicks, 2);
  form.cmdGo.SetCaption("Stop");
  form.cmdGo.SetCaption("Stop");  // no change, no signal
  EXPECT_EQ(changes, 2);
}

TEST(FormTest, ProgrammaticTickRaisesTheHandlerOnceAndOptionGroupsExclude) {
  TestHost host;
  SampleForm form(host);
  int checkClicks = 0;
  form.chkAutoDel.OnClick([&] { ++checkClicks; });
  form.chkAutoDel.SetValue(1);
  form.chkAutoDel.SetValue(1);
  EXPECT_EQ(checkClicks, 1);
  form.chkAutoDel.SetEnabled(false);
  form.chkAutoDel.UserToggle();  // a user cannot untick a disabled box
  EXPECT_EQ(form.chkAutoDel.Value(), 1);
  form.chkAutoDel.SetValue(0);  // code can, and the handler runs as in the classic runtime
  EXPECT_EQ(checkClicks, 2);

  std::vector<int> optClicks(3, 0);
  for (int i = 0; i < 3; ++i) form.optScan[i].OnClick([&optClicks, i] { ++optClicks[i]; });
  int shieldClicks = 0;
  form.optMemorySheildOn.OnClick([&] { ++shieldClicks; });
  form.optMemorySheildOn.SetValue(true);

  form.optScan[0].SetValue(true);
  form.optScan[2].UserSelect();
  form.optScan[2].SetValue(true);  // already set: no second click
  EXPECT_EQ(optClicks, (std::vector<int>{1, 0, 1}));
  EXPECT_FALSE(form.optScan[0].Value());
  EXPECT_TRUE(form.optScan[2].Value());
  // Another group on the same window is not touched.
  EXPECT_TRUE(form.optMemorySheildOn.Value());
  EXPECT_EQ(shieldClicks, 1);
  form.optMemorySheildOff.SetValue(true);
  EXPECT_FALSE(form.optMemorySheildOn.Value());
  EXPECT_EQ(shieldClicks, 1);  // cleared quietly
}

TEST(FormTest, ComboProgressAndTabStripFollowTheirRules) {
  TestHost host;
  SampleForm form(host);
  int comboClicks = 0;
  form.cmbDays.OnClick([&] { ++comboClicks; });
  for (auto day : {"Monday", "Tuesday", "Wednesday"}) form.cmbDays.AddItem(day);
  form.cmbDays.SetText("tuesday");  // selects the entry quietly
  EXPECT_EQ(form.cmbDays.ListIndex(), 1);
  EXPECT_EQ(form.cmbDays.Text(), "Tuesday");
  EXPECT_EQ(comboClicks, 0);
  form.cmbDays.SetListIndex(2);
  form.cmbDays.SetListIndex(2);
  form.cmbDays.SetListIndex(7);  // out of range: ignored
  EXPECT_EQ(comboClicks, 1);
  EXPECT_EQ(form.cmbDays.Text(), "Wednesday");

  form.pbProgress.SetMax(10);
  form.pbProgress.SetValue(7);
  form.pbProgress.SetValue(11);  // beyond the maximum: the bar keeps its value
  form.pbProgress.SetValue(-1);
  EXPECT_EQ(form.pbProgress.Value(), 7);
  form.pbProgress.SetMax(5);  // a smaller maximum pulls the value in
  EXPECT_EQ(form.pbProgress.Value(), 5);

  int tabClicks = 0;
  form.tabMain.OnClick([&] { ++tabClicks; });
  form.tabMain.SelectTab(2);
  form.tabMain.SelectTab(3);  // no such tab
  EXPECT_EQ(form.tabMain.SelectedTab(), 2);
  EXPECT_EQ(tabClicks, 1);
}

TEST(FormTest, PickerAndTextBoxRaiseTheirHandlersForUserInputOnly) {
  TestHost host;
  SampleForm form(host);
  DTPicker dtpScheduleDate(form, "dtpScheduleDate");
  DTPicker dtpScheduleTime(form, "dtpScheduleTime", "hh:mm");
  TextBox txtComment(form, "txtComment");
  int dateChanges = 0;
  int timeClicks = 0;
  std::vector<int> keys;
  dtpScheduleDate.OnChange([&] { ++dateChanges; });
  dtpScheduleTime.OnClick([&] { ++timeClicks; });
  txtComment.OnKeyPress([&](int k) { keys.push_back(k); });

  dtpScheduleDate.SetValue("1/6/2026");  // code: no handler
  EXPECT_EQ(dateChanges, 0);
  dtpScheduleDate.UserChange(std::nullopt);  // the user cleared the picker
  EXPECT_EQ(dateChanges, 1);
  EXPECT_FALSE(dtpScheduleDate.Value().has_value());
  dtpScheduleTime.UserChange("2:30:00 PM");
  EXPECT_EQ(timeClicks, 1);
  EXPECT_EQ(dtpScheduleTime.Value(), "2:30:00 PM");

  txtComment.SetText("hello");
  txtComment.KeyPress(13);
  txtComment.SetEnabled(false);
  txtComment.KeyPress(13);
  EXPECT_EQ(keys, (std::vector<int>{13}));
  EXPECT_EQ(txtComment.Text(), "hello");
}

TEST(FormTest, HandlerExceptionsStayInsideTheRuntime) {
  TestHost host;
  SampleForm form(host);
  form.OnLoad([] { throw std::runtime_error("load broke"); });
  form.cmdGo.OnClick([] { throw 42; });
  form.tmrScroll.OnTick([] { throw std::logic_error("tick broke"); });
  EXPECT_NO_THROW(form.Load());
  EXPECT_TRUE(form.Loaded());
  EXPECT_NO_THROW(form.cmdGo.Click());
  EXPECT_NO_THROW(host.Advance(400));
  ASSERT_EQ(host.HandlerFailures().size(), 4u);
  EXPECT_EQ(host.HandlerFailures()[0].what, "frmSample Load");
  EXPECT_EQ(host.HandlerFailures()[0].message, "load broke");
  EXPECT_EQ(host.HandlerFailures()[1].what, "frmSample.cmdGo Click");
  EXPECT_EQ(host.HandlerFailures()[2].message, "tick broke");
  // The timer keeps running after a failed tick.
  EXPECT_EQ(host.HandlerFailures()[3].what, "frmSample.tmrScroll Timer");

  // A handler that fails half-way leaves what it did so far; the caller goes on.
  bool after = false;
  form.chkAutoDel.OnClick([&] {
    form.lblStatus.SetCaption("half");
    throw std::runtime_error("x");
  });
  form.chkAutoDel.SetValue(1);
  after = true;
  EXPECT_TRUE(after);
  EXPECT_EQ(form.lblStatus.Caption(), "half");
  EXPECT_EQ(form.chkAutoDel.Value(), 1);
}

TEST(FormTest, LifeCycleRunsHandlersInOrderAndReloads) {
  TestHost host;
  SampleForm form(host);
  std::vector<std::string> log;
  bool cancel = true;
  form.OnLoad([&] { log.push_back("load"); });
  form.OnQueryUnload([&] {
    log.push_back("query");
    return cancel;
  });
  form.OnUnload([&] { log.push_back("unload"); });
  form.OnResize([&] { log.push_back("resize"); });
  form.OnMouseMove([&](int x, int) { log.push_back("move " + std::to_string(x)); });

  form.Show();
  form.Load();  // already loaded: no second load handler
  EXPECT_TRUE(form.Visible());
  form.SetState(WindowState::Minimized);
  form.MouseMove(7725, 0);
  EXPECT_FALSE(form.Unload());  // cancelled
  EXPECT_TRUE(form.Loaded());
  cancel = false;
  EXPECT_TRUE(form.Unload());
  EXPECT_FALSE(form.Loaded());
  EXPECT_FALSE(form.Visible());
  form.Load();
  EXPECT_EQ(log, (std::vector<std::string>{"load", "resize", "move 7725", "query", "query",
                                           "unload", "load"}));
  EXPECT_EQ(host.FormEvents(),
            (std::vector<std::string>{"Load frmSample", "Show frmSample", "Hide frmSample",
                                      "Unload frmSample", "Load frmSample"}));
}

TEST(FormTest, UnloadFromInsideTheUnloadHandlerDoesNotRecurse) {
  TestHost host;
  SampleForm form(host);
  int unloads = 0;
  form.OnUnload([&] {
    ++unloads;
    form.Unload();
  });
  form.Show();
  EXPECT_TRUE(form.Unload());
  EXPECT_EQ(unloads, 1);
  EXPECT_FALSE(form.Loaded());
}

}  // namespace
}  // namespace quill::forms
