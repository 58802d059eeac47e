#pragma once

namespace quill {

class frmMenuPopUp;
class frmSignatureUpdated;

/// The windows the tray icon opens, made on first use by whoever owns the windows.
class TrayWindows {
 public:
  virtual ~TrayWindows() = default;
  /// The tray icon's slide-up menu.
  virtual frmMenuPopUp& MenuPopUp() = 0;
  /// The "definitions updated" notice.
  virtual frmSignatureUpdated& SignatureUpdated() = 0;
};

}  // namespace quill
