#pragma once

#include "forms/Control.h"
#include "forms/Form.h"
#include "forms/Timer.h"

namespace quill {

class Application;

/// The splash window: sets the brand, then after its short countdown opens the main window.
class frmSplash : public forms::Form {
 public:
  explicit frmSplash(Application& app);
  forms::PictureBox picSplash{*this, "picSplash"};
  forms::Label lblProductName{*this, "lblProductName", "[ProgramName]"};
  forms::Timer Timer2{*this, "Timer2", 2, false};
  /// Half-steps counted by the countdown (2 per tick).
  int Counter() const { return counter_; }

 private:
  void Form_Load();
  void Timer2_Timer();
  /// Sets the brand from the build's identity, shows its name and starts the countdown.
  void ShowBrandAndCountDown();
  /// One tick of the countdown; the last opens the main window and hides the splash.
  void CountDown();
  Application& app_;
  int counter_ = 0;
};

}  // namespace quill
