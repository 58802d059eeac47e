// An update body of the definition server merged into small definition tables: the body,
// then the tables' stored content, as parts of one input. Checks that a merge whose files
// cannot all be replaced leaves every file as it was, and that a second merge of the same
// body leaves the files with the lines the first one left (a line deleted and added again by
// name may move to the end).

#include <algorithm>
#include <array>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "FuzzCheck.h"
#include "definitions/DefinitionCodec.h"
#include "definitions/DefinitionFiles.h"
#include "definitions/UpdateMerge.h"
#include "support/TestPlatform.h"

namespace {

using namespace quill;

constexpr const char* kFolder = "C:\\Data";
constexpr std::array<const char*, 6> kTables = {
    definition_files::kFile,    definition_files::kExecutable, definition_files::kRegistry,
    definition_files::kCookies, definition_files::kDirectory,  definition_files::kSafety};

std::map<std::string, std::optional<std::string>> Snapshot(const test::FakeFileSystem& files) {
  std::map<std::string, std::optional<std::string>> tables;
  for (const char* name : kTables) {
    const std::string path = std::string(kFolder) + "\\" + name;
    tables[path] = files.Get(path);
  }
  return tables;
}

// Each file's lines, sorted.
std::map<std::string, std::vector<std::string>> Lines(const test::FakeFileSystem& files) {
  std::map<std::string, std::vector<std::string>> lines;
  for (const auto& [path, content] : Snapshot(files)) {
    auto& sorted = lines[path];
    if (content) sorted = DefinitionFileLines(*content);
    std::sort(sorted.begin(), sorted.end());
  }
  return lines;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::InputCutter input(fuzz::AsText(data, size));
  const int failingReplace = input.Byte() % 8;  // 0: every file can be replaced
  const std::string_view body = input.Part();
  test::FakeFileSystem files;
  for (const char* name : kTables) {
    if (input.Empty()) break;
    files.Put(std::string(kFolder) + "\\" + name, std::string(input.Part()));
  }
  const auto before = Snapshot(files);

  files.failReplaceNumber = failingReplace;
  const std::optional<int> changes = MergeUpdate(files, kFolder, body);
  if (!changes) {
    FUZZ_CHECK(failingReplace != 0);
    FUZZ_CHECK(Snapshot(files) == before);
    return 0;
  }
  FUZZ_CHECK(*changes >= 0);
  const auto merged = Lines(files);
  files.failReplaceNumber = 0;
  FUZZ_CHECK(MergeUpdate(files, kFolder, body).has_value());
  FUZZ_CHECK(Lines(files) == merged);
  return 0;
}
