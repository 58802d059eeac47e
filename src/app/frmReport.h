#pragma once

#include "forms/Control.h"
#include "forms/Form.h"

namespace quill {

class Application;

/// "Log": shows the scan report.
class frmReport : public forms::Form {
 public:
  explicit frmReport(Application& app);
  forms::TextBox txtReport{*this, "txtReport"};
  forms::CommandButton cmdOK{*this, "cmdOK", "OK"};

 private:
  void Form_Load();
  /// The saved report, in the current language's window.
  void ShowReport();
  Application& app_;
};

}  // namespace quill
