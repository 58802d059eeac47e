#pragma once

#include <functional>

#include "app/SlidePlacement.h"
#include "forms/Control.h"
#include "forms/Form.h"
#include "forms/Timer.h"

namespace quill {

class Application;

/// The notice that slides up out of the task bar to tell how a Live Update ended: it slides
/// in, rests for seven seconds, slides out and closes itself once it has left the screen.
/// "OK" closes it at once.
class frmSignatureUpdated : public forms::Form {
 public:
  explicit frmSignatureUpdated(Application& app);

  /// Size of the window, in twips.
  static constexpr int kWidth = 5100;
  static constexpr int kHeight = 2100;
  /// Twips moved per tick of the slide timers.
  static constexpr int kSlideInStep = 20;
  static constexpr int kSlideOutStep = 40;

  forms::Label lblUpdateInfo{*this, "lblUpdateInfo",
                             "All application spyware/adware definitions have been updated."};
  forms::CommandButton cmdUpdateSuccesfullOK{*this, "cmdUpdateSuccesfullOK", "OK"};
  forms::Timer tmrPopupSignatureUpdate{*this, "tmrPopupSignatureUpdate", 10, false};
  forms::Timer tmrEnablePopDownTimer{*this, "tmrEnablePopDownTimer", 7000, false};
  forms::Timer tmrPopDown{*this, "tmrPopDown", 10, false};

  void Form_Load();
  void tmrPopupSignatureUpdate_Timer();
  void tmrEnablePopDownTimer_Timer();
  void tmrPopDown_Timer();
  void cmdUpdateSuccesfullOK_Click();
  /// Takes the height its text needs (twips), at least kHeight and no more than the work area
  /// holds above the resting gap, so that no language's text is cut off. The notice keeps
  /// how far it has slid in.
  void FitHeight(int height);
  /// Run when the notice closes: the program takes the download window's icon away with it.
  void OnClosed(std::function<void()> handler) { onClosed_ = std::move(handler); }

  /// Where the window started, rests and counts as gone, fixed when it loaded.
  const SlidePlacement& Placement() const { return place_; }

 private:
  /// The notice in the current language, placed below the work area and sliding up.
  void StartSlidingIn();
  void SlideIn();
  /// The rest is over: the notice starts sliding out.
  void StartSlidingOut();
  void SlideOut();
  /// Stores that the notice was seen, stops the slide in, tells the program and closes.
  void CloseNotice();
  Application& app_;
  SlidePlacement place_;
  std::function<void()> onClosed_;
};

}  // namespace quill
