// The report and automatic removal at the end of real scans.
#include <gtest/gtest.h>

#include "app/frmDelete.h"
#include "base/Text.h"
#include "scenario/ScanScenarioSupport.h"

namespace quill::test {
namespace {

class RemovalReportScenario : public ScanScenario {
 protected:
  void SetUp() override {
    WriteDefinitions({"evil.exe=Evil Threat|[progfil]EvilCo|Spyware"},
                     {"EvilDir=Evil Folder|[progfil]EvilFolder|Adware"});
    Plant(kExe, "twelve bytes");
    Plant("C:\\Program Files\\EvilFolder\\inside.txt", "inside");
    Start();
    report = fx.DataFolder() + "\\Scan_Log.txt";
  }
  std::optional<std::string> Report() { return App().Files().ReadFile(report); }

  const std::string kExe = "C:\\Program Files\\EvilCo\\evil.exe";
  std::string report;
};

TEST_F(RemovalReportScenario, UntickedMakeLogKeepsThePreviousReport) {
  fx.WriteDataFile("Scan_Log.txt", "previous report");
  Main().chkMakeLog.SetValue(0);
  Scan(0);
  ASSERT_EQ(Results().Count(), 2);
  EXPECT_EQ(Report(), "previous report");

  Main().chkMakeLog.SetValue(1);
  Scan(0);
  auto written = Report();
  ASSERT_TRUE(written);
  EXPECT_NE(written->find("Name: Evil Threat\r\n\r\nCompany: \r\n\r\nType: File\r\n\r\n"
                          "Size: 12 bytes\r\n\r\nDetail: "),
            std::string::npos)
      << *written;
  EXPECT_NE(written->find("Name: Evil Folder\r\n\r\nCompany: N/A\r\n\r\nType: Folder\r\n\r\n"
                          "Size: 0 bytes\r\n\r\n"),
            std::string::npos);
  EXPECT_NE(written->find("Total = 2\r\n\r\n"), std::string::npos);
  EXPECT_NE(written->find(" Scan Started at  : " + Main().Scan().ScanStartedAt + "\r\n\r\n"),
            std::string::npos);
  EXPECT_EQ(written->find("previous report"), std::string::npos);
}

TEST_F(RemovalReportScenario, ScheduledScanWithAutomaticRemovalAsksNothingAndReportsTheRest) {
  Main().SetAutomaticRemoval(true);
  Main().chkMakeLog.SetValue(1);
  Scan(0);
  EXPECT_TRUE(Host().DialogsOf(DialogKind::MsgBox).empty());
  EXPECT_EQ(Results().Count(), 0);
  EXPECT_FALSE(App().Files().Attributes(kExe));
  EXPECT_FALSE(App().Files().Attributes("C:\\Program Files\\EvilFolder"));
  const std::string q = fx.DataFolder() + "\\quarantine";
  EXPECT_EQ(App().Files().ReadFile(q + "\\evil.exe"), "twelve bytes");
  EXPECT_EQ(App().Files().ReadFile(q + "\\EvilFolder\\inside.txt"), "inside");
  EXPECT_EQ(App().DeleteFailed().lstProblem.Count(), 0);

  // The report is written after the removal: nothing left, and the quarantine log quoted.
  auto written = Report();
  ASSERT_TRUE(written);
  EXPECT_NE(written->find("Total = 0\r\n\r\n\r\n[Current Quarantine Log]\r\n\r\n"),
            std::string::npos)
      << *written;
  EXPECT_NE(written->find(" - File: evil.exe\r\n\r\n - Location: "), std::string::npos);
}

}  // namespace
}  // namespace quill::test
