// The home page shield and the process shield.
#include "protection/Protection.h"

#include "base/Text.h"
#include "core/ProgramContext.h"
#include "core/Settings.h"
#include "forms/Host.h"
#include "platform/Registry.h"

namespace quill {
namespace {

constexpr const char* kMainKey = "Software\\Microsoft\\Internet Explorer\\Main";
constexpr const char* kStartPage = "Start Page";
constexpr platform::RootKey kUser = platform::RootKey::CurrentUser;

/// Marks a check in progress for as long as it lives.
class BusyScope {
 public:
  explicit BusyScope(bool& flag) : flag_(flag) { flag_ = true; }
  ~BusyScope() { flag_ = false; }
  BusyScope(const BusyScope&) = delete;
  BusyScope& operator=(const BusyScope&) = delete;

 private:
  bool& flag_;
};

std::string HexBytesHighFirst(const std::string& bytes) {
  static const char* kDigits = "0123456789ABCDEF";
  std::string out = "&h";
  for (auto it = bytes.rbegin(); it != bytes.rend(); ++it) {
    const auto b = static_cast<unsigned char>(*it);
    out += kDigits[b >> 4];
    out += kDigits[b & 15];
  }
  return out;
}

}  // namespace

Protection::Protection(ProgramContext& app, ProtectionPort& port, ShieldAlerts& alerts)
    : app_(app), port_(port), alerts_(alerts) {}
Protection::~Protection() = default;

// ---- Home page shield ---------------------------------------------------------------------

std::optional<std::string> Protection::ReadStartPage() {
  auto& reg = app_.Registry();
  // Read access only: a key opened for writing fails while the browser's machine is running,
  // and that is no change of the page.
  if (reg.OpenKey(kUser, kMainKey, platform::kKeyRead) != platform::RegStatus::Ok)
    return std::nullopt;
  for (const auto& part : reg.UnreadableParts())
    if (part == platform::RootName(kUser)) return std::nullopt;
  auto value = reg.QueryValue(kUser, kMainKey, kStartPage);
  if (!value) return std::nullopt;
  switch (static_cast<platform::RegType>(value->type)) {
    case platform::RegType::Sz:
    case platform::RegType::ExpandSz:
      return value->data.substr(0, value->data.find('\0'));
    case platform::RegType::Dword:
      return HexBytesHighFirst(value->data);
    default:
      return std::string("about:blank");
  }
}

void Protection::HomePageTick() {
  if (port_.OtherWorkRunning()) return;
  if (++homePageTicks_ >= 3) {
    homePageTicks_ = 0;
    ProcessShieldTick();
  }
  if (busy_) return;
  BusyScope busy(busy_);
  port_.ApplyTimerState(false);
  const settings::Store& store = app_.Settings();
  if (settings::Read(store, settings::HomePageShieldOn)) {
    if (auto page = ReadStartPage()) {
      current_ = *page;
      remembered_ = settings::Read(store, settings::Homepage);
      if (remembered_.empty()) {
        remembered_ = current_;
        settings::WriteIfChanged(app_.Settings(), settings::Homepage, current_);
      }
      if (remembered_ == current_) {
        pendingRestore_.reset();
      } else if (pendingRestore_ && *pendingRestore_ == std::make_pair(remembered_, current_)) {
        // Already answered; the browser's value could not be written yet.
        RestoreHomePage();
      } else if (settings::Read(store, settings::NotifyBeforeRestoring)) {
        alerts_.AskAboutHomePage(
            app_.Msg("MSG_HOMEPAGE_CHANGED") + "\r\n\r\n" + app_.Msg("MSG_HOMEPAGE_KEEP") + "\r\n" +
                remembered_ + "\r\n\r\n" + app_.Msg("MSG_HOMEPAGE_CHANGE") + "\r\n" + current_,
            [this] { RestoreHomePage(); }, [this] { AcceptHomePage(); });
      } else if (settings::Read(store, settings::RestoreWithoutNotification)) {
        RestoreHomePage();
      }
    }
  }
  port_.ApplyTimerState(true);
}

bool Protection::RestoreHomePage() {
  settings::WriteIfChanged(app_.Settings(), settings::Homepage, remembered_);
  auto& reg = app_.Registry();
  if (reg.OpenKey(kUser, kMainKey, platform::kKeyQueryValue) == platform::RegStatus::NotFound)
    reg.CreateKey(kUser, kMainKey);
  const bool written = reg.SetValue(kUser, kMainKey, kStartPage, platform::MakeSz(remembered_)) ==
                       platform::RegStatus::Ok;
  if (written)
    pendingRestore_.reset();
  else
    pendingRestore_ = std::make_pair(remembered_, current_);
  return written;
}

void Protection::AcceptHomePage() {
  pendingRestore_.reset();
  remembered_ = current_;
  settings::WriteIfChanged(app_.Settings(), settings::Homepage, current_);
}

// ---- Process shield -----------------------------------------------------------------------

void Protection::ProcessShieldTick() {
  if (!settings::Read(app_.Settings(), settings::MemoryShieldOn)) return;
  if (busy_ || port_.OtherWorkRunning()) return;
  BusyScope busy(busy_);
  port_.ApplyTimerState(false);
  port_.RunProcessCheck();
  port_.ApplyTimerState(true);
}

void Protection::RaiseProcessAlert(const std::string& fileName, const std::string& publisher,
                                   uint32_t pid) {
  if (app_.Host().QuitRequested()) return;
  const std::string company = text::Trim(publisher);
  alerts_.AlertAboutProcess(
      text::ToUpper(fileName),
      !company.empty() ? text::ToUpper(publisher) : app_.Msg("MSG_NOCOMPANY") + " " + fileName,
      pid);
}

}  // namespace quill
