// The Live Update windows of the desktop program, driven through their widgets.
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "GuiFixture.h"
#include "app/UpdateWindows.h"
#include "app/frmDownload.h"
#include "app/frmSignatureUpdated.h"
#include "support/DefServer.h"
#include "support/ScopedEnv.h"
#include "support/StoredSettings.h"
#include "views/DownloadView.h"
#include "views/NotificationView.h"

namespace quill::test {

class UpdateWindowsViewTest : public GuiFixture {};

TEST_F(UpdateWindowsViewTest, DownloadWindowShowsTheRunAndStaysReachableWithoutATray) {
  Start();
  UpdateWindows windows(App());
  windows.OpenDownloadWindow();
  auto& download = App().Download();
  auto* view = qobject_cast<gui::DownloadView*>(Host().ViewOf(download));
  ASSERT_NE(view, nullptr);
  ASSERT_TRUE(view->isVisible());
  EXPECT_EQ(view->Caption()->text().toStdString(), "Connecting to server/downloading.....");
  windows.ShowStatus("Downloaded 2048 bytes.");
  EXPECT_EQ(view->Status()->text().toStdString(), "Downloaded 2048 bytes.");
  EXPECT_TRUE(view->Status()->isReadOnly());
  EXPECT_TRUE(view->PictureUp()->isVisible());
  EXPECT_FALSE(view->PictureDown()->isVisible());
  download.tmrBlink.Fire();
  EXPECT_EQ(view->Caption()->text().toStdString(), "Connecting to the Server.");
  EXPECT_FALSE(view->PictureUp()->isVisible());
  EXPECT_TRUE(view->PictureDown()->isVisible());

  // Without a notification area the window itself is the way back: minimized to the task
  // bar and restored from there, or through the icon's double-click where there is a tray.
  EXPECT_TRUE(Host().HasTrayIcon(download));
  view->showMinimized();
  EXPECT_EQ(download.State(), forms::WindowState::Minimized);
  view->showNormal();
  EXPECT_EQ(download.State(), forms::WindowState::Normal);
  EXPECT_TRUE(download.Visible());
  download.SetState(forms::WindowState::Minimized);
  download.MouseMove(515 * Host().Screen().twipsPerPixelX, 0);
  EXPECT_EQ(download.State(), forms::WindowState::Normal);
  EXPECT_FALSE(view->isMinimized());

  QTest::mouseClick(view->CancelButton(), ::Qt::LeftButton);
  EXPECT_FALSE(download.Loaded());
  EXPECT_FALSE(view->isVisible());
  EXPECT_FALSE(Host().HasTrayIcon(download));
  windows.ShowStatus("Downloaded 4096 bytes.");
  EXPECT_FALSE(download.Loaded());
  EXPECT_FALSE(view->isVisible());
}

TEST_F(UpdateWindowsViewTest, NoticeIsAFramelessTopCardThatFollowsTheModelUntilOk) {
  Start();
  UpdateWindows windows(App());
  windows.ShowNotification("Your Quillonet definitions have been updated!");
  auto& notice = App().SignatureUpdated();
  auto* view = qobject_cast<gui::NotificationView*>(Host().ViewOf(notice));
  ASSERT_NE(view, nullptr);
  ASSERT_TRUE(view->isVisible());
  EXPECT_TRUE(view->windowFlags() & ::Qt::FramelessWindowHint);
  EXPECT_TRUE(view->windowFlags() & ::Qt::WindowStaysOnTopHint);
  EXPECT_EQ(view->Message()->text().toStdString(), "Your Quillonet definitions have been updated!");

  const auto screen = Host().Screen();
  auto expectAtModel = [&] {
    EXPECT_EQ(view->pos(),
              QPoint(notice.Left() / screen.twipsPerPixelX, notice.Top() / screen.twipsPerPixelY));
    EXPECT_EQ(view->size(), QSize(notice.Width() / screen.twipsPerPixelX,
                                  notice.Height() / screen.twipsPerPixelY));
  };
  expectAtModel();
  const int startY = view->y();
  for (int tick = 0; tick < 60; ++tick) notice.tmrPopupSignatureUpdate.Fire();
  EXPECT_LT(view->y(), startY);
  expectAtModel();
  // A long text (German says the most) makes the card taller, never past the work area.
  notice.lblUpdateInfo.SetCaption(std::string(12, 'W') + std::string(60, ' ') +
                                  App().Msg("MSG_UPDATE_FAILED") + App().Msg("MSG_THANK2"));
  view->layout()->activate();
  EXPECT_GT(notice.Height(), frmSignatureUpdated::kHeight);
  EXPECT_GE(view->Message()->height(), view->Message()->heightForWidth(view->Message()->width()));
  EXPECT_GE(view->y(), 0);
  expectAtModel();

  QTest::mouseClick(view->OkButton(), ::Qt::LeftButton);
  EXPECT_FALSE(notice.Loaded());
  EXPECT_FALSE(view->isVisible());
  EXPECT_EQ(GetSetting(App(), "OptionAndSettings", "SHOW", ""), "false");
}

TEST_F(UpdateWindowsViewTest, ShiftClickOnUpdateNowListsTheSiteThenUpdatesWithBothWindowsShown) {
  DefServer server;
  ASSERT_TRUE(server.Publish("20270101-000000", {{"FILE", {"bad.txt=Bad File|[windir]|Adware"}}}));
  ASSERT_TRUE(server.Start());
  ScopedEnv base("QUILLONET_UPDATE_SERVER", server.BaseUrl());
  ScopedEnv key("QUILLONET_UPDATE_KEY", server.PublicKeyPath().string());
  WriteStarterDefinitions();
  Start();
  // The download window is on screen while the run fetches and merges.
  bool downloadSeen = false;
  WhenIdle([&] {
    QWidget* view = Host().ViewOf(App().Download());
    downloadSeen = view && view->isVisible();
    return downloadSeen;
  });
  auto* update = Widget<QPushButton>("cmdUpdate");
  ASSERT_TRUE(update->isEnabled());
  QTest::mouseClick(update, ::Qt::LeftButton, ::Qt::ShiftModifier);

  const auto messages = MessagesShown();
  ASSERT_FALSE(messages.empty());
  EXPECT_EQ(messages[0].rfind("http://www.quillonet.example/definitions/version/R.HTM\r\n", 0), 0u)
      << messages[0];
  EXPECT_TRUE(downloadSeen);
  EXPECT_FALSE(App().Download().Loaded());
  auto* notice = qobject_cast<gui::NotificationView*>(Host().ViewOf(App().SignatureUpdated()));
  ASSERT_NE(notice, nullptr);
  EXPECT_TRUE(notice->isVisible());
  EXPECT_EQ(notice->Message()->text().toStdString(), App().Msg("MSG_UPDATED_DEFS"));
}

}  // namespace quill::test
