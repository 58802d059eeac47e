// A date reply of the definition server and the date forms the program reads: the reply
// cleaned as Live Update cleans it, the general date form, and a release folder's name.

#include <string>

#include "FuzzCheck.h"
#include "ReleaseStore.h"
#include "base/DateTime.h"
#include "definitions/UpdateMerge.h"

namespace {

using namespace quill;

void CheckDate(const datetime::LocalDateTime& dt) {
  FUZZ_CHECK(dt.month >= 1 && dt.month <= 12 && dt.day >= 1 && dt.day <= 31);
  FUZZ_CHECK(dt.hour >= 0 && dt.hour <= 23 && dt.minute >= 0 && dt.minute <= 59);
  FUZZ_CHECK(dt.second >= 0 && dt.second <= 59);
  // What the program writes it reads back as the same moment.
  const std::string written = datetime::GeneralDate(dt);
  const auto again = datetime::ParseGeneralDate(written);
  FUZZ_CHECK(again && *again == dt);
  datetime::Format(dt, "dddd dd/MM/yyyy hh:mm:ss");
  datetime::WeekdayName(dt);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string input(fuzz::AsText(data, size));
  const std::string cleaned = CleanDateReply(input);
  FUZZ_CHECK(cleaned.size() <= input.size());
  FUZZ_CHECK(CleanDateReply(cleaned) == cleaned);
  if (auto dt = datetime::ParseGeneralDate(cleaned)) CheckDate(*dt);
  if (auto dt = datetime::ParseGeneralDate(input)) CheckDate(*dt);
  if (auto dt = defserver::ParseReleaseName(input)) {
    CheckDate(*dt);
    FUZZ_CHECK(defserver::ReleaseName(*dt) == input);
  }
  return 0;
}
