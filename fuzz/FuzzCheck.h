#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

/// What the fuzz targets share: a check that stops the run (libFuzzer then keeps the input)
/// and a cutter that splits one input into the parts a target needs.
namespace quill::fuzz {

/// Aborts with the failed condition: a property of the parser does not hold for this input.
#define FUZZ_CHECK(condition)                                                            \
  do {                                                                                   \
    if (!(condition)) {                                                                  \
      std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition); \
      std::abort();                                                                      \
    }                                                                                    \
  } while (0)

inline std::string_view AsText(const uint8_t* data, size_t size) {
  return {reinterpret_cast<const char*>(data), size};
}

/// Takes bytes off the front of an input: single bytes as choices, and parts separated by a
/// byte that rarely occurs in the formats (0xFF 0xFE), so a seed stays readable.
class InputCutter {
 public:
  explicit InputCutter(std::string_view input) : rest_(input) {}

  /// The next byte, 0 at the end.
  uint8_t Byte() {
    if (rest_.empty()) return 0;
    const auto b = static_cast<uint8_t>(rest_.front());
    rest_.remove_prefix(1);
    return b;
  }
  /// Up to the next separator (or the end).
  std::string_view Part() {
    const size_t at = rest_.find(kSeparator);
    std::string_view part = rest_.substr(0, at);
    rest_.remove_prefix(at == std::string_view::npos ? rest_.size() : at + kSeparator.size());
    return part;
  }
  std::string_view Rest() const { return rest_; }
  bool Empty() const { return rest_.empty(); }

  static constexpr std::string_view kSeparator = "\xFF\xFE";

 private:
  std::string_view rest_;
};

}  // namespace quill::fuzz
