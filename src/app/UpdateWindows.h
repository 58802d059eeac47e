#pragma once

#include <string>

#include "definitions/UpdateProgressView.h"

namespace quill {

class Application;

/// What a Live Update run shows, through the program's own windows: the download window
/// (`frmDownload`) and the sliding notice (`frmSignatureUpdated`).
class UpdateWindows : public UpdateProgressView {
 public:
  explicit UpdateWindows(Application& app) : app_(app) {}

  void OpenDownloadWindow() override;
  void ShowStatus(const std::string& text) override;
  void RemoveDownloadIcon() override;
  void CloseDownloadWindow() override;
  void ShowNotification(const std::string& message) override;

 private:
  Application& app_;
};

}  // namespace quill
