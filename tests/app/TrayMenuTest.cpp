// The tray icon and its slide-up menu on the test host's virtual clock: clicks on the icon,
// the slide at several screen densities, the idle countdown and the menu's commands.
#include <gtest/gtest.h>

#include "app/FrmMain.h"
#include "app/clsTray.h"
#include "app/frmMenuPopUp.h"
#include "app/frmSignatureUpdated.h"
#include "base/Unicode.h"
#include "support/AppFixture.h"
#include "support/SlideCases.h"
#include "support/StoredSettings.h"

namespace quill {
namespace {

using test::AppFixture;

using test::SlideCase;

class MenuSlide : public ::testing::TestWithParam<SlideCase> {};

TEST_P(MenuSlide, ComesFullyIntoViewStaysWhileThePointerMovesThenLeavesAndUnloads) {
  const SlideCase c = GetParam();
  const int tpp = c.twipsPerPixel;
  AppFixture f;
  f.Start();
  forms::ScreenMetrics screen;
  screen.twipsPerPixelX = screen.twipsPerPixelY = tpp;
  screen.desktopWidthPx = 1280;
  screen.desktopHeightPx = 800;
  screen.taskbarHeightPx = 48;
  screen.taskbarAtTop = c.taskbarAtTop;
  screen.screenHeightTwips = 800 * tpp;
  screen.screenWidthTwips = 1280 * tpp;
  f.Host().SetScreen(screen);
  const int workTop = c.taskbarAtTop ? 48 * tpp : 0;
  const int workBottom = c.taskbarAtTop ? 800 * tpp : (800 - 48) * tpp;

  f.Main().MinimizeToTray();
  f.Main().MouseMove(513 * tpp, 0);  // a left click on the icon
  auto& menu = f.App().MenuPopUp();
  ASSERT_TRUE(menu.Visible());
  EXPECT_GE(menu.Top(), workBottom) << "starts out of view";
  EXPECT_EQ(menu.Left() + menu.Width(), 1280 * tpp);
  int previous = menu.Top();
  for (int tick = 0; tick < 1000 && menu.tmrMenuPopup.Enabled(); ++tick) {
    f.Host().Advance(1);
    ASSERT_LE(menu.Top(), previous);
    previous = menu.Top();
  }
  ASSERT_FALSE(menu.tmrMenuPopup.Enabled()) << "never came to rest";
  EXPECT_GE(menu.Top(), workTop);
  EXPECT_LE(menu.Top() + menu.Height(), workBottom);
  const int resting = menu.Top();

  // Pointer movement keeps it; six idle seconds send it away.
  f.Host().Advance(5000);
  menu.Form_MouseMove();
  f.Host().Advance(5000);
  EXPECT_EQ(menu.Top(), resting);
  f.Host().Advance(1000);
  EXPECT_TRUE(menu.tmrPopDown.Enabled());
  int lastTop = resting;
  for (int tick = 0; tick < 5000 && menu.Loaded(); ++tick) {
    lastTop = menu.Top();
    f.Host().Advance(10);
  }
  ASSERT_FALSE(menu.Loaded()) << "never closed";
  EXPECT_GE(menu.Top(), 800 * tpp) << "closed before it left the screen";
  EXPECT_LT(lastTop, 800 * tpp) << "stayed loaded below the screen";
}

INSTANTIATE_TEST_SUITE_P(Densities, MenuSlide, test::SlideCases(), test::SlideCaseName);

TEST(TrayMenu, ShowProgramRestoresAndRemembersTheOpenWindow) {
  AppFixture f;
  f.Start();
  auto& main = f.Main();
  main.MinimizeToTray();
  EXPECT_EQ(GetSetting(f.App(), "Settings", "Minimized", ""), "Yes");
  main.MouseMove(516 * 15, 0);  // right click
  auto& menu = f.App().MenuPopUp();
  EXPECT_EQ(menu.lblName.Caption(), f.App().brand.programName);
  EXPECT_TRUE(menu.mnuMaxmimaize.Enabled());
  EXPECT_TRUE(menu.mnuClose.Enabled());
  menu.lblMenuClose_MouseMove();
  EXPECT_TRUE(menu.lblMenuClose.Font().bold);
  menu.Form_MouseMove();
  EXPECT_FALSE(menu.lblMenuClose.Font().bold);

  menu.mnuMaxmimaize.Click();
  EXPECT_TRUE(main.Visible());
  EXPECT_EQ(main.State(), forms::WindowState::Normal);
  EXPECT_EQ(GetSetting(f.App(), "Settings", "Minimized", ""), "No");
  EXPECT_TRUE(menu.tmrPopDown.Enabled()) << "the menu slides away";
  f.Host().Advance(20000);
  EXPECT_FALSE(menu.Loaded());

  // With the window open, the menu offers no "Show Program".
  main.MouseMove(513 * 15, 0);
  EXPECT_FALSE(menu.mnuMaxmimaize.Enabled());
  // A double-click restores the window and hides the menu, which stays still while hidden.
  main.MinimizeToTray();
  main.MouseMove(515 * 15, 0);
  EXPECT_TRUE(main.Visible());
  EXPECT_FALSE(menu.Visible());
  EXPECT_EQ(GetSetting(f.App(), "Settings", "Minimized", ""), "No");
  f.Host().Advance(20000);
  EXPECT_FALSE(menu.Visible());
  main.MouseMove(513 * 15, 0);
  EXPECT_TRUE(menu.Visible());
  EXPECT_EQ(menu.Top(), menu.Placement().startTop) << "slides in afresh";
}

TEST(TrayMenu, ExitProgramRecordsTheStopAndEndsTheProgram) {
  AppFixture f;
  f.Start();
  f.Main().MinimizeToTray();
  f.Main().MouseMove(513 * 15, 0);
  f.App().MenuPopUp().mnuClose.Click();
  EXPECT_EQ(GetSetting(f.App(), "OptionAndSettings", "STATUS", ""), "STOPPED");
  EXPECT_EQ(GetSetting(f.App(), "OptionAndSettings", "RESTART", ""), "False");
  EXPECT_FALSE(f.Host().TrayPresent("FrmMain"));
  EXPECT_FALSE(f.Main().Loaded());
  EXPECT_FALSE(f.App().MenuPopUp().Loaded());
  EXPECT_TRUE(f.App().Ended());
}

TEST(TrayIcon, TipsAreCutAtWholeCharactersAndTheTestMenuShowsTheNotice) {
  AppFixture f;
  f.Start();
  auto& tray = f.App().Tray();
  tray.ChangeToolTip(f.Main(), "before the icon");
  EXPECT_FALSE(f.Host().TrayPresent("FrmMain"));
  f.Main().MinimizeToTray();
  // 62 ASCII bytes, then a two-byte character that would end past the 63-byte field.
  tray.ChangeToolTip(f.Main(), std::string(62, 'a') + "\xC3\xA4" + "b");
  EXPECT_EQ(f.Host().TrayTip("FrmMain"), std::string(62, 'a'));
  tray.ChangeToolTip(f.Main(), "Quillonet \xE2\x80\x94 gesch\xC3\xBCtzt");
  EXPECT_EQ(f.Host().TrayTip("FrmMain"), "Quillonet \xE2\x80\x94 gesch\xC3\xBCtzt");
  EXPECT_EQ(unicode::Utf8Prefix("\xF0\x9F\x9B\xA1x", 3), "");

  EXPECT_EQ(f.Main().mnuDebug.Visible(), QUILL_DEVELOPER_MENU != 0);
  f.Main().mnuDebugItem[1].RaiseClick();
  EXPECT_TRUE(f.App().SignatureUpdated().Visible());
  f.Main().mnuDebugItem[0].RaiseClick();
  f.Main().mnuDebugItem[2].RaiseClick();
  int alerts = 0;
  for (auto* w : f.App().Windows())
    if ((w->Name() == "frmHomePageChangedAlert" || w->Name() == "frmSpywareFoundAlert") &&
        w->Visible())
      ++alerts;
  EXPECT_EQ(alerts, 2);
}

}  // namespace
}  // namespace quill

namespace quill {
namespace {

TEST(LanguageTemplate, CoversEveryWindowThatHasCaptions) {
  test::AppFixture f;
  f.Start();
  const std::string text = f.Main().LanguageTemplate();
  for (const char* key :
       {"FRMMAIN_CMDSCANNOW", "FRMDOWNLOAD_CMDCANCEL", "FRMMENUPOPUP_MNUCLOSE",
        "FRMMENUPOPUP_LBLMENUCLOSE", "FRMSIGNATUREUPDATED_CMDUPDATESUCCESFULLOK",
        "FRMHOMEPAGECHANGEDALERT_CAPTION", "FRMSPYWAREFOUNDALERT_CAPTION", "MSG_FALSE_POS5"})
    EXPECT_NE(text.find(std::string("<") + key + ">"), std::string::npos) << key;
  EXPECT_EQ(f.Main().LanguageTemplate(), text) << "writing twice gives the same file";
}

}  // namespace
}  // namespace quill

namespace quill {
namespace {

TEST(TrayMenu, AppearsInTheChosenLanguage) {
  test::AppFixture f({.withLanguageFile = true});
  SaveSetting(f.App(), "Settings", "Language", "Deutsch");
  f.Start();
  f.App().Tray().ShowMenu();
  auto& menu = f.App().MenuPopUp();
  EXPECT_EQ(menu.mnuMaxmimaize.Caption(), "Programm anzeigen");
  EXPECT_EQ(menu.mnuClose.Caption(), "Programm beenden");
  EXPECT_EQ(menu.lblMenuClose.Caption(), "Dieses Menü schließen");
}

}  // namespace
}  // namespace quill
