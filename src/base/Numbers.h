#pragma once

#include <cstdint>

namespace quill::numbers {

/// Rounds to the nearest integer, halves to even (2.5 -> 2, 3.5 -> 4).
int64_t RoundHalfEven(double value);

/// part / whole * 100 rounded halves to even; 0 when whole is 0.
int64_t Percent(double part, double whole);

}  // namespace quill::numbers
