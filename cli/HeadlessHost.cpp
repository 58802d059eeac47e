#include "HeadlessHost.h"

#include <cstdio>

#include "base/Text.h"
#include "forms/Form.h"

namespace quill::cli {

HeadlessHost::HeadlessHost(bool assumeYes, std::optional<std::string> chosenPath)
    : assumeYes_(assumeYes), chosenPath_(std::move(chosenPath)) {}

forms::MsgBoxResult HeadlessHost::MsgBox(const std::string& text, forms::MsgBoxButtons buttons,
                                         forms::MsgBoxIcon, const std::string& title) {
  messages_.push_back(text);
  if (!quiet_) {
    // One message per line: the program's line breaks become spaces.
    std::string shown = text::ReplaceAll(text::ReplaceAll(text, "\r\n", " "), "\n", " ");
    std::fprintf(stderr, "%s: %s\n", title.empty() ? "message" : title.c_str(), shown.c_str());
  }
  using B = forms::MsgBoxButtons;
  using R = forms::MsgBoxResult;
  switch (buttons) {
    case B::OkOnly:
      return R::Ok;
    case B::OkCancel:
      return assumeYes_ ? R::Ok : R::Cancel;
    case B::YesNo:
      return assumeYes_ ? R::Yes : R::No;
    case B::YesNoCancel:
      return assumeYes_ ? R::Yes : R::Cancel;
    case B::RetryCancel:
      return R::Cancel;
    case B::AbortRetryIgnore:
      return R::Ignore;
  }
  return R::Cancel;
}

std::optional<std::string> HeadlessHost::InputBox(const std::string&, const std::string&,
                                                  const std::string&) {
  return std::nullopt;
}

std::optional<std::string> HeadlessHost::OpenFileDialog(const std::string&) {
  return chosenPath_;
}

std::optional<std::string> HeadlessHost::ChooseFolder(const forms::Form*, const std::string&) {
  return chosenPath_;
}

void HeadlessHost::RunModal(forms::Form& form) {
  // Nobody can answer a window here: it is closed as the user would cancel it.
  form.Hide();
}

std::chrono::system_clock::time_point HeadlessHost::Now() {
  return std::chrono::system_clock::now();
}

void HeadlessHost::HandlerFailed(const char* what, const std::string& message) {
  std::fprintf(stderr, "quillonet-cli: %s failed: %s\n", what ? what : "handler", message.c_str());
}

}  // namespace quill::cli
