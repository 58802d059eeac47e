// The registry of a Wine prefix under a scanner's load: thousands of key and value look-ups
// per scan against a hive the size of a fresh prefix's system.reg (about 9,000 keys). The
// hive is parsed once; later look-ups cost a file status check and a hash look-up.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "platform/Registry.h"
#include "platform/posix/Hive.h"
#include "platform/posix/HiveFile.h"
#include "platform/posix/WineRegistry.h"

namespace {

namespace fs = std::filesystem;
using quill::platform::MakeDword;
using quill::platform::MakeSz;
using quill::platform::RegStatus;
using quill::platform::RootKey;
namespace detail = quill::platform::posix::detail;

constexpr int kKeys = 9000;

std::string KeyPath(int i) {
  char buffer[96];
  std::snprintf(buffer, sizeof buffer,
                "Software\\Classes\\CLSID\\{%08X-0000-4000-8000-%012d}\\InprocServer32", i * 7919,
                i);
  return buffer;
}

std::string MakeHiveText() {
  std::string text = detail::NewHivePreamble("REGISTRY\\Machine");
  for (int i = 0; i < kKeys; ++i) {
    text += '\n';
    text += detail::FormatKeyText(KeyPath(i));
    text += " 1700000000\n#time=1da0000000000000\n";
    text += detail::FormatValueLine(
        "", MakeSz("C:\\windows\\system32\\lib" + std::to_string(i) + ".dll"));
    text += detail::FormatValueLine("ThreadingModel", MakeSz("Both"));
    text += detail::FormatValueLine("Flags", MakeDword(static_cast<uint32_t>(i)));
  }
  return text;
}

struct Prefix {
  fs::path root;
  Prefix() {
    root = fs::temp_directory_path() /
           ("quill-registry-bench-" + std::to_string(std::random_device{}()));
    fs::create_directories(root);
    std::ofstream(root / "system.reg", std::ios::binary) << MakeHiveText();
  }
  ~Prefix() {
    std::error_code ec;
    fs::remove_all(root, ec);
  }
};

void BM_ParseSystemHive(benchmark::State& state) {
  const std::string text = MakeHiveText();
  for (auto _ : state) {
    detail::Hive hive(detail::ParseHive(text));
    benchmark::DoNotOptimize(hive.Complete());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(text.size()));
}
BENCHMARK(BM_ParseSystemHive)->Unit(benchmark::kMillisecond);

void BM_QueryValueCached(benchmark::State& state) {
  Prefix prefix;
  quill::platform::posix::WineRegistry reg(prefix.root.string());
  std::vector<std::string> keys;
  for (int i = 0; i < kKeys; i += 7) keys.push_back(KeyPath(i));
  reg.QueryValue(RootKey::LocalMachine, keys[0], "");  // the first look-up parses the hive
  size_t n = 0;
  for (auto _ : state) {
    auto value = reg.QueryValue(RootKey::LocalMachine, keys[n++ % keys.size()], "ThreadingModel");
    benchmark::DoNotOptimize(value);
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()));
}
BENCHMARK(BM_QueryValueCached);

void BM_OpenMissingKeyThroughClassesRoot(benchmark::State& state) {
  Prefix prefix;
  quill::platform::posix::WineRegistry reg(prefix.root.string());
  size_t n = 0;
  for (auto _ : state) {
    RegStatus status =
        reg.OpenKey(RootKey::ClassesRoot, "CLSID\\{missing-" + std::to_string(n++) + "}",
                    quill::platform::kKeyRead);
    benchmark::DoNotOptimize(status);
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()));
}
BENCHMARK(BM_OpenMissingKeyThroughClassesRoot);

}  // namespace

BENCHMARK_MAIN();
