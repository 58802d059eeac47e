// Percent-encoding as the program builds its request addresses, and percent-decoding as the
// definition server reads them: any bytes survive the trip, and what decodes encodes to text
// that decodes to the same bytes.

#include <string>

#include "FuzzCheck.h"
#include "base/Url.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace quill;
  const std::string_view bytes = fuzz::AsText(data, size);
  const std::string encoded = text::PercentEncode(bytes);
  for (char c : encoded) {
    const bool safe = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                      c == '-' || c == '.' || c == '_' || c == '~' || c == '%';
    FUZZ_CHECK(safe);
  }
  const auto decoded = text::PercentDecode(encoded);
  FUZZ_CHECK(decoded && *decoded == bytes);

  if (const auto plain = text::PercentDecode(bytes)) {
    FUZZ_CHECK(plain->size() <= bytes.size());
    FUZZ_CHECK(text::PercentDecode(text::PercentEncode(*plain)) == plain);
    if (bytes.find('%') == std::string_view::npos) FUZZ_CHECK(*plain == bytes);
  }
  return 0;
}
