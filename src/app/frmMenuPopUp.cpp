#include "app/frmMenuPopUp.h"

#include "app/Application.h"

namespace quill {

frmMenuPopUp::frmMenuPopUp(Application& app, TrayMainWindow& main)
    : Form(app.Host(), "frmMenuPopUp", app.brand.programName), app_(app), main_(main) {
  Resize(kWidth, kHeight);
  SetShowInTaskbar(false);
  OnLoad([this] { Form_Load(); });
  OnMouseMove([this](int, int) { Form_MouseMove(); });
  tmrMenuPopup.OnTick([this] { tmrMenuPopup_Timer(); });
  TmrEnablePopDown.OnTick([this] { TmrEnablePopDown_Timer(); });
  tmrPopDown.OnTick([this] { tmrPopDown_Timer(); });
  mnuMaxmimaize.OnClick([this] { mnuMaxmimaize_Click(); });
  mnuClose.OnClick([this] { mnuClose_Click(); });
  lblMenuClose.OnClick([this] { lblMenuClose_Click(); });
}

void frmMenuPopUp::Form_Load() {
  PopUp();
}

void frmMenuPopUp::PopUp() {
  app_.ApplyCurrentLanguage(*this);
  lblName.SetCaption(app_.brand.programName);
  lTimDown = 0;
  tmrPopDown.Enable(false);
  TmrEnablePopDown.Enable(false);
  SetCloseBold(false);
  mnuClose.SetEnabled(main_.ExitAllowed());
  mnuMaxmimaize.SetEnabled(!main_.WindowShown());
  SetCaption(app_.brand.programName);
  // Placed from the screen's real density, so it rests fully in view on every screen.
  place_ = PlaceAboveTaskbar(GetHost().Screen(), Width(), Height());
  Move(place_.left, place_.startTop);
  Show();
  tmrMenuPopup.Enable(true);
}

void frmMenuPopUp::Form_MouseMove() {
  StayUp(false);
}

void frmMenuPopUp::lblMenuClose_MouseMove() {
  StayUp(true);
}

void frmMenuPopUp::StayUp(bool overClose) {
  lTimDown = 0;
  SetCloseBold(overClose);
}

void frmMenuPopUp::tmrMenuPopup_Timer() {
  SlideIn();
}

void frmMenuPopUp::SlideIn() {
  if (!SlideUp(*this, place_, kSlideInStep)) return;
  tmrMenuPopup.Enable(false);
  TmrEnablePopDown.Enable(true);
}

void frmMenuPopUp::TmrEnablePopDown_Timer() {
  CountIdleSecond();
}

void frmMenuPopUp::CountIdleSecond() {
  ++lTimDown;
  if (lTimDown <= kIdleSeconds) return;
  lTimDown = 0;
  TmrEnablePopDown.Enable(false);
  tmrPopDown.Enable(true);
}

void frmMenuPopUp::tmrPopDown_Timer() {
  SlideOut();
}

void frmMenuPopUp::SlideOut() {
  if (!SlideDown(*this, place_, kSlideOutStep)) return;
  tmrPopDown.Enable(false);
  Unload();
}

void frmMenuPopUp::mnuMaxmimaize_Click() {
  ShowProgram();
}

void frmMenuPopUp::ShowProgram() {
  main_.RestoreFromTray();
  Dismiss();
}

void frmMenuPopUp::mnuClose_Click() {
  ExitProgram();
}

void frmMenuPopUp::ExitProgram() {
  Dismiss();
  main_.ExitFromTray();
}

void frmMenuPopUp::lblMenuClose_Click() {
  Dismiss();
}

void frmMenuPopUp::Dismiss() {
  TmrEnablePopDown.Enable(false);
  tmrMenuPopup.Enable(false);
  tmrPopDown.Enable(true);
}

void frmMenuPopUp::SetCloseBold(bool bold) {
  auto font = lblMenuClose.Font();
  font.bold = bold;
  lblMenuClose.SetFont(font);
}

}  // namespace quill
