// The command line's JSON documents: each command's, read back and checked against the
// published schema.
#include <filesystem>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "support/CliRunner.h"
#include "support/JsonSchemaCheck.h"
#include "support/TempPrefix.h"

namespace quill::test {
namespace {

using nlohmann::json;

class JsonCliTest : public ::testing::Test {
 protected:
  // Runs with --json; the whole of standard output must be one conforming document.
  json Run(std::vector<std::string> args, int expectedStatus) {
    args.insert(args.begin(), {"--json", "--prefix", prefix_.Root()});
    const auto outcome = cli_.Run(args);
    EXPECT_EQ(outcome.status, expectedStatus) << outcome.err;
    EXPECT_EQ(SchemaProblem(outcome.out), "") << outcome.out;
    json document = json::parse(outcome.out, nullptr, false);
    EXPECT_FALSE(document.is_discarded()) << outcome.out;
    EXPECT_EQ(document["status"], expectedStatus);
    return document;
  }

  TempPrefix prefix_;
  CliRunner cli_;
};

TEST_F(JsonCliTest, EveryCommandWritesOneDocumentOfThePublishedForm) {
  const std::string starter = std::string(QUILL_SOURCE_DIR) + "/resources/definitions";
  ASSERT_EQ(cli_.Run({"--prefix", prefix_.Root(), "stage-definitions", starter}).status, 0);
  const std::string file = "C:\\users\\" + prefix_.User() + "\\Documents\\quillonet-testfile.txt";
  ASSERT_TRUE(prefix_.WriteFile(file, "test"));
  ASSERT_TRUE(prefix_.MakeFolder("C:\\Program Files\\QuillonetTestFolder"));
  ASSERT_EQ(
      cli_.Run({"--prefix", prefix_.Root(), "exclude", "C:\\Program Files\\QuillonetTestFolder"})
          .status,
      0);

  json scan = Run({"scan"}, 1);
  const json& run = scan["runs"].at(0);
  EXPECT_EQ(run["prefix"], prefix_.Root());
  EXPECT_EQ(run["counts"]["found"], 1);
  const json found = {{"kind", "file"},    {"name", "Quillonet Test File"},
                      {"location", file},  {"type", "Testfile"},
                      {"risk", "No risk"}, {"details", "This is a test file."},
                      {"state", "found"}};
  EXPECT_EQ(run["findings"].at(0), found);
  EXPECT_EQ(run["findings"].at(1)["state"], "excluded");

  json removal = Run({"scan", "--remove"}, 0);
  EXPECT_EQ(removal["runs"][0]["counts"]["removed"], 1);
  EXPECT_EQ(removal["runs"][0]["findings"].at(0)["location"], file);
  EXPECT_EQ(removal["runs"][0]["findings"].at(0)["state"], "removed");
  json list = Run({"quarantine", "list"}, 0);
  ASSERT_EQ(list["items"].size(), 1u);
  EXPECT_EQ(list["items"][0]["original"], file);
  EXPECT_EQ(list["items"][0]["state"], "saved");

  json update = Run({"update"}, 2);
  EXPECT_EQ(update["outcome"], "failed");
  json missing = Run({"scan", "file", "C:\\missing.txt"}, 2);
  EXPECT_NE(missing["runs"][0]["errors"].dump().find("does not exist"), std::string::npos);

  cli_.SetEnv("HOME", cli_.Work().string());
  cli_.SetEnv("XDG_DATA_HOME", (cli_.Work() / "data").string());
  cli_.SetEnv("WINEPREFIX", prefix_.Root() + "/drive_c");
  json prefixes = json::parse(cli_.Run({"--json", "prefixes"}).out);
  EXPECT_EQ(prefixes["prefixes"], json::array());
  EXPECT_EQ(SchemaProblem(prefixes.dump()), "");

  // The check itself refuses a finding of no known state.
  scan["runs"][0]["findings"][0]["state"] = "gone";
  EXPECT_NE(SchemaProblem(scan.dump()), "");
}

}  // namespace
}  // namespace quill::test
