#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "app/Application.h"
#include "app/FrmMain.h"
#include "definitions/ExclusionList.h"
#include "platform/Shell.h"
#include "scan/CookieScan.h"
#include "scan/ScanInputs.h"
#include "support/AppFixture.h"

namespace quill {
namespace {

/// A cookie file as the browser writes it: name, value, host/path, flags, times, "*".
std::string CookieText(const std::string& hostAndPath) {
  return "id\n4f2a91\n" + hostAndPath + "\n1536\n2953125888\n30120554\n1289046496\n30114683\n*\n";
}

class CookieScanTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fx_.Start();
    folder_ = fx_.App().Shell().SpecialFolder(platform::csidl::kCookies).value_or("");
    ASSERT_FALSE(folder_.empty());
    ASSERT_TRUE(fx_.Prefix().MakeFolder(folder_));
  }
  std::string Cookie(const std::string& name, const std::string& bytes) {
    const std::string path = folder_ + "\\" + name;
    EXPECT_TRUE(fx_.Prefix().WriteFile(path, bytes));
    return path;
  }
  void Scan(const std::vector<std::string>& blocked) {
    fx_.WriteDefinitions("BlockedCookies.dat", blocked);
    Main().Scan().running = true;
    Main().Scan().counters.Reset();
    Main().Scan().StageLabel = "Cookies: ";
    CookieScanStage(ScanInputsOf(fx_.App()), Main());
  }
  FrmMain& Main() { return fx_.Main(); }
  const forms::ListView& Progress() { return Main().lvwSpywareFound; }
  const forms::ListView& Results() { return Main().lvwPicRemoveListOfSpywareFoundAndToBeRemoved; }
  /// Names of the progress rows' details, in list order.
  std::vector<std::string> ProgressDetails() {
    std::vector<std::string> out;
    for (const auto& item : Progress().Items()) out.push_back(item.text + " " + item.SubItem(1));
    return out;
  }

  test::AppFixture fx_;
  std::string folder_;
};

TEST_F(CookieScanTest, WwwHostOfAListedNameIsBlockedAndQueuedForRemoval) {
  const std::string hit =
      Cookie("me@quillonet-test[1].txt", CookieText("www.quillonet-test.example/"));
  Cookie("me@elsewhere[1].txt", CookieText("www.elsewhere.example/"));
  Scan({"quillonet-test.example"});

  ASSERT_EQ(Progress().Count(), 1);
  EXPECT_EQ(Progress().Item(0).text, "Cookie");
  EXPECT_EQ(Progress().Item(0).smallIcon, kItemCookie);
  EXPECT_EQ(Progress().Item(0).SubItem(1), "me@quillonet-test[1].txt");
  ASSERT_EQ(Results().Count(), 1);
  EXPECT_EQ(Results().Item(0).text, "Cookie: me@quillonet-test[1].txt");
  EXPECT_EQ(Results().Item(0).smallIcon, kItemCookie);
  EXPECT_EQ(Results().Item(0).SubItem(1), hit);
  EXPECT_EQ(Results().Item(0).SubItem(2), "Tracking Cookie");
  ASSERT_EQ(fx_.Pending().size(), 1u);
  EXPECT_EQ(fx_.Pending()[0].location, hit);
  EXPECT_EQ(Main().Scan().counters.FilesFoldersInspected, 1);
}

TEST_F(CookieScanTest, EntryFormsDecideWhichHostsAreBlocked) {
  Cookie("a@wild[1].txt", CookieText("wild.example/"));
  Cookie("b@ads.sub[1].txt", CookieText("ads.sub.example/"));
  Cookie("c@www.sub[1].txt", CookieText("www.sub.example/"));
  Cookie("d@localhost[1].txt", CookieText("localhost/"));
  Cookie("e@capital[1].txt", CookieText("capital.example/"));
  Cookie("noat.txt", CookieText("www.wild.example/"));
  Scan({"*wild.example", "ads.sub.example", "localhost", "Capital.example"});

  std::vector<std::string> rows = ProgressDetails();
  std::sort(rows.begin(), rows.end());
  EXPECT_EQ(rows, (std::vector<std::string>{"Cookie a@wild[1].txt", "Cookie b@ads.sub[1].txt",
                                            "Cookie d@localhost[1].txt"}));
}

TEST_F(CookieScanTest, ExcludedCookieGivesOneExcludedRow) {
  const std::string path =
      Cookie("me@quillonet-test[2].txt", CookieText("quillonet-test.example/"));
  fx_.App().Exclusions().AddExclusion(path);
  Scan({"quillonet-test.example"});
  ASSERT_EQ(Progress().Count(), 1);
  EXPECT_EQ(Progress().Item(0).text, "EXCLUDED");
  EXPECT_EQ(Progress().Item(0).smallIcon, kItemExcluded);
  EXPECT_EQ(Progress().Item(0).SubItem(1), path);
  EXPECT_EQ(Results().Count(), 0);
  EXPECT_TRUE(fx_.Pending().empty());
  EXPECT_EQ(Main().Scan().counters.FilesFoldersInspected, 0);
}

TEST_F(CookieScanTest, EmptyBinaryAndHugeFilesAreReadWithoutFalseHits) {
  Cookie("me@empty[1].txt", "");
  std::mt19937 random(7);
  std::string binary(70000, '\0');
  for (auto& c : binary) c = static_cast<char>(random() & 0xFF);
  binary += "@,/\"";
  Cookie("me@binary[1].txt", binary);
  Cookie("me@huge[1].txt", std::string(3 * 1024 * 1024, 'h') + ",huge.exampl");
  Cookie("me@quote[1].txt", "\"unterminated, quote.example/");
  Cookie("me@(1).txt", CookieText("anything/"));
  Scan({"empty.example", "binary.example", "huge.example", "", "anything"});
  EXPECT_EQ(Progress().Count(), 0);
  EXPECT_EQ(Results().Count(), 0);
}

TEST_F(CookieScanTest, MissingListOrStopExaminesNothing) {
  Cookie("me@quillonet-test[1].txt", CookieText("www.quillonet-test.example/"));
  ASSERT_TRUE(fx_.App().Files().DeleteFile(fx_.App().DataFile("BlockedCookies.dat")) ||
              !fx_.App().Files().Attributes(fx_.App().DataFile("BlockedCookies.dat")));
  Main().Scan().running = true;
  CookieScanStage(ScanInputsOf(fx_.App()), Main());
  EXPECT_EQ(Progress().Count(), 0);

  Main().Scan().StopRequested = true;
  Scan({"quillonet-test.example"});
  EXPECT_EQ(Progress().Count(), 0);
}

TEST(CookieHost, ReadsTheHostFieldThatHoldsTheNameFromTheFileName) {
  test::AppFixture fx;
  auto& files = fx.App().Files();
  ASSERT_TRUE(fx.Prefix().WriteFile("C:\\c\\me@shop.example[3].txt",
                                    "cart,shop.example,www.shop.example/basket/,x"));
  // The first field holding "shop.example" has no "/" after it and is passed over.
  EXPECT_EQ(CookieHost(files, "C:\\c\\me@shop.example[3].txt"), "shop.example");
  ASSERT_TRUE(fx.Prefix().WriteFile("C:\\c\\me@paren(2).txt", "a\nparen.example/\n"));
  EXPECT_EQ(CookieHost(files, "C:\\c\\me@paren(2).txt"), "paren.example");
  ASSERT_TRUE(fx.Prefix().WriteFile("C:\\c\\me@dotted.txt", "www.dotted.example/\n"));
  EXPECT_EQ(CookieHost(files, "C:\\c\\me@dotted.txt"), "dotted.example");
  EXPECT_EQ(CookieHost(files, "C:\\c\\absent@x[1].txt"), "False");
  EXPECT_EQ(CookieHost(files, "C:\\c\\no-at-sign.txt"), "False");
}

TEST(IsBlockedHost, SelectsByExactCaseThenComparesWithoutCase) {
  const std::vector<std::string> entries{"tracker.example", "*wild.example", "ads.deep.example",
                                         ""};
  EXPECT_TRUE(IsBlockedHost(entries, "tracker"));
  EXPECT_TRUE(IsBlockedHost(entries, "wild"));
  EXPECT_TRUE(IsBlockedHost(entries, "ads.deep"));
  EXPECT_FALSE(IsBlockedHost(entries, "deep"));
  EXPECT_FALSE(IsBlockedHost(entries, "TRACKER"));
  EXPECT_FALSE(IsBlockedHost(entries, "False"));
  EXPECT_FALSE(IsBlockedHost(entries, ""));
  EXPECT_FALSE(IsBlockedHost({}, "tracker"));
}

}  // namespace
}  // namespace quill
