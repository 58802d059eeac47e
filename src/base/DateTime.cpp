#include "base/DateTime.h"

#include <cstdio>
#include <ctime>

#include "base/Text.h"

namespace quill::datetime {
namespace {
const char* const kWeekdays[] = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                 "Thursday", "Friday", "Saturday"};

int DayOfWeek(const LocalDateTime& dt) {
  // Sakamoto's method; 0 = Sunday.
  static const int t[] = {0, 3, 2, 5, 0, 3, 5, 1, 4, 6, 2, 4};
  int y = dt.year;
  if (dt.month < 3) y -= 1;
  int m = (dt.month >= 1 && dt.month <= 12) ? dt.month : 1;
  return (y + y / 4 - y / 100 + y / 400 + t[m - 1] + dt.day) % 7;
}

bool ValidDate(int y, int m, int d) {
  if (y < 100 || y > 9999 || m < 1 || m > 12 || d < 1) return false;
  static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  int max = days[m - 1];
  if (m == 2 && ((y % 4 == 0 && y % 100 != 0) || y % 400 == 0)) max = 29;
  return d <= max;
}

std::string Two(int v) {
  char b[8];
  std::snprintf(b, sizeof b, "%02d", v);
  return b;
}
}  // namespace

LocalDateTime FromTimePoint(std::chrono::system_clock::time_point tp) {
  std::time_t t = std::chrono::system_clock::to_time_t(tp);
  std::tm tm{};
  localtime_r(&t, &tm);
  return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
}

std::chrono::system_clock::time_point ToTimePoint(const LocalDateTime& dt) {
  std::tm tm{};
  tm.tm_year = dt.year - 1900;
  tm.tm_mon = dt.month - 1;
  tm.tm_mday = dt.day;
  tm.tm_hour = dt.hour;
  tm.tm_min = dt.minute;
  tm.tm_sec = dt.second;
  tm.tm_isdst = -1;
  return std::chrono::system_clock::from_time_t(std::mktime(&tm));
}

std::string GeneralDate(const LocalDateTime& dt) {
  bool timeOnly = dt.year == 1899 && dt.month == 12 && dt.day == 30;
  std::string date =
      std::to_string(dt.month) + "/" + std::to_string(dt.day) + "/" + std::to_string(dt.year);
  if (dt.hour == 0 && dt.minute == 0 && dt.second == 0 && !timeOnly) return date;
  int h12 = dt.hour % 12 == 0 ? 12 : dt.hour % 12;
  std::string time = std::to_string(h12) + ":" + Two(dt.minute) + ":" + Two(dt.second) +
                     (dt.hour < 12 ? " AM" : " PM");
  return timeOnly ? time : date + " " + time;
}

std::optional<LocalDateTime> ParseGeneralDate(const std::string& input) {
  std::string s = text::Trim(input);
  if (s.empty()) return std::nullopt;
  LocalDateTime dt;
  bool haveDate = false, haveTime = false;
  auto tokens = text::Split(s, " ");
  std::vector<std::string> parts;
  for (auto& t : tokens)
    if (!t.empty()) parts.push_back(t);
  int ampm = 0;  // 1 = AM, 2 = PM
  for (const auto& p : parts) {
    if (text::EqualsNoCase(p, "AM")) {
      ampm = 1;
      continue;
    }
    if (text::EqualsNoCase(p, "PM")) {
      ampm = 2;
      continue;
    }
    if (p.find('/') != std::string::npos || p.find('-') != std::string::npos) {
      if (haveDate) return std::nullopt;
      char sep = p.find('/') != std::string::npos ? '/' : '-';
      auto f = text::Split(p, std::string(1, sep));
      if (f.size() != 3) return std::nullopt;
      // No field of a date has more than four digits; a longer one (from a damaged server
      // reply) is no date, and would not even fit a number.
      for (auto& x : f)
        if (x.empty() || x.size() > 4 || x.find_first_not_of("0123456789") != std::string::npos)
          return std::nullopt;
      int a = std::stoi(f[0]), b = std::stoi(f[1]), c = std::stoi(f[2]);
      if (sep == '-' && f[0].size() == 4) {  // ISO form yyyy-mm-dd
        dt.year = a, dt.month = b, dt.day = c;
      } else {
        dt.month = a, dt.day = b, dt.year = c;
        if (f[2].size() <= 2) dt.year += dt.year < 30 ? 2000 : 1900;
      }
      if (!ValidDate(dt.year, dt.month, dt.day)) return std::nullopt;
      haveDate = true;
    } else if (p.find(':') != std::string::npos) {
      if (haveTime) return std::nullopt;
      auto f = text::Split(p, ":");
      if (f.size() < 2 || f.size() > 3) return std::nullopt;
      for (auto& x : f)
        if (x.empty() || x.size() > 2 || x.find_first_not_of("0123456789") != std::string::npos)
          return std::nullopt;
      dt.hour = std::stoi(f[0]);
      dt.minute = std::stoi(f[1]);
      dt.second = f.size() == 3 ? std::stoi(f[2]) : 0;
      if (dt.hour > 23 || dt.minute > 59 || dt.second > 59) return std::nullopt;
      haveTime = true;
    } else {
      return std::nullopt;
    }
  }
  if (!haveDate && !haveTime) return std::nullopt;
  if (ampm != 0) {
    if (!haveTime || dt.hour > 12 || dt.hour == 0) return std::nullopt;
    if (ampm == 1 && dt.hour == 12) dt.hour = 0;
    if (ampm == 2 && dt.hour != 12) dt.hour += 12;
  }
  return dt;
}

std::string WeekdayName(const LocalDateTime& dt) {
  return kWeekdays[DayOfWeek(dt)];
}

std::string Format(const LocalDateTime& dt, const std::string& picture) {
  std::string out;
  size_t i = 0;
  auto run = [&](char c) {
    size_t n = 0;
    while (i + n < picture.size() && picture[i + n] == c) ++n;
    return n;
  };
  while (i < picture.size()) {
    char c = picture[i];
    size_t n = run(c);
    if (c == 'd') {
      if (n >= 4)
        out += WeekdayName(dt);
      else if (n == 3)
        out += std::string(WeekdayName(dt)).substr(0, 3);
      else
        out += n == 2 ? Two(dt.day) : std::to_string(dt.day);
    } else if (c == 'M') {
      out += n >= 2 ? Two(dt.month) : std::to_string(dt.month);
    } else if (c == 'y') {
      out += n >= 4 ? std::to_string(dt.year) : Two(dt.year % 100);
    } else if (c == 'h' || c == 'H') {
      out += n >= 2 ? Two(dt.hour) : std::to_string(dt.hour);
    } else if (c == 'm') {
      out += n >= 2 ? Two(dt.minute) : std::to_string(dt.minute);
    } else if (c == 's') {
      out += n >= 2 ? Two(dt.second) : std::to_string(dt.second);
    } else {
      out.append(n, c);
    }
    i += n;
  }
  return out;
}

}  // namespace quill::datetime
