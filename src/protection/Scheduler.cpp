// Scheduled scans: the stored schedule and the firing test.
#include <array>

#include "base/DateTime.h"
#include "base/Text.h"
#include "core/ProgramContext.h"
#include "core/SettingNames.h"
#include "forms/Host.h"
#include "protection/Protection.h"

namespace quill {
namespace {

constexpr int kDaily = ScheduleChoice::kDaily;
constexpr int kOneDate = ScheduleChoice::kOneDate;
constexpr std::array<const char*, 7> kDayNames = {"MONDAY", "TUESDAY",  "WEDNESDAY", "THURSDAY",
                                                  "FRIDAY", "SATURDAY", "SUNDAY"};
using Clock = std::chrono::system_clock;

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
  port_.StartScan(schedule_.autoRemove);
}

bool Protection::SaveSchedule(const ScheduleChoice& choice) {
  if (choice.day == ScheduleChoice::kOneDate && (!choice.date || !choice.time)) {
    app_.Host().MsgBox(app_.Msg("MSG_DATE"), forms::MsgBoxButtons::OkOnly,
                       forms::MsgBoxIcon::Information, app_.brand.programName);
    return false;
  }
  const std::string on = choice.on ? "1" : "0";
  SaveIfChanged(settings::kOptions, "chkAutomaticScanYesOrNo", on);
  if (text::Val(app_.GetSetting(settings::kOptions, "chkAutomaticScanYesOrNo", on)) != 1) {
    port_.RunScheduler(false);
    return true;
  }
  const std::string time = choice.time.value_or("Null");
  const std::string date = choice.date.value_or("Null");
  SaveIfChanged(settings::kOptions, "Day", std::to_string(choice.day));
  SaveIfChanged(settings::kOptions, "Time", time);
  SaveIfChanged(settings::kOptions, "Date", date);
  schedule_.day = choice.day;
  schedule_.time = time;
  schedule_.date = date;
  // A new schedule counts from now: a moment that passed before it was set is not due.
  SwitchScheduler(true);
  return true;
}

ScheduleChoice Protection::LoadSchedule() {
  ScheduleChoice choice;
  schedule_.autoRemove = text::Val(app_.GetSetting(settings::kGeneral, "chkAutoDel", "0")) == 1;
  choice.autoRemove = schedule_.autoRemove;
  const std::string day = app_.GetSetting(settings::kOptions, "Day", "None");
  schedule_.time = app_.GetSetting(settings::kOptions, "Time", "Null");
  schedule_.date = app_.GetSetting(settings::kOptions, "Date", "Null");
  lastCheck_.reset();
  if (day == "None") {
    schedule_.day = ScheduleChoice::kDaily;
    return choice;
  }
  choice.stored = true;
  if (schedule_.date != "Null") choice.date = schedule_.date;
  if (schedule_.time != "Null") choice.time = schedule_.time;
  schedule_.day = choice.day = static_cast<int>(text::Val(day));
  // Ticked from what is stored: a schedule switched off stays off.
  choice.on = text::Val(app_.GetSetting(settings::kOptions, "chkAutomaticScanYesOrNo", "0")) != 0;
  return choice;
}

void Protection::SwitchScheduler(bool on) {
  if (on) lastCheck_.reset();
  port_.RunScheduler(on);
}

void Protection::SaveAutoRemove(bool on) {
  schedule_.autoRemove = on;
  SaveIfChanged(settings::kGeneral, "chkAutoDel", on ? "1" : "0");
}

}  // namespace quill
