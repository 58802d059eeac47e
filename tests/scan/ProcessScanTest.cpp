#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/Application.h"
#include "app/FrmMain.h"
#include "definitions/DefinitionSet.h"
#include "definitions/ExclusionList.h"
#include "scan/ProcessScan.h"
#include "scan/ScanInputs.h"
#include "support/AppFixture.h"
#include "support/ChildProcess.h"
#include "support/TestPlatform.h"

namespace quill {
namespace {

constexpr int kKillSignal = 9;  // what the posix backend ends a process with

std::string Wide(const std::string& ascii) {
  std::string out;
  for (char c : ascii) {
    out.push_back(c);
    out.push_back('\0');
  }
  return out;
}

class ProcessScanTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fx_.Start();
    only_ = &test::FakeProcesses::Install(fx_.Platform());
  }

  test::ChildProcess& Run(const std::string& argv0) {
    children_.push_back(std::make_unique<test::ChildProcess>(argv0, fx_.Prefix().Root()));
    EXPECT_NE(children_.back()->Pid(), 0u);
    only_->Allow(children_.back()->Pid());
    return *children_.back();
  }
  void Definitions(const std::vector<std::string>& lines) {
    fx_.WriteDefinitions("ExeDefinition.dat", lines);
    App().Definitions().CountDefinitions();
  }
  void BeginScan() {
    Main().Scan().running = true;
    Main().Scan().counters.Reset();
    Main().Scan().StageLabel = "Memory: ";
  }
  /// The child ended (a zombie counts: its parent has not collected it yet).
  bool Ended(test::ChildProcess& child) {
    return App().Processes().WaitForExit(child.Pid(), 10000) && child.Reap() == kKillSignal;
  }
  Application& App() { return fx_.App(); }
  FrmMain& Main() { return fx_.Main(); }
  const forms::ListView& Progress() { return Main().lvwSpywareFound; }

  test::AppFixture fx_;
  test::FakeProcesses* only_ = nullptr;
  std::vector<std::unique_ptr<test::ChildProcess>> children_;
};

TEST_F(ProcessScanTest, ProgramMatchedByNameIsStoppedDuringAScan) {
  Definitions({"quillsample.exe=Quill Sample|C:\\Elsewhere"});
  auto& child = Run("C:\\Program Files\\Sample\\quillsample.exe");
  auto& bystander = Run("C:\\Program Files\\Sample\\bystander.exe");
  BeginScan();

  ProcessCheck(ScanInputsOf(App()), Main());

  ASSERT_EQ(Progress().Count(), 1);
  EXPECT_EQ(Progress().Item(0).text, "Running Application");
  EXPECT_EQ(Progress().Item(0).smallIcon, kItemFile);
  EXPECT_EQ(Progress().Item(0).SubItem(1), "QUILLSAMPLE.EXE was stopped");
  EXPECT_EQ(Main().lvwPicRemoveListOfSpywareFoundAndToBeRemoved.Count(), 0);
  EXPECT_EQ(Main().Scan().counters.TracesFound, 1);
  EXPECT_EQ(Main().Scan().counters.MemoryItemsInspected, 1 + 2);  // one definition, two processes
  EXPECT_EQ(Main().lblTotalNoOfRunningItems.Caption(), "2");
  EXPECT_TRUE(Ended(child));
  EXPECT_TRUE(bystander.Running());
}

TEST_F(ProcessScanTest, SameProcessSetTwiceInARowReportsNothingTheSecondTime) {
  Definitions({"quillsame.exe=Quill Same|C:\\Elsewhere"});
  App().Exclusions().AddExclusion("quillsame.exe");
  Run("C:\\Tools\\quillsame.exe");

  // Outside a scan (the shield) an unchanged list is not examined again.
  ProcessCheck(ScanInputsOf(App()), Main());
  ASSERT_EQ(Progress().Count(), 1);
  EXPECT_EQ(Progress().Item(0).text, "EXCLUDED");
  EXPECT_EQ(Progress().Item(0).SubItem(1), "QUILLSAME.EXE");
  EXPECT_EQ(Main().Scan().counters.TracesFound, 0);

  const int inspected = Main().Scan().counters.MemoryItemsInspected;
  Main().lblTotalNoOfRunningItems.SetCaption("untouched");
  ProcessCheck(ScanInputsOf(App()), Main());
  EXPECT_EQ(Progress().Count(), 1);
  EXPECT_EQ(Main().Scan().counters.MemoryItemsInspected, inspected);
  EXPECT_EQ(Main().lblTotalNoOfRunningItems.Caption(), "untouched");

  // A new program changes the set: the next check looks again.
  Run("C:\\Tools\\another.exe");
  ProcessCheck(ScanInputsOf(App()), Main());
  EXPECT_EQ(Progress().Count(), 2);
  EXPECT_EQ(Main().lblTotalNoOfRunningItems.Caption(), "2");

  // A scan always examines the running programs, changed or not.
  BeginScan();
  ProcessCheck(ScanInputsOf(App()), Main());
  EXPECT_EQ(Progress().Count(), 3);
}

TEST_F(ProcessScanTest, NameMatchesOnlyAtTheEndOfAnEntryAndSystemFoldersAreRewritten) {
  // "\quillsys.exe" first occurs inside a longer entry: only the full path can match.
  Definitions({"x.exe=Decoy|C:\\Folder\\quillsys.exe"});
  auto& child = Run("C:\\Odd\\System32\\quillsys.exe");
  BeginScan();
  ProcessCheck(ScanInputsOf(App()), Main());
  EXPECT_EQ(Progress().Count(), 0);
  EXPECT_TRUE(child.Running());

  // The path below any "System32\" is taken as the real system folder.
  Definitions({"x.exe=Decoy|C:\\Folder\\quillsys.exe", "quillsys.exe=Quill Sys|[system]"});
  Main().Scan().ProcessListSignature.clear();
  ProcessCheck(ScanInputsOf(App()), Main());
  ASSERT_EQ(Progress().Count(), 1);
  EXPECT_EQ(Progress().Item(0).SubItem(1), "QUILLSYS.EXE was stopped");
  EXPECT_TRUE(Ended(child));
}

TEST_F(ProcessScanTest, TrustedPublishersAndTheNeverReportedNameAreLeftAlone) {
  const std::string sunPath = "C:\\Program Files\\QuillSun\\quillsun.exe";
  ASSERT_TRUE(fx_.Prefix().WriteFile(sunPath, std::string("MZ\0\0", 4) + "StringFileInfo" +
                                                  std::string(8, '\x01') + "CompanyName" +
                                                  std::string(1, '\0') + "Sun Microsystems, Inc." +
                                                  std::string(3, '\0')));
  Definitions({"quillsun.exe=Quill Sun|C:\\Elsewhere", "DurezuZazazorOruzod.exe=Never|C:\\X",
               "quillask.exe=Quill Ask|C:\\X"});
  auto& sun = Run(sunPath);
  auto& never = Run("C:\\X\\durezuzazazororuzod.exe");
  auto& asked = Run("C:\\X\\quillask.exe");

  // Outside a scan nothing is stopped by the check itself: the user is asked.
  ProcessCheck(ScanInputsOf(App()), Main());
  EXPECT_EQ(Progress().Count(), 0);
  EXPECT_EQ(Main().Scan().counters.TracesFound, 1);
  EXPECT_TRUE(sun.Running());
  EXPECT_TRUE(never.Running());
  EXPECT_TRUE(asked.Running());
}

TEST_F(ProcessScanTest, DamagedDefinitionsMatchNothing) {
  Definitions({"", "no equals sign here", "=C:\\Program Files\\Sample",
               std::string("\x01\xfe\x7f=|\xff|", 7), "|||=|||", "quillsample=|"});
  auto& child = Run("C:\\Program Files\\Sample\\quillsample.exe");
  BeginScan();
  ProcessCheck(ScanInputsOf(App()), Main());
  EXPECT_EQ(Progress().Count(), 0);
  EXPECT_TRUE(child.Running());
}

TEST_F(ProcessScanTest, UnreadableProcessListChangesNothing) {
  Definitions({"quillsample.exe=Quill Sample|C:\\Elsewhere"});
  Run("C:\\Program Files\\Sample\\quillsample.exe");
  only_->SetFailing(true);
  std::vector<std::string> names{"stale"};
  std::vector<uint32_t> ids{1};
  EXPECT_EQ(EnumerateProcesses(App().Processes(), names, ids), -1);
  EXPECT_TRUE(names.empty());
  BeginScan();
  ProcessCheck(ScanInputsOf(App()), Main());
  EXPECT_EQ(Progress().Count(), 0);
}

TEST_F(ProcessScanTest, OlderPlatformFamilyMatchesTheSameWayAndAsksOutsideAScan) {
  auto& system = test::FakeSystem::Install(fx_.Platform());
  system.version = system.Version();
  system.version->platformId = 1;
  Definitions({"quillold.exe=Quill Old|C:\\Elsewhere"});
  auto& child = Run("C:\\Old\\quillold.exe");

  // Outside a scan: the question; No adds the name to the exclusions at once.
  fx_.Host().QueueMsgBox(forms::MsgBoxResult::No);
  ProcessCheck(ScanInputsOf(App()), Main());
  auto boxes = fx_.Host().DialogsOf(test::DialogKind::MsgBox);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].buttons, forms::MsgBoxButtons::YesNo);
  EXPECT_EQ(boxes[0].title, App().brand.programName + "  - Alert");
  EXPECT_NE(boxes[0].text.find("QUILLOLD.EXE"), std::string::npos);
  EXPECT_TRUE(App().Exclusions().IsExcluded("quillold.exe"));
  EXPECT_TRUE(child.Running());

  // The next check sees the exclusion.
  ProcessCheck(ScanInputsOf(App()), Main());
  EXPECT_EQ(fx_.Host().DialogsOf(test::DialogKind::MsgBox).size(), 1u);
  ASSERT_EQ(Progress().Count(), 1);
  EXPECT_EQ(Progress().Item(0).text, "EXCLUDED");

  // During a scan a match is ended at once.
  auto& other = Run("C:\\Old\\quillolder.exe");
  Definitions({"quillolder.exe=Quill Older|C:\\Elsewhere"});
  BeginScan();
  ProcessCheck(ScanInputsOf(App()), Main());
  ASSERT_EQ(Progress().Count(), 2);
  EXPECT_EQ(Progress().Item(1).text, "Running Process");
  EXPECT_EQ(Progress().Item(1).SubItem(1), "QUILLOLDER.EXE was stopped");
  EXPECT_TRUE(Ended(other));
}

TEST_F(ProcessScanTest, EnumerationNamesProcessesByTheirProgramFile) {
  auto& child = Run("C:\\Program Files\\Sample\\quillenum.exe");
  std::vector<std::string> names, paths;
  std::vector<uint32_t> ids;
  ASSERT_EQ(EnumerateProcesses(App().Processes(), names, ids, &paths), 1);
  EXPECT_EQ(names[0], "quillenum.exe");
  EXPECT_EQ(ids[0], child.Pid());
  EXPECT_EQ(paths[0], "C:\\Program Files\\Sample\\quillenum.exe");
}

TEST_F(ProcessScanTest, StopProcessForFileUsesShortNamesAndStopsOnlyTheFirstMatch) {
  // Process lists of old systems cut names at 15 characters.
  auto& cut = Run("C:\\Long\\AVeryLongProgra");
  EXPECT_TRUE(StopProcessForFile(App(), "AVeryLongProgramName.exe"));
  EXPECT_TRUE(Ended(cut));

  // The 8.3 short name of a long file name.
  auto& shortName = Run("C:\\PROGRA~1\\LONGPR~1.EXE");
  EXPECT_TRUE(StopProcessForFile(App(), "LongProgramName.exe"));
  EXPECT_TRUE(Ended(shortName));

  // Names of six characters or less keep their whole base name before "~1".
  auto& tiny = Run("C:\\x\\TINY~1.exe");
  EXPECT_TRUE(StopProcessForFile(App(), "tiny.exe"));
  EXPECT_TRUE(Ended(tiny));

  // Only the first matching process is stopped.
  auto& first = Run("C:\\a\\quilltwin.exe");
  auto& second = Run("C:\\b\\quilltwin.exe");
  EXPECT_TRUE(StopProcessForFile(App(), "QUILLTWIN.EXE"));
  EXPECT_TRUE(Ended(first));
  EXPECT_TRUE(second.Running());

  // Nothing of that name runs: true, and nothing else is touched.
  EXPECT_TRUE(StopProcessForFile(App(), "absent.exe"));
  EXPECT_TRUE(StopProcessForFile(App(), ""));
  EXPECT_TRUE(second.Running());
}

class PublisherTest : public ::testing::Test {
 protected:
  std::string Publisher(const std::string& bytes) {
    const std::string path = "C:\\Publisher\\file" + std::to_string(++n_) + ".exe";
    EXPECT_TRUE(fx_.Prefix().WriteFile(path, bytes));
    return ReadPublisherName(fx_.App().Files(), path);
  }
  test::AppFixture fx_;
  int n_ = 0;
};

TEST_F(PublisherTest, WideVersionResource) {
  const std::string head = std::string("MZ\x90\0\3\0\0\0", 8) + std::string(40, '\x11');
  const std::string info = Wide("StringFileInfo") + std::string(2, '\0') + Wide("040904b0");
  // Key, its terminator and padding, then the value: 26 bytes after the key starts.
  EXPECT_EQ(Publisher(head + info + std::string(6, '\x22') + Wide("CompanyName") +
                      std::string(4, '\0') + Wide("Quill Corp") + std::string(2, '\0') +
                      std::string(2, '\0') + Wide("FileVersion")),
            "Quill Corp");
  // The value runs into the next key without a terminator: it ends at its first control
  // character.
  EXPECT_EQ(
      Publisher(head + info + Wide("CompanyName") + std::string(4, '\0') + Wide("Quill Corp") +
                std::string("\x01\0", 2) + Wide("FileDescription") + std::string(4, '\0')),
      "Quill Corp");
}

TEST_F(PublisherTest, EightBitVersionResource) {
  EXPECT_EQ(
      Publisher(std::string("NE\0", 3) + "StringFileInfo" + std::string(3, '\x05') + "CompanyName" +
                std::string(1, '\0') + "Old Maker Ltd" + std::string(3, '\0')),
      "Old Maker Ltd");
  EXPECT_EQ(Publisher("StringFileInfo....CompanyName" + std::string(1, '\0') + "Maker" +
                      std::string(1, '\0') + "\x1c\x01" + "FileDescription" + std::string(1, '\0') +
                      "Thing" + std::string(3, '\0')),
            "Maker");
  // No "StringFileInfo" at all: the key is looked for from the start of the file.
  EXPECT_EQ(Publisher("junkCompanyName" + std::string(1, '\0') + "Bare" + std::string(3, '\0')),
            "Bare");
  // No 8-bit key after an 8-bit block: the wide key is used.
  EXPECT_EQ(Publisher("StringFileInfo" + Wide("CompanyName") + std::string(4, '\0') +
                      Wide("Mixed") + std::string(3, '\0')),
            "Mixed");
}

TEST_F(PublisherTest, TruncatedOrAbsentResourcesGiveNoPublisher) {
  EXPECT_EQ(Publisher(""), "");
  EXPECT_EQ(Publisher(std::string(5000, '\xCC')), "");
  EXPECT_EQ(Publisher(Wide("StringFileInfo") + Wide("CompanyName")), "");
  EXPECT_EQ(Publisher(Wide("StringFileInfo") + Wide("CompanyName") + std::string(4, '\0') +
                      Wide("Cut Of")),
            "");
  EXPECT_EQ(Publisher("StringFileInfoCompanyName"), "");
  EXPECT_EQ(Publisher("StringFileInfoCompanyName" + std::string(1, '\0') + "No end"), "");
  EXPECT_EQ(ReadPublisherName(fx_.App().Files(), "C:\\Publisher\\absent.exe"), "");
}

}  // namespace
}  // namespace quill
