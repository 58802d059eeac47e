#pragma once

#include <cstdlib>
#include <string>

namespace quill::test {

/// A real Wine prefix made by Wine's own `wineboot --init`, for tests that check our view of
/// a prefix against Wine's. It is made once and cached across test runs in
/// ${XDG_CACHE_HOME:-~/.cache}/quillonet-test/wineprefix (rebuilt when the Wine version
/// changes); a lock file keeps test binaries running side by side from building it twice.
class RealWinePrefix {
 public:
  /// Native folder of the cached prefix, made on first use; "" when Wine is not installed
  /// or the prefix could not be made (SkipReason() says why). Tests must not change it:
  /// use CopyTo().
  static const std::string& Get();
  /// Why Get() is empty.
  static std::string SkipReason();
  /// Gives a test its own copy of the prefix as `dir`/prefix and returns that path ("" on
  /// failure). Files under drive_c/windows are hard links to the cached prefix where the
  /// file system allows it (they are large and Wine only reads them): replace or delete
  /// them freely, but never write into one. `original` copies another such copy instead.
  static std::string CopyTo(const std::string& dir, const std::string& original = "");
  /// Runs a shell command line (e.g. "wine reg query 'HKCU\\Software'") with WINEPREFIX set
  /// to `prefix`, WINEDEBUG=-all and the cache's home folder, then waits until that
  /// prefix's wineserver has exited, so the hives are saved and free to change (unless
  /// `waitForServer` is false, e.g. to start a persistent server). Returns the command's exit
  /// status (-1 when it could not run); `output` gets stdout and stderr.
  static int RunWine(const std::string& prefix, const std::string& command,
                     std::string* output = nullptr, bool waitForServer = true);
  /// Quotes text for the shell.
  static std::string ShellQuote(const std::string& text);
};

}  // namespace quill::test

/// Skips the current test, with the reason, when no real Wine prefix can be had. Where CI is
/// set (the CI machine installs Wine) a missing prefix fails the test instead: a green run
/// there means these tests ran.
#define QUILL_REQUIRE_REAL_WINE()                                                            \
  do {                                                                                       \
    if (::quill::test::RealWinePrefix::Get().empty()) {                                      \
      const char* ci = std::getenv("CI");                                                    \
      if (ci != nullptr && *ci != '\0')                                                      \
        FAIL() << "needs Wine (CI is set): " << ::quill::test::RealWinePrefix::SkipReason(); \
      GTEST_SKIP() << "needs Wine: " << ::quill::test::RealWinePrefix::SkipReason();         \
    }                                                                                        \
  } while (0)
