#include "app/UpdateWindows.h"

#include "app/Application.h"
#include "app/clsTray.h"
#include "app/frmDownload.h"
#include "app/frmSignatureUpdated.h"

namespace quill {

void UpdateWindows::OpenDownloadWindow() {
  auto& download = app_.Download();
  download.Load();
  download.Show();
}

void UpdateWindows::ShowStatus(const std::string& text) {
  // A window the user closed has no status box: the run goes on without showing progress.
  auto* download = app_.FindWindow<frmDownload>();
  if (download && download->Loaded()) download->txtStatus.SetText(text);
}

void UpdateWindows::RemoveDownloadIcon() {
  if (auto* download = app_.FindWindow<frmDownload>()) app_.Tray().RemoveIcon(*download);
}

void UpdateWindows::CloseDownloadWindow() {
  if (auto* download = app_.FindWindow<frmDownload>()) download->Unload();
}

void UpdateWindows::ShowNotification(const std::string& message) {
  auto& notice = app_.SignatureUpdated();
  // A notice still on screen from an earlier run makes way: the new one slides in afresh
  // and rests its full time.
  if (notice.Loaded()) notice.Unload();
  notice.Load();
  notice.lblUpdateInfo.SetCaption(message);
}

}  // namespace quill
