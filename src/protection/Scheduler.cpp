// Scheduled scans: the Schedule page, the stored schedule and the firing test.
#include <array>

#include "base/DateTime.h"
#include "base/Text.h"
#include "core/ProgramContext.h"
#include "core/SettingNames.h"
#include "forms/Control.h"
#include "forms/Host.h"
#include "forms/Timer.h"
#include "protection/Protection.h"

namespace quill {
namespace {

constexpr int kDaily = 7;
constexpr int kOneDate = 8;
constexpr int kNever = 9;
constexpr std::array<const char*, 7> kDayNames = {"MONDAY", "TUESDAY",  "WEDNESDAY", "THURSDAY",
                                                  "FRIDAY", "SATURDAY", "SUNDAY"};
using Clock = std::chrono::system_clock;

std::string CheckText(const forms::CheckBox& c) {
  return c.Value() ? "1" : "0";
}

/// The same calendar day at the time of day of `time`.
datetime::LocalDateTime At(datetime::LocalDateTime day, const datetime::LocalDateTime& time) {
  day.hour = time.hour;
  day.minute = time.minute;
  day.second = time.second;
  return day;
}

datetime::LocalDateTime DaysBefore(const datetime::LocalDateTime& dt, int days) {
  // Noon keeps a daylight-saving change from moving the calendar day.
  datetime::LocalDateTime noon = dt;
  noon.hour = 12;
  noon.minute = noon.second = 0;
  return datetime::FromTimePoint(datetime::ToTimePoint(noon) - std::chrono::hours(24) * days);
}

/// Resets the automatic removal however the scan ends.
class AutoRemoveScope {
 public:
  AutoRemoveScope(bool& flag, bool on) : flag_(flag) { flag_ = on; }
  ~AutoRemoveScope() { flag_ = false; }
  AutoRemoveScope(const AutoRemoveScope&) = delete;
  AutoRemoveScope& operator=(const AutoRemoveScope&) = delete;

 private:
  bool& flag_;
};

}  // namespace

std::optional<Clock::time_point> Protection::DueOccurrence(Clock::time_point after,
                                                           Clock::time_point now) {
  if (schedule_.time == "Null") return std::nullopt;
  auto time = datetime::ParseGeneralDate(schedule_.time);
  if (!time) return std::nullopt;
  const datetime::LocalDateTime today = datetime::FromTimePoint(now);
  // The latest occurrence at or before now; it is due when it also lies after the last check.
  std::optional<datetime::LocalDateTime> latest;
  if (schedule_.day >= 0 && schedule_.day <= 6) {
    for (int back = 0; back <= 7 && !latest; ++back) {
      auto day = At(DaysBefore(today, back), *time);
      if (text::EqualsNoCase(datetime::WeekdayName(day), kDayNames[schedule_.day]) &&
          datetime::ToTimePoint(day) <= now)
        latest = day;
    }
  } else if (schedule_.day == kDaily) {
    latest = At(today, *time);
    if (datetime::ToTimePoint(*latest) > now) latest = At(DaysBefore(today, 1), *time);
  } else if (schedule_.day == kOneDate) {
    if (schedule_.date == "Null") return std::nullopt;
    auto date = datetime::ParseGeneralDate(schedule_.date);
    if (!date) return std::nullopt;
    latest = At(*date, *time);
  }
  if (!latest) return std::nullopt;
  const auto moment = datetime::ToTimePoint(*latest);
  if (moment <= after || moment > now) return std::nullopt;
  return moment;
}

void Protection::tmrScheduler_Timer() {
  // Not inside another check or other work: the moment stays due until the next tick after.
  if (busy_ || port_.OtherWorkRunning()) return;
  const auto now = app_.Host().Now();
  // The first check covers its own second; a clock set back starts afresh.
  Clock::time_point after = lastCheck_.value_or(now - std::chrono::seconds(1));
  if (after > now) after = now - std::chrono::seconds(1);
  lastCheck_ = now;
  auto due = DueOccurrence(after, now);
  if (!due || (lastFired_ && *lastFired_ == *due)) return;
  lastFired_ = *due;
  AutoRemoveScope autoRemove(app_.AutoRemoveMode, port_.Schedule().chkAutoDel.Value() == 1);
  port_.StartScan();
}

void Protection::SaveSchedule() {
  SchedulePage page = port_.Schedule();
  if (page.cmbDays.ListIndex() == kOneDate &&
      (!page.dtpScheduleDate.Value() || !page.dtpScheduleTime.Value())) {
    app_.Host().MsgBox(app_.Msg("MSG_DATE"), forms::MsgBoxButtons::OkOnly,
                       forms::MsgBoxIcon::Information, app_.brand.programName);
    return;
  }
  const std::string on = CheckText(page.chkAutomaticScanYesOrNo);
  SaveIfChanged(settings::kOptions, "chkAutomaticScanYesOrNo", on);
  if (text::Val(app_.GetSetting(settings::kOptions, "chkAutomaticScanYesOrNo", on)) != 1) {
    page.tmrScheduler.Enable(false);
    return;
  }
  SaveIfChanged(settings::kOptions, "Day", std::to_string(page.cmbDays.ListIndex()));
  SaveIfChanged(settings::kOptions, "Time", page.dtpScheduleTime.Value().value_or("Null"));
  SaveIfChanged(settings::kOptions, "Date", page.dtpScheduleDate.Value().value_or("Null"));
  schedule_ = {page.cmbDays.ListIndex(), page.dtpScheduleTime.Value().value_or("Null"),
               page.dtpScheduleDate.Value().value_or("Null")};
  // A new schedule counts from now: a moment that passed before it was set is not due.
  lastCheck_.reset();
  page.tmrScheduler.Enable(true);
}

void Protection::LoadSchedule() {
  SchedulePage page = port_.Schedule();
  page.chkAutoDel.SetValue(
      text::Val(app_.GetSetting(settings::kGeneral, "chkAutoDel", "0")) == 1 ? 1 : 0);
  const std::string day = app_.GetSetting(settings::kOptions, "Day", "None");
  schedule_.time = app_.GetSetting(settings::kOptions, "Time", "Null");
  schedule_.date = app_.GetSetting(settings::kOptions, "Date", "Null");
  lastCheck_.reset();
  if (day == "None") {
    schedule_.day = kDaily;
    page.cmbDays.SetListIndex(kDaily);
    return;
  }
  const std::string today = datetime::GeneralDate(datetime::FromTimePoint(app_.Host().Now()));
  if (schedule_.date == "Null")
    page.dtpScheduleDate.SetValue(std::nullopt);
  else
    page.dtpScheduleDate.SetValue(app_.GetSetting(settings::kOptions, "Date", today));
  if (schedule_.time == "Null")
    page.dtpScheduleTime.SetValue(std::nullopt);
  else
    page.dtpScheduleTime.SetValue(schedule_.time);
  const auto index = static_cast<int>(text::Val(day));
  schedule_.day = index;
  if (index >= 0 && index < page.cmbDays.ListCount()) page.cmbDays.SetListIndex(index);
  // Ticked from what is stored: a schedule switched off stays off.
  page.chkAutomaticScanYesOrNo.SetValue(
      text::Val(app_.GetSetting(settings::kOptions, "chkAutomaticScanYesOrNo", "0")) != 0 ? 1 : 0);
}

void Protection::CmdProceed_Click() {
  SaveSchedule();
  port_.Schedule().CmdProceed.SetEnabled(false);
  LoadSchedule();
}

void Protection::cmdDefaultSetting_Click() {
  SchedulePage page = port_.Schedule();
  page.cmbDays.SetListIndex(kDaily);
  page.chkAutomaticScanYesOrNo.SetValue(0);
  CmdProceed_Click();
}

void Protection::StartDateTimePickers(int dayIndex) {
  SchedulePage page = port_.Schedule();
  if (dayIndex >= 0 && dayIndex <= kDaily) {
    page.dtpScheduleDate.SetValue(std::nullopt);
    page.dtpScheduleDate.SetEnabled(false);
    page.dtpScheduleTime.SetEnabled(true);
  } else if (dayIndex == kOneDate) {
    page.dtpScheduleDate.SetEnabled(true);
    page.dtpScheduleTime.SetEnabled(true);
  } else if (dayIndex == kNever) {
    page.dtpScheduleDate.SetValue(std::nullopt);
    page.dtpScheduleTime.SetValue(std::nullopt);
    page.dtpScheduleDate.SetEnabled(false);
    page.dtpScheduleTime.SetEnabled(false);
  }
}

void Protection::chkAutomaticScanYesOrNo_Click() {
  SchedulePage page = port_.Schedule();
  const bool on = page.chkAutomaticScanYesOrNo.Value() == 1;
  page.tmrScheduler.Enable(on);
  page.cmbDays.SetEnabled(on);
  if (on) {
    lastCheck_.reset();
    if (page.cmbDays.ListIndex() >= 0 && page.cmbDays.ListIndex() <= kDaily)
      StartDateTimePickers(page.cmbDays.ListIndex());
  } else {
    page.dtpScheduleDate.SetEnabled(false);
    page.dtpScheduleTime.SetEnabled(false);
  }
  page.CmdProceed.SetEnabled(true);
}

void Protection::cmbDays_Click() {
  StartDateTimePickers(port_.Schedule().cmbDays.ListIndex());
  port_.Schedule().CmdProceed.SetEnabled(true);
}

void Protection::dtpScheduleDate_Change() {
  port_.Schedule().CmdProceed.SetEnabled(true);
}

void Protection::dtpScheduleTime_Click() {
  port_.Schedule().CmdProceed.SetEnabled(true);
}

void Protection::chkAutoDel_Click() {
  SaveIfChanged(settings::kGeneral, "chkAutoDel", CheckText(port_.Schedule().chkAutoDel));
}

}  // namespace quill
