#pragma once

#include <memory>
#include <string>
#include <vector>

#include "app/Application.h"
#include "app/FrmMain.h"
#include "platform/Platform.h"
#include "support/TempPrefix.h"
#include "support/TestHost.h"

namespace quill::test {

/// The whole program on a temporary Wine-format prefix: the posix platform, the test host
/// with its virtual clock, and the application model. Per-user settings and the program
/// folder live in their own temporary folders.
class AppFixture {
 public:
  struct Options {
    /// Leave the first-run markers unset (language chooser and Live Update question).
    bool firstRun = false;
    /// Copy the shipped language file into the program folder.
    bool withLanguageFile = false;
  };
  AppFixture() : AppFixture(Options{}) {}
  explicit AppFixture(Options options);
  ~AppFixture();
  AppFixture(const AppFixture&) = delete;
  AppFixture& operator=(const AppFixture&) = delete;

  TempPrefix& Prefix() { return prefix_; }
  TestHost& Host() { return *host_; }
  platform::Platform& Platform() { return platform_; }
  Application& App() { return *app_; }
  FrmMain& Main() { return app_->Main(); }
  /// The findings waiting for removal, in the order found.
  std::vector<Finding> Pending() {
    std::vector<Finding> pending;
    for (const Finding& f : Main().Findings().Items())
      if (f.pending) pending.push_back(f);
    return pending;
  }

  /// Runs start-up as the splash does: loads and shows the main window.
  void Start();
  /// The data folder as a Windows path (the same text start-up computes).
  std::string DataFolder();
  /// Writes a definition file into the data folder, each line encoded, CR LF line ends.
  void WriteDefinitions(const std::string& name, const std::vector<std::string>& plainLines);
  /// Writes a plain text file into the data folder.
  void WriteDataFile(const std::string& name, const std::string& bytes);
  /// Programs and documents the program asked the shell to start, in order ("explorer.exe
  /// C:\x\", "open C:\y.txt"). Tests never start real programs.
  const std::vector<std::string>& Started() const { return *started_; }
  /// Native paths of the helper folders.
  const std::string& SettingsFolder() const { return settingsFolder_; }
  const std::string& ProgramFolder() const { return programFolder_; }

 private:
  TempPrefix prefix_;
  std::string settingsFolder_;
  std::string programFolder_;
  std::shared_ptr<std::vector<std::string>> started_ = std::make_shared<std::vector<std::string>>();
  std::unique_ptr<TestHost> host_;
  platform::Platform platform_;
  std::unique_ptr<Application> app_;
};

}  // namespace quill::test
