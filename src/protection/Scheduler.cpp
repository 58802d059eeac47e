// Scheduled scans: the stored schedule and the firing test.
#include <array>

#include "base/DateTime.h"
#include "base/Text.h"
#include "core/ProgramContext.h"
#include "core/Settings.h"
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
  const settings::Store& store = app_.Settings();
  settings::WriteIfChanged(store, settings::AutomaticScan, choice.on);
  // What the store now holds decides (the choice itself when it could not be written).
  if (!settings::ReadIfStored(store, settings::AutomaticScan).value_or(choice.on)) {
    port_.RunScheduler(false);
    return true;
  }
  const std::string time = choice.time.value_or(settings::ScheduleTime.byDefault);
  const std::string date = choice.date.value_or(settings::ScheduleDate.byDefault);
  settings::WriteIfChanged(store, settings::ScheduleDay, choice.day);
  settings::WriteIfChanged(store, settings::ScheduleTime, time);
  settings::WriteIfChanged(store, settings::ScheduleDate, date);
  schedule_.day = choice.day;
  schedule_.time = time;
  schedule_.date = date;
  // A new schedule counts from now: a moment that passed before it was set is not due.
  SwitchScheduler(true);
  return true;
}

ScheduleChoice Protection::LoadSchedule() {
  ScheduleChoice choice;
  const settings::Store& store = app_.Settings();
  schedule_.autoRemove = settings::Read(store, settings::AutoRemove);
  choice.autoRemove = schedule_.autoRemove;
  const std::optional<long long> day = settings::ReadIfStored(store, settings::ScheduleDay);
  schedule_.time = settings::Read(store, settings::ScheduleTime);
  schedule_.date = settings::Read(store, settings::ScheduleDate);
  lastCheck_.reset();
  if (!day) {
    schedule_.day = ScheduleChoice::kDaily;
    return choice;
  }
  choice.stored = true;
  if (schedule_.date != settings::ScheduleDate.byDefault) choice.date = schedule_.date;
  if (schedule_.time != settings::ScheduleTime.byDefault) choice.time = schedule_.time;
  schedule_.day = choice.day = static_cast<int>(*day);
  // Ticked from what is stored: a schedule switched off stays off.
  choice.on = settings::Read(store, settings::AutomaticScan);
  return choice;
}

void Protection::SwitchScheduler(bool on) {
  if (on) lastCheck_.reset();
  port_.RunScheduler(on);
}

void Protection::SaveAutoRemove(bool on) {
  schedule_.autoRemove = on;
  settings::WriteIfChanged(app_.Settings(), settings::AutoRemove, on);
}

}  // namespace quill
