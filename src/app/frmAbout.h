#pragma once

#include "forms/Control.h"
#include "forms/Form.h"

namespace quill {

class Application;

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
  void Form_Load();
  /// The brand's name, version, company and web site, in the current language.
  void ShowIdentity();
  Application& app_;
};

}  // namespace quill
