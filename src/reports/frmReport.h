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
  Application& app_;
};

}  // namespace quill
