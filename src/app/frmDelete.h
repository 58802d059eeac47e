#pragma once

#include "forms/Control.h"
#include "forms/Form.h"
#include "forms/ListView.h"

namespace quill {

class Application;

/// "Delete Failed": the files still present after both removal passes.
class frmDelete : public forms::Form {
 public:
  explicit frmDelete(Application& app);
  forms::Label Label1{*this, "Label1",
                      "The following files could not be deleted.  You should save your work, "
                      "close all running programs (especially browsers) and try to delete them "
                      "again."};
  forms::ListView lstProblem{*this, "lstProblem", {"Location"}};
  forms::Label Label2{*this, "Label2",
                      "If you still cannot delete them, you should start your computer in Safe "
                      "Mode and either scan again or delete them manually."};
  forms::CommandButton cmdOk{*this, "cmdOk", "Ok"};
  forms::CommandButton cmdCopy{*this, "cmdCopy", "Copy List"};

  void cmdOk_Click();
  void cmdCopy_Click();
  /// A second column, headed `heading`, shows why the removal refused an item while any
  /// row has a reason; without one the list has its one column.
  void ShowReasons(const std::string& heading);

 private:
  /// Puts the listed places on the clipboard, one a line.
  void CopyList();
};

}  // namespace quill
