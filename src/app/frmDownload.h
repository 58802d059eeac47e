#pragma once

#include "forms/Control.h"
#include "forms/Form.h"
#include "forms/Timer.h"

namespace quill {

class Application;
class TrayIcons;

/// The download window of a Live Update run: a status line, a caption that cycles while the
/// run goes on, two pictures that blink in turn, and "Cancel". While it is loaded it has its
/// own notification-area icon; a double-click on that icon brings the window back.
/// Closing it does not stop the update: the run goes on without a window.
class frmDownload : public forms::Form {
 public:
  /// Its icon goes through the tray's icons (tray).
  frmDownload(Application& app, TrayIcons& tray);

  /// The tip of the window's notification-area icon.
  static constexpr const char* kTrayTip = "Getting latest definitions.";
  /// Size of the window, in twips.
  static constexpr int kWidth = 6000;
  static constexpr int kHeight = 2400;

  forms::Label lblProduct{*this, "lblProduct", ""};
  forms::TextBox txtStatus{*this, "txtStatus"};
  forms::PictureBox picUp{*this, "picUp"};
  forms::PictureBox picDown{*this, "picDown"};
  forms::CommandButton cmdCancel{*this, "cmdCancel", "Cancel"};
  forms::Timer tmrBlink{*this, "tmrBlink", 800, true};

  void Form_Load();
  void Form_Unload();
  /// The icon's clicks arrive as mouse moves; a left double-click restores the window.
  void Form_MouseMove(int x, int y);
  void tmrBlink_Timer();
  void cmdCancel_Click();

  /// Position in the 15-tick caption cycle (0 to 14) of the next blink.
  int BlinkTick() const { return tick_; }

 private:
  /// The window in the current language with its first picture, caption and icon; the
  /// blinking starts.
  void StartShowingProgress();
  /// The blinking stops and the window's icon leaves the notification area.
  void StopShowingProgress();
  /// Restores the window when the mouse move is a left double-click on its icon.
  void RestoreOnIconDoubleClick(int x);
  /// One blink: the pictures swap, the caption moves on in its cycle.
  void Blink();
  void SwapPictures();
  /// The caption of this tick of the cycle, over the one SwapPictures wrote.
  void TellStory();
  Application& app_;
  TrayIcons& tray_;
  int tick_ = 0;
};

}  // namespace quill
