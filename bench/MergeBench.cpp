// Merging a Live Update: 10,000 added and 10,000 deleted lines into definition files of
// 100,000 lines each must take at most three times as long as copying those files once, and
// well under a second.

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
constexpr Kind kKinds[] = {{"FILE", "FileDefinition.dat"},      {"EXE", "ExeDefinition.dat"},
                           {"REG", "RegistryDefinition.dat"},   {"COOK", "BlockedCookies.dat"},
                           {"DIR", "DirectoryDefinition.dat"},  {"SFILE", "Safety.dat"}};

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
      const Kind& kind = kKinds[i % 6];
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

double Seconds(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

void BM_MergeUpdate(benchmark::State& state) {
  static Fixture fixture;
  platform::posix::PosixFileSystem fs(fixture.root);
  double mergeSeconds = 0, copySeconds = 0;
  int changes = 0;
  for (auto _ : state) {
    state.PauseTiming();
    fixture.Restore(fs);
    auto start = std::chrono::steady_clock::now();
    for (const Kind& kind : kKinds)
      fs.CopyFile(std::string(kData) + "\\" + kind.file,
                  std::string(kData) + "\\copy-" + kind.file, false);
    copySeconds += Seconds(start);
    for (const Kind& kind : kKinds) fs.DeleteFile(std::string(kData) + "\\copy-" + kind.file);
    state.ResumeTiming();

    start = std::chrono::steady_clock::now();
    int64_t yields = 0;
    MergeProgress progress;
    progress.yield = [&yields] { ++yields; };
    changes = MergeUpdate(fs, kData, fixture.body, progress).value_or(-1);
    mergeSeconds += Seconds(start);
    benchmark::DoNotOptimize(yields);
  }
  const double n = static_cast<double>(state.iterations());
  const double ratio = mergeSeconds / copySeconds;
  state.counters["merge_s"] = mergeSeconds / n;
  state.counters["copy_s"] = copySeconds / n;
  state.counters["merge/copy"] = ratio;
  state.counters["ratio/target"] = ratio / kTargetRatio;
  state.counters["changes"] = changes;
  std::printf(
      "merge of %d added + %d deleted lines into 6 files of %d lines: %.3f s; copying them "
      "once: %.3f s; %.2fx (target at most %.0fx), %d changes\n",
      kAdded, kDeleted, kLines, mergeSeconds / n, copySeconds / n, ratio, kTargetRatio, changes);
}
BENCHMARK(BM_MergeUpdate)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace
}  // namespace quill

BENCHMARK_MAIN();
