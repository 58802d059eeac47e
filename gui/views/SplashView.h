#pragma once

#include "views/FormView.h"

namespace quill {
class Application;
class frmSplash;
}  // namespace quill

namespace quill::gui {

/// The splash window: the shield and the product name on a frameless card.
class SplashView : public FormView {
  Q_OBJECT

 public:
  SplashView(Application& app, frmSplash& form);
};

}  // namespace quill::gui
