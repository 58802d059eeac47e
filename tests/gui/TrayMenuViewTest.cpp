// The tray menu window of the desktop program, and the way back to the main window on a
// desktop without a notification area (the offscreen platform has none).
#include <QPushButton>
#include <QTest>

#include "GuiFixture.h"
#include "app/frmMenuPopUp.h"
#include "support/StoredSettings.h"
#include "views/MenuPopUpView.h"

namespace quill::test {

class TrayMenuViewTest : public GuiFixture {};

TEST_F(TrayMenuViewTest, MenuIsAFramelessTopCardThatFollowsTheModelAndRestoresTheWindow) {
  Start();
  Main().MinimizeToTray();
  Main().MouseMove(513 * Host().Screen().twipsPerPixelX, 0);
  auto& menu = App().MenuPopUp();
  auto* view = qobject_cast<gui::MenuPopUpView*>(Host().ViewOf(menu));
  ASSERT_NE(view, nullptr);
  ASSERT_TRUE(view->isVisible());
  EXPECT_TRUE(view->windowFlags() & ::Qt::FramelessWindowHint);
  EXPECT_TRUE(view->windowFlags() & ::Qt::WindowStaysOnTopHint);
  EXPECT_EQ(view->ShowButton()->text().remove('&').toStdString(), "Show Program");
  EXPECT_EQ(view->ExitButton()->text().remove('&').toStdString(), "Exit Program");
  const auto screen = Host().Screen();
  const int startY = view->y();
  for (int tick = 0; tick < 30; ++tick) menu.tmrMenuPopup.Fire();
  EXPECT_LT(view->y(), startY);
  EXPECT_EQ(view->pos(),
            QPoint(menu.Left() / screen.twipsPerPixelX, menu.Top() / screen.twipsPerPixelY));

  // Hovering "Close This Menu" makes it bold.
  QEvent enter(QEvent::Enter);
  QApplication::sendEvent(view->CloseButton(), &enter);
  EXPECT_TRUE(view->CloseButton()->font().bold());

  QTest::mouseClick(view->ShowButton(), ::Qt::LeftButton);
  EXPECT_TRUE(Main().Visible());
  EXPECT_TRUE(Host().ViewOf(Main())->isVisible());
  EXPECT_EQ(GetSetting(App(), "Settings", "Minimized", ""), "No");
  EXPECT_TRUE(menu.tmrPopDown.Enabled());
}

TEST_F(TrayMenuViewTest, WithoutANotificationAreaTheMainWindowWaitsInTheTaskBar) {
  Start();
  Main().MinimizeToTray();
  QWidget* view = Host().ViewOf(Main());
  ASSERT_NE(view, nullptr);
  EXPECT_TRUE(view->isMinimized()) << "the window is the way back without a tray";
  view->showNormal();
  EXPECT_TRUE(Main().Visible());
  EXPECT_EQ(Main().State(), forms::WindowState::Normal);
  EXPECT_EQ(GetSetting(App(), "Settings", "Minimized", ""), "No");
}

}  // namespace quill::test
