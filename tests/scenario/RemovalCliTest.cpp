// The command-line program's automatic removal and report, run as a child process on a
// temporary prefix planted with the starter test signatures.
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
#include "platform/posix/WineRegistry.h"
#include "support/CliRunner.h"
#include "support/TempPrefix.h"

namespace quill::test {
namespace {

namespace fs = std::filesystem;

using Outcome = CliRunner::Outcome;

class RemovalCli : public ::testing::Test {
 protected:
  RemovalCli() : files_(prefix_.Root()) {}

  Outcome Run(std::vector<std::string> args) {
    args.insert(args.begin(), {"--prefix", prefix_.Root()});
    return cli_.Run(args);
  }

  /// The starter signatures' file, folder and registry value, planted.
  void PlantStarterThreats() {
    ASSERT_EQ(
        Run({"stage-definitions", std::string(QUILL_SOURCE_DIR) + "/resources/definitions"}).status,
        0);
    ASSERT_TRUE(prefix_.WriteFile(document_, "test file"));
    ASSERT_TRUE(prefix_.WriteFile(folder_ + "\\inside.txt", "inside"));
    platform::posix::WineRegistry registry(prefix_.Root());
    ASSERT_EQ(registry.CreateKey(platform::RootKey::CurrentUser, "Software\\QuillonetTest"),
              platform::RegStatus::Ok);
    ASSERT_EQ(registry.SetValue(platform::RootKey::CurrentUser, "Software\\QuillonetTest",
                                "TestValue", platform::MakeSz("test data")),
              platform::RegStatus::Ok);
  }

  std::string DataFolder() {
    return "C:\\users\\" + prefix_.User() + "\\AppData\\Roaming\\QuillonetDAT";
  }

  TempPrefix prefix_;
  platform::posix::PosixFileSystem files_;
  CliRunner cli_;
  std::string document_ = "C:\\users\\" + prefix_.User() + "\\Documents\\quillonet-testfile.txt";
  std::string folder_ = "C:\\Program Files\\QuillonetTestFolder";
};

TEST_F(RemovalCli, ScanWithRemoveTakesEverythingToTheQuarantineAndWritesTheReport) {
  PlantStarterThreats();
  Outcome o = Run({"scan", "smart", "--remove"});
  EXPECT_EQ(o.status, 0) << o.out << o.err;
  const auto lines = text::SplitLines(o.out);
  ASSERT_FALSE(lines.empty());
  EXPECT_TRUE(text::StartsWith(lines.back(), "Removed: ")) << o.out;
  EXPECT_GE(text::Val(lines.back().substr(9)), 3);

  EXPECT_FALSE(files_.Attributes(document_));
  EXPECT_FALSE(files_.Attributes(folder_));
  platform::posix::WineRegistry registry(prefix_.Root());
  EXPECT_FALSE(
      registry.QueryValue(platform::RootKey::CurrentUser, "Software\\QuillonetTest", "TestValue"));

  auto quarantine = files_.List(DataFolder() + "\\quarantine");
  ASSERT_TRUE(quarantine) << DataFolder();
  EXPECT_EQ(files_.ReadFile(DataFolder() + "\\quarantine\\quillonet-testfile.txt"), "test file");
  EXPECT_EQ(files_.ReadFile(DataFolder() + "\\quarantine\\QuillonetTestFolder\\inside.txt"),
            "inside");
  auto log = files_.ReadFile(DataFolder() + "\\quarantine\\QuarantineLog.txt");
  ASSERT_TRUE(log);
  EXPECT_NE(log->find(" - File: quillonet-testfile.txt\r\n - Location: " + document_ + "\r\n"),
            std::string::npos);
  // The starter signatures name the whole key as well as its value; the log records the
  // key's removal.
  EXPECT_NE(log->find("Key: -2147483647\\Software\\QuillonetTest\r\nValue: All Values\r\n"),
            std::string::npos)
      << *log;
  // The key's export keeps its value's data.
  auto keyExport =
      files_.ReadFile(DataFolder() + "\\quarantine\\HKEY_CURRENT_USERSoftwareQuillonetTest.reg");
  ASSERT_TRUE(keyExport);
  EXPECT_NE(keyExport->find("\r\n\"TestValue\"=\"test data\"\r\n"), std::string::npos)
      << *keyExport;
  EXPECT_EQ(registry.OpenKey(platform::RootKey::CurrentUser, "Software\\QuillonetTest",
                             platform::kKeyRead),
            platform::RegStatus::NotFound);

  // The report printed is the file the scan wrote, byte for byte.
  Outcome report = Run({"report"});
  EXPECT_EQ(report.status, 0) << report.err;
  EXPECT_EQ(report.out, files_.ReadFile(DataFolder() + "\\Scan_Log.txt"));
  EXPECT_NE(report.out.find("[Threats Detected]"), std::string::npos);
  // Written after the removal: nothing is left, and the quarantine log is quoted.
  EXPECT_NE(report.out.find("Total = 0\r\n\r\n\r\n[Current Quarantine Log]"), std::string::npos);
  EXPECT_NE(report.out.find(" - File: quillonet-testfile.txt\r\n\r\n"), std::string::npos);
  EXPECT_TRUE(text::EndsWith(report.out, "=====================End Of Report.\r\n"));
}

TEST_F(RemovalCli, FileThatCannotBeSavedStaysIsNamedAndFailsTheRun) {
  PlantStarterThreats();
  ASSERT_TRUE(prefix_.WriteFile(DataFolder() + "\\quarantine", "not a folder"));
  Outcome o = Run({"scan", "--remove"});
  EXPECT_EQ(o.status, 1) << o.out << o.err;
  EXPECT_NE(o.err.find("Could not delete: " + document_), std::string::npos) << o.err;
  EXPECT_NE(o.out.find("Quillonet Test File"), std::string::npos);  // still listed
  EXPECT_EQ(files_.ReadFile(document_), "test file");
  EXPECT_TRUE(files_.Attributes(folder_ + "\\inside.txt"));
}

TEST_F(RemovalCli, ReportBeforeAnyScanAndMisplacedRemoveAreRefused) {
  Outcome report = Run({"report"});
  EXPECT_EQ(report.status, 2);
  EXPECT_NE(report.err.find("no scan report"), std::string::npos);
  Outcome misplaced = Run({"exclude", "C:\\x", "--remove"});
  EXPECT_EQ(misplaced.status, 2);
  EXPECT_NE(misplaced.err.find("--remove"), std::string::npos);
  EXPECT_EQ(Run({"report", "extra"}).status, 2);
}

}  // namespace
}  // namespace quill::test
