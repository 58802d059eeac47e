// The scan run driven as the command line drives it: typed options in, values out.
#include "scan/ScanRun.h"

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/SettingNames.h"
#include "scan/ScanWindow.h"
#include "support/AppFixture.h"
#include "support/StoredSettings.h"

namespace quill::test {
namespace {

// Records what the run shows, one line per call, and can act at a step.
struct RecordingView : ScanView {
  std::vector<std::string> calls;
  std::function<void(const std::string&)> onCall = [](const std::string&) {};
  ScanRun* run = nullptr;
  bool runningAtStart = false;

  void Note(const std::string& call) {
    calls.push_back(call);
    onCall(call);
  }
  bool Saw(const std::string& call) const {
    return std::find(calls.begin(), calls.end(), call) != calls.end();
  }

  void ScanStarting() override {
    runningAtStart = run->Running();
    Note("starting");
  }
  std::optional<std::string> ChooseTarget(ScanMode) override {
    Note("choose");
    return std::nullopt;
  }
  void DefinitionsMissing() override { Note("missing"); }
  void ShowStage(const std::string& caption) override { Note("stage " + caption); }
  void MarkStage(ScanFigure figure) override { Note("mark " + std::to_string(int(figure))); }
  void ShowFigureText(ScanFigure figure, const std::string& text) override {
    Note("figure " + std::to_string(int(figure)) + " " + text);
  }
  void ResetBars() override {}
  void ShowBars(int, int) override {}
  void StartItem(int64_t) override { Note("item"); }
  void ShowItemDone(bool) override {}
  void ShowStatus(const std::string&) override {}
  void ShowCounters(const ScanCounters&) override {}
  void ScanEnding(bool stopped) override { Note(stopped ? "ending stopped" : "ending"); }
  void ScanEnded() override { Note(run->Running() ? "ended running" : "ended"); }
  void MakeReport() override { Note("report"); }
};

// The scanners' side of the window, with the test's run as the owner of the scan state.
struct RunWindow : ScanWindow {
  FrmMain& main;
  ScanRun* run = nullptr;
  explicit RunWindow(FrmMain& m) : main(m) {}
  ScanState& Scan() override { return run->State(); }
  bool ScanInProgress() const override { return run->Running(); }
  void ReportProgress(const std::string& text, int stage, int overall) override {
    run->ReportProgress(text, stage, overall);
  }
  FindingList& Findings() override { return main.Findings(); }
  void ShowRunningCount(int) override {}
  void RaiseProcessAlert(const std::string&, const std::string&, uint32_t) override {}
};

class ScanRunTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fx_.Start();
    for (const char* name : {"FileDefinition.dat", "DirectoryDefinition.dat",
                             "RegistryDefinition.dat", "ExeDefinition.dat", "BlockedCookies.dat"})
      fx_.WriteDefinitions(name, {});
    fx_.WriteDefinitions("FileDefinition.dat", {"evil.exe=Evil Threat|C:\\Scan\\Sub|Spyware"});
    fx_.WriteDefinitions("Safety.dat", {});
    window_ = std::make_unique<RunWindow>(fx_.Main());
    run_ = std::make_unique<ScanRun>(fx_.App(), *window_, view_);
    window_->run = view_.run = run_.get();
  }
  std::string Msg(const char* key) { return fx_.App().Msg(key); }

  AppFixture fx_;
  RecordingView view_;
  std::unique_ptr<RunWindow> window_;
  std::unique_ptr<ScanRun> run_;
};

TEST_F(ScanRunTest, OptionsChooseTheStagesAndTheRunOwnsTheRunningState) {
  ScanOptions options;
  options.scanProcesses = false;
  options.scanRegistry = false;
  options.scanCookies = false;
  options.makeReport = false;
  ScanResult nested = ScanResult::Ran;
  view_.onCall = [&](const std::string& call) {
    if (call == "starting") nested = run_->Run(options);
  };
  EXPECT_EQ(run_->Run(options), ScanResult::Ran);

  EXPECT_TRUE(view_.runningAtStart);
  EXPECT_EQ(nested, ScanResult::Busy);  // one scan at a time
  EXPECT_FALSE(view_.Saw("stage " + Msg("MSG_COOKIES")));
  EXPECT_TRUE(view_.Saw("figure 0 " + Msg("MSG_NOTSELECED")));
  EXPECT_TRUE(view_.Saw("figure 1 " + Msg("MSG_NOTSELECED")));
  EXPECT_FALSE(view_.Saw("mark 1"));
  EXPECT_TRUE(view_.Saw("mark 2"));
  EXPECT_FALSE(view_.Saw("report"));
  ASSERT_GE(view_.calls.size(), 2u);
  EXPECT_EQ(view_.calls[view_.calls.size() - 2], "ending");
  EXPECT_EQ(view_.calls.back(), "ended");  // no longer running when the controls come back
  EXPECT_FALSE(run_->Running());
}

TEST_F(ScanRunTest, AGivenFolderIsScannedWithoutAskingAndFindsWhatIsThere) {
  ASSERT_TRUE(fx_.Prefix().WriteFile("C:\\Scan\\Sub\\evil.exe", "x"));
  ScanOptions options;
  options.mode = ScanMode::Folder;
  options.target = "C:\\Scan";
  EXPECT_EQ(run_->Run(options), ScanResult::Ran);
  EXPECT_FALSE(view_.Saw("choose"));
  EXPECT_TRUE(view_.Saw("stage Scanning C:\\Scan\\..."));
  EXPECT_TRUE(view_.Saw("report"));
  const auto& found = fx_.Main().Findings().Items();
  ASSERT_EQ(found.size(), 1u);
  EXPECT_EQ(found[0].name, "Evil Threat");
  EXPECT_EQ(run_->State().counters.FilesFoldersInspected, 3);  // both folders and the file
}

TEST_F(ScanRunTest, AStopDuringTheDriveWalkEndsTheScanWithoutTheLaterStages) {
  ScanOptions options;
  options.mode = ScanMode::Full;
  options.driveRoots = {"C:\\", "C:\\"};
  options.completeScan = true;
  view_.onCall = [&](const std::string& call) {
    if (call == "item") run_->Stop();
  };
  EXPECT_EQ(run_->Run(options), ScanResult::Ran);
  EXPECT_EQ(std::count(view_.calls.begin(), view_.calls.end(), "item"), 1);
  EXPECT_FALSE(view_.Saw("stage " + Msg("MSG_MEMORY")));
  EXPECT_FALSE(view_.Saw("stage " + Msg("MSG_REGISTRY")));
  EXPECT_TRUE(view_.Saw("ending stopped"));
  const std::string finished = run_->State().ScanFinishedAt;
  EXPECT_FALSE(finished.empty());
  EXPECT_EQ(GetSetting(fx_.App(), settings::kGeneral, "lblLastFullScan", ""), finished);

  fx_.App().Files().DeleteFile(fx_.DataFolder() + "\\FileDefinition.dat");
  EXPECT_EQ(run_->Run(options), ScanResult::NoDefinitions);
  EXPECT_TRUE(view_.Saw("missing"));
}

}  // namespace
}  // namespace quill::test
