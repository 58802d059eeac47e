// The quarantine manifest, which other software can edit: loaded as the quarantine loads it,
// each item written and read back unchanged, and an item added and removed with the lines
// the quarantine could not read kept as they were.

#include "FuzzCheck.h"
#include "removal/QuarantineManifest.h"
#include "support/TestPlatform.h"

namespace {

using namespace quill;

bool Same(const QuarantineItem& a, const QuarantineItem& b) {
  return a.id == b.id && a.time == b.time && a.kind == b.kind && a.original == b.original &&
         a.copy == b.copy && a.size == b.size && a.sha256 == b.sha256 &&
         a.restoredTo == b.restoredTo;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(fuzz::AsText(data, size));
  test::FakeFileSystem files;
  QuarantineManifest manifest(files, "C:\\Quarantine");
  files.Put(manifest.Path(), text);
  const auto items = manifest.Load();
  if (!items) return 0;
  for (const auto& item : *items) {
    const auto back = QuarantineManifest::ParseLine(QuarantineManifest::FormatLine(item));
    FUZZ_CHECK(back && Same(*back, item));
  }

  QuarantineItem added;
  added.time = "2026-03-16 12:00:00";
  added.original = "C:\\x\ty\\\r\n";
  added.copy = "1.reg";
  FUZZ_CHECK(manifest.Add(added));
  for (const auto& item : *items) FUZZ_CHECK(item.id != added.id);
  const auto withAdded = manifest.Load();
  FUZZ_CHECK(withAdded && withAdded->size() == items->size() + 1);
  FUZZ_CHECK(Same(withAdded->back(), added));
  FUZZ_CHECK(manifest.Remove(added.id));
  const auto after = manifest.Load();
  FUZZ_CHECK(after && after->size() == items->size());
  for (size_t i = 0; i < after->size(); ++i) FUZZ_CHECK(Same((*after)[i], (*items)[i]));
  return 0;
}
