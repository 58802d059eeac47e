// The command-line program, run as a child process on a temporary prefix.
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "base/Text.h"
#include "platform/posix/PosixFileSystem.h"
#include "support/TempPrefix.h"

namespace quill::test {
namespace {

namespace fs = std::filesystem;

struct Outcome {
  int status = -1;
  std::string out, err;
};

std::string Quote(const std::string& s) {
  std::string q = "'";
  for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

std::string ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

class CliTest : public ::testing::Test {
 protected:
  CliTest() {
    std::random_device rd;
    work_ = fs::temp_directory_path() / ("quill-cli-" + std::to_string(rd()));
    fs::create_directories(work_ / "config");
    fs::create_directories(work_ / "program");
  }
  ~CliTest() override {
    std::error_code ec;
    fs::remove_all(work_, ec);
  }

  Outcome Run(const std::vector<std::string>& args) {
    std::string command = "XDG_CONFIG_HOME=" + Quote((work_ / "config").string()) +
                          " QUILLONET_PROGRAM_DIR=" + Quote((work_ / "program").string()) +
                          " QUILLONET_UPDATE_SERVER=http://127.0.0.1:9 " +
                          Quote(std::string(QUILL_BINARY_DIR) + "/cli/quillonet-cli");
    for (const auto& a : args) command += " " + Quote(a);
    command += " >" + Quote((work_ / "out").string()) + " 2>" + Quote((work_ / "err").string()) +
               "; echo $? >" + Quote((work_ / "rc").string());
    Outcome o;
    if (std::system(command.c_str()) != 0) return o;
    o.status = static_cast<int>(text::Val(ReadAll(work_ / "rc")));
    o.out = ReadAll(work_ / "out");
    o.err = ReadAll(work_ / "err");
    return o;
  }

  std::vector<std::string> Prefixed(std::vector<std::string> args) {
    args.insert(args.begin(), {"--prefix", prefix_.Root()});
    return args;
  }

  std::string StarterDefinitions() {
    return std::string(QUILL_SOURCE_DIR) + "/resources/definitions";
  }

  TempPrefix prefix_;
  fs::path work_;
};

TEST_F(CliTest, FindsTheStarterSignaturesPlantedInAPrefix) {
  Outcome staged = Run(Prefixed({"stage-definitions", StarterDefinitions()}));
  ASSERT_EQ(staged.status, 0) << staged.err;

  // Where the starter signatures point: My Documents and Program Files.
  platform::posix::PosixFileSystem files(prefix_.Root());
  const std::string documents =
      "C:\\users\\" + prefix_.User() + "\\Documents\\quillonet-testfile.txt";
  ASSERT_TRUE(prefix_.WriteFile(documents, "test"));
  ASSERT_TRUE(prefix_.MakeFolder("C:\\Program Files\\QuillonetTestFolder"));

  Outcome scan = Run(Prefixed({"scan"}));
  EXPECT_EQ(scan.status, 1) << scan.err;
  EXPECT_NE(scan.out.find("3\tQuillonet Test File\t"), std::string::npos);
  EXPECT_NE(scan.out.find("quillonet-testfile.txt\tTestfile\t"), std::string::npos);
  EXPECT_NE(scan.out.find("4\tQuillonet Test Folder\t"), std::string::npos);
  EXPECT_NE(scan.out.find("Traces found: "), std::string::npos);
  const auto lines = text::SplitLines(scan.out);
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.back(), "Traces found: " + std::to_string(lines.size() - 1));

  // The same prefix scanned by folder through a host path.
  Outcome folder = Run(Prefixed({"scan", "folder", prefix_.Native("C:\\Program Files")}));
  EXPECT_EQ(folder.status, 1) << folder.err;
  EXPECT_NE(folder.out.find("Quillonet Test Folder Directory"), std::string::npos);

  // Excluded, the file is no longer a trace.
  Outcome exclude = Run(Prefixed({"exclude", documents}));
  EXPECT_EQ(exclude.status, 0) << exclude.err;
  Outcome again = Run(Prefixed({"scan", "smart"}));
  EXPECT_EQ(again.out.find("Quillonet Test File"), std::string::npos);
}

TEST_F(CliTest, NothingFoundOnACleanPrefix) {
  ASSERT_EQ(Run(Prefixed({"stage-definitions", StarterDefinitions()})).status, 0);
  ASSERT_TRUE(prefix_.WriteFile("C:\\clean.txt", "x"));
  Outcome scan = Run(Prefixed({"scan", "file", "C:\\clean.txt"}));
  EXPECT_EQ(scan.status, 0) << scan.err;
  EXPECT_EQ(scan.out, "Traces found: 0\n");
}

TEST_F(CliTest, MissingDefinitionsCannotScan) {
  Outcome scan = Run(Prefixed({"scan"}));
  EXPECT_EQ(scan.status, 2);
  EXPECT_NE(scan.err.find("Definition files are missing"), std::string::npos);
}

TEST_F(CliTest, BadArgumentsExplainThemselves) {
  for (const auto& args :
       std::vector<std::vector<std::string>>{{},
                                             {"scan", "sideways"},
                                             {"scan", "file"},
                                             {"frobnicate"},
                                             {"--bogus", "scan"},
                                             {"exclude"},
                                             {"scan", "folder", "/definitely/not/in/the/prefix"}}) {
    Outcome o = Run(Prefixed(args));
    EXPECT_EQ(o.status, 2) << ::testing::PrintToString(args);
    EXPECT_NE(o.err.find("quillonet-cli: "), std::string::npos) << ::testing::PrintToString(args);
  }
  Outcome help = Run({"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("stage-definitions"), std::string::npos);
}

}  // namespace
}  // namespace quill::test
