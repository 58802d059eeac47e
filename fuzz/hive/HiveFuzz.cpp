// A Wine registry hive file: read, indexed and written back unchanged; then, as the registry
// edits a hive it could read whole, one key made, one value set, read back, deleted and the
// key's tree removed, each edit checked again after the text is read anew.
// Input parts: hive text, key path, value name, value type (one byte) and value data.

#include <string>

#include "FuzzCheck.h"
#include "platform/posix/Hive.h"
#include "platform/posix/HiveValues.h"

namespace {

using namespace quill;
using namespace quill::platform;
using namespace quill::platform::posix::detail;

const HiveTime kNow{1700000000, 133444736000000000ull};

void ReadEverything(const Hive& hive, const std::string& path, int depth) {
  if (depth > 8) return;
  if (auto names = hive.ValueNames(path))
    for (const auto& name : *names) FUZZ_CHECK(hive.Query(path, name).has_value());
  if (auto subkeys = hive.SubkeyNames(path))
    for (const auto& key : *subkeys)
      ReadEverything(hive, path.empty() ? key : path + "\\" + key, depth + 1);
  for (const auto& link : hive.LinkPaths()) hive.LinkTarget(link);
}

// Whether the value comes back from the hive's text exactly (text the hive keeps as UTF-16
// comes back exactly only when it is plain ASCII).
bool Exact(const RegValue& value) {
  if (!IsHiveTextType(value.type)) return true;
  for (char c : value.data)
    if (c < 32 || c > 126) return false;
  return true;
}

// Whether the text is UTF-8, as every name the program holds is.
bool IsUtf8(const std::string& text) {
  return Utf16ToUtf8(Utf8ToUtf16(text)) == text;
}

void Edit(Hive& hive, const std::string& rawPath, const std::string& name, const RegValue& given) {
  const RegValue value = StoredValue(given);
  // Paths as the registry passes them: single backslashes between non-empty components.
  const std::string path = JoinKeyPath(SplitKeyPath(rawPath));
  if (path.empty() || !IsUtf8(path) || !IsUtf8(name)) return;
  // As the registry does, a new (empty) hive gets its header first.
  hive.SetPreambleIfEmpty(NewHivePreamble("REGISTRY\\Machine"));
  if (!hive.KeyExists(path)) hive.CreateKey(path, kNow);
  FUZZ_CHECK(hive.KeyExists(path));
  hive.SetValue(path, name, given, kNow);
  FUZZ_CHECK(hive.Query(path, name).has_value());
  if (Exact(value)) FUZZ_CHECK(hive.Query(path, name)->data == value.data);

  Hive reread(ParseHive(hive.Text()));
  FUZZ_CHECK(reread.Complete());
  FUZZ_CHECK(reread.KeyExists(path));
  const auto back = reread.Query(path, name);
  FUZZ_CHECK(back.has_value());
  if (Exact(value)) FUZZ_CHECK(back->type == value.type && back->data == value.data);

  hive.DeleteValue(path, name, kNow);
  FUZZ_CHECK(!hive.Query(path, name));
  FUZZ_CHECK(!Hive(ParseHive(hive.Text())).Query(path, name));
  hive.DeleteTree(path, kNow);
  FUZZ_CHECK(!hive.KeyExists(path));
  FUZZ_CHECK(!Hive(ParseHive(hive.Text())).KeyExists(path));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::InputCutter input(fuzz::AsText(data, size));
  const std::string_view text = input.Part();
  const std::string path(input.Part());
  const std::string name(input.Part());
  RegValue value;
  value.type = input.Byte() % 12;
  value.data = std::string(input.Rest());
  if (value.type == static_cast<uint32_t>(RegType::Dword)) value.data.resize(4);
  if (value.type == static_cast<uint32_t>(RegType::Qword)) value.data.resize(8);

  HiveDocument doc = ParseHive(text);
  FUZZ_CHECK(SerializeHive(doc) == text);
  const bool complete = doc.complete;
  Hive hive(std::move(doc));
  FUZZ_CHECK(hive.Text() == text);
  ReadEverything(hive, "", 0);
  if (complete) Edit(hive, path, name, value);
  return 0;
}
