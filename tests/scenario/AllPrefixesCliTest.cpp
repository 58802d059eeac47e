// The command line over every Wine prefix of a user: the list and a scan of them all, on a
// fake home holding three prefixes.
#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>

#include "support/CliRunner.h"
#include "support/JsonSchemaCheck.h"
#include "support/TempPrefix.h"

namespace quill::test {
namespace {

namespace fs = std::filesystem;

class AllPrefixesCliTest : public ::testing::Test {
 protected:
  void SetUp() override {
    home_ = cli_.Work() / "home";
    fs::create_directories(home_ / ".local/share/wineprefixes");
    cli_.SetEnv("HOME", home_.string());
    cli_.SetEnv("XDG_DATA_HOME", (home_ / ".local/share").string());
    cli_.SetEnv("WINEPREFIX", traced_.Root());
    fs::create_directory_symlink(clean_.Root(), home_ / ".wine");
    fs::create_directory_symlink(bare_.Root(), home_ / ".local/share/wineprefixes/bare");
    for (const TempPrefix* p : {&traced_, &clean_, &bare_})
      for (const char* hive : {"/system.reg", "/user.reg"}) std::ofstream(p->Root() + hive);
    const std::string starter = std::string(QUILL_SOURCE_DIR) + "/resources/definitions";
    for (const TempPrefix* p : {&traced_, &clean_})
      ASSERT_EQ(cli_.Run({"--prefix", p->Root(), "stage-definitions", starter}).status, 0);
    trace_ = "C:\\users\\" + traced_.User() + "\\Documents\\quillonet-testfile.txt";
    ASSERT_TRUE(traced_.WriteFile(trace_, "test"));
  }

  CliRunner cli_;
  TempPrefix traced_, clean_, bare_;
  fs::path home_;
  std::string trace_;
};

TEST_F(AllPrefixesCliTest, ListsScansAndCleansEveryPrefixWithOneSummary) {
  auto list = cli_.Run({"prefixes"});
  EXPECT_EQ(list.status, 0) << list.err;
  EXPECT_EQ(list.out, traced_.Root() + "\tWINEPREFIX\t\n" + clean_.Root() + "\twine\t\n" +
                          bare_.Root() + "\twineprefixes\tbare\n");

  // The prefix without definitions cannot be scanned: the worst status is the run's.
  auto scan = cli_.Run({"scan", "--all-prefixes"});
  EXPECT_EQ(scan.status, 2) << scan.err;
  EXPECT_NE(scan.out.find("Prefix: " + traced_.Root() + "\n"), std::string::npos);
  EXPECT_NE(scan.out.find("quillonet-testfile.txt\tTestfile\t"), std::string::npos);
  const std::string summary = "Summary:\t" + traced_.Root() + "\tfound\nSummary:\t" +
                              clean_.Root() + "\tnothing found\nSummary:\t" + bare_.Root() +
                              "\tnot completed\n";
  EXPECT_NE(scan.out.find(summary), std::string::npos) << scan.out;

  // For scripts: one document, a run per prefix, the one that could not be scanned with why.
  auto json = cli_.Run({"--json", "scan", "--all-prefixes"});
  EXPECT_EQ(json.status, 2);
  EXPECT_EQ(SchemaProblem(json.out), "") << json.out;
  EXPECT_NE(json.out.find("\"source\": \"wineprefixes\""), std::string::npos);
  EXPECT_NE(json.out.find("\"there are no definitions to scan with\""), std::string::npos);

  fs::remove(home_ / ".local/share/wineprefixes/bare");
  auto removal = cli_.Run({"scan", "--all-prefixes", "--remove"});
  EXPECT_EQ(removal.status, 0) << removal.err;
  EXPECT_NE(removal.out.find("Summary:\t" + traced_.Root() + "\tcleaned\nSummary:\t" +
                             clean_.Root() + "\tcleaned\n"),
            std::string::npos)
      << removal.out;
  EXPECT_FALSE(fs::exists(traced_.Native(trace_)));

  EXPECT_EQ(cli_.Run({"--prefix", traced_.Root(), "scan", "--all-prefixes"}).status, 2);
  EXPECT_EQ(cli_.Run({"scan", "file", "C:\\x", "--all-prefixes"}).status, 2);
}

}  // namespace
}  // namespace quill::test
