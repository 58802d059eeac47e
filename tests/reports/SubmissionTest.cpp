// Submissions from the results page against the real definition server.
#include <gtest/gtest.h>

#include "app/Application.h"
#include "app/FrmMain.h"
#include "base/Text.h"
#include "base/Url.h"
#include "definitions/DefinitionCodec.h"
#include "reports/Submission.h"
#include "support/AppFixture.h"
#include "support/DefServer.h"
#include "support/ScopedEnv.h"
#include "support/StoredSettings.h"
#include "support/TestPlatform.h"

namespace quill {
namespace {

using forms::MsgBoxResult;
using test::DialogKind;

class SubmissionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(server_.Start());
    env_ = std::make_unique<test::ScopedEnv>("QUILLONET_UPDATE_SERVER", server_.BaseUrl());
    fx_.Start();
    fx_.Host().ClearDialogs();
  }
  FrmMain& Main() { return fx_.Main(); }
  std::string Msg(const std::string& key) { return fx_.App().Msg(key); }
  // The requests the server received, path and query decoded.
  std::vector<std::string> Received() {
    std::vector<std::string> decoded;
    for (const auto& raw : server_.RequestLog()) decoded.push_back(*text::PercentDecode(raw));
    return decoded;
  }
  void TickTwoRows() {
    auto& results = Main().lvwPicRemoveListOfSpywareFoundAndToBeRemoved;
    results.Add("Ads Program", kItemFile, {"C:\\Program Files\\Ads & Co\\ads.exe"});
    results.Add("Ads Key", kItemRegistry, {"HKEY_CURRENT_USER\\Software\\Ads"});
    results.Add("Other", kItemFile, {"C:\\other.exe"});
    results.UserCheck(0, true);
    results.UserCheck(1, true);
  }

  test::DefServer server_;
  std::unique_ptr<test::ScopedEnv> env_;
  test::AppFixture fx_;
};

TEST_F(SubmissionTest, FalsePositiveSendsTheTickedLocationsAndDetailsExactly) {
  TickTwoRows();
  fx_.Host().QueueMsgBox(MsgBoxResult::Ok);
  fx_.Host().QueueInput("wrongly  flagged & #1 \xE9");
  fx_.Host().QueueMsgBox(MsgBoxResult::No);  // do not exclude them
  Main().cmdFalsePos.Click();

  const auto boxes = fx_.Host().DialogsOf(DialogKind::MsgBox);
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[0].text,
            "C:\\Program Files\\Ads & Co\\ads.exe\r\nHKEY_CURRENT_USER\\Software\\Ads\r\n\r\n\r\n" +
                Msg("MSG_FALSE_POS"));
  EXPECT_EQ(boxes[0].buttons, forms::MsgBoxButtons::OkCancel);
  EXPECT_EQ(boxes[1].text, Msg("MSG_FALSE_POS4"));
  EXPECT_EQ(boxes[1].buttons, forms::MsgBoxButtons::YesNo);
  EXPECT_EQ(Received(), std::vector<std::string>{
                            "/asp/submitFP.asp?files=C:\\Program Files\\Ads & "
                            "Co\\ads.exe|HKEY_CURRENT_USER\\Software\\Ads|&details=wrongly  "
                            "flagged & #1 \xE9"});
  ASSERT_EQ(server_.ResearchLog("submitFP.log").size(), 1u);
  EXPECT_EQ(Main().lvwPicRemoveListOfSpywareFoundAndToBeRemoved.Count(), 3);

  // Cancelled, or no details: nothing is sent.
  fx_.Host().ClearDialogs();
  fx_.Host().QueueMsgBox(MsgBoxResult::Cancel);
  Main().cmdFalsePos.Click();
  fx_.Host().QueueMsgBox(MsgBoxResult::Ok);
  fx_.Host().QueueInput("   ");
  fx_.Host().QueueMsgBox(MsgBoxResult::Ok);
  Main().cmdFalsePos.Click();
  EXPECT_EQ(fx_.Host().DialogsOf(DialogKind::MsgBox).back().text, Msg("MSG_FALSE_POS3"));
  EXPECT_EQ(server_.RequestLog().size(), 1u);
}

TEST_F(SubmissionTest, TypedNameIsSentOnEnterAndAnEmptyOneIsNot) {
  Main().txtFilename.SetText("bad file.exe");
  Main().txtFilename.KeyPress(65);
  EXPECT_TRUE(server_.RequestLog().empty());
  Main().txtFilename.KeyPress(13);
  EXPECT_EQ(Received(),
            std::vector<std::string>{"/asp/getData.asp?data=" + EncodeLine("bad file.exe") + "|"});
  EXPECT_EQ(Main().Label26.Caption(),
            Msg("MSG_RESULTS") + " bad file.exe " + Msg("MSG_RESULTS_THANK"));
  EXPECT_EQ(Main().txtFilename.Text(), "");

  Main().txtFilename.SetText("  ");
  Main().cmdSubmit.Click();
  EXPECT_EQ(server_.RequestLog().size(), 1u);
  EXPECT_EQ(server_.ResearchLog("getData.log").size(), 1u);
}

TEST_F(SubmissionTest, WithoutAConnectionTheUserIsToldAndNothingIsExcluded) {
  server_.Stop();
  Main().txtFilename.SetText("x.exe");
  Main().cmdSubmit.Click();
  EXPECT_EQ(Main().Label26.Caption(),
            Msg("MSG_RESULTS") + " " + Msg("MSG_PROBLEM") + " x.exe.  " + Msg("MSG_PROBLEM2"));

  TickTwoRows();
  fx_.Host().QueueMsgBox(MsgBoxResult::Ok);
  fx_.Host().QueueInput("details");
  fx_.Host().QueueMsgBox(MsgBoxResult::Ok);
  Main().cmdFalsePos.Click();
  const auto boxes = fx_.Host().DialogsOf(DialogKind::MsgBox);
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[1].text, "\r\n\r\n" + Msg("MSG_FALSE_POS5"));
  EXPECT_EQ(Main().lvwPicRemoveListOfSpywareFoundAndToBeRemoved.Count(), 3);
}

TEST_F(SubmissionTest, ClearingConsentAsksAndNoKeepsItTicked) {
  Main().chkSendData.SetValue(1);
  SaveSetting(fx_.App(), "OptionAndSettings", "chkSendData", "1");
  fx_.Host().QueueMsgBox(MsgBoxResult::No);
  Main().chkSendData.UserToggle();
  const auto boxes = fx_.Host().DialogsOf(DialogKind::MsgBox);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].title, Msg("MSG_ANON4"));
  EXPECT_EQ(boxes[0].text,
            Msg("MSG_ANON1") + "\r\n\r\n" + Msg("MSG_ANON2") + "\r\n\r\n" + Msg("MSG_ANON3"));
  EXPECT_EQ(Main().chkSendData.Value(), 1);
  EXPECT_EQ(GetSetting(fx_.App(), "OptionAndSettings", "chkSendData", ""), "1");

  fx_.Host().QueueMsgBox(MsgBoxResult::Yes);
  Main().chkSendData.UserToggle();
  EXPECT_EQ(Main().chkSendData.Value(), 0);
  EXPECT_EQ(GetSetting(fx_.App(), "OptionAndSettings", "chkSendData", ""), "0");
  Main().chkSendData.UserToggle();  // ticking asks nothing
  EXPECT_EQ(fx_.Host().DialogsOf(DialogKind::MsgBox).size(), 2u);
  EXPECT_EQ(GetSetting(fx_.App(), "OptionAndSettings", "chkSendData", ""), "1");
}

TEST_F(SubmissionTest, AnonymousListLeavesOutCommonProgramsAndAFailedListSendsNothing) {
  std::vector<platform::ProcessInfo> list{{1, "System", ""},       {2, "explorer.exe", ""},
                                          {3, "Explorer.EXE", ""}, {4, "svchost.exe", ""},
                                          {5, "ads.exe", ""},      {6, "", ""}};
  EXPECT_EQ(AnonymousProcessList(list), EncodeLine("Explorer.EXE") + "|" + EncodeLine("ads.exe"));
  EXPECT_EQ(AnonymousProcessList(std::nullopt), "");

  auto& processes = test::FakeProcesses::Install(fx_.Platform());
  processes.SetFailing(true);
  Main().SendAnonymousData();
  processes.SetFailing(false);
  Main().SendAnonymousData();  // none of ours runs: the list is empty
  EXPECT_TRUE(server_.RequestLog().empty());
}

// A server may answer in any letter case.
TEST(SubmissionAnswerTest, AnyLetterCaseOfTheMarkerCounts) {
  struct Site : SubmissionSite {
    std::vector<std::string> TickedLocations() override { return {"C:\\a.exe"}; }
    forms::MsgBoxResult Ask(const std::string& text, forms::MsgBoxButtons,
                            const std::string&) override {
      asked.push_back(text);
      return asked.size() == 1 ? MsgBoxResult::Ok : MsgBoxResult::Yes;
    }
    std::optional<std::string> AskText(const std::string&, const std::string&) override {
      return "why";
    }
    void ExcludeTicked() override { ++excluded; }
    std::string Fetch(const std::string& url) override {
      urls.push_back(url);
      return answer;
    }
    std::string Msg(const std::string& key) override { return key; }
    std::string ProgramName() override { return "Quillonet"; }
    std::vector<std::string> asked, urls;
    std::string answer = "ok";
    int excluded = 0;
  } site;
  Submissions submissions(site, "http://h");
  submissions.ReportFalsePositive();
  EXPECT_EQ(site.excluded, 1);
  EXPECT_EQ(site.urls.back(), "http://h/asp/submitFP.asp?files=C%3A%5Ca.exe%7C&details=why");
  site.answer = "<p>skipped</p>";
  EXPECT_EQ(submissions.SubmitFileName("a"), "MSG_RESULTS a MSG_RESULTS_THANK");
}

}  // namespace
}  // namespace quill
