#pragma once

#include "views/FormView.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace quill {
class Application;
class frmDownload;
}  // namespace quill

namespace quill::gui {

/// The Live Update download window: the two transfer pictures blinking in one place, the
/// cycling caption, the status line and "Cancel". It is an ordinary window with its own
/// task-bar entry, so that where the desktop has no notification area the icon's
/// double-click (bring the window back) is still one click on the task bar away.
class DownloadView : public FormView {
  Q_OBJECT

 public:
  DownloadView(Application& app, frmDownload& form);
  QLabel* Caption() const { return caption_; }
  QLineEdit* Status() const { return status_; }
  QLabel* PictureUp() const { return up_; }
  QLabel* PictureDown() const { return down_; }
  QPushButton* CancelButton() const { return cancel_; }

 private:
  QLabel* caption_;
  QLineEdit* status_;
  QLabel* up_;
  QLabel* down_;
  QPushButton* cancel_;
};

}  // namespace quill::gui
