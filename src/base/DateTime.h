#pragma once

#include <chrono>
#include <optional>
#include <string>

/// Dates as the program writes and reads them: the en-US general date form
/// "M/D/YYYY h:mm:ss AM" (date only at exactly midnight), English weekday names.
namespace quill::datetime {

struct LocalDateTime {
  int year = 1899, month = 12, day = 30;
  int hour = 0, minute = 0, second = 0;

  auto operator<=>(const LocalDateTime&) const = default;
};

LocalDateTime FromTimePoint(std::chrono::system_clock::time_point tp);
std::chrono::system_clock::time_point ToTimePoint(const LocalDateTime& dt);

/// "3/16/2006 12:00:00 AM" -> only the date "3/16/2006" at exactly midnight.
std::string GeneralDate(const LocalDateTime& dt);
/// Reads a date and/or time in the general form ("3/16/2006", "3/16/2006 2:05:00 PM",
/// "14:30:00", "2:30:00 PM"). A text with only a time gives the date 12/30/1899.
std::optional<LocalDateTime> ParseGeneralDate(const std::string& text);

/// Formats with the picture characters the program uses: "dddd" (weekday name),
/// "dd", "MM", "yyyy", "hh" (24-hour with 2 digits as the pickers use), "mm", "ss".
std::string Format(const LocalDateTime& dt, const std::string& picture);

/// English weekday name ("Monday").
std::string WeekdayName(const LocalDateTime& dt);

}  // namespace quill::datetime
