#include "app/frmSignatureUpdated.h"

#include <algorithm>

#include "app/Application.h"
#include "app/clsTray.h"
#include "core/Settings.h"

namespace quill {

frmSignatureUpdated::frmSignatureUpdated(Application& app)
    : Form(app.Host(), "frmSignatureUpdated", "Live Update"), app_(app) {
  Resize(kWidth, kHeight);
  SetShowInTaskbar(false);
  OnLoad([this] { Form_Load(); });
  tmrPopupSignatureUpdate.OnTick([this] { tmrPopupSignatureUpdate_Timer(); });
  tmrEnablePopDownTimer.OnTick([this] { tmrEnablePopDownTimer_Timer(); });
  tmrPopDown.OnTick([this] { tmrPopDown_Timer(); });
  cmdUpdateSuccesfullOK.OnClick([this] { cmdUpdateSuccesfullOK_Click(); });
}

void frmSignatureUpdated::Form_Load() {
  StartSlidingIn();
}

void frmSignatureUpdated::StartSlidingIn() {
  app_.ApplyCurrentLanguage(*this);
  tmrEnablePopDownTimer.Enable(false);
  tmrPopDown.Enable(false);
  // Placed from the screen's real density, so the window rests in view on every screen.
  place_ = PlaceAboveTaskbar(GetHost().Screen(), Width(), Height());
  Move(place_.left, place_.startTop);
  Show();
  tmrPopupSignatureUpdate.Enable(true);
}

void frmSignatureUpdated::FitHeight(int height) {
  const forms::ScreenMetrics screen = GetHost().Screen();
  const SlidePlacement place = PlaceAboveTaskbar(screen, Width(), Height());
  height = std::max(kHeight, std::min(height, place.startTop - kRestingGap - place.workTop));
  if (height == Height()) return;
  const int risen = place_.startTop - Top();
  Resize(Width(), height);
  place_ = PlaceAboveTaskbar(screen, Width(), height);
  Move(place_.left, std::max(place_.restingTop, place_.startTop - risen));
}

void frmSignatureUpdated::tmrPopupSignatureUpdate_Timer() {
  SlideIn();
}

void frmSignatureUpdated::SlideIn() {
  if (!SlideUp(*this, place_, kSlideInStep)) return;
  tmrPopupSignatureUpdate.Enable(false);
  tmrEnablePopDownTimer.Enable(true);
}

void frmSignatureUpdated::tmrEnablePopDownTimer_Timer() {
  StartSlidingOut();
}

void frmSignatureUpdated::StartSlidingOut() {
  tmrEnablePopDownTimer.Enable(false);
  tmrPopDown.Enable(true);
}

void frmSignatureUpdated::tmrPopDown_Timer() {
  SlideOut();
}

void frmSignatureUpdated::SlideOut() {
  if (!SlideDown(*this, place_, kSlideOutStep)) return;
  tmrPopDown.Enable(false);
  CloseNotice();
}

void frmSignatureUpdated::cmdUpdateSuccesfullOK_Click() {
  CloseNotice();
}

void frmSignatureUpdated::CloseNotice() {
  settings::Write(app_.Settings(), settings::ShowUpdated, false);
  tmrPopupSignatureUpdate.Enable(false);
  if (onClosed_) onClosed_();
  Unload();
}

}  // namespace quill
