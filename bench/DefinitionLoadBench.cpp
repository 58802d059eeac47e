// Loading the file and folder tables: 100,000 definition lines of each kind must load in
// under 0.3 s and with under 64 MB of memory.

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <new>
#include <optional>
#include <random>
#include <string>

#include "definitions/DefinitionCodec.h"
#include "definitions/DefinitionSet.h"
#include "definitions/PathTokens.h"
#include "platform/Shell.h"
#include "platform/posix/PosixFileSystem.h"
#include "platform/posix/WinePrefix.h"

// ---------------------------------------------------------------------------------------
// Heap accounting: every allocation carries its size in front of it. The load runs on one
// thread, so plain counters do.

namespace {
int64_t gHeapNow = 0;
int64_t gHeapPeak = 0;
constexpr size_t kHeader = alignof(std::max_align_t);

void* CountedAlloc(size_t size) {
  auto* block = static_cast<unsigned char*>(std::malloc(size + kHeader));
  if (!block) throw std::bad_alloc();
  *reinterpret_cast<size_t*>(block) = size;
  gHeapNow += static_cast<int64_t>(size);
  if (gHeapNow > gHeapPeak) gHeapPeak = gHeapNow;
  return block + kHeader;
}

void CountedFree(void* p) {
  if (!p) return;
  auto* block = static_cast<unsigned char*>(p) - kHeader;
  gHeapNow -= static_cast<int64_t>(*reinterpret_cast<size_t*>(block));
  std::free(block);
}
}  // namespace

void* operator new(size_t size) {
  return CountedAlloc(size);
}
void* operator new[](size_t size) {
  return CountedAlloc(size);
}
void operator delete(void* p) noexcept {
  CountedFree(p);
}
void operator delete[](void* p) noexcept {
  CountedFree(p);
}
void operator delete(void* p, size_t) noexcept {
  CountedFree(p);
}
void operator delete[](void* p, size_t) noexcept {
  CountedFree(p);
}

namespace quill {
namespace {

constexpr int kLines = 100000;
constexpr double kTargetSeconds = 0.3;
constexpr double kTargetBytes = 64.0 * 1024 * 1024;
constexpr const char* kData = "C:\\QuillonetDAT";

// The special folders of a typical machine.
class BenchShell : public platform::Shell {
 public:
  std::optional<std::string> SpecialFolder(int csidl) override {
    switch (csidl) {
      case platform::csidl::kPrograms:
        return "C:\\users\\me\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs";
      case platform::csidl::kAppData:
        return "C:\\users\\me\\AppData\\Roaming";
      case platform::csidl::kProgramFiles:
        return "C:\\Program Files";
      case platform::csidl::kProgramFilesCommon:
        return "C:\\Program Files\\Common Files";
      case platform::csidl::kWindows:
        return "C:\\windows";
      case platform::csidl::kSystem:
        return "C:\\windows\\system32";
      case platform::csidl::kCommonAppData:
        return "C:\\ProgramData";
      default:
        return std::nullopt;
    }
  }
  std::optional<std::string> SpecialFolderByLocation(int csidl) override {
    return SpecialFolder(csidl);
  }
  std::string SystemDirectory() override { return "C:\\windows\\system32"; }
  std::string WindowsDirectory() override { return "C:\\windows"; }
  std::vector<platform::DriveInfo> Drives() override { return {}; }
  std::optional<platform::VolumeSize> Volume(const std::string&) override { return {}; }
  bool Execute(const std::string&, platform::ShowStyle) override { return false; }
  bool OpenDocument(const std::string&, platform::ShowStyle) override { return false; }
};

// A temporary prefix holding generated definition files, removed at exit.
struct Fixture {
  std::string root;
  Fixture() {
    std::mt19937 random(42);
    root = (std::filesystem::temp_directory_path() /
            ("quill-bench-" + std::to_string(std::random_device{}())))
               .string();
    platform::posix::WinePrefix::CreateDefaultLayout(root, "me");
    platform::posix::PosixFileSystem fs(root);
    fs.CreateFolder(kData);

    const char* folders[] = {"[progfil]", "[appdata]",    "[comapp]",   "[windir]\\",
                             "[drive]\\", "[comprogfil]", "C:\\Games\\"};
    const char* types[] = {"Adware", "Spyware", "TYPE", "Trojan", "Hijacker"};
    std::string files, dirs, safety;
    for (int i = 0; i < kLines; ++i) {
      const std::string vendor = "Vendor" + std::to_string(random() % 5000);
      std::string line = "file" + std::to_string(i) + (i % 3 ? ".exe" : ".dll") + "=Threat " +
                         std::to_string(random() % 800);
      if (i % 50 != 0) line += std::string("|") + folders[random() % 7] + vendor + "\\Bin";
      if (i % 4 != 0) line += std::string("|") + types[random() % 5];
      files += EncodeLine(line) + "\r\n";

      std::string dir = "Label " + std::to_string(i) + "=Threat " + std::to_string(random() % 800) +
                        "|" + folders[random() % 7] + vendor + "\\Dir" + std::to_string(i) + "\\";
      if (i % 3 != 0) dir += std::string("|") + types[random() % 5];
      dirs += EncodeLine(dir) + "\r\n";
    }
    for (int i = 0; i < 300; ++i)
      safety += EncodeLine("SFILE|safe" + std::to_string(i) + "=v|[system]safe" +
                           std::to_string(i) + ".dll") +
                "\r\n";
    fs.WriteFile(std::string(kData) + "\\FileDefinition.dat", files);
    fs.WriteFile(std::string(kData) + "\\DirectoryDefinition.dat", dirs);
    fs.WriteFile(std::string(kData) + "\\Safety.dat", safety);
  }
  ~Fixture() {
    std::error_code ec;
    std::filesystem::remove_all(root, ec);
  }
};

void BM_LoadDefinitionSet(benchmark::State& state) {
  static Fixture fixture;
  platform::posix::PosixFileSystem fs(fixture.root);
  BenchShell shell;
  double seconds = 0, cpuSeconds = 0, peakBytes = 0;
  size_t rows = 0;
  for (auto _ : state) {
    PathTokens tokens(shell);  // fresh: its folder cache is part of a first load
    int64_t yields = 0;
    bool stop = false;
    DefinitionHooks hooks;
    hooks.yield = [&yields] { ++yields; };
    hooks.stopRequested = [&stop] { return stop; };

    const int64_t heapBefore = gHeapNow;
    gHeapPeak = heapBefore;
    const auto start = std::chrono::steady_clock::now();
    const std::clock_t cpuStart = std::clock();
    {
      DefinitionSet set(fs, kData, tokens, hooks);
      set.LoadProtectedList();
      set.LoadDefinitionSet();
      rows = set.FileTable().Size() + set.DirectoryTable().Size();
      benchmark::DoNotOptimize(rows);
      seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
      cpuSeconds += static_cast<double>(std::clock() - cpuStart) / CLOCKS_PER_SEC;
      peakBytes = std::max(peakBytes, static_cast<double>(gHeapPeak - heapBefore));
    }
    benchmark::DoNotOptimize(yields);
  }
  const double avgSeconds = seconds / static_cast<double>(state.iterations());
  const double avgCpuSeconds = cpuSeconds / static_cast<double>(state.iterations());
  state.counters["rows"] = static_cast<double>(rows);
  state.counters["seconds"] = avgSeconds;
  state.counters["cpu_seconds"] = avgCpuSeconds;
  state.counters["time/target"] = avgSeconds / kTargetSeconds;
  state.counters["peak_MB"] = peakBytes / (1024 * 1024);
  state.counters["mem/target"] = peakBytes / kTargetBytes;
  std::printf(
      "load of %d file + %d folder lines: %.3f s (%.0f%% of %.1f s), peak heap %.1f MB "
      "(%.0f%% of 64 MB), %zu rows\n",
      kLines, kLines, avgSeconds, 100 * avgSeconds / kTargetSeconds, kTargetSeconds,
      peakBytes / (1024 * 1024), 100 * peakBytes / kTargetBytes, rows);
}
BENCHMARK(BM_LoadDefinitionSet)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace
}  // namespace quill

BENCHMARK_MAIN();
