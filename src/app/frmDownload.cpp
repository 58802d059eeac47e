#include "app/frmDownload.h"

#include "app/Application.h"
#include "app/TrayIcons.h"

namespace quill {

namespace {
// The mouse message a left double-click on a notification-area icon arrives as.
constexpr int kLeftDoubleClick = 515;
}  // namespace

frmDownload::frmDownload(Application& app, TrayIcons& tray)
    : Form(app.Host(), "frmDownload", "Live Update"), app_(app), tray_(tray) {
  Resize(kWidth, kHeight);
  OnLoad([this] { Form_Load(); });
  OnUnload([this] { Form_Unload(); });
  OnMouseMove([this](int x, int y) { Form_MouseMove(x, y); });
  tmrBlink.OnTick([this] { tmrBlink_Timer(); });
  cmdCancel.OnClick([this] { cmdCancel_Click(); });
}

void frmDownload::Form_Load() {
  StartShowingProgress();
}

void frmDownload::StartShowingProgress() {
  app_.ApplyCurrentLanguage(*this);
  tick_ = 0;
  tmrBlink.Enable(true);
  picUp.SetVisible(true);
  picDown.SetVisible(false);
  lblProduct.SetCaption(app_.Msg("MSG_DOWNLOADING"));
  tray_.ShowIcon(*this);
  tray_.ChangeToolTip(*this, kTrayTip);
}

void frmDownload::Form_Unload() {
  StopShowingProgress();
}

void frmDownload::StopShowingProgress() {
  tmrBlink.Enable(false);
  tray_.RemoveIcon(*this);
}

void frmDownload::Form_MouseMove(int x, int /*y*/) {
  RestoreOnIconDoubleClick(x);
}

void frmDownload::RestoreOnIconDoubleClick(int x) {
  if (!tray_.bRunningInTray(*this)) return;
  // Decoded with the screen's real twips per pixel, as the main window does, so the
  // double-click works at every screen density.
  const int perPixel = GetHost().Screen().twipsPerPixelX;
  if (perPixel <= 0 || x / perPixel != kLeftDoubleClick) return;
  SetState(forms::WindowState::Normal);
  Show();
  ZOrder();
}

void frmDownload::tmrBlink_Timer() {
  Blink();
}

void frmDownload::Blink() {
  SwapPictures();
  TellStory();
  tick_ = tick_ >= 14 ? 0 : tick_ + 1;
}

void frmDownload::SwapPictures() {
  if (picDown.Visible()) {
    picDown.SetVisible(false);
    picUp.SetVisible(true);
    lblProduct.SetCaption(app_.Msg("MSG_CONNECTING"));
  } else {
    lblProduct.SetCaption(app_.Msg("MSG_CHECKING"));
    picDown.SetVisible(true);
    picUp.SetVisible(false);
  }
}

void frmDownload::TellStory() {
  // The caption tells a story of its own, whatever the transfer is doing.
  switch (tick_) {
    case 0:
      lblProduct.SetCaption(app_.Msg("MSG_CONNECTING2"));
      break;
    case 6:
      lblProduct.SetCaption(app_.Msg("MSG_SENT"));
      break;
    case 8:
      lblProduct.SetCaption(app_.Msg("MSG_RECEIVING"));
      break;
    case 1:
    case 7:
    case 9:
      break;
    default:
      lblProduct.SetCaption(app_.Msg("MSG_SENDING"));
      break;
  }
}

void frmDownload::cmdCancel_Click() {
  Unload();
}

}  // namespace quill
