// The plain definition lines a publish reads, made into two releases; the update body between
// them is merged by the client into the older release's files, which must then hold exactly
// the newer release's lines (and the full body into no files at all likewise).
// Input: fourteen parts, the plain files FILE, DLL, EXE, REG, COOK, DIR and SAFETY of the
// older release, then of the newer one.

#include <algorithm>
#include <string>
#include <unordered_set>
#include <vector>

#include "DefinitionLines.h"
#include "FuzzCheck.h"
#include "ReleaseStore.h"
#include "UpdateBody.h"
#include "base/Text.h"
#include "definitions/DefinitionCodec.h"
#include "definitions/UpdateMerge.h"
#include "support/TestPlatform.h"

namespace {

using namespace quill;
using namespace quill::defserver;

constexpr const char* kFolder = "C:\\Data";

std::vector<Target> TargetsOf(std::string_view kind) {
  if (kind == "EXE") return {Target::File, Target::Exe};
  if (kind == "REG") return {Target::Registry};
  if (kind == "COOK") return {Target::Cookies};
  if (kind == "DIR") return {Target::Directory};
  if (kind == "SAFETY") return {Target::Safety};
  return {Target::File};
}

// A release from seven plain files, as publish makes it (lines it refuses left out).
Release MakeRelease(fuzz::InputCutter& input) {
  Release release;
  std::array<std::unordered_set<std::string>, kTargetCount> seen;
  for (const auto& source : kPlainSources) {
    for (const std::string& plain : text::SplitLines(input.Part())) {
      if (plain.find_first_not_of(" \t") == std::string::npos) continue;
      std::string error;
      auto stored = StoredLine(source.kind, plain, &error);
      if (!stored) {
        FUZZ_CHECK(!error.empty());
        continue;
      }
      for (Target target : TargetsOf(source.kind)) {
        FUZZ_CHECK(IsTransportable(target, *stored));
        const auto t = static_cast<size_t>(target);
        if (seen[t].insert(*stored).second) release.lines[t].push_back(*stored);
      }
    }
  }
  return release;
}

void Install(test::FakeFileSystem& files, const Release& release) {
  for (size_t t = 0; t < kTargetCount; ++t) {
    std::string content;
    for (const auto& line : release.lines[t]) content += line + "\r\n";
    files.Put(std::string(kFolder) + "\\" + kTargetFiles[t], content);
  }
}

void CheckHolds(const test::FakeFileSystem& files, const Release& release) {
  for (size_t t = 0; t < kTargetCount; ++t) {
    auto content = files.Get(std::string(kFolder) + "\\" + kTargetFiles[t]).value_or("");
    auto held = DefinitionFileLines(content);
    held.erase(std::remove(held.begin(), held.end(), std::string()), held.end());
    auto expected = release.lines[t];
    std::sort(held.begin(), held.end());
    std::sort(expected.begin(), expected.end());
    FUZZ_CHECK(held == expected);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::InputCutter input(fuzz::AsText(data, size));
  const Release older = MakeRelease(input);
  const Release newer = MakeRelease(input);

  test::FakeFileSystem files;
  Install(files, older);
  FUZZ_CHECK(MergeUpdate(files, kFolder, UpdateBody(&older, newer)).has_value());
  CheckHolds(files, newer);

  test::FakeFileSystem fresh;
  FUZZ_CHECK(MergeUpdate(fresh, kFolder, UpdateBody(nullptr, newer)).has_value());
  CheckHolds(fresh, newer);
  return 0;
}
