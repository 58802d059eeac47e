#include <gtest/gtest.h>

#include "Win32Host.h"
#include "forms/Form.h"
#include "views/FormWindow.h"

// A window drawn by the Windows API, bound both ways to its form, under Wine.
namespace quill::win {
namespace {

class PanelForm : public forms::Form {
 public:
  explicit PanelForm(forms::Host& host) : Form(host, "frmPanel", "Panel") {}
  forms::Label lblInfo{*this, "lblInfo", "Ready"};
  forms::CommandButton cmdGo{*this, "cmdGo", "Go"};
  forms::CheckBox chkOn{*this, "chkOn", "On"};
  forms::ComboBox cboWhen{*this, "cboWhen"};
  forms::TextBox txtName{*this, "txtName"};
  forms::ListView lvwItems{*this, "lvwItems", {"Name", "Location"}, true};
};

class PanelWindow : public FormWindow {
 public:
  explicit PanelWindow(PanelForm& form) : FormWindow(form, 300, 200) {
    info = binder_.Label(form.lblInfo);
    go = binder_.Button(form.cmdGo);
    on = binder_.Check(form.chkOn);
    when = binder_.Combo(form.cboWhen);
    name = binder_.Text(form.txtName);
    list = binder_.List(form.lvwItems);
    Built();
  }
  HWND info, go, on, when, name, list;

 private:
  void Layout(int, int) override {
    for (HWND child : {info, go, on, when, name, list}) Place(child, 10, 10, 100, 24);
  }
};

TEST(Win32ViewTest, ControlsAndChildWindowsFollowEachOther) {
  Win32Host host;
  ASSERT_TRUE(host.Ready()) << "no display for the windows";
  PanelForm form(host);
  PanelWindow* view = nullptr;
  host.SetViewFactory([&](forms::Form&) { return (view = new PanelWindow(form))->Handle(); });
  int clicks = 0, ticks = 0;
  form.cmdGo.OnClick([&] { form.lblInfo.SetCaption("Went " + std::to_string(++clicks)); });
  form.chkOn.OnClick([&] { ++ticks; });
  form.cboWhen.AddItem("Daily");
  form.cboWhen.AddItem("Weekly");
  form.Load();
  form.Show();
  ASSERT_NE(view, nullptr);
  EXPECT_TRUE(IsWindowVisible(view->Handle()));
  EXPECT_EQ(WindowText(view->Handle()), L"Panel");

  // The user's actions reach the model, and the model's changes reach the screen.
  SendMessageW(view->go, BM_CLICK, 0, 0);
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(WindowText(view->info), L"Went 1");
  SendMessageW(view->on, BM_CLICK, 0, 0);
  EXPECT_EQ(form.chkOn.Value(), 1);
  EXPECT_EQ(ticks, 1);
  form.chkOn.SetValue(0);
  EXPECT_EQ(SendMessageW(view->on, BM_GETCHECK, 0, 0), BST_UNCHECKED);
  SendMessageW(view->when, CB_SETCURSEL, 1, 0);
  SendMessageW(view->Handle(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(view->when), CBN_SELCHANGE),
               reinterpret_cast<LPARAM>(view->when));
  EXPECT_EQ(form.cboWhen.ListIndex(), 1);
  SetWindowTextW(view->name, L"Gr\u00fc\u00dfe");
  EXPECT_EQ(form.txtName.Text(),
            "Gr\xC3\xBC\xC3\x9F"
            "e");
  form.SetCaption("Panel 2");
  EXPECT_EQ(WindowText(view->Handle()), L"Panel 2");
  form.cmdGo.SetEnabled(false);
  EXPECT_FALSE(IsWindowEnabled(view->go));

  // The list shows the rows as they come, and a tick by the keyboard reaches the model.
  form.lvwItems.Add("Toolbar", 0, {"C:\\bad"});
  form.lvwItems.Add("Cookie", 0, {"C:\\cookies"});
  EXPECT_EQ(ListView_GetItemCount(view->list), 2);
  wchar_t cell[64] = L"";
  ListView_GetItemText(view->list, 1, 1, cell, 64);
  EXPECT_EQ(std::wstring(cell), L"C:\\cookies");
  ListView_SetItemState(view->list, 1, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  EXPECT_EQ(form.lvwItems.SelectedIndex(), 1);
  NMLVKEYDOWN key{
      {view->list, static_cast<UINT_PTR>(GetDlgCtrlID(view->list)), LVN_KEYDOWN}, VK_SPACE, 0};
  SendMessageW(view->Handle(), WM_NOTIFY, key.hdr.idFrom, reinterpret_cast<LPARAM>(&key));
  EXPECT_TRUE(form.lvwItems.Item(1).checked);
  EXPECT_FALSE(form.lvwItems.Item(0).checked);

  // Closing the window unloads the form, which hides it.
  SendMessageW(view->Handle(), WM_CLOSE, 0, 0);
  EXPECT_FALSE(form.Loaded());
  EXPECT_FALSE(IsWindowVisible(host.ViewOf(form)));
}

}  // namespace
}  // namespace quill::win
