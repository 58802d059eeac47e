#pragma once

#include <functional>
#include <string>
#include <vector>

#include "forms/Control.h"
#include "forms/HandlerBoundary.h"

namespace quill::forms {

class Host;
class OptionButton;
class Timer;

enum class WindowState { Normal = 0, Minimized = 1, Maximized = 2 };

/// A window: a name, a title, its controls in control order, and its life cycle.
/// Controls are public members of each window's class and register themselves here when
/// they are constructed, so control order is declaration order.
class Form {
 public:
  Form(Host& host, std::string name, std::string caption = {});
  virtual ~Form();
  Form(const Form&) = delete;
  Form& operator=(const Form&) = delete;

  Host& GetHost() const { return host_; }
  /// Runs one step of a longer handler: a step that fails is reported as a failing handler
  /// is, and the handler goes on with its next step.
  void RunStep(const char* what, const std::function<void()>& body) const {
    RunHandler(&host_, what, body);
  }
  const std::string& Name() const { return name_; }
  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& caption);

  const std::vector<Control*>& Controls() const { return controls_; }
  /// First control of that name (and index, for control arrays), or nullptr.
  Control* FindControl(const std::string& name, std::optional<int> index = {}) const;

  // Life cycle. Load runs the load handler once; Unload runs query-unload (which may cancel),
  // then the unload handler, then hides the window.
  bool Loaded() const { return loaded_; }
  void Load();
  /// Returns false when the query-unload handler cancelled.
  bool Unload();
  bool Visible() const { return visible_; }
  /// Shows the window (loading it first). Modal: returns when it is hidden or unloaded.
  void Show(bool modal = false);
  void Hide();
  bool Modal() const { return modal_; }
  WindowState State() const { return state_; }
  /// Changes the window state and raises the resize handler.
  void SetState(WindowState state);
  bool ShowInTaskbar() const { return showInTaskbar_; }
  void SetShowInTaskbar(bool show);
  /// Bring to front (views raise the window).
  void ZOrder();
  /// Geometry in twips; the sliding windows move themselves.
  int Left() const { return left_; }
  int Top() const { return top_; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  void Move(int left, int top);
  void Resize(int width, int height);

  /// Handlers; each runs inside the handler boundary.
  void OnLoad(std::function<void()> h) { onLoad_ = std::move(h); }
  /// Returns true to cancel the unload.
  void OnQueryUnload(std::function<bool()> h) { onQueryUnload_ = std::move(h); }
  void OnUnload(std::function<void()> h) { onUnload_ = std::move(h); }
  void OnResize(std::function<void()> h) { onResize_ = std::move(h); }
  /// Mouse move over the window's background (x, y in twips); the tray decoding uses it.
  void OnMouseMove(std::function<void(int, int)> h) { onMouseMove_ = std::move(h); }
  void MouseMove(int x, int y);

  ChangeSignal& Changed() { return changed_; }

  // Internal: controls register with their form.
  void Register(Control& control);
  void Unregister(Control& control);
  /// Clears the other option buttons of the same group.
  void OptionSelected(OptionButton& button);

 private:
  void SetVisible(bool visible);
  void TimersChanged();
  Host& host_;
  std::string name_;
  std::string caption_;
  std::vector<Control*> controls_;
  bool loaded_ = false;
  bool visible_ = false;
  bool modal_ = false;
  bool unloading_ = false;
  WindowState state_ = WindowState::Normal;
  bool showInTaskbar_ = true;
  int left_ = 0, top_ = 0, width_ = 9600, height_ = 7200;
  std::function<void()> onLoad_;
  std::function<bool()> onQueryUnload_;
  std::function<void()> onUnload_;
  std::function<void()> onResize_;
  std::function<void(int, int)> onMouseMove_;
  ChangeSignal changed_;
};

}  // namespace quill::forms
