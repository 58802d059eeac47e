// The results list: categories, sorting, tick propagation and browsing.
#include <gtest/gtest.h>

#include "results/ThreatCategory.h"
#include "support/AppFixture.h"

namespace quill {
namespace {

using test::AppFixture;

class ResultsList : public ::testing::Test {
 protected:
  void SetUp() override { f.Start(); }
  forms::ListView& Results() { return f.Main().lvwPicRemoveListOfSpywareFoundAndToBeRemoved; }
  AppFixture f;
};

TEST(ThreatCategories, TableIsExactAndCaseSensitive) {
  EXPECT_EQ(ThreatCategories().size(), 40u);
  auto empty = FindThreatCategory("");
  ASSERT_TRUE(empty);
  EXPECT_EQ(empty->risk, "Medium");
  EXPECT_EQ(empty->details, "Unknown");
  EXPECT_EQ(FindThreatCategory("Trojan")->risk, "HIGH");
  EXPECT_FALSE(FindThreatCategory("trojan"));
  EXPECT_EQ(FindThreatCategory("Password Capture")->details, "Attempts to seal your passwords");
  EXPECT_EQ(FindThreatCategory("Tracking Cookie")->risk, "Low");
}

TEST_F(ResultsList, FillCategoriesWritesRiskAndDetailsOrLeavesUnknownTypesEmpty) {
  Results().Add("A", kItemFile, {"C:\\a.exe"});
  Results().Add("B", kItemFile, {"C:\\b.exe", "trojan"});
  Results().Add("C", kItemFile, {"C:\\c.exe", "Adware"});
  f.Main().FillCategories();
  EXPECT_EQ(Results().Item(0).SubItem(2), "");
  EXPECT_EQ(Results().Item(0).SubItem(3), "Medium");
  EXPECT_EQ(Results().Item(0).SubItem(4), "Unknown");
  EXPECT_EQ(Results().Item(1).SubItem(3), "");
  EXPECT_EQ(Results().Item(1).SubItem(4), "");
  EXPECT_EQ(Results().Item(2).SubItem(3), "Medium/High");
}

TEST_F(ResultsList, ClickingAColumnTwiceSortsOneWayThenTheOther) {
  Results().Add("b", kItemFile, {"2"});
  Results().Add("c", kItemFile, {"1"});
  Results().Add("a", kItemFile, {"3"});
  Results().UserColumnClick(1);
  EXPECT_EQ(Results().Item(0).SubItem(1), "3");  // first click: descending
  Results().UserColumnClick(1);
  EXPECT_EQ(Results().Item(0).SubItem(1), "1");
  EXPECT_TRUE(f.Main().EnhListView_SortColumns(f.Main().lvwFileNotFounds, 0, false));
}

TEST_F(ResultsList, TickingAFileRowTicksEveryPendingFileOfThatThreat) {
  auto& m = f.Main();
  for (const auto& [path, threat] : {std::pair{"C:\\x\\one.exe", "Evil"},
                                     {"C:\\y\\two.dll", "Evil"},
                                     {"C:\\z\\other.exe", "Other"}}) {
    Finding hit;
    hit.kind = FindingKind::File;
    hit.name = hit.threat = threat;
    hit.location = path;
    m.Findings().Add(hit);
  }
  Results().UserCheck(0, true);
  EXPECT_TRUE(m.Findings().At(0).ticked);
  EXPECT_TRUE(m.Findings().At(1).ticked);
  EXPECT_FALSE(m.Findings().At(2).ticked);
  EXPECT_FALSE(Results().Item(1).checked);             // its own results row stays unticked
  EXPECT_TRUE(m.lvwFilesToBeDeleted.Item(1).checked);  // the hidden list shows the tick
  Results().UserCheck(0, false);
  EXPECT_FALSE(m.Findings().At(1).ticked);
  EXPECT_EQ(m.lbltracesFound.Caption(), "3");
}

TEST_F(ResultsList, FolderCookieAndRegistryRowsPropagateByTheirOwnColumns) {
  auto& m = f.Main();
  auto add = [&](FindingKind kind, const std::string& name, const std::string& threat,
                 const std::string& location) {
    Finding hit;
    hit.kind = kind;
    hit.name = name;
    hit.threat = threat;
    hit.location = location;
    if (hit.IsRegistry()) hit.keyPath = "Software\\Bad";
    return m.Findings().Add(hit);
  };
  const std::string key = "HKEY_CURRENT_USER\\Software\\Bad";
  add(FindingKind::Folder, "Bad Directory", "Bad", "C:\\Bad");
  add(FindingKind::Cookie, "Cookie: u@x[1].txt", "", "C:\\cookies\\u@x[1].txt");
  add(FindingKind::RegistryKey, "Software\\Bad", "", key);
  const int unshown = add(FindingKind::RegistryValue, "", "", key + "\\w");
  const int other = add(FindingKind::Cookie, "Cookie: y[1].txt", "", "C:\\cookies\\y[1].txt");
  // The value no threat is named for has no row, but follows the row of its key path.
  ASSERT_EQ(Results().Count(), 4);
  Results().UserCheck(0, true);
  Results().UserCheck(1, true);
  Results().UserCheck(2, true);
  for (const Finding& hit : m.Findings().Items())
    EXPECT_EQ(hit.ticked, &hit != &m.Findings().At(other)) << hit.location;
  EXPECT_TRUE(m.Findings().At(unshown).ticked);
  m.cmdSelectAll_Click();
  for (const auto& row : Results().Items()) EXPECT_TRUE(row.checked);
  EXPECT_TRUE(m.Findings().At(other).ticked);
}

TEST_F(ResultsList, DoubleClickOpensTheContainingFolderOrTheRegistryEditor) {
  Results().Add("Evil", kItemFile, {"C:\\x\\evil.exe"});
  Results().Add("Key", kItemRegistry, {"HKEY_CURRENT_USER\\Software\\Bad"});
  Results().UserDoubleClick(0);
  Results().UserDoubleClick(1);
  ASSERT_EQ(f.Started().size(), 2u);
  EXPECT_EQ(f.Started()[0], "explorer.exe C:\\x\\");
  EXPECT_EQ(f.Started()[1], "regedit.exe");
}

TEST_F(ResultsList, BrowsingSevenRowsAsksOnceAfterTheSixthWindow) {
  for (int i = 0; i < 7; ++i) Results().Add("T", kItemFile, {"C:\\d" + std::to_string(i) + "\\f"});
  for (int i = 0; i < 7; ++i) Results().SetChecked(i, true);
  f.Host().QueueMsgBox(forms::MsgBoxResult::Cancel);
  f.Main().cmdBrowse_Click();
  EXPECT_EQ(f.Started().size(), 6u);
  ASSERT_EQ(f.Host().DialogsOf(test::DialogKind::MsgBox).size(), 1u);

  f.Host().ClearDialogs();
  f.Host().QueueMsgBox(forms::MsgBoxResult::Ok);
  f.Main().cmdBrowse_Click();
  EXPECT_EQ(f.Started().size(), 13u);
  EXPECT_EQ(f.Host().DialogsOf(test::DialogKind::MsgBox).size(), 1u);
}

}  // namespace
}  // namespace quill
