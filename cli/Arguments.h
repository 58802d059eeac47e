#pragma once

#include <optional>
#include <string>
#include <vector>

#include "scan/ScanState.h"

namespace quill::cli {

/// Exit statuses, from the best to the worst.
inline constexpr int kNothingFound = 0;
inline constexpr int kFound = 1;
inline constexpr int kCannotRun = 2;

/// How to call the program.
extern const char* const kUsage;

/// The command line: options and the command's words.
struct Arguments {
  std::string prefix;
  bool yes = false;
  bool help = false;
  bool remove = false;
  bool force = false;
  bool all = false;
  /// scan: every Wine prefix the user has, one after the other.
  bool allPrefixes = false;
  /// One JSON document on standard output instead of the lines for people.
  bool json = false;
  std::vector<std::string> words;
};

/// Options may stand before or after the command; "--" ends them. Empty (with `error` set)
/// when an option is unknown or lacks its value.
std::optional<Arguments> ParseArguments(int argc, char** argv, std::string& error);

/// What "scan" was asked to scan: its mode and, for a file or a folder, the PATH as given.
struct ScanRequest {
  ScanMode mode = ScanMode::Smart;
  std::string path;
};

/// Checks the command's words and the options that go with it; "" when they make a command
/// this program runs, else what is wrong. Fills `scan` for the scan command.
std::string CheckCommand(const Arguments& args, ScanRequest& scan);

/// Prints the message on standard error; returns kCannotRun.
int Fail(const std::string& message);

}  // namespace quill::cli
