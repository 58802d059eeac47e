#pragma once

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "forms/Host.h"

namespace quill::cli {

/// The host of the command-line program: there is no one to click, so every dialog is
/// answered from the command line's flags and every message box is printed on stderr.
/// Timers never run by themselves (so holding and releasing them changes nothing here): the
/// program drives start-up and the scan synchronously.
class HeadlessHost : public forms::Host {
 public:
  /// assumeYes: questions are answered Yes/Ok instead of No/Cancel.
  /// chosenPath: the answer of the file and folder dialogs (empty optional = cancelled).
  HeadlessHost(bool assumeYes, std::optional<std::string> chosenPath);

  /// Message boxes shown so far (their texts), in order.
  const std::vector<std::string>& MessagesShown() const { return messages_; }
  /// Silences the printing of message boxes (they are still recorded).
  void SetQuiet(bool quiet) { quiet_ = quiet; }

  void DoEvents() override {}
  forms::MsgBoxResult MsgBox(const std::string& text, forms::MsgBoxButtons buttons,
                             forms::MsgBoxIcon icon, const std::string& title) override;
  std::optional<std::string> InputBox(const std::string& prompt, const std::string& title,
                                      const std::string& defaultText) override;
  std::optional<std::string> OpenFileDialog(const std::string& title) override;
  std::optional<std::string> ChooseFolder(const forms::Form* owner,
                                          const std::string& title) override;
  void RunModal(forms::Form& form) override;
  void RegisterTimer(forms::Timer&) override {}
  void UnregisterTimer(forms::Timer&) override {}
  void TimerChanged(forms::Timer&) override {}
  std::chrono::system_clock::time_point Now() override;
  forms::ScreenMetrics Screen() override { return {}; }
  /// Commands arrive as arguments: no key is ever held while one of them "clicks".
  int ShiftState() override { return 0; }
  void ClipboardClear() override { clipboard_.clear(); }
  void ClipboardSetText(const std::string& text) override { clipboard_ = text; }
  bool TrayAdd(forms::Form&, const std::string&) override { return false; }
  bool TrayModify(forms::Form&, const std::string&) override { return false; }
  bool TrayDelete(forms::Form&) override { return false; }
  void HandlerFailed(const char* what, const std::string& message) override;
  void Quit() override { quit_ = true; }
  bool QuitRequested() const override { return quit_; }

 private:
  bool assumeYes_;
  std::optional<std::string> chosenPath_;
  std::vector<std::string> messages_;
  std::string clipboard_;
  bool quiet_ = false;
  bool quit_ = false;
};

}  // namespace quill::cli
