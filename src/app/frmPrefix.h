#pragma once

#include <string>
#include <vector>

#include "forms/Control.h"
#include "forms/Form.h"

namespace quill {

class Application;

/// "Wine Prefix": the Windows machines (Wine prefixes) of the user, as the command line's
/// "prefixes" lists them, in a drop-down list; the one chosen is protected from the next
/// start on, which follows at once.
class frmPrefix : public forms::Form {
 public:
  explicit frmPrefix(Application& app);

  forms::Label lblInfo{*this, "lblInfo", ""};
  forms::ComboBox cmbPrefix{*this, "cmbPrefix"};
  forms::Label lblPath{*this, "lblPath", ""};
  forms::CommandButton cmdUse{*this, "cmdUse", "Use This Prefix"};
  forms::CommandButton cmdCancel{*this, "cmdCancel", "Cancel"};

  /// Ends the program for a start on the chosen prefix (Application::nextPrefix); the one in
  /// use only closes the window.
  void cmdUse_Click();
  void cmbPrefix_Click();

 private:
  void Form_Load();
  /// The user's prefixes in the list, the one in use chosen (and offered even when no known
  /// place names it).
  void ListPrefixes();
  /// The chosen prefix's folder under the list.
  void ShowChosenPath();
  void UseChosenPrefix();
  Application& app_;
  std::vector<std::string> paths_;
};

}  // namespace quill
