#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/Application.h"
#include "app/FrmMain.h"
#include "definitions/ExclusionList.h"
#include "removal/RemovalTestSupport.h"
#include "support/AppFixture.h"

namespace quill {
namespace {

class ExclusionCommandsTest : public ::testing::Test {
 protected:
  void SetUp() override { fx_.Start(); }
  Application& App() { return fx_.App(); }
  FrmMain& Main() { return fx_.Main(); }
  forms::ListView& Results() { return Main().lvwPicRemoveListOfSpywareFoundAndToBeRemoved; }
  std::string ExclusionFile() {
    return App().Files().ReadFile(App().Exclusions().FilePath()).value_or("<absent>");
  }
  /// A cookie hit, a registry hit and a file hit as the scanners list them.
  void ListHits() {
    test::AddCookieHit(Main(), "C:\\users\\me\\Cookies\\me@ads[1].txt");
    test::AddRegistryHit(Main(), platform::RootKey::CurrentUser, "Software\\Ads", "", "Ads Key");
    test::AddFileHit(Main(), "C:\\Ads\\ads.exe", "Ads Program");
  }

  test::AppFixture fx_;
};

TEST_F(ExclusionCommandsTest, NothingListedSaysSorry) {
  fx_.Host().ClearDialogs();
  Main().cmdExclude_Click();
  auto boxes = fx_.Host().DialogsOf(test::DialogKind::MsgBox);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, App().Msg("MSG_SORRY"));
  EXPECT_EQ(boxes[0].text, "Sorry, there are no entries to be excluded.");
  EXPECT_EQ(boxes[0].icon, forms::MsgBoxIcon::Information);
  EXPECT_EQ(boxes[0].title, App().brand.programName);
  EXPECT_EQ(ExclusionFile(), "<absent>");
}

TEST_F(ExclusionCommandsTest, AskingFirstAndNoChangesNothing) {
  ListHits();
  Results().UserCheck(0, true);
  fx_.Host().ClearDialogs();
  fx_.Host().QueueMsgBox(forms::MsgBoxResult::No);
  Main().cmdExclude_Click();

  auto boxes = fx_.Host().DialogsOf(test::DialogKind::MsgBox);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].buttons, forms::MsgBoxButtons::YesNo);
  EXPECT_EQ(boxes[0].title, "Really Exclude?");
  EXPECT_EQ(boxes[0].text,
            "Are you sure you want to exclude the selected files?\r\n\r\n"
            "Excluded files will not show up as Adware/Spyware on future scans.\r\n\r\n"
            "You can edit the list of excluded files through the Quarantine menu.");
  EXPECT_EQ(Results().Count(), 3);
  EXPECT_EQ(ExclusionFile(), "<absent>");
}

TEST_F(ExclusionCommandsTest, YesExcludesTheTickedRowsAndRemovesThemEverywhere) {
  ListHits();
  Results().UserCheck(0, true);  // the cookie
  Results().UserCheck(1, true);  // the registry key
  Main().lblDeletingCaption.SetCaption("C:\\Ads\\ads.exe");
  fx_.Host().QueueMsgBox(forms::MsgBoxResult::Yes);
  Main().cmdExclude_Click();

  EXPECT_EQ(ExclusionFile(),
            "C:\\users\\me\\Cookies\\me@ads[1].txt\r\n\r\n"
            "me@ads[1].txt\r\n\r\n"
            "HKEY_CURRENT_USER\\Software\\Ads\r\n\r\n"
            "Ads Key\r\n\r\n");
  EXPECT_TRUE(App().Exclusions().IsExcluded("c:\\users\\me\\cookies\\me@ads[1].txt"));
  EXPECT_TRUE(App().Exclusions().IsExcluded("HKEY_CURRENT_USER\\Software\\Ads"));

  ASSERT_EQ(Results().Count(), 1);
  EXPECT_EQ(Results().Item(0).text, "Ads Program");
  const FindingList& found = Main().Findings();
  EXPECT_EQ(found.At(0).state, FindingState::Excluded);
  EXPECT_FALSE(found.At(0).pending || found.At(1).pending);
  EXPECT_TRUE(found.At(2).pending);
  EXPECT_EQ(Main().lvwFilesToBeDeleted.Count(), 1);
  EXPECT_EQ(Main().lvwCookiesToDelete.Count(), 0);
  EXPECT_EQ(Main().lvwSpywareFound.Count(), 3);  // the progress list has no ticks
  EXPECT_EQ(Main().lblDeletingCaption.Caption(), "");
}

TEST_F(ExclusionCommandsTest, NothingTickedAsksAndThenChangesNothing) {
  ListHits();
  fx_.Host().QueueMsgBox(forms::MsgBoxResult::Yes);
  Main().cmdExclude_Click();
  EXPECT_EQ(Results().Count(), 3);
  EXPECT_EQ(ExclusionFile(), "<absent>");
}

TEST_F(ExclusionCommandsTest, ViewExclusionsOpensTheFileOrSaysThereIsNone) {
  const size_t before = fx_.Started().size();
  fx_.Host().ClearDialogs();
  Main().ViewExclusions();
  auto boxes = fx_.Host().DialogsOf(test::DialogKind::MsgBox);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, "No exclusion file exists yet.");
  EXPECT_EQ(boxes[0].title, "No Exclusion File");
  EXPECT_EQ(boxes[0].buttons, forms::MsgBoxButtons::OkOnly);
  EXPECT_EQ(fx_.Started().size(), before);

  App().Exclusions().AddExclusion("something");
  Main().ViewExclusions();
  ASSERT_EQ(fx_.Started().size(), before + 1);
  const std::string path = App().Exclusions().FilePath();
  const std::string expected =
      path.find(' ') == std::string::npos ? "notepad " + path : "notepad \"" + path + "\"";
  EXPECT_EQ(fx_.Started().back(), expected);
  EXPECT_EQ(fx_.Host().DialogsOf(test::DialogKind::MsgBox).size(), 1u);
}

TEST_F(ExclusionCommandsTest, HandEditWithoutLineEndAndAFailedWrite) {
  // The user's editor saved the last entry without a line end.
  ASSERT_TRUE(App().Files().WriteFile(App().Exclusions().FilePath(), "C:\\Edited\\a.exe"));
  EXPECT_TRUE(App().Exclusions().AddExclusion("C:\\Ads\\b.exe"));
  EXPECT_EQ(ExclusionFile(), "C:\\Edited\\a.exe\r\nC:\\Ads\\b.exe\r\n\r\n");
  EXPECT_TRUE(App().Exclusions().IsExcluded("C:\\Edited\\a.exe"));
  EXPECT_TRUE(App().Exclusions().IsExcluded("C:\\Ads\\b.exe"));

  // A list that cannot be written: the user is told, and the rows stay.
  ASSERT_TRUE(App().Files().DeleteFile(App().Exclusions().FilePath()));
  ASSERT_TRUE(App().Files().CreateFolder(App().Exclusions().FilePath()));
  EXPECT_FALSE(App().Exclusions().AddExclusion("C:\\Ads\\c.exe"));
  ListHits();
  Results().UserCheck(2, true);
  fx_.Host().ClearDialogs();
  fx_.Host().QueueMsgBox(forms::MsgBoxResult::Yes);
  Main().cmdExclude_Click();
  auto boxes = fx_.Host().DialogsOf(test::DialogKind::MsgBox);
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[1].text, "The exclusion list could not be written, so nothing was excluded: " +
                               App().Exclusions().FilePath());
  EXPECT_EQ(Results().Count(), 3);
  EXPECT_TRUE(Main().Findings().At(2).pending);
}

}  // namespace
}  // namespace quill
