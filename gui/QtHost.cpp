#include "QtHost.h"

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QCursor>
#include <QDebug>
#include <QDir>
#include <QEventLoop>
#include <QFileDialog>
#include <QGuiApplication>
#include <QInputDialog>
#include <QLibraryInfo>
#include <QLocale>
#include <QMessageBox>
#include <QScreen>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QTranslator>
#include <algorithm>
#include <cmath>

#include "app/TrayMainWindow.h"
#include "forms/Form.h"
#include "forms/Timer.h"
#include "platform/FileSystem.h"
#include "views/Binding.h"
#include "views/ListModel.h"

namespace quill::gui {

QtHost::QtHost() {
  sinceEvents_.start();
}

QtHost::~QtHost() {
  RemoveAllTrayIcons();
  for (auto& [timer, qtimer] : timers_) delete qtimer;
  timers_.clear();
  for (auto& [form, view] : views_)
    if (view) delete view.data();
  views_.clear();
  if (busyCursor_) QApplication::restoreOverrideCursor();
  if (eventLog_) std::fclose(eventLog_);
}

bool QtHost::SetEventLog(const std::string& path) {
  if (eventLog_) std::fclose(eventLog_);
  eventLog_ = std::fopen(path.c_str(), "a");
  return eventLog_ != nullptr;
}

void QtHost::LogEvent(const std::string& line) {
  if (!eventLog_) return;
  std::fputs((line + "\n").c_str(), eventLog_);
  std::fflush(eventLog_);
}

void QtHost::SetTrayIcon(const QIcon& icon) {
  trayIcon_ = icon;
  for (auto& [form, tray] : trayIcons_) tray->setIcon(icon);
}

QWidget* QtHost::ViewOf(const forms::Form& form) const {
  auto it = views_.find(&form);
  return it == views_.end() ? nullptr : it->second.data();
}

// ---- Event queue ------------------------------------------------------------------------------

void QtHost::DoEvents() {
  // Pumping the queue costs far more than a scan step: per-item yields shortly after the last
  // pump return at once.
  if (throttleMs_ > 0 && sinceEvents_.isValid() && sinceEvents_.elapsed() < throttleMs_) return;
  ProcessEventsNow();
}

void QtHost::ProcessEventsNow() {
  sinceEvents_.restart();
  QCoreApplication::sendPostedEvents();
  QCoreApplication::processEvents(QEventLoop::AllEvents);
}

// ---- Dialogs ------------------------------------------------------------------------------------

void QtHost::FollowLanguage() {
  const std::string code = languageSource_ ? languageSource_() : std::string();
  if (code == languageCode_) return;
  languageCode_ = code;
  if (translator_) QCoreApplication::removeTranslator(translator_.get());
  translator_.reset();
  if (code.empty()) return;
  // The toolkit's own words (Yes, No, Cancel, the dialogs' buttons) in the program's
  // language, where the system has them; English otherwise. The code comes from the language
  // file, so it only ever names a locale, never a path.
  auto translator = std::make_unique<QTranslator>();
  if (!translator->load(QLocale(Q(code)), QStringLiteral("qtbase"), QStringLiteral("_"),
                        QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
    return;
  QCoreApplication::installTranslator(translator.get());
  translator_ = std::move(translator);
}

QWidget* QtHost::DialogParent() const {
  if (QWidget* modal = QApplication::activeModalWidget()) return modal;
  if (QWidget* active = QApplication::activeWindow()) return active;
  for (const auto& [form, view] : views_)
    if (view && view->isVisible() && form->Name() == "FrmMain") return view.data();
  return nullptr;
}

forms::MsgBoxResult QtHost::MsgBox(const std::string& text, forms::MsgBoxButtons buttons,
                                   forms::MsgBoxIcon icon, const std::string& title) {
  using forms::MsgBoxButtons;
  using forms::MsgBoxResult;
  FollowLanguage();
  QMessageBox box(DialogParent());
  box.setWindowTitle(Q(title));
  box.setText(DisplayText(text));
  switch (icon) {
    case forms::MsgBoxIcon::Critical:
      box.setIcon(QMessageBox::Critical);
      break;
    case forms::MsgBoxIcon::Question:
      box.setIcon(QMessageBox::Question);
      break;
    case forms::MsgBoxIcon::Exclamation:
      box.setIcon(QMessageBox::Warning);
      break;
    case forms::MsgBoxIcon::Information:
      box.setIcon(QMessageBox::Information);
      break;
    case forms::MsgBoxIcon::None:
      box.setIcon(QMessageBox::NoIcon);
      break;
  }
  std::vector<std::pair<QMessageBox::StandardButton, MsgBoxResult>> map;
  switch (buttons) {
    case MsgBoxButtons::OkOnly:
      map = {{QMessageBox::Ok, MsgBoxResult::Ok}};
      break;
    case MsgBoxButtons::OkCancel:
      map = {{QMessageBox::Ok, MsgBoxResult::Ok}, {QMessageBox::Cancel, MsgBoxResult::Cancel}};
      break;
    case MsgBoxButtons::AbortRetryIgnore:
      map = {{QMessageBox::Abort, MsgBoxResult::Abort},
             {QMessageBox::Retry, MsgBoxResult::Retry},
             {QMessageBox::Ignore, MsgBoxResult::Ignore}};
      break;
    case MsgBoxButtons::YesNoCancel:
      map = {{QMessageBox::Yes, MsgBoxResult::Yes},
             {QMessageBox::No, MsgBoxResult::No},
             {QMessageBox::Cancel, MsgBoxResult::Cancel}};
      break;
    case MsgBoxButtons::YesNo:
      map = {{QMessageBox::Yes, MsgBoxResult::Yes}, {QMessageBox::No, MsgBoxResult::No}};
      break;
    case MsgBoxButtons::RetryCancel:
      map = {{QMessageBox::Retry, MsgBoxResult::Retry},
             {QMessageBox::Cancel, MsgBoxResult::Cancel}};
      break;
  }
  QMessageBox::StandardButtons standard;
  for (const auto& [button, result] : map) standard |= button;
  box.setStandardButtons(standard);
  box.setDefaultButton(map.front().first);
  std::vector<std::string> captions;
  for (const auto& [button, result] : map) captions.push_back(S(box.button(button)->text()));
  messages_.push_back({text, buttons, icon, title, std::move(captions)});
  if (messageHook_) {
    if (auto answer = messageHook_(messages_.back())) return *answer;
  }
  // Closing the box with Escape or the title bar answers as the platform does: Cancel
  // where there is one, No for Yes/No, Ok for a plain box.
  MsgBoxResult escape = map.front().second;
  for (const auto& [button, result] : map)
    if (result == MsgBoxResult::Cancel || result == MsgBoxResult::No) escape = result;
  box.exec();
  auto* clicked = box.clickedButton();
  if (!clicked) return escape;
  auto standardClicked = box.standardButton(clicked);
  for (const auto& [button, result] : map)
    if (button == standardClicked) return result;
  return escape;
}

std::optional<std::string> QtHost::InputBox(const std::string& prompt, const std::string& title,
                                            const std::string& defaultText) {
  FollowLanguage();
  if (inputHook_) {
    if (auto answer = inputHook_(prompt)) return *answer;
  }
  bool ok = false;
  QString value = QInputDialog::getText(DialogParent(), Q(title), DisplayText(prompt),
                                        QLineEdit::Normal, Q(defaultText), &ok);
  if (!ok) return std::nullopt;
  return S(value);
}

QString QtHost::StartFolder() const {
  // The dialogs open on the protected machine's system drive: that is where a user looks for
  // what to scan.
  if (files_) {
    QString native = Q(files_->NativePath("C:\\"));
    if (!native.isEmpty() && QDir(native).exists()) return native;
  }
  return QDir::homePath();
}

std::string QtHost::WindowsPath(const QString& nativePath) const {
  std::string native = S(QDir::cleanPath(nativePath));
  if (!files_) return native;
  return files_->FromNativePath(native);
}

std::optional<std::string> QtHost::OpenFileDialog(const std::string& title) {
  FollowLanguage();
  if (fileHook_) {
    if (auto answer = fileHook_(title)) return *answer;
  }
  QString chosen = QFileDialog::getOpenFileName(DialogParent(), Q(title), StartFolder());
  if (chosen.isEmpty()) return std::nullopt;
  std::string path = WindowsPath(chosen);
  // A file outside every drive of the machine cannot be scanned as part of it.
  if (path.empty()) return std::nullopt;
  return path;
}

std::optional<std::string> QtHost::ChooseFolder(const forms::Form* owner,
                                                const std::string& title) {
  FollowLanguage();
  if (folderHook_) {
    if (auto answer = folderHook_(title)) return *answer;
  }
  QWidget* parent = owner ? ViewOf(*owner) : nullptr;
  if (!parent) parent = DialogParent();
  QString chosen = QFileDialog::getExistingDirectory(
      parent, title.empty() ? QObject::tr("Choose a folder") : Q(title), StartFolder());
  if (chosen.isEmpty()) return std::nullopt;
  std::string path = WindowsPath(chosen);
  if (path.empty()) return std::nullopt;
  return path;
}

// ---- Windows ----------------------------------------------------------------------------------

QWidget* QtHost::EnsureView(forms::Form& form) {
  if (QWidget* view = ViewOf(form)) return view;
  if (!factory_) return nullptr;
  QWidget* view = factory_(form);
  if (view) views_[&form] = view;
  return view;
}

void QtHost::ShowView(forms::Form& form, QWidget* view) {
  if (!form.Visible()) {
    if (noTrayFallback_.count(&form)) {
      view->showMinimized();
      return;
    }
    view->hide();
    return;
  }
  if (!view->isVisible()) {
    view->setWindowModality(form.Modal() ? Qt::ApplicationModal : Qt::NonModal);
    PlaceInView(form, view);
  }
  switch (form.State()) {
    case forms::WindowState::Maximized:
      view->showMaximized();
      break;
    case forms::WindowState::Minimized:
      view->showMinimized();
      break;
    case forms::WindowState::Normal:
      if (view->isMinimized() || view->isMaximized())
        view->showNormal();
      else
        view->show();
      break;
  }
  view->raise();
  // A notice that slides in must not take the keyboard from the window the user works in.
  if (!view->testAttribute(Qt::WA_ShowWithoutActivating)) view->activateWindow();
}

// A dialog opens over the main window, wholly on its screen. Left to itself a window manager
// may put it where there is room, which on a small screen is partly below its bottom edge.
// The main window keeps what the window manager gives it; the sliding cards place themselves.
void QtHost::PlaceInView(forms::Form& form, QWidget* view) {
  if (view->windowFlags() & Qt::FramelessWindowHint) return;
  if (dynamic_cast<TrayMainWindow*>(&form) != nullptr) return;
  QWidget* main = nullptr;
  for (const auto& [model, other] : views_)
    if (other && other != view && dynamic_cast<const TrayMainWindow*>(model) != nullptr)
      main = other;
  QScreen* screen = main != nullptr && main->isVisible() ? main->screen() : view->screen();
  if (screen == nullptr) return;
  const QRect area = screen->availableGeometry();
  const QRect over = main != nullptr && main->isVisible() ? main->frameGeometry() : area;
  // A view that chose its size keeps it (grown to what its contents need); one that did not
  // gets the size its contents ask for.
  if (view->testAttribute(Qt::WA_Resized))
    view->resize(view->size().expandedTo(view->minimumSizeHint()));
  else
    view->adjustSize();
  QRect frame(QPoint(0, 0), view->frameGeometry().size().expandedTo(view->size()));
  frame.moveCenter(over.center());
  frame.moveRight(std::min(frame.right(), area.right()));
  frame.moveBottom(std::min(frame.bottom(), area.bottom()));
  frame.moveLeft(std::max(frame.left(), area.left()));
  frame.moveTop(std::max(frame.top(), area.top()));
  view->move(frame.topLeft());
}

void QtHost::FormLoaded(forms::Form& form) {
  FollowLanguage();
  EnsureView(form);
}

void QtHost::FormUnloaded(forms::Form& form) {
  if (QWidget* view = ViewOf(form)) view->hide();
  EndModalLoopsOf(form);
}

void QtHost::FormVisibilityChanged(forms::Form& form) {
  if (form.Visible()) LogEvent("show " + form.Name());
  QWidget* view = form.Visible() ? EnsureView(form) : ViewOf(form);
  if (view) ShowView(form, view);
  if (!form.Visible()) EndModalLoopsOf(form);
}

void QtHost::BringToFront(forms::Form& form) {
  QWidget* view = ViewOf(form);
  if (!view || !view->isVisible()) return;
  view->raise();
  view->activateWindow();
}

void QtHost::FormDestroyed(forms::Form& form) {
  EndModalLoopsOf(form);
  TrayDelete(form);
  noTrayFallback_.erase(&form);
  auto it = views_.find(&form);
  if (it == views_.end()) return;
  // The form's controls are already gone: the view must not touch them any more.
  QPointer<QWidget> view = it->second;
  views_.erase(it);
  if (!view) return;
  for (auto* model : view->findChildren<ListModel*>()) model->Detach();
  delete view.data();
}

void QtHost::RunModal(forms::Form& form) {
  if (!form.Loaded() || !form.Visible()) return;
  QWidget* view = EnsureView(form);
  if (!view) return;
  QEventLoop loop;
  modalLoops_.push_back({&form, &loop});
  loop.exec(QEventLoop::DialogExec);
  std::erase_if(modalLoops_, [&loop](const ModalLoop& m) { return m.loop == &loop; });
}

void QtHost::EndModalLoopsOf(const forms::Form& form) {
  for (const auto& m : modalLoops_)
    if (m.form == &form) m.loop->quit();
}

// ---- Timers -----------------------------------------------------------------------------------

void QtHost::RegisterTimer(forms::Timer& timer) {
  if (timers_.count(&timer)) return;
  auto* qtimer = new QTimer(this);
  forms::Timer* model = &timer;
  connect(qtimer, &QTimer::timeout, this, [this, model, qtimer] { TimerTicked(*model, *qtimer); });
  timers_[&timer] = qtimer;
  TimerChanged(timer);
}

void QtHost::UnregisterTimer(forms::Timer& timer) {
  auto it = timers_.find(&timer);
  if (it == timers_.end()) return;
  it->second->stop();
  it->second->deleteLater();
  timers_.erase(it);
  heldDue_.erase(&timer);
}

void QtHost::TimerChanged(forms::Timer& timer) {
  auto it = timers_.find(&timer);
  if (it == timers_.end()) return;
  QTimer* qtimer = it->second;
  const auto now = std::chrono::steady_clock::now();
  if (timer.Held()) {
    // Counting stops, the due moment stays.
    if (qtimer->isActive() && !heldDue_.count(&timer))
      heldDue_[&timer] = now + std::chrono::milliseconds(std::max(0, qtimer->remainingTime()));
    qtimer->stop();
    return;
  }
  const auto held = heldDue_.find(&timer);
  std::optional<std::chrono::steady_clock::time_point> due;
  if (held != heldDue_.end()) {
    if (timer.Resuming()) due = held->second;
    heldDue_.erase(held);
  }
  const bool run = timer.IsEnabled() && timer.Interval() > 0 && timer.Owner().Loaded();
  if (!run) {
    qtimer->stop();
    return;
  }
  // Short intervals (the splash countdown, the sliding windows) need the precise clock.
  qtimer->setTimerType(timer.Interval() < 50 ? Qt::PreciseTimer : Qt::CoarseTimer);
  int first = timer.Interval();
  // Released: the time it had left; due already, it fires once at the next pass of the loop.
  if (due) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(*due - now).count();
    first = static_cast<int>(std::clamp<long long>(left, 0, timer.Interval()));
  }
  qtimer->start(first);
}

void QtHost::TimerTicked(forms::Timer& timer, QTimer& qtimer) {
  // The first tick after a release came early: from here on, the whole interval.
  if (qtimer.interval() != timer.Interval()) qtimer.setInterval(timer.Interval());
  // Named before the tick: a tick may destroy its own window.
  const std::string name = eventLog_ ? timer.Owner().Name() + "." + timer.Name() : "";
  if (timer.Fire()) LogEvent("tick " + name);
}

std::chrono::system_clock::time_point QtHost::Now() {
  return std::chrono::system_clock::now();
}

// ---- Screen, clipboard, pointer -------------------------------------------------------------

forms::ScreenMetrics QtHost::Screen() {
  forms::ScreenMetrics metrics;
  QScreen* screen = QGuiApplication::primaryScreen();
  if (!screen) return metrics;
  const double dpi = screen->logicalDotsPerInch();
  const int twips = dpi > 0 ? std::max(1, static_cast<int>(std::lround(1440.0 / dpi))) : 15;
  metrics.twipsPerPixelX = twips;
  metrics.twipsPerPixelY = twips;
  const QRect whole = screen->geometry();
  const QRect available = screen->availableGeometry();
  metrics.desktopWidthPx = whole.width();
  metrics.desktopHeightPx = whole.height();
  metrics.taskbarHeightPx = std::max(0, whole.height() - available.height());
  metrics.taskbarAtTop = available.top() > whole.top();
  metrics.screenHeightTwips = whole.height() * twips;
  metrics.screenWidthTwips = whole.width() * twips;
  return metrics;
}

int QtHost::ShiftState() {
  // The modifiers of the input event being delivered: a button's click signal comes from the
  // mouse release (or the key press) that carried them.
  const Qt::KeyboardModifiers held = QGuiApplication::keyboardModifiers();
  int shift = 0;
  if (held & Qt::ShiftModifier) shift |= forms::kShiftMask;
  if (held & Qt::ControlModifier) shift |= forms::kCtrlMask;
  if (held & Qt::AltModifier) shift |= forms::kAltMask;
  return shift;
}

void QtHost::ClipboardClear() {
  if (auto* clipboard = QGuiApplication::clipboard()) clipboard->clear();
}

void QtHost::ClipboardSetText(const std::string& text) {
  if (auto* clipboard = QGuiApplication::clipboard()) clipboard->setText(Q(text));
}

void QtHost::SetMousePointer(forms::MousePointer pointer) {
  const bool busy = pointer == forms::MousePointer::Hourglass;
  if (busy == busyCursor_) return;
  busyCursor_ = busy;
  if (busy)
    QApplication::setOverrideCursor(QCursor(Qt::BusyCursor));
  else
    QApplication::restoreOverrideCursor();
}

void QtHost::HandlerFailed(const char* what, const std::string& message) {
  qWarning("%s failed: %s", what ? what : "", message.c_str());
}

// ---- Notification area --------------------------------------------------------------------------

bool QtHost::TrayAdd(forms::Form& owner, const std::string& tip) {
  if (!QSystemTrayIcon::isSystemTrayAvailable()) {
    noTrayFallback_[&owner] = true;
    // The window was minimized and hidden on its way to the tray: without one it waits
    // minimized instead. A window that takes its icon while it opens is shown as it is.
    const bool toTray =
        owner.Loaded() && !owner.Visible() && owner.State() == forms::WindowState::Minimized;
    if (QWidget* view = ViewOf(owner); view && toTray) view->showMinimized();
    return false;
  }
  QSystemTrayIcon*& tray = trayIcons_[&owner];
  if (!tray) {
    tray = new QSystemTrayIcon(trayIcon_, this);
    forms::Form* form = &owner;
    // The model hears the icon's clicks as mouse moves over its window, the X coordinate
    // carrying the mouse message number in pixels.
    connect(tray, &QSystemTrayIcon::activated, this,
            [this, form](QSystemTrayIcon::ActivationReason reason) {
              int code = 0;
              switch (reason) {
                case QSystemTrayIcon::Trigger:
                  code = 513;
                  break;
                case QSystemTrayIcon::DoubleClick:
                  code = 515;
                  break;
                case QSystemTrayIcon::Context:
                  code = 516;
                  break;
                default:
                  return;
              }
              form->MouseMove(code * Screen().twipsPerPixelX, 0);
            });
  }
  tray->setToolTip(Q(tip));
  tray->show();
  return true;
}

bool QtHost::TrayModify(forms::Form& owner, const std::string& tip) {
  auto it = trayIcons_.find(&owner);
  if (it == trayIcons_.end()) return false;
  it->second->setToolTip(Q(tip));
  return true;
}

bool QtHost::TrayDelete(forms::Form& owner) {
  noTrayFallback_.erase(&owner);
  auto it = trayIcons_.find(&owner);
  if (it == trayIcons_.end()) return false;
  it->second->hide();
  it->second->deleteLater();
  trayIcons_.erase(it);
  return true;
}

bool QtHost::HasTrayIcon(const forms::Form& owner) const {
  return trayIcons_.count(&owner) > 0 || noTrayFallback_.count(&owner) > 0;
}

void QtHost::RemoveAllTrayIcons() {
  for (auto& [form, tray] : trayIcons_) {
    tray->hide();
    delete tray;
  }
  trayIcons_.clear();
  noTrayFallback_.clear();
}

void QtHost::Quit() {
  quitRequested_ = true;
  for (const auto& m : modalLoops_) m.loop->quit();
  QCoreApplication::quit();
}

forms::MsgBoxResult QtHost::AgreeableAnswer(forms::MsgBoxButtons buttons) {
  switch (buttons) {
    case forms::MsgBoxButtons::YesNo:
    case forms::MsgBoxButtons::YesNoCancel:
      return forms::MsgBoxResult::Yes;
    case forms::MsgBoxButtons::AbortRetryIgnore:
      return forms::MsgBoxResult::Ignore;
    case forms::MsgBoxButtons::RetryCancel:
      return forms::MsgBoxResult::Cancel;
    default:
      return forms::MsgBoxResult::Ok;
  }
}

}  // namespace quill::gui
