#pragma once

#include "app/SlidePlacement.h"
#include "app/TrayMainWindow.h"
#include "forms/Control.h"
#include "forms/Form.h"
#include "forms/Timer.h"

namespace quill {

class Application;

/// The small menu that slides up out of the task bar when the tray icon is clicked. It rests
/// while the pointer moves over it and slides away after about six idle seconds, or at once
/// after any of its commands.
class frmMenuPopUp : public forms::Form {
 public:
  frmMenuPopUp(Application& app, TrayMainWindow& main);

  /// Size of the window, in twips.
  static constexpr int kWidth = 3000;
  static constexpr int kHeight = 2400;
  /// Twips moved per tick of the slide timers.
  static constexpr int kSlideInStep = 80;
  static constexpr int kSlideOutStep = 100;
  /// Idle seconds before it slides away on its own.
  static constexpr int kIdleSeconds = 5;

  forms::Label lblName{*this, "lblName"};
  forms::CommandButton mnuMaxmimaize{*this, "mnuMaxmimaize", "Show Program"};
  forms::CommandButton mnuClose{*this, "mnuClose", "Exit Program"};
  forms::CommandButton lblMenuClose{*this, "lblMenuClose", "Close This Menu"};
  forms::Timer tmrMenuPopup{*this, "tmrMenuPopup", 1, false};
  forms::Timer TmrEnablePopDown{*this, "TmrEnablePopDown", 1000, false};
  forms::Timer tmrPopDown{*this, "tmrPopDown", 10, false};

  /// Idle seconds counted by TmrEnablePopDown; any pointer movement over the menu resets it.
  int lTimDown = 0;

  void Form_Load();
  /// The pointer moved over the menu's background.
  void Form_MouseMove();
  /// The pointer moved over "Close This Menu": its caption turns bold.
  void lblMenuClose_MouseMove();
  void tmrMenuPopup_Timer();
  void TmrEnablePopDown_Timer();
  void tmrPopDown_Timer();
  void mnuMaxmimaize_Click();
  void mnuClose_Click();
  void lblMenuClose_Click();

  const SlidePlacement& Placement() const { return place_; }

 private:
  /// The menu in the current language, its commands as the main window allows, sliding up
  /// from the task bar.
  void PopUp();
  void SlideIn();
  void SlideOut();
  /// Pointer movement keeps the menu up: the idle count starts again, and "Close This Menu"
  /// is bold while the pointer is over it.
  void StayUp(bool overClose);
  /// One idle second; after kIdleSeconds of them the menu slides away.
  void CountIdleSecond();
  /// Brings the main window back from the tray, then slides the menu away.
  void ShowProgram();
  /// Slides the menu away, then leaves the program from the tray.
  void ExitProgram();
  /// Stops the slide in and the idle count and slides the menu away.
  void Dismiss();
  void SetCloseBold(bool bold);
  Application& app_;
  TrayMainWindow& main_;
  SlidePlacement place_;
};

}  // namespace quill
