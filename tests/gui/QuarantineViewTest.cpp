// The quarantine window of the desktop program, driven through its widgets.
#include <QPushButton>
#include <QTest>

#include "GuiFixture.h"
#include "app/frmQuarantine.h"
#include "removal/Quarantine.h"
#include "views/ListModel.h"
#include "views/QuarantineView.h"

namespace quill::test {

class QuarantineViewTest : public GuiFixture {};

TEST_F(QuarantineViewTest, ViewQuarantineListsTheItemsAndItsButtonsRestoreAndOpenTheFolder) {
  Start();
  auto& files = App().Files();
  ASSERT_TRUE(files.CreateFolder("C:\\Bad"));
  ASSERT_TRUE(files.WriteFile("C:\\Bad\\tool.txt", "tool"));
  QuarantineStore store(RemovalInputsOf(App()));
  store.CreateQuarantineFolder();
  ASSERT_TRUE(store.SaveQuarantineCopy("C:\\Bad\\tool.txt", "tool.txt"));
  ASSERT_TRUE(files.DeleteFile("C:\\Bad\\tool.txt"));

  View().ActionFor("mnuQuarantineItem", 0)->trigger();
  auto& window = App().QuarantineWindow();
  auto* view = qobject_cast<gui::QuarantineView*>(Host().ViewOf(window));
  ASSERT_NE(view, nullptr);
  ASSERT_TRUE(view->isVisible());
  ASSERT_EQ(view->Items()->Model()->rowCount(), 1);

  QTest::mouseClick(view->findChild<QPushButton*>("cmdOpenFolder"), ::Qt::LeftButton);
  ASSERT_FALSE(Started().empty());
  EXPECT_EQ(Started().back(), "explorer " + store.QuarantineFolder());

  window.lvwQuarantine.UserCheck(0, true);
  QTest::mouseClick(view->findChild<QPushButton*>("cmdRestore"), ::Qt::LeftButton);
  EXPECT_EQ(files.ReadFile("C:\\Bad\\tool.txt"), "tool");
  EXPECT_EQ(window.lvwQuarantine.Item(0).SubItem(5), "Restored to C:\\Bad\\tool.txt");

  QTest::mouseClick(view->findChild<QPushButton*>("cmdClose"), ::Qt::LeftButton);
  EXPECT_FALSE(view->isVisible());
}

}  // namespace quill::test
