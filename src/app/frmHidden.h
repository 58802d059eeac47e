#pragma once

#include "forms/Form.h"

namespace quill {

class Application;

/// An invisible window kept loaded for the life of the program.
class frmHidden : public forms::Form {
 public:
  explicit frmHidden(Application& app);
};

}  // namespace quill
