#pragma once

#include <windows.h>

#include "forms/Form.h"
#include "views/Binder.h"

namespace quill::win {

/// A top-level window bound to its form: the title follows the form's caption, closing the
/// window unloads the form (which may refuse), and the window state the user picks (minimize,
/// maximize, restore) is told to the form. Showing and hiding are the host's business.
/// The object belongs to its window and goes with it; the host destroys the window when the
/// form goes, so the bindings never outlive their controls.
class FormWindow {
 public:
  FormWindow(const FormWindow&) = delete;
  FormWindow& operator=(const FormWindow&) = delete;
  virtual ~FormWindow() = default;

  HWND Handle() const { return hwnd_; }
  forms::Form& Model() const { return form_; }
  /// The window object of a window made by this class, or nullptr.
  static FormWindow* From(HWND hwnd);
  /// The child window drawing a control of the form, or nullptr.
  virtual HWND ChildOf(const forms::Control& c) const { return binder_.ChildOf(c); }

 protected:
  /// Makes the window with a client area of `width` x `height` pixels at 96 dots per inch
  /// (scaled to the screen's density).
  FormWindow(forms::Form& form, int width, int height,
             DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX,
             DWORD exStyle = 0);
  /// Places the children for a client area of the given size (pixels).
  virtual void Layout(int width, int height) = 0;
  /// The derived window calls this once its children are made: from here on it is laid out.
  void Built();
  /// What closing the window does; by default the form unloads.
  virtual void CloseRequested();
  /// Messages the window handles itself; return true when handled.
  virtual bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);

  /// Pixels at 96 dots per inch to this screen's pixels.
  int Px(int at96) const { return MulDiv(at96, dpi_, 96); }
  /// Moves a child, in pixels at 96 dots per inch.
  void Place(HWND child, int x, int y, int width, int height) const;
  /// Sizes and places the window as the model says (twips), now and whenever the form moves:
  /// the sliding windows.
  void FollowModelGeometry();

  Binder binder_;

 private:
  static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  void StateChanged(WPARAM sizeType);

  forms::Form& form_;
  HWND hwnd_ = nullptr;
  int dpi_ = 96;
  bool built_ = false;
};

}  // namespace quill::win
