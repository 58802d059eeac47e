// Choosing the Wine prefix the desktop program protects, through the Settings menu.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "app/frmPrefix.h"
#include "support/AppFixture.h"
#include "support/ScopedEnv.h"

namespace quill {
namespace {

namespace fs = std::filesystem;

TEST(PrefixChoice, TheSettingsMenuListsTheUsersPrefixesAndStartsAgainOnTheChosenOne) {
  test::AppFixture f;
  test::TempPrefix other;
  const fs::path home = fs::path(f.SettingsFolder()) / "home";
  fs::create_directories(home);
  fs::create_directory_symlink(f.Prefix().Root(), home / ".wine");
  for (const std::string& root : {f.Prefix().Root(), other.Root()})
    for (const char* hive : {"/system.reg", "/user.reg"}) std::ofstream(root + hive, std::ios::app);
  test::ScopedEnv homeEnv("HOME", home.string());
  test::ScopedEnv dataEnv("XDG_DATA_HOME", (home / "data").string());
  test::ScopedEnv prefixEnv("WINEPREFIX", other.Root());
  f.Start();

  auto& item = f.Main().mnuSettingsItem[FrmMain::kWinePrefixItem];
  EXPECT_TRUE(item.Visible());
  std::vector<std::string> offered;
  std::string shownPath;
  f.Host().OnModal("frmPrefix", [&](forms::Form& form) {
    auto& window = dynamic_cast<frmPrefix&>(form);
    offered = window.cmbPrefix.Items();
    shownPath = window.lblPath.Caption();
    window.cmbPrefix.SetListIndex(0);
    window.cmdUse.Click();
  });
  item.Click();
  // The machine in use is selected; $WINEPREFIX comes first.
  EXPECT_EQ(offered, (std::vector<std::string>{other.Root() + " (WINEPREFIX)",
                                               f.Prefix().Root() + " (wine)"}));
  EXPECT_EQ(shownPath, f.Prefix().Root());
  EXPECT_EQ(f.App().nextPrefix, other.Root());
  EXPECT_TRUE(f.App().Ended());
  EXPECT_FALSE(f.Main().Loaded());
}

}  // namespace
}  // namespace quill
