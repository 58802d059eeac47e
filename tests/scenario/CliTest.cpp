// The command-line program, run as a child process on a temporary prefix.
#include <sys/stat.h>

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
#include "support/ChildProcess.h"
#include "support/CliRunner.h"
#include "support/TempPrefix.h"

namespace quill::test {
namespace {

namespace fs = std::filesystem;

using Outcome = CliRunner::Outcome;

class CliTest : public ::testing::Test {
 protected:
  Outcome Run(const std::vector<std::string>& args) { return cli_.Run(args); }

  std::vector<std::string> Prefixed(std::vector<std::string> args) {
    args.insert(args.begin(), {"--prefix", prefix_.Root()});
    return args;
  }

  std::string StarterDefinitions() {
    return std::string(QUILL_SOURCE_DIR) + "/resources/definitions";
  }

  TempPrefix prefix_;
  CliRunner cli_;
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

TEST_F(CliTest, NothingFoundOnACleanPrefixWhoseProfileLacksItsAppDataFolder) {
  // The data folder is made with the parents a half-made profile lacks.
  ASSERT_TRUE(fs::remove_all(prefix_.Native("C:\\users\\" + prefix_.User() + "\\AppData")) > 0);
  ASSERT_EQ(Run(Prefixed({"stage-definitions", StarterDefinitions()})).status, 0);
  ASSERT_TRUE(prefix_.WriteFile("C:\\clean.txt", "x"));
  Outcome scan = Run(Prefixed({"scan", "file", "C:\\clean.txt"}));
  EXPECT_EQ(scan.status, 0) << scan.err;
  EXPECT_EQ(scan.out, "Traces found: 0\n");
}

TEST_F(CliTest, StoppedProgramsPipesAndFailedStagesReachTheCommandLine) {
  ASSERT_EQ(Run(Prefixed({"stage-definitions", StarterDefinitions()})).status, 0);
  const std::string program = "C:\\Program Files\\QuillonetTestFolder\\quillonet-testapp.exe";
  ChildProcess ours(program, prefix_.Root());
  ChildProcess native(program);  // the same name, but no program of this machine
  // A pipe where a definition names a file: opening it for reading would wait for ever.
  const std::string documents = "C:\\users\\" + prefix_.User() + "\\Documents";
  ASSERT_TRUE(prefix_.MakeFolder(documents));
  ASSERT_EQ(::mkfifo(prefix_.Native(documents + "\\quillonet-testfile.txt").c_str(), 0600), 0);

  Outcome scan = Run(Prefixed({"scan"}));
  EXPECT_EQ(scan.status, 1) << scan.err;
  EXPECT_NE(scan.out.find("3\tRunning Application\tQUILLONET-TESTAPP.EXE was stopped\t"),
            std::string::npos)
      << scan.out;
  EXPECT_NE(scan.out.find("quillonet-testfile.txt\tTestfile\t"), std::string::npos);
  EXPECT_EQ(ours.Reap(), 9);
  EXPECT_TRUE(native.Running());
  const auto lines = text::SplitLines(scan.out);
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.back(), "Traces found: " + std::to_string(lines.size() - 1));

  // A definition file that cannot be read fails its stage: the scan did not complete.
  const std::string registryDefinitions = prefix_.Native(
      "C:\\users\\" + prefix_.User() + "\\AppData\\Roaming\\QuillonetDAT\\RegistryDefinition.dat");
  ASSERT_TRUE(fs::remove(registryDefinitions));
  ASSERT_EQ(::mkfifo(registryDefinitions.c_str(), 0600), 0);
  Outcome failed = Run(Prefixed({"scan"}));
  EXPECT_EQ(failed.status, 2) << failed.out;
  EXPECT_NE(failed.out.find("The scan did not complete: "), std::string::npos) << failed.out;
  EXPECT_NE(failed.out.find("RegistryDefinition.dat could not be read"), std::string::npos);

  // The same for the file table that file, folder and full scans load first.
  const std::string fileDefinitions = prefix_.Native(
      "C:\\users\\" + prefix_.User() + "\\AppData\\Roaming\\QuillonetDAT\\FileDefinition.dat");
  ASSERT_TRUE(fs::remove(fileDefinitions));
  ASSERT_EQ(::mkfifo(fileDefinitions.c_str(), 0600), 0);
  ASSERT_TRUE(prefix_.WriteFile("C:\\clean.txt", "x"));
  Outcome table = Run(Prefixed({"scan", "file", "C:\\clean.txt"}));
  EXPECT_EQ(table.status, 2) << table.out;
  EXPECT_NE(table.out.find("The scan did not complete: "), std::string::npos) << table.out;
  EXPECT_NE(table.out.find("FileDefinition.dat could not be read"), std::string::npos);
}

TEST_F(CliTest, AMistypedPrefixIsRefusedAndNeverMade) {
  const fs::path missing = fs::path(prefix_.Root()) / "no-such-prefix";
  Outcome o = Run({"--prefix", missing.string(), "scan"});
  EXPECT_EQ(o.status, 2);
  EXPECT_NE(o.err.find("is not a Wine prefix"), std::string::npos) << o.err;
  EXPECT_FALSE(fs::exists(missing));
}

TEST_F(CliTest, MissingDefinitionsCannotScanInEnglishAndTheRunEndsStopped) {
  // A user who reads the desktop program in German: the command line still speaks English.
  fs::create_directories(cli_.Work() / "config/quillonet");
  std::ofstream(cli_.Work() / "config/quillonet/Quillonet.ini") << "[Settings]\nLanguage=Deutsch\n";
  fs::copy_file(std::string(QUILL_SOURCE_DIR) + "/resources/Localization.txt",
                cli_.Work() / "program/Localization.txt");
  Outcome scan = Run(Prefixed({"scan"}));
  EXPECT_EQ(scan.status, 2);
  EXPECT_NE(scan.err.find("Definition files are missing"), std::string::npos);
  // The run that could not scan still records that the program stopped.
  const std::string settings = CliRunner::ReadAll(cli_.Work() / "config/quillonet/Quillonet.ini");
  EXPECT_NE(settings.find("STATUS=STOPPED"), std::string::npos) << settings;
  EXPECT_EQ(settings.find("RUNNING"), std::string::npos) << settings;
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
