#pragma once

#include "forms/Form.h"

namespace quill {

class Application;

/// The help launcher: an invisible window that opens the program's help file.
class Form8 : public forms::Form {
 public:
  explicit Form8(Application& app);

 private:
  void Form_Load();
  /// Opens the help file when it is there; it is not opened by itself again for this user.
  void OpenHelpOnce();
  Application& app_;
};

}  // namespace quill
