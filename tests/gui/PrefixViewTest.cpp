// Settings > Wine Prefix... in the desktop program, driven through its widgets.
#include <QComboBox>
#include <QPushButton>
#include <QTest>
#include <filesystem>
#include <fstream>

#include "GuiFixture.h"
#include "app/frmPrefix.h"
#include "support/ScopedEnv.h"

namespace quill::test {

class PrefixViewTest : public GuiFixture {};

TEST_F(PrefixViewTest, TheChosenPrefixIsWhereTheProgramStartsAgain) {
  TempPrefix other;
  for (const char* hive : {"/system.reg", "/user.reg"}) std::ofstream(other.Root() + hive);
  ScopedEnv home("HOME", other.Root() + "/drive_c");
  ScopedEnv data("XDG_DATA_HOME", other.Root() + "/drive_c");
  ScopedEnv prefix("WINEPREFIX", other.Root());
  Start();
  int offered = 0;
  WhenIdle([&] {
    QWidget* view = Host().ViewOf(App().PrefixWindow());
    if (!view || !view->isVisible()) return false;
    auto* list = view->findChild<QComboBox*>("cmbPrefix");
    offered = list->count();
    QTest::keyClick(list, ::Qt::Key_Up);  // the user picks the entry above the one in use
    QTest::mouseClick(view->findChild<QPushButton*>("cmdUse"), ::Qt::LeftButton);
    return true;
  });
  View().ActionFor("mnuSettingsItem", FrmMain::kWinePrefixItem)->trigger();
  // The other prefix, and the one in use that no known place names.
  EXPECT_EQ(offered, 2);
  EXPECT_EQ(App().nextPrefix, other.Root());
  EXPECT_TRUE(App().Ended());
}

}  // namespace quill::test
