#pragma once

#include <QElapsedTimer>
#include <QIcon>
#include <QObject>
#include <QPointer>
#include <QWidget>
#include <chrono>
#include <cstdio>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "forms/Host.h"

class QEventLoop;
class QSystemTrayIcon;
class QTimer;
class QTranslator;

namespace quill::platform {
class FileSystem;
}

namespace quill::gui {

/// The desktop program's host: real dialogs, QTimers for the model's timers, the clipboard,
/// the notification-area icon and the screen metrics, all through Qt. Windows are shown by
/// views that a factory makes when their form loads.
class QtHost : public QObject, public forms::Host {
  Q_OBJECT

 public:
  QtHost();
  ~QtHost() override;

  /// Makes the view of a form when it loads; nullptr for windows nobody sees.
  using ViewFactory = std::function<QWidget*(forms::Form&)>;
  void SetViewFactory(ViewFactory factory) { factory_ = std::move(factory); }
  /// The view of a form, or nullptr when it has none (yet).
  QWidget* ViewOf(const forms::Form& form) const;
  /// Maps the paths the dialogs return (host paths) to the machine's Windows paths.
  void SetFileSystem(platform::FileSystem* files) { files_ = files; }
  /// The tray icon's picture.
  void SetTrayIcon(const QIcon& icon);

  /// What a message box asked.
  struct Message {
    std::string text;
    forms::MsgBoxButtons buttons;
    forms::MsgBoxIcon icon;
    std::string title;
    /// What its buttons read, in the order of the platform's button set.
    std::vector<std::string> buttonTexts;
  };
  /// Answers message boxes instead of the user (tests, screenshots); returning nothing shows
  /// the real box. Every box is recorded either way.
  using MessageHook = std::function<std::optional<forms::MsgBoxResult>(const Message&)>;
  void SetMessageHook(MessageHook hook) { messageHook_ = std::move(hook); }
  /// The answer that lets an unattended run go on: Yes to questions, Ignore to a permission
  /// problem, Cancel to a retry, OK otherwise (used by the screenshot tour and the tests).
  static forms::MsgBoxResult AgreeableAnswer(forms::MsgBoxButtons buttons);
  const std::vector<Message>& Messages() const { return messages_; }
  /// Answers the file and folder dialogs and the input box instead of the user. The outer
  /// optional: unset shows the real dialog; the inner: the answer (unset = cancelled).
  using PathHook = std::function<std::optional<std::optional<std::string>>(const std::string&)>;
  void SetFileHook(PathHook hook) { fileHook_ = std::move(hook); }
  void SetFolderHook(PathHook hook) { folderHook_ = std::move(hook); }
  void SetInputHook(PathHook hook) { inputHook_ = std::move(hook); }
  /// Where the language code of the program's texts comes from ("de"): the toolkit's own
  /// words in message boxes and dialogs follow it, also after a switch while running.
  using LanguageSource = std::function<std::string()>;
  void SetLanguageSource(LanguageSource source) { languageSource_ = std::move(source); }
  /// Per-item yields within this many milliseconds of the last pump return at once.
  void SetEventThrottle(int ms) { throttleMs_ = ms; }
  /// Pumps the event queue at once, without the throttle (tests wait for timers with it).
  void ProcessEventsNow();
  /// Whether a window has an icon in the notification area.
  bool HasTrayIcon(const forms::Form& owner) const;
  /// Removes every icon left (the program is ending).
  void RemoveAllTrayIcons();
  /// Appends a line to the file for each timer tick that ran ("tick FrmMain.tmrScheduler")
  /// and each window shown ("show frmSpywareFoundAlert"), so that a test or a benchmark can
  /// watch the running program. False when the file cannot be opened.
  bool SetEventLog(const std::string& path);

  // forms::Host
  void DoEvents() override;
  forms::MsgBoxResult MsgBox(const std::string& text, forms::MsgBoxButtons buttons,
                             forms::MsgBoxIcon icon, const std::string& title) override;
  std::optional<std::string> InputBox(const std::string& prompt, const std::string& title,
                                      const std::string& defaultText) override;
  std::optional<std::string> OpenFileDialog(const std::string& title) override;
  std::optional<std::string> ChooseFolder(const forms::Form* owner,
                                          const std::string& title) override;
  void RunModal(forms::Form& form) override;
  void FormLoaded(forms::Form& form) override;
  void FormUnloaded(forms::Form& form) override;
  void FormVisibilityChanged(forms::Form& form) override;
  void BringToFront(forms::Form& form) override;
  void FormDestroyed(forms::Form& form) override;
  void RegisterTimer(forms::Timer& timer) override;
  void UnregisterTimer(forms::Timer& timer) override;
  void TimerChanged(forms::Timer& timer) override;
  std::chrono::system_clock::time_point Now() override;
  forms::ScreenMetrics Screen() override;
  int ShiftState() override;
  void ClipboardClear() override;
  void ClipboardSetText(const std::string& text) override;
  bool TrayAdd(forms::Form& owner, const std::string& tip) override;
  bool TrayModify(forms::Form& owner, const std::string& tip) override;
  bool TrayDelete(forms::Form& owner) override;
  void SetMousePointer(forms::MousePointer pointer) override;
  void HandlerFailed(const char* what, const std::string& message) override;
  void Quit() override;
  bool QuitRequested() const override { return quitRequested_; }

 private:
  QWidget* DialogParent() const;
  /// Loads the toolkit's translation for the current language code when it changed.
  void FollowLanguage();
  QWidget* EnsureView(forms::Form& form);
  void ShowView(forms::Form& form, QWidget* view);
  void PlaceInView(forms::Form& form, QWidget* view);
  void EndModalLoopsOf(const forms::Form& form);
  std::string WindowsPath(const QString& nativePath) const;
  QString StartFolder() const;

  struct ModalLoop {
    const forms::Form* form;
    QEventLoop* loop;
  };

  ViewFactory factory_;
  std::map<const forms::Form*, QPointer<QWidget>> views_;
  void TimerTicked(forms::Timer& timer, QTimer& qtimer);
  void LogEvent(const std::string& line);

  std::map<forms::Timer*, QTimer*> timers_;
  // When a held timer was due: it goes on from there when released.
  std::map<forms::Timer*, std::chrono::steady_clock::time_point> heldDue_;
  std::FILE* eventLog_ = nullptr;
  std::map<const forms::Form*, QSystemTrayIcon*> trayIcons_;
  // Windows that went to the notification area while the desktop has none: they stay
  // minimized in the task bar instead, so that the user can always get them back.
  std::map<const forms::Form*, bool> noTrayFallback_;
  std::vector<ModalLoop> modalLoops_;
  std::vector<Message> messages_;
  MessageHook messageHook_;
  PathHook fileHook_;
  PathHook folderHook_;
  PathHook inputHook_;
  platform::FileSystem* files_ = nullptr;
  QElapsedTimer sinceEvents_;
  int throttleMs_ = 10;
  bool busyCursor_ = false;
  bool quitRequested_ = false;
  QIcon trayIcon_;
  LanguageSource languageSource_;
  std::string languageCode_;
  std::unique_ptr<QTranslator> translator_;
};

}  // namespace quill::gui
