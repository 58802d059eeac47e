#include "support/RealWinePrefix.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <random>
#include <sstream>
#include <system_error>

namespace quill::test {

namespace fs = std::filesystem;

namespace {

std::string g_reason;

fs::path CacheRoot() {
  const char* xdg = std::getenv("XDG_CACHE_HOME");
  if (xdg && *xdg) return fs::path(xdg) / "quillonet-test";
  const char* home = std::getenv("HOME");
  if (home && *home) return fs::path(home) / ".cache" / "quillonet-test";
  return fs::temp_directory_path() / "quillonet-test-cache";
}

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

fs::path UniqueTempPath(const std::string& stem) {
  static std::atomic<unsigned> counter{0};
  std::random_device random;
  return fs::temp_directory_path() /
         (stem + "-" + std::to_string(random()) + "-" + std::to_string(counter++));
}

// Runs a bash script; returns its exit status (-1 when it could not be run).
int RunScript(const std::string& script, std::string* output) {
  const fs::path scriptFile = UniqueTempPath("quill-script");
  const fs::path outFile = scriptFile.string() + ".out";
  const fs::path statusFile = scriptFile.string() + ".rc";
  {
    std::ofstream out(scriptFile);
    out << script << "\n";
  }
  const std::string command = "bash " + RealWinePrefix::ShellQuote(scriptFile.string()) + " >" +
                              RealWinePrefix::ShellQuote(outFile.string()) +
                              " 2>&1 </dev/null; echo $? >" +
                              RealWinePrefix::ShellQuote(statusFile.string());
  const int rc = std::system(command.c_str());
  int status = -1;
  if (rc != -1) {
    const std::string text = ReadFile(statusFile);
    if (!text.empty()) status = std::atoi(text.c_str());
  }
  if (output) *output = ReadFile(outFile);
  std::error_code ec;
  fs::remove(scriptFile, ec);
  fs::remove(outFile, ec);
  fs::remove(statusFile, ec);
  return status;
}

std::string MakePrefix() {
  if (std::system("command -v wine >/dev/null 2>&1 && command -v wineboot >/dev/null 2>&1 && "
                  "command -v wineserver >/dev/null 2>&1") != 0) {
    g_reason = "wine, wineboot or wineserver is not on PATH";
    return "";
  }
  const fs::path cache = CacheRoot();
  std::error_code ec;
  fs::create_directories(cache, ec);
  if (ec) {
    g_reason = "cannot create " + cache.string();
    return "";
  }
  const std::string q = RealWinePrefix::ShellQuote(cache.string());
  // Everything under one lock: the first binary builds, the others wait and reuse.
  const std::string script =
      "set -e\n"
      "cache=" +
      q +
      "\n"
      "exec 9>\"$cache/lock\"\n"
      "flock 9\n"
      "version=$(wine --version 2>/dev/null || true)\n"
      "if [ -f \"$cache/wineprefix.ready\" ] && [ \"$(cat \"$cache/wineprefix.ready\")\" = "
      "\"$version\" ] && [ -f \"$cache/wineprefix/system.reg\" ]; then exit 0; fi\n"
      "rm -rf \"$cache/wineprefix\" \"$cache/wineprefix.ready\" \"$cache/home\"\n"
      "mkdir -p \"$cache/home\"\n"
      "export WINEPREFIX=\"$cache/wineprefix\" HOME=\"$cache/home\" WINEDEBUG=-all\n"
      "export WINEDLLOVERRIDES='mscoree,mshtml=' DISPLAY=\n"
      "wineboot --init >\"$cache/wineboot.log\" 2>&1 || true\n"
      "wineserver -w || true\n"
      "test -s \"$WINEPREFIX/system.reg\" && test -s \"$WINEPREFIX/user.reg\"\n"
      "printf '%s' \"$version\" >\"$cache/wineprefix.ready\"\n";
  std::string output;
  const int status = RunScript(script, &output);
  if (status != 0) {
    g_reason = "wineboot --init did not make a prefix in " + (cache / "wineprefix").string() +
               " (see " + (cache / "wineboot.log").string() + "): " + output;
    return "";
  }
  return (cache / "wineprefix").string();
}

}  // namespace

const std::string& RealWinePrefix::Get() {
  static std::once_flag once;
  static std::string prefix;
  std::call_once(once, [] { prefix = MakePrefix(); });
  return prefix;
}

std::string RealWinePrefix::SkipReason() {
  Get();
  return g_reason;
}

std::string RealWinePrefix::ShellQuote(const std::string& text) {
  std::string out = "'";
  for (char c : text) {
    if (c == '\'') {
      out += "'\\''";
    } else {
      out += c;
    }
  }
  out += "'";
  return out;
}

std::string RealWinePrefix::CopyTo(const std::string& dir, const std::string& original) {
  const std::string& source = original.empty() ? Get() : original;
  if (source.empty()) return "";
  const fs::path from(source);
  const fs::path to = fs::path(dir) / "prefix";
  const fs::path windows = from / "drive_c" / "windows";
  std::error_code ec;
  fs::create_directories(to, ec);
  if (ec) return "";
  for (auto it = fs::recursive_directory_iterator(from, ec);
       !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
    // Lexically: the prefix holds links to "/" and to the home folder.
    const fs::path rel = it->path().lexically_relative(from);
    const fs::path target = to / rel;
    const fs::file_status status = it->symlink_status(ec);
    if (fs::is_symlink(status)) {
      fs::copy_symlink(it->path(), target, ec);
    } else if (fs::is_directory(status)) {
      fs::create_directory(target, ec);
    } else if (fs::is_regular_file(status)) {
      const auto [end, _] =
          std::mismatch(windows.begin(), windows.end(), it->path().begin(), it->path().end());
      if (end == windows.end()) {
        fs::create_hard_link(it->path(), target, ec);
        if (ec) {
          ec.clear();
          fs::copy_file(it->path(), target, ec);
        }
      } else {
        fs::copy_file(it->path(), target, ec);
      }
    }
    if (ec) return "";
  }
  if (ec) return "";
  return to.string();
}

int RealWinePrefix::RunWine(const std::string& prefix, const std::string& command,
                            std::string* output, bool waitForServer) {
  const std::string home = (CacheRoot() / "home").string();
  const std::string script =
      "export WINEPREFIX=" + ShellQuote(prefix) + " HOME=" + ShellQuote(home) +
      " WINEDEBUG=-all WINEDLLOVERRIDES='mscoree,mshtml=' DISPLAY= LC_ALL=C.UTF-8\n"
      "cd /\n" +
      command +
      "\n"
      "status=$?\n" +
      (waitForServer ? "wineserver -w\n" : "") + "exit $status\n";
  return RunScript(script, output);
}

}  // namespace quill::test
