// Merging a Live Update: 10,000 added and 10,000 deleted lines into definition files of
// 100,000 lines each must take at most three times as long as copying those files once, and
// well under a second.
//
// The merge must flush every file it writes to the disk before renaming it over the old one
// (a crash may not lose a definition file), so the copy it is measured against is made the
// same way: each file read and written to a new file that reaches the disk. A copy that only
// reaches the page cache is printed beside it, for information.

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "definitions/DefinitionCodec.h"
#include "definitions/UpdateMerge.h"
#include "platform/posix/PosixFileSystem.h"
#include "platform/posix/WinePrefix.h"

namespace quill {
namespace {

constexpr const char* kData = "C:\\QuillonetDAT";
constexpr int kLines = 100000;
constexpr int kAdded = 10000;
constexpr int kDeleted = 10000;
constexpr double kTargetRatio = 3.0;

struct Kind {
  const char* word;
  const char* file;
};
// One kind per target file.
constexpr Kind kKinds[] = {{"FILE", "FileDefinition.dat"},     {"EXE", "ExeDefinition.dat"},
                           {"REG", "RegistryDefinition.dat"},  {"COOK", "BlockedCookies.dat"},
                           {"DIR", "DirectoryDefinition.dat"}, {"SFILE", "Safety.dat"}};

std::string Plain(const Kind& kind, int i) {
  const std::string n = std::to_string(i);
  const std::string word = kind.word;
  if (word == "REG") return "1^Software\\Vendor" + n + "^Run=Threat " + n + "|Adware";
  if (word == "COOK") return "tracker" + n + ".example";
  if (word == "SFILE") return "SFILE|safe" + n + ".dll=v|[system]safe" + n + ".dll";
  return "name" + n + ".exe=Threat " + n + "|[progfil]Vendor" + n + "\\Bin|Adware";
}

/// The definition as the server sends it (fields encoded, separators plain).
std::string Definition(const Kind& kind, int i) {
  const std::string n = std::to_string(i);
  const std::string word = kind.word;
  if (word == "REG")
    return EncodeLine("k" + n) + "=" + EncodeLine("Threat " + n) + "|" +
           EncodeLine("1^Software\\Vendor" + n + "^Run") + "|" + EncodeLine("Adware");
  if (word == "COOK") return EncodeLine("tracker" + n + ".example") + "=" + EncodeLine("x");
  if (word == "SFILE")
    return EncodeLine("safe" + n + ".dll") + "=" + EncodeLine("v") + "|" +
           EncodeLine("[system]safe" + n + ".dll");
  return EncodeLine("name" + n + ".exe") + "=" + EncodeLine("Threat " + n) + "|" +
         EncodeLine("[progfil]Vendor" + n + "\\Bin") + "|" + EncodeLine("Adware");
}

struct Fixture {
  std::string root;
  std::vector<std::string> originals;
  std::string body;
  Fixture() {
    root = (std::filesystem::temp_directory_path() /
            ("quill-merge-bench-" + std::to_string(std::random_device{}())))
               .string();
    platform::posix::WinePrefix::CreateDefaultLayout(root, "me");
    platform::posix::PosixFileSystem fs(root);
    fs.CreateFolder(kData);
    for (const Kind& kind : kKinds) {
      std::string bytes;
      for (int i = 0; i < kLines; ++i) bytes += EncodeLine(Plain(kind, i)) + "\r\n";
      originals.push_back(std::move(bytes));
    }
    // The update's lines are spread over the six kinds, interleaved as a server sends them.
    for (int i = 0; i < kAdded + kDeleted; ++i) {
      const Kind& kind = kKinds[(i / 2) % 6];
      const bool add = i % 2 == 0;
      const int number = add ? kLines + i : i * 4;  // new names; names already on disk
      body += EncodeLine(kind.word) + (add ? "|ADD[DEF]" : "|DEL[DEF]") + Definition(kind, number) +
              "[BR]";
    }
    Restore(fs);
  }
  void Restore(platform::FileSystem& fs) const {
    for (size_t k = 0; k < originals.size(); ++k)
      fs.WriteFile(std::string(kData) + "\\" + kKinds[k].file, originals[k]);
  }
  ~Fixture() {
    std::error_code ec;
    std::filesystem::remove_all(root, ec);
  }
};

std::string CopyOf(const Kind& kind) {
  return std::string(kData) + "\\copy-" + kind.file;
}

double Seconds(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

void BM_MergeUpdate(benchmark::State& state) {
  static Fixture fixture;
  platform::posix::PosixFileSystem fs(fixture.root);
  double mergeSeconds = 0, prepareSeconds = 0, copySeconds = 0, cacheCopySeconds = 0;
  int changes = 0;
  for (auto _ : state) {
    state.PauseTiming();
    fixture.Restore(fs);
    // Baseline: each file copied once to a new file on the disk, as the merge writes.
    auto start = std::chrono::steady_clock::now();
    for (const Kind& kind : kKinds)
      fs.ReplaceFile(CopyOf(kind), fs.ReadFile(std::string(kData) + "\\" + kind.file).value_or(""));
    copySeconds += Seconds(start);
    for (const Kind& kind : kKinds) fs.DeleteFile(CopyOf(kind));
    start = std::chrono::steady_clock::now();
    for (const Kind& kind : kKinds)
      fs.CopyFile(std::string(kData) + "\\" + kind.file, CopyOf(kind), false);
    cacheCopySeconds += Seconds(start);
    for (const Kind& kind : kKinds) fs.DeleteFile(CopyOf(kind));
    state.ResumeTiming();

    start = std::chrono::steady_clock::now();
    int64_t yields = 0;
    MergeProgress progress;
    progress.yield = [&yields] { ++yields; };
    PreparedMerge merge(fs, kData, fixture.body, progress);
    prepareSeconds += Seconds(start);
    changes = merge.Commit() ? merge.Changes() : -1;
    mergeSeconds += Seconds(start);
    benchmark::DoNotOptimize(yields);
  }
  const double n = static_cast<double>(state.iterations());
  const double ratio = mergeSeconds / copySeconds;
  state.counters["merge_s"] = mergeSeconds / n;
  state.counters["copy_s"] = copySeconds / n;
  state.counters["prepare_s"] = prepareSeconds / n;
  state.counters["cache_copy_s"] = cacheCopySeconds / n;
  state.counters["merge/copy"] = ratio;
  state.counters["ratio/target"] = ratio / kTargetRatio;
  state.counters["changes"] = changes;
  std::printf(
      "merge of %d added + %d deleted lines into 6 files of %d lines: %.3f s (worked out in "
      "%.3f s, the rest is writing); copying them once to the disk: %.3f s; %.2fx (target at "
      "most %.0fx): %s; %d changes. (A copy into the page cache only: %.3f s.)\n",
      kAdded, kDeleted, kLines, mergeSeconds / n, prepareSeconds / n, copySeconds / n, ratio,
      kTargetRatio, ratio <= kTargetRatio && mergeSeconds / n < 1.0 ? "PASS" : "FAIL", changes,
      cacheCopySeconds / n);
}
BENCHMARK(BM_MergeUpdate)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace
}  // namespace quill

BENCHMARK_MAIN();
