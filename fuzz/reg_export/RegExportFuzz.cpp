// A registry export in the quarantine, as restore reads it back: whatever the reader takes
// must be written again and read back as the same keys and values.

#include "FuzzCheck.h"
#include "removal/RegistryExport.h"

namespace {

using namespace quill;

bool Same(const std::vector<RegExportKey>& a, const std::vector<RegExportKey>& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (a[i].key != b[i].key || a[i].values.size() != b[i].values.size()) return false;
    for (size_t v = 0; v < a[i].values.size(); ++v) {
      const auto& [nameA, valueA] = a[i].values[v];
      const auto& [nameB, valueB] = b[i].values[v];
      if (nameA != nameB || valueA.type != valueB.type || valueA.data != valueB.data) return false;
    }
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const auto keys = ParseRegExport(fuzz::AsText(data, size));
  if (!keys) return 0;
  for (const auto& key : *keys) SplitRootKeyText(key.key);
  const std::string written = FormatRegExport(*keys);
  const auto again = ParseRegExport(written);
  FUZZ_CHECK(again.has_value());
  FUZZ_CHECK(Same(*keys, *again));
  FUZZ_CHECK(FormatRegExport(*again) == written);
  return 0;
}
