#include "support/TestHost.h"

#include <algorithm>

#include "base/Text.h"
#include "forms/Form.h"
#include "forms/Timer.h"

namespace quill::test {

using forms::Form;
using forms::MsgBoxButtons;
using forms::MsgBoxResult;

namespace {

MsgBoxResult DefaultAnswer(MsgBoxButtons buttons) {
  switch (buttons) {
    case MsgBoxButtons::OkOnly:
      return MsgBoxResult::Ok;
    case MsgBoxButtons::YesNo:
      return MsgBoxResult::No;
    case MsgBoxButtons::AbortRetryIgnore:
      return MsgBoxResult::Abort;
    case MsgBoxButtons::OkCancel:
    case MsgBoxButtons::YesNoCancel:
    case MsgBoxButtons::RetryCancel:
      return MsgBoxResult::Cancel;
  }
  return MsgBoxResult::Cancel;
}

bool IsButtonOf(MsgBoxResult result, MsgBoxButtons buttons) {
  using R = MsgBoxResult;
  switch (buttons) {
    case MsgBoxButtons::OkOnly:
      return result == R::Ok;
    case MsgBoxButtons::OkCancel:
      return result == R::Ok || result == R::Cancel;
    case MsgBoxButtons::AbortRetryIgnore:
      return result == R::Abort || result == R::Retry || result == R::Ignore;
    case MsgBoxButtons::YesNoCancel:
      return result == R::Yes || result == R::No || result == R::Cancel;
    case MsgBoxButtons::YesNo:
      return result == R::Yes || result == R::No;
    case MsgBoxButtons::RetryCancel:
      return result == R::Retry || result == R::Cancel;
  }
  return false;
}

}  // namespace

TestHost::TestHost() {
  SetNow(datetime::LocalDateTime{2026, 1, 5, 9, 0, 0});
}

TestHost::~TestHost() = default;

// --- clock and timers --------------------------------------------------------------------

void TestHost::Advance(int64_t ms) {
  if (ms < 0) ms = 0;
  FireDue(elapsedMs_ + ms);
}

void TestHost::SetNow(const datetime::LocalDateTime& local) {
  SetNow(datetime::ToTimePoint(local));
}

void TestHost::SetNow(std::chrono::system_clock::time_point tp) {
  wallAtZero_ = tp - std::chrono::milliseconds(elapsedMs_);
}

datetime::LocalDateTime TestHost::NowLocal() {
  return datetime::FromTimePoint(Now());
}

std::chrono::system_clock::time_point TestHost::Now() {
  return wallAtZero_ + std::chrono::milliseconds(elapsedMs_);
}

std::optional<int64_t> TestHost::NextDue(const forms::Timer& timer) const {
  for (const auto& entry : timers_) {
    if (entry.timer == &timer) return entry.due;
  }
  return std::nullopt;
}

void TestHost::FireDue(int64_t until) {
  for (;;) {
    // The earliest due timer that may fire now; ties go to the older timer.
    TimerEntry* next = nullptr;
    for (auto& entry : timers_) {
      if (!entry.due || *entry.due > until) continue;
      const forms::Timer& t = *entry.timer;
      if (!t.Enabled() || t.Interval() <= 0 || !t.Owner().Loaded() || t.Firing()) continue;
      if (!next || *entry.due < *next->due ||
          (*entry.due == *next->due && entry.order < next->order))
        next = &entry;
    }
    if (!next) break;
    // A nested Advance (a tick that yields with a DoEvents advance) may have moved the clock
    // past this timer; it fires late then, as a real timer would, and does not catch up.
    const int64_t fireAt = std::max(*next->due, elapsedMs_);
    elapsedMs_ = fireAt;
    // Re-arm before the tick, so that a change the tick makes wins.
    next->due = fireAt + next->timer->Interval();
    forms::Timer* timer = next->timer;  // the entry may move while the tick runs
    if (timer->Fire())
      if (auto* entry = FindTimer(*timer)) ++entry->ticks;
  }
  elapsedMs_ = std::max(elapsedMs_, until);
}

TestHost::TimerEntry* TestHost::FindTimer(const forms::Timer& timer) {
  for (auto& entry : timers_) {
    if (entry.timer == &timer) return &entry;
  }
  return nullptr;
}

void TestHost::Arm(TimerEntry& entry) {
  const forms::Timer& t = *entry.timer;
  if (t.Enabled() && t.Interval() > 0)
    entry.due = elapsedMs_ + t.Interval();
  else
    entry.due.reset();
}

void TestHost::RegisterTimer(forms::Timer& timer) {
  if (FindTimer(timer)) return;
  timers_.push_back({&timer, nextTimerOrder_++, std::nullopt});
  Arm(timers_.back());
}

void TestHost::UnregisterTimer(forms::Timer& timer) {
  std::erase_if(timers_, [&timer](const TimerEntry& e) { return e.timer == &timer; });
}

void TestHost::TimerChanged(forms::Timer& timer) {
  auto* entry = FindTimer(timer);
  if (!entry) return;
  // Held, or going on after a hold: the countdown stands (a due moment passed meanwhile makes
  // it fire once, at the next chance).
  if ((timer.Held() || timer.Resuming()) && entry->due) return;
  Arm(*entry);
}

int TestHost::Ticks(const forms::Timer& timer) const {
  for (const auto& entry : timers_)
    if (entry.timer == &timer) return entry.ticks;
  return 0;
}

// --- DoEvents ----------------------------------------------------------------------------

int TestHost::AtDoEvents(int n, std::function<void()> action) {
  hooks_.push_back({nextHook_, doEventsCount_ + std::max(n, 1), std::move(action)});
  return nextHook_++;
}

int TestHost::EveryDoEvents(std::function<void()> action) {
  hooks_.push_back({nextHook_, std::nullopt, std::move(action)});
  return nextHook_++;
}

void TestHost::RemoveHook(int token) {
  std::erase_if(hooks_, [token](const Hook& h) { return h.token == token; });
}

int TestHost::PendingHooks() const {
  return static_cast<int>(
      std::count_if(hooks_.begin(), hooks_.end(), [](const Hook& h) { return h.atCount; }));
}

void TestHost::DoEvents() {
  const int count = ++doEventsCount_;
  // Take the due one-shot hooks out first: a hook may add hooks or yield again.
  std::vector<Hook> due;
  for (auto it = hooks_.begin(); it != hooks_.end();) {
    if (it->atCount && *it->atCount <= count) {
      due.push_back(std::move(*it));
      it = hooks_.erase(it);
    } else {
      ++it;
    }
  }
  for (auto& hook : due) hook.action();
  std::vector<int> every;
  for (const auto& hook : hooks_) {
    if (!hook.atCount) every.push_back(hook.token);
  }
  for (int token : every) {
    auto it = std::find_if(hooks_.begin(), hooks_.end(),
                           [token](const Hook& h) { return h.token == token; });
    if (it == hooks_.end()) continue;  // removed by an earlier hook
    auto action = it->action;
    action();
  }
  FireDue(elapsedMs_ + std::max<int64_t>(doEventsAdvanceMs_, 0));
}

// --- dialogs -----------------------------------------------------------------------------

std::vector<DialogRecord> TestHost::DialogsOf(DialogKind kind) const {
  std::vector<DialogRecord> out;
  for (const auto& d : dialogs_) {
    if (d.kind == kind) out.push_back(d);
  }
  return out;
}

MsgBoxResult TestHost::MsgBox(const std::string& text, MsgBoxButtons buttons,
                              forms::MsgBoxIcon icon, const std::string& title) {
  DialogRecord record;
  record.kind = DialogKind::MsgBox;
  record.text = text;
  record.title = title;
  record.buttons = buttons;
  record.icon = icon;
  MsgBoxResult result;
  if (!msgBoxQueue_.empty()) {
    result = msgBoxQueue_.front();
    msgBoxQueue_.pop_front();
  } else if (msgBoxCallback_) {
    auto callback = msgBoxCallback_;
    result = callback(record);
  } else {
    result = DefaultAnswer(buttons);
  }
  if (!IsButtonOf(result, buttons)) {
    failures_.push_back("message box \"" + text + "\" answered with " +
                        std::to_string(static_cast<int>(result)) + ", not one of its buttons");
  }
  record.result = result;
  dialogs_.push_back(std::move(record));
  return result;
}

std::optional<std::string> TestHost::InputBox(const std::string& prompt, const std::string& title,
                                              const std::string& defaultText) {
  DialogRecord record;
  record.kind = DialogKind::InputBox;
  record.text = prompt;
  record.title = title;
  record.defaultText = defaultText;
  if (!inputQueue_.empty()) {
    record.answer = inputQueue_.front();
    inputQueue_.pop_front();
  } else if (inputCallback_) {
    auto callback = inputCallback_;
    record.answer = callback(record);
  }
  dialogs_.push_back(record);
  return record.answer;
}

std::optional<std::string> TestHost::OpenFileDialog(const std::string& title) {
  DialogRecord record;
  record.kind = DialogKind::OpenFile;
  record.title = title;
  if (!fileQueue_.empty()) {
    record.answer = fileQueue_.front();
    fileQueue_.pop_front();
  }
  dialogs_.push_back(record);
  return record.answer;
}

std::optional<std::string> TestHost::ChooseFolder(const Form* owner, const std::string& title) {
  DialogRecord record;
  record.kind = DialogKind::ChooseFolder;
  record.title = title;
  if (owner) record.formName = owner->Name();
  if (!folderQueue_.empty()) {
    record.answer = folderQueue_.front();
    folderQueue_.pop_front();
  }
  dialogs_.push_back(record);
  return record.answer;
}

void TestHost::OnModal(const std::string& formName, std::function<void(Form&)> script) {
  for (auto& entry : modalScripts_) {
    if (text::EqualsNoCase(entry.first, formName)) {
      entry.second = std::move(script);
      return;
    }
  }
  modalScripts_.emplace_back(formName, std::move(script));
}

void TestHost::RunModal(Form& form) {
  DialogRecord record;
  record.kind = DialogKind::Modal;
  record.text = form.Caption();
  record.title = form.Caption();
  record.formName = form.Name();
  dialogs_.push_back(record);
  const size_t recordIndex = dialogs_.size() - 1;

  std::function<void(Form&)> script;
  for (const auto& entry : modalScripts_) {
    if (text::EqualsNoCase(entry.first, form.Name())) script = entry.second;
  }
  if (script) script(form);

  int pumped = 0;
  while (form.Loaded() && form.Visible()) {
    if (!script && PendingHooks() == 0) {
      dialogs_[recordIndex].closedByHost = true;
      form.Hide();
      break;
    }
    if (pumped >= modalCap_) {
      failures_.push_back("modal window " + form.Name() + " was still open after " +
                          std::to_string(pumped) + " DoEvents");
      form.Hide();
      break;
    }
    DoEvents();
    ++pumped;
  }
}

// --- windows -----------------------------------------------------------------------------

void TestHost::FormLoaded(Form& form) {
  formEvents_.push_back("Load " + form.Name());
}

void TestHost::FormUnloaded(Form& form) {
  formEvents_.push_back("Unload " + form.Name());
}

void TestHost::FormVisibilityChanged(Form& form) {
  formEvents_.push_back((form.Visible() ? "Show " : "Hide ") + form.Name());
}

void TestHost::BringToFront(Form& form) {
  formEvents_.push_back("Front " + form.Name());
}

void TestHost::FormDestroyed(Form& form) {
  std::erase_if(trayIcons_, [&form](const TrayIconState& t) { return t.owner == &form; });
}

// --- tray --------------------------------------------------------------------------------

TrayIconState* TestHost::FindTray(const Form& owner) {
  for (auto& icon : trayIcons_) {
    if (icon.owner == &owner) return &icon;
  }
  return nullptr;
}

bool TestHost::TrayAdd(Form& owner, const std::string& tip) {
  if (!trayAvailable_ || FindTray(owner)) return false;
  trayIcons_.push_back({&owner, owner.Name(), tip});
  return true;
}

bool TestHost::TrayModify(Form& owner, const std::string& tip) {
  auto* icon = trayAvailable_ ? FindTray(owner) : nullptr;
  if (!icon) return false;
  icon->tip = tip;
  return true;
}

bool TestHost::TrayDelete(Form& owner) {
  if (!trayAvailable_ || !FindTray(owner)) return false;
  std::erase_if(trayIcons_, [&owner](const TrayIconState& t) { return t.owner == &owner; });
  return true;
}

bool TestHost::TrayPresent(const std::string& ownerName) const {
  return std::any_of(trayIcons_.begin(), trayIcons_.end(), [&](const TrayIconState& t) {
    return text::EqualsNoCase(t.ownerName, ownerName);
  });
}

std::string TestHost::TrayTip(const std::string& ownerName) const {
  for (const auto& icon : trayIcons_) {
    if (text::EqualsNoCase(icon.ownerName, ownerName)) return icon.tip;
  }
  return {};
}

void TestHost::HandlerFailed(const char* what, const std::string& message) {
  handlerFailures_.push_back({what ? what : "", message});
}

}  // namespace quill::test
