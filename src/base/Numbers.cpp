#include "base/Numbers.h"

#include <cmath>

namespace quill::numbers {

int64_t RoundHalfEven(double value) {
  if (!std::isfinite(value)) return 0;
  double r = std::nearbyint(value);  // the default rounding mode rounds halves to even
  return static_cast<int64_t>(r);
}

int64_t Percent(double part, double whole) {
  if (whole == 0) return 0;
  return RoundHalfEven(part / whole * 100.0);
}

}  // namespace quill::numbers
