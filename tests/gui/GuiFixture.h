#pragma once

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "QtHost.h"
#include "app/Application.h"
#include "app/FrmMain.h"
#include "platform/Platform.h"
#include "support/TempPrefix.h"
#include "views/MainView.h"

namespace quill::test {

/// The desktop program on a temporary Wine-format prefix: the posix platform, the Qt host
/// with the real views, and the application model. Message boxes are answered by a script
/// (every box is recorded); programs the shell would start are only recorded. The starter
/// definitions are in the data folder; Plant() puts the items they detect on the machine.
class GuiFixture : public ::testing::Test {
 protected:
  GuiFixture();
  ~GuiFixture() override;

  /// The one QApplication of the test program (offscreen).
  static QApplication& Qt();

  /// Copies the shipped starter definitions into the data folder.
  void WriteStarterDefinitions();
  /// The harmless items the starter definitions detect: a file in the documents folder, a
  /// folder under Program Files, a registry key with a value.
  void Plant();
  /// Host path of a Windows path on the prefix.
  std::string Native(const std::string& windowsPath) { return prefix_.Native(windowsPath); }
  bool Exists(const std::string& windowsPath);
  /// Writes the program folder's language file.
  void WriteLanguageFile(const std::string& bytes);

  /// Starts as the program does: the splash loads, its countdown opens the main window.
  void Start();
  FrmMain& Main() { return app_->Main(); }
  Application& App() { return *app_; }
  gui::QtHost& Host() { return *host_; }
  gui::MainView& View();
  /// The widget of a main-window control, cast to its type; fails the test when missing.
  template <class W>
  W* Widget(const std::string& name, std::optional<int> index = {}) {
    auto* w = qobject_cast<W*>(View().WidgetFor(name, index));
    EXPECT_NE(w, nullptr) << name;
    return w;
  }
  /// Clicks a button of the main window with the mouse.
  void Click(const std::string& name, std::optional<int> index = {});

  /// Answers for the next message boxes, in order; when none is queued the answer is Yes for
  /// questions and Ok otherwise.
  void Answer(forms::MsgBoxResult result) { answers_.push_back(result); }
  std::vector<std::string> MessagesShown() const;
  /// Runs an action as soon as the event queue is pumped (inside a modal window's loop, or
  /// from a scan's yield); it is run again on later pumps until it returns true.
  void WhenIdle(std::function<bool()> action, int delayMs = 0);
  const std::vector<std::string>& Started() const { return *started_; }

 private:
  TempPrefix prefix_;
  std::string settingsFolder_;
  std::string programFolder_;
  std::shared_ptr<std::vector<std::string>> started_ = std::make_shared<std::vector<std::string>>();
  std::deque<forms::MsgBoxResult> answers_;
  std::unique_ptr<gui::QtHost> host_;
  platform::Platform platform_;
  std::unique_ptr<Application> app_;
};

}  // namespace quill::test
