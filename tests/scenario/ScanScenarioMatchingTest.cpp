// The walk's matching through the indexed tables against a plain linear search, and scans
// over bad input.
#include <filesystem>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "base/Text.h"
#include "definitions/DefinitionSet.h"
#include "scan/FileScan.h"
#include "scan/ScanInputs.h"
#include "scenario/ScanScenarioSupport.h"

namespace quill::test {
namespace {

bool WordRule(const std::string& met, std::string_view stored) {
  for (const char* word : {"system32", "system", "windows"})
    if (text::ContainsNoCase(met, word) && !text::ContainsNoCase(stored, word)) return false;
  return true;
}

// The first row of the whole table, searched from the top, that a met file matches.
std::optional<std::string> LinearFileMatch(const FileTable& table, const std::string& folder,
                                           const std::string& name, const std::string& sysDir) {
  for (size_t i = 0; i < table.Size(); ++i) {
    DefinitionRow row = table.Row(i);
    std::string rowName = text::Trim(row.name);
    if (rowName.empty()) break;
    if (rowName != name) continue;
    bool matches = name.size() > 16 && name.find(".exe") != std::string::npos;
    if (!matches) {
      bool sysRule = !text::Contains(folder, sysDir) || text::ContainsNoCase(row.folder, sysDir);
      matches = PathDepth(folder) < 2 ? PathDepth(row.folder) == 1
                                      : MatchingTailCount(folder, row.folder) >= 2 && sysRule;
    }
    if (!matches || !WordRule(folder + name, row.folder)) continue;
    return std::string(row.threatName);
  }
  return std::nullopt;
}

std::optional<std::string> LinearFolderMatch(const DirectoryTable& table, const std::string& f,
                                             const std::string& sysDir) {
  const std::string drive = f.substr(0, f.find('\\'));
  for (size_t i = 0; i < table.Size(); ++i) {
    DefinitionRow row = table.Row(i);
    std::string compared = DirectoryTable::ComparedFolderPath(row.folder, drive);
    if (compared.empty()) break;
    if (compared != f) continue;
    bool matches =
        PathDepth(f) < 2 ? PathDepth(row.folder) == 1 : MatchingTailCount(f, row.folder) >= 2;
    if (text::Contains(f, sysDir) && !text::ContainsNoCase(row.folder, sysDir)) matches = false;
    if (!matches || !WordRule(f, row.folder)) continue;
    return std::string(row.threatName) + " Directory";
  }
  return std::nullopt;
}

TEST_F(ScanScenario, IndexedMatchingEqualsLinearMatchingOnARandomTable) {
  std::mt19937 random(20240506);
  auto pick = [&](const std::vector<std::string>& from) {
    return from[std::uniform_int_distribution<size_t>(0, from.size() - 1)(random)];
  };
  const std::vector<std::string> names = {
      "a.exe",         "b.dll", "setup.exe", "Mixed.Case.txt", "averyveryverylongname.exe",
      "notlongexe.exe"};
  const std::vector<std::string> locations = {"",
                                              "[progfil]Foo",
                                              "[progfil]Foo\\Bar",
                                              "[drive]\\foo",
                                              "[drive]\\windows\\system32",
                                              "[system]",
                                              "[windir]",
                                              "C:\\Foo\\Bar",
                                              "D:\\x\\foo\\bar",
                                              "[drive]",
                                              "[drive]\\a\\foo",
                                              "[personl]Foo\\Bar"};
  const std::vector<std::string> folderPaths = {
      "[drive]\\foo", "[drive]\\foo\\bar",    "C:\\foo\\bar",
      "[progfil]Foo", "[system]Bad",          "[drive]\\windows\\system32\\bad",
      "D:\\foo\\bar", "[drive]\\a\\foo\\bar", "x[drive]\\foo"};
  std::vector<std::string> fileLines, folderLines;
  for (int i = 0; i < 400; ++i) {
    std::string line = pick(names) + "=T" + std::to_string(i);
    std::string location = pick(locations);
    if (!location.empty() || i % 3) line += "|" + location;
    fileLines.push_back(line);
    folderLines.push_back("L" + std::to_string(i) + "=F" + std::to_string(i) + "|" +
                          pick(folderPaths));
  }
  WriteDefinitions(fileLines, folderLines);
  MapDriveD();
  Start();
  App().Definitions().LoadDefinitionSet();
  const auto& definitions = App().Definitions();
  ASSERT_EQ(definitions.FileTable().Size(), 400u);
  const std::string sysDir = text::ToLower(App().Tokens().SystemDirectory());
  const std::string programFiles = text::ToLower(App().Tokens().SpecialFolderPath(38));

  const std::vector<std::string> metFolders = {"c:\\",
                                               "d:\\",
                                               "c:\\foo\\",
                                               "c:\\foo\\bar\\",
                                               "d:\\foo\\bar\\",
                                               "e:\\x\\foo\\bar\\",
                                               programFiles + "foo\\",
                                               programFiles + "foo\\bar\\",
                                               sysDir,
                                               sysDir + "bad\\",
                                               "c:\\windows\\",
                                               "c:\\a\\foo\\",
                                               "c:\\a\\foo\\bar\\",
                                               "d:\\backup\\program files\\foo\\"};
  // Every met item exists (but on drive E:, which is not there): only existing items are
  // reported.
  auto& files = App().Files();
  for (const auto& folder : metFolders) {
    for (const auto& name : names) fx.Prefix().WriteFile(folder + name, "x");
    const std::string f = folder.substr(0, folder.size() - 1);
    fx.Prefix().MakeFolder(f + "\\bad");
    fx.Prefix().MakeFolder(f + "\\bar");
  }
  auto existing = [&](std::optional<std::string> expected, const std::string& path) {
    return expected && files.Attributes(path) ? expected : std::nullopt;
  };
  for (const auto& folder : metFolders) {
    for (const auto& name : names) {
      const std::string lowerName = text::ToLower(name);
      Main().Findings().Clear();
      CheckFoundFile(ScanInputsOf(App()), Main(), folder + name);
      auto expected = existing(LinearFileMatch(definitions.FileTable(), folder, lowerName, sysDir),
                               folder + name);
      EXPECT_EQ(ResultNames(), expected ? Names({*expected}) : Names({})) << folder << name;
    }
    std::string f = folder.substr(0, folder.size() - 1);
    for (const std::string& met : {f, f + "\\bad", f + "\\bar"}) {
      Main().Findings().Clear();
      CheckFoundFolder(ScanInputsOf(App()), Main(), met + "\\");
      auto expected = existing(LinearFolderMatch(definitions.DirectoryTable(), met, sysDir), met);
      EXPECT_EQ(ResultNames(), expected ? Names({*expected}) : Names({})) << met;
    }
  }
}

// ---- Bad input -------------------------------------------------------------------------------

TEST_F(ScanScenario, MalformedHugeAndBinaryDefinitionLinesAreSurvived) {
  std::string binary;
  for (int c = 0; c < 256; ++c)
    if (c != '\r' && c != '\n') binary += static_cast<char>(c);
  const std::string hugeName = std::string(1 << 20, 'a');
  const std::string huge = hugeName + "=Huge|C:\\Scan\\x|Spyware";
  const std::string hugeFolder = "x=HugeFolder|C:\\Scan\\" + hugeName;
  WriteDefinitions({"", "no separators at all", "|||", "=|", "=NoName|C:\\Scan\\x", binary, huge,
                    "evil.exe", "evil.exe=Evil|C:\\Scan\\x|Spyware", "||C:\\Scan\\x"},
                   {"", "|", "=|", binary, hugeFolder, "=|C:\\Scan\\nothing", "x=|", "||||||"});
  Plant("C:\\Scan\\x\\evil.exe");
  Start();
  Scan(0);
  EXPECT_EQ(ResultNames(), Names({"Evil"}));
  ScanFolder("C:\\Scan");
  EXPECT_EQ(ResultNames(), Names({"Evil"}));
  EXPECT_EQ(Main().lblStatus[0].Caption(), App().Msg("MSG_SCAN_COMPLETED"));
}

TEST_F(ScanScenario, FoldersThatVanishDuringTheWalkAreSkipped) {
  WriteDefinitions({"evil.exe=GoneThreat|C:\\Scan\\gone", "evil.exe=KeptThreat|C:\\Scan\\keep",
                    "evil.exe=SwapThreat|C:\\Scan\\swap"});
  Plant("C:\\Scan\\gone\\evil.exe");
  Plant("C:\\Scan\\keep\\evil.exe");
  Plant("C:\\Scan\\swap\\evil.exe");
  Start();
  const std::string gone = fx.Prefix().Native("C:\\Scan\\gone");
  const std::string swap = fx.Prefix().Native("C:\\Scan\\swap");
  bool removed = false;
  Host().EveryDoEvents([&] {
    // Once all three folders of C:\Scan were examined, before any of them is entered.
    if (removed || Main().Scan().counters.FilesFoldersInspected < 4) return;
    removed = true;
    std::error_code ec;
    std::filesystem::remove_all(gone, ec);
    std::filesystem::remove_all(swap, ec);
    fx.Prefix().WriteFile("C:\\Scan\\swap", "now a file");
  });
  ScanFolder("C:\\Scan");
  EXPECT_TRUE(removed);
  EXPECT_EQ(ResultNames(), Names({"KeptThreat"}));
  EXPECT_EQ(Main().lblStatus[0].Caption(), App().Msg("MSG_SCAN_COMPLETED"));
}

TEST_F(ScanScenario, ScanningAMissingFolderOrFileFindsNothing) {
  WriteDefinitions({"evil.exe=Evil|C:\\Scan\\x"});
  Start();
  ScanFolder("C:\\Does\\Not\\Exist");
  EXPECT_TRUE(ResultNames().empty());
  EXPECT_EQ(Main().lblStatus[0].Caption(), App().Msg("MSG_SCAN_COMPLETED"));
}

}  // namespace
}  // namespace quill::test
