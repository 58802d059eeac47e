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
  Application& app_;
  int counter_ = 0;
};

/// The about box.
class frmAbout : public forms::Form {
 public:
  explicit frmAbout(Application& app);
  forms::Label lblTitle{*this, "lblTitle", ""};
  forms::Label lblVersion{*this, "lblVersion", ""};
  forms::Label lblCompany{*this, "lblCompany", ""};
  forms::Label lblWebsite{*this, "lblWebsite", ""};
  forms::CommandButton cmdOK{*this, "cmdOK", "OK"};

 private:
  Application& app_;
};

/// An invisible window kept loaded for the life of the program.
class frmHidden : public forms::Form {
 public:
  explicit frmHidden(Application& app);
};

/// The help launcher: an invisible window that opens the program's help file.
class Form8 : public forms::Form {
 public:
  explicit Form8(Application& app);

 private:
  void Form_Load();
  Application& app_;
};

}  // namespace quill
