// The scan report "Scan_Log.txt": its exact bytes, and the viewer commands.
#include "reports/ScanEnd.h"

#include <gtest/gtest.h>

#include "app/frmReport.h"
#include "base/Text.h"
#include "removal/RemovalTestSupport.h"
#include "scan/ScanState.h"

namespace quill {
namespace {

using test::AppFixture;

const std::string kHead =
    "\r\n\r\n"
    "                   Quillonetv1.0   Scan Report\r\n\r\n"
    "\r\n\r\n"
    "Remember: Not all items found are malicious.  In particular, cookies and recent document "
    "lists are only privacy concerns.  They cannot hurt your computer.  If you are unsure about "
    "an item please send this log to an expert before removing the item from your "
    "computer.\r\n\r\n"
    "\r\n\r\n"
    "-----------------------\r\n\r\n"
    " Scan Started at  : 3/5/2024 2:00:00 PM\r\n\r\n"
    " Scan Finished at : 3/5/2024 2:07:09 PM\r\n\r\n"
    "-----------------------\r\n\r\n"
    "\r\n\r\n\r\n\r\n"
    " 1)Total Number of Processes inspected: 12\r\n\r\n"
    " 2)Total Number of Registry entries inspected: 345\r\n\r\n"
    " 3)Total Number of Files/Folders inspected: 6789\r\n\r\n"
    "\r\n\r\n"
    "[Threats Detected]\r\n\r\n\r\n";
const std::string kEquals = "============================================";
const std::string kEnd = "\r\n\r\n=====================End Of Report.\r\n";

std::string Block(const std::string& file, const std::string& name, const std::string& company,
                  const std::string& type, const std::string& size, const std::string& detail,
                  const std::string& risk) {
  return kEquals + "\r\n\r\nFile: " + file + "\r\n\r\nName: " + name +
         "\r\n\r\nCompany: " + company + "\r\n\r\nType: " + type + "\r\n\r\nSize: " + size +
         "\r\n\r\nDetail: " + detail + "\r\n\r\nRisk: " + risk + "\r\n\r\n\r\n";
}

class ScanReportTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::StartAt(f);
    scan.ScanStartedAt = "3/5/2024 2:00:00 PM";
    scan.ScanFinishedAt = "3/5/2024 2:07:09 PM";
    scan.counters.MemoryItemsInspected = 12;
    scan.counters.RegistryInspected = 345;
    scan.counters.FilesFoldersInspected = 6789;
    report = f.DataFolder() + "\\Scan_Log.txt";
  }
  void Add(const std::string& name, FindingKind kind, const std::string& location,
           const std::string& risk, const std::string& detail,
           FindingState state = FindingState::Found) {
    Finding finding;
    finding.kind = kind;
    finding.state = state;
    finding.name = name;
    finding.location = location;
    finding.threatType = "Type";
    finding.risk = risk;
    finding.details = detail;
    shown.push_back(findings.Add(std::move(finding)));
  }
  void Write() { WriteScanReport(f.App(), scan, findings, shown); }
  AppFixture f;
  ScanState scan;
  FindingList findings;
  std::vector<int> shown;
  std::string report;
};

TEST_F(ScanReportTest, NothingFoundGoesFromTheTotalStraightToTheEnd) {
  Write();
  EXPECT_EQ(test::Read(f, report), kHead + kEquals + "\r\n\r\n\r\n" + "Total = 0\r\n\r\n" + kEnd);
}

TEST_F(ScanReportTest, EveryKindOfFindingInTheOrderShownWithExclusionsAndQuarantineLog) {
  const std::string exe = "C:\\Program Files\\Bad\\bad.exe";
  const std::string cookie = "C:\\users\\" + f.Prefix().User() + "\\Cookies\\u@ads[1].txt";
  ASSERT_TRUE(f.Prefix().WriteFile(exe, std::string(1234, 'x')));
  ASSERT_TRUE(f.Prefix().WriteFile(cookie, "12345"));
  ASSERT_TRUE(f.Prefix().MakeFolder("C:\\BadFolder"));
  Add("Hidden", FindingKind::File, exe, "High", "Not shown");
  shown.clear();
  Add("Bad", FindingKind::File, exe, "High", "Shows ads");
  Add("BadFolder", FindingKind::Folder, "C:\\BadFolder\\", "Medium", "Folder");
  Add("BadValue", FindingKind::RegistryValue, "HKEY_CURRENT_USER\\Software\\Bad\\Run", "Low",
      "Reg");
  Add("Cookie: u@ads[1].txt", FindingKind::Cookie, cookie, "Low", "Tracking");
  Add("EXCLUDED", FindingKind::File, "C:\\mine.exe", "", "", FindingState::Excluded);
  // A finding of no known kind, and a file that vanished: no figures carried over from above.
  Add("Odd", FindingKind::Unknown, exe, "?", "?");
  Add("Vanished", FindingKind::File, "C:\\gone.exe", "High", "Gone");
  f.WriteDataFile("ENoSignature.dat", "C:\\mine.exe\r\n\r\n \r\nC:\\other\\\r\n");
  f.WriteDataFile("quarantine\\QuarantineLog.txt",
                  "3/5/2024 2:07:09 PM - File: a.exe\r\n - Location: C:\\a.exe\r\n\r\n\r\n");

  Write();
  const std::string expected =
      kHead + Block(exe, "Bad", "", "File", "1234 bytes", "Shows ads", "High") +
      Block("C:\\BadFolder\\", "BadFolder", "N/A", "Folder", "0 bytes", "Folder", "Medium") +
      Block("HKEY_CURRENT_USER\\Software\\Bad\\Run", "BadValue", "N/A", "Registry", "0 bytes",
            "Reg", "Low") +
      Block(cookie, "Cookie: u@ads[1].txt", "N/A", "Cookie", "5 bytes", "Tracking", "Low") +
      Block("C:\\mine.exe", "EXCLUDED", "N/A", "EXCLUDED", "0 bytes", "", "") +
      Block(exe, "Odd", "N/A", "Unknown", "0 bytes", "?", "?") +
      Block("C:\\gone.exe", "Vanished", "", "File", "0 bytes", "Gone", "High") + kEquals +
      "\r\n\r\n\r\n" + "Total = 7\r\n\r\n" +
      "\r\n[Files Currently Excluded]\r\n\r\nC:\\mine.exe\r\nC:\\other\\\r\n\r\n\r\n" +
      "\r\n[Current Quarantine Log]\r\n\r\n" +
      "3/5/2024 2:07:09 PM - File: a.exe\r\n\r\n - Location: C:\\a.exe\r\n\r\n\r\n\r\n\r\n\r\n" +
      "\r\n\r\n\r\n" + kEnd;
  EXPECT_EQ(test::Read(f, report), expected);
}

TEST_F(ScanReportTest, ReplacesThePreviousReport) {
  f.WriteDataFile("Scan_Log.txt", std::string(100000, 'o'));
  Write();
  auto written = test::Read(f, report);
  ASSERT_TRUE(written);
  EXPECT_EQ(written->find('o' + std::string(50, 'o')), std::string::npos);
  EXPECT_TRUE(text::EndsWith(*written, kEnd));
}

TEST_F(ScanReportTest, ViewerShowsTheReportModallyWithTheLinkDisabled) {
  f.WriteDataFile("Scan_Log.txt", "\r\n\r\nTitle\r\n\r\nA\r\nB\r\n\r\n");
  bool linkDisabled = false;
  std::string shown;
  f.Host().OnModal("frmReport", [&](forms::Form& form) {
    linkDisabled = !f.Main().lblViewLogFile.Enabled();
    shown = static_cast<frmReport&>(form).txtReport.Text();
    form.Unload();
  });
  f.Main().cmdLog_Click();
  EXPECT_TRUE(linkDisabled);
  EXPECT_EQ(shown, "\r\n\r\nTitle\r\nAB\r\n");
  EXPECT_TRUE(f.Main().lblViewLogFile.Enabled());

  linkDisabled = false;
  shown.clear();
  f.Main().lblViewLogFile_Click();
  EXPECT_TRUE(linkDisabled);
  EXPECT_EQ(shown, "\r\n\r\nTitle\r\nAB\r\n");
  EXPECT_TRUE(f.Main().lblViewLogFile.Enabled());
}

}  // namespace
}  // namespace quill
