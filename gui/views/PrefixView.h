#pragma once

#include "views/FormView.h"

namespace quill {
class frmPrefix;
}

namespace quill::gui {

/// The choice of the Wine prefix to protect: a drop-down list of the user's prefixes, the
/// chosen one's folder, and the buttons.
class PrefixView : public FormView {
  Q_OBJECT

 public:
  explicit PrefixView(frmPrefix& form);
};

}  // namespace quill::gui
