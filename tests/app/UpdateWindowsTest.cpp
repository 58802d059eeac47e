// The windows a Live Update run shows, on the test host's virtual clock: the download window
// with its caption cycle and icon, the sliding notice at several screen densities, and the
// Shift listing behind "Update Now".
#include <gtest/gtest.h>

#include <algorithm>

#include "app/UpdateWindows.h"
#include "app/clsTray.h"
#include "app/frmDownload.h"
#include "app/frmSignatureUpdated.h"
#include "definitions/SelfHostedSite.h"
#include "support/AppFixture.h"
#include "support/ScopedEnv.h"
#include "support/SlideCases.h"
#include "support/StoredSettings.h"

namespace quill {
namespace {

using test::AppFixture;
using test::DialogKind;

TEST(UpdateWindows, DownloadWindowCyclesItsCaptionBlinksAndKeepsItsOwnIcon) {
  AppFixture f;
  f.Start();
  auto& app = f.App();
  UpdateWindows windows(app);
  windows.OpenDownloadWindow();
  auto& download = app.Download();
  ASSERT_TRUE(download.Visible());
  windows.ShowStatus("Downloaded 2048 bytes.");
  EXPECT_EQ(download.txtStatus.Text(), "Downloaded 2048 bytes.");
  EXPECT_EQ(download.lblProduct.Caption(), "Connecting to server/downloading.....");
  EXPECT_TRUE(download.picUp.Visible());
  EXPECT_FALSE(download.picDown.Visible());
  EXPECT_EQ(f.Host().TrayTip("frmDownload"), "Getting latest definitions.");

  const std::string connecting = "Connecting to server.....";
  const std::string checking = "Checking for Definitions.....";
  const std::string connecting2 = "Connecting to the Server.";
  const std::string sending = "Sending and receiving data, please wait.";
  const std::string sent = "Successfully sent the request.";
  const std::string receiving = "Receiving a response from the Server.";
  // Ticks 0..14, then the cycle starts again while the pictures keep alternating.
  const std::vector<std::string> expected = {
      connecting2, connecting, sending,   sending,     sending, sending,
      sent,        connecting, receiving, connecting,  sending, sending,
      sending,     sending,    sending,   connecting2, checking};
  for (size_t tick = 0; tick < expected.size(); ++tick) {
    f.Host().Advance(800);
    EXPECT_EQ(download.lblProduct.Caption(), expected[tick]) << "tick " << tick;
    // The first blink shows the down picture, the next the up one, and so on.
    EXPECT_EQ(download.picDown.Visible(), tick % 2 == 0) << "tick " << tick;
    EXPECT_NE(download.picUp.Visible(), download.picDown.Visible());
  }

  // The main window's icon stays when the download window's goes.
  f.Main().MinimizeToTray();
  auto& tray = app.Tray();
  download.SetState(forms::WindowState::Minimized);
  f.Host().SetScreen({.twipsPerPixelX = 12, .twipsPerPixelY = 12});
  download.MouseMove(515 * 12, 0);  // a left double-click on the icon at 12 twips per pixel
  EXPECT_EQ(download.State(), forms::WindowState::Normal);
  download.cmdCancel.Click();
  EXPECT_FALSE(download.Loaded());
  windows.ShowStatus("Downloaded 4096 bytes.");  // the run goes on without the window
  EXPECT_FALSE(download.Loaded());
  EXPECT_NE(download.txtStatus.Text(), "Downloaded 4096 bytes.");
  EXPECT_FALSE(f.Host().TrayPresent("frmDownload"));
  EXPECT_TRUE(tray.bRunningInTray(f.Main()));
  tray.ChangeToolTip(f.Main(), "still here");
  EXPECT_EQ(f.Host().TrayTip("FrmMain"), "still here");
}

TEST(UpdateWindows, BothWindowsAppearInTheChosenLanguage) {
  AppFixture f({.withLanguageFile = true});
  SaveSetting(f.App(), "Settings", "Language", "Deutsch");
  f.Start();
  UpdateWindows windows(f.App());
  windows.OpenDownloadWindow();
  EXPECT_EQ(f.App().Download().cmdCancel.Caption(), "Abbrechen");
  EXPECT_EQ(f.App().Download().lblProduct.Caption(),
            "Verbindung zum Server wird hergestellt, Download läuft ...");
  windows.ShowNotification(f.App().Msg("MSG_RECENT_DEFS"));
  EXPECT_EQ(f.App().SignatureUpdated().lblUpdateInfo.Caption(),
            "Sie verwenden bereits die neuesten Quillonet-Definitionen.");
}

using test::SlideCase;

class NoticeSlide : public ::testing::TestWithParam<SlideCase> {};

TEST_P(NoticeSlide, ComesFullyIntoViewRestsSevenSecondsThenLeavesTheScreenAndCloses) {
  const SlideCase c = GetParam();
  AppFixture f;
  f.Start();
  forms::ScreenMetrics screen;
  screen.twipsPerPixelX = screen.twipsPerPixelY = c.twipsPerPixel;
  screen.desktopWidthPx = 1280;
  screen.desktopHeightPx = 800;
  screen.taskbarHeightPx = 48;
  screen.taskbarAtTop = c.taskbarAtTop;
  screen.screenHeightTwips = 800 * c.twipsPerPixel;
  screen.screenWidthTwips = 1280 * c.twipsPerPixel;
  f.Host().SetScreen(screen);
  // The work area in twips: where a notice is fully in view.
  const int tpp = c.twipsPerPixel;
  const int workTop = c.taskbarAtTop ? 48 * tpp : 0;
  const int workBottom = c.taskbarAtTop ? 800 * tpp : (800 - 48) * tpp;

  UpdateWindows windows(f.App());
  windows.ShowNotification("Your Quillonet definitions have been updated!");
  auto& notice = f.App().SignatureUpdated();
  ASSERT_TRUE(notice.Visible());
  EXPECT_EQ(notice.lblUpdateInfo.Caption(), "Your Quillonet definitions have been updated!");
  EXPECT_GE(notice.Top(), workBottom) << "starts out of view";
  EXPECT_EQ(notice.Left() + notice.Width(), 1280 * tpp);

  // Slide in until it stops moving.
  int previous = notice.Top();
  int64_t stoppedAt = -1;
  for (int tick = 0; tick < 2000 && stoppedAt < 0; ++tick) {
    f.Host().Advance(10);
    ASSERT_LE(notice.Top(), previous);
    if (notice.Top() == previous) stoppedAt = f.Host().ElapsedMs();
    previous = notice.Top();
  }
  ASSERT_GE(stoppedAt, 0) << "never came to rest";
  EXPECT_GE(notice.Top(), workTop);
  EXPECT_LE(notice.Top() + notice.Height(), workBottom);
  EXPECT_GE(notice.Top() + notice.Height(), workBottom - 200) << "rests near the bottom";

  // Rests for seven seconds, then slides down until it has left the screen.
  const int resting = notice.Top();
  f.Host().Advance(6990);
  EXPECT_EQ(notice.Top(), resting);
  int lastTop = resting;
  for (int tick = 0; tick < 5000 && notice.Loaded(); ++tick) {
    lastTop = notice.Top();
    f.Host().Advance(10);
  }
  ASSERT_FALSE(notice.Loaded()) << "never closed";
  EXPECT_GT(lastTop, resting);
  EXPECT_GE(notice.Top(), 800 * tpp) << "closed before it left the screen";
  EXPECT_LT(lastTop, 800 * tpp) << "stayed loaded below the screen";
  EXPECT_EQ(GetSetting(f.App(), "OptionAndSettings", "SHOW", ""), "false");
}

INSTANTIATE_TEST_SUITE_P(Densities, NoticeSlide, test::SlideCases(), test::SlideCaseName);

TEST(UpdateWindows, OkClosesTheNoticeAtOnceAndANewNoticeStartsAfresh) {
  AppFixture f;
  f.Start();
  UpdateWindows windows(f.App());
  windows.OpenDownloadWindow();
  windows.ShowNotification("first");
  auto& notice = f.App().SignatureUpdated();
  f.Host().Advance(3000);
  windows.ShowNotification("second");
  EXPECT_EQ(notice.Top(), notice.Placement().startTop);
  EXPECT_EQ(notice.lblUpdateInfo.Caption(), "second");
  notice.cmdUpdateSuccesfullOK.Click();
  EXPECT_FALSE(notice.Loaded());
  EXPECT_EQ(GetSetting(f.App(), "OptionAndSettings", "SHOW", ""), "false");
  // "OK" also takes the download window's icon away.
  EXPECT_FALSE(f.Host().TrayPresent("frmDownload"));
}

TEST(UpdateWindows, ShiftOnUpdateNowListsTheSelfHostedSiteFirstThenUpdates) {
  // Nothing listens there: each run fails at once and says so in the notice.
  test::ScopedEnv server("QUILLONET_UPDATE_SERVER", "http://127.0.0.1:9");
  AppFixture f;
  f.Start();
  f.Host().ClearDialogs();
  f.Main().cmdUpdate.Click();
  for (const auto& box : f.Host().DialogsOf(DialogKind::MsgBox))
    EXPECT_EQ(box.text.find("/definitions/"), std::string::npos) << "listed without Shift";

  f.Host().SetShiftState(forms::kShiftMask);
  f.Host().ClearDialogs();
  const size_t eventsBefore = f.Host().FormEvents().size();
  f.Main().cmdUpdate.Click();
  auto boxes = f.Host().DialogsOf(DialogKind::MsgBox);
  ASSERT_FALSE(boxes.empty());
  const auto& events = f.Host().FormEvents();
  EXPECT_NE(
      std::find(events.begin() + static_cast<long>(eventsBefore), events.end(), "Load frmDownload"),
      events.end())
      << "the update did not run after the listing";
  EXPECT_EQ(f.App().SignatureUpdated().lblUpdateInfo.Caption(), f.App().Msg("MSG_UPDATE_FAILED"));
  EXPECT_EQ(boxes[0].buttons, forms::MsgBoxButtons::OkOnly);
  EXPECT_EQ(boxes[0].title, "Quillonet");
  EXPECT_EQ(boxes[0].text,
            "http://www.quillonet.example/definitions/version/R.HTM\r\n"
            "http://www.quillonet.example/definitions/version/F.HTM\r\n"
            "http://www.quillonet.example/definitions/version/E.HTM\r\n"
            "http://www.quillonet.example/definitions/version/C.HTM\r\n"
            "http://www.quillonet.example/definitions/data/BlockedCookies.dat\r\n"
            "http://www.quillonet.example/definitions/data/RegistryDefinition.dat\r\n"
            "http://www.quillonet.example/definitions/data/FileDefinition.dat\r\n"
            "http://www.quillonet.example/definitions/data/ExeDefinition.dat\r\n");

  // The host part of other recorded sites, and the fallback for an unfilled one.
  auto first = [](const std::string& site) {
    return SelfHostedSiteAddresses(site, "http://127.0.0.1:8080/")[0];
  };
  EXPECT_EQ(first("HTTP://Example.org/about/"), "http://www.Example.org/definitions/version/R.HTM");
  EXPECT_EQ(first("shop.WWW.example.org"), "http://shop.WWW.example.org/definitions/version/R.HTM");
  EXPECT_EQ(first("[Website]"), "http://127.0.0.1:8080/definitions/version/R.HTM");
  EXPECT_EQ(first(""), "http://127.0.0.1:8080/definitions/version/R.HTM");
}

}  // namespace
}  // namespace quill
