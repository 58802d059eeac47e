// quillonet-cli: the program without its windows. It starts as the desktop program does without
// them (data folder, one copy at a time, staged definitions, exclusions), runs one command,
// prints what a user would have seen and ends.
#include <cstdio>
#include <exception>
#include <memory>
#include <optional>
#include <string>

#include "Arguments.h"
#include "Commands.h"
#include "HeadlessHost.h"
#include "HeadlessUpdateView.h"
#include "JsonOutput.h"
#include "localization/MessageCatalog.h"
#include "platform/Platform.h"
#include "program/Program.h"
#include "program/ProgramStart.h"

namespace {

using namespace quill;
using namespace quill::cli;

// The machine the prefix holds; "" when it can be used, else why not.
std::string OpenMachine(const std::string& prefix, platform::Platform& platform) {
  platform::PlatformOptions options;
  options.prefix = prefix;
  platform = platform::CreatePlatform(options);
  if (!platform.files || !platform.shell || !platform.system || !platform.settings ||
      !platform.registry || !platform.processes || !platform.internet)
    return "the Wine prefix cannot be used";
  // A machine without drive C: is no machine: most likely a mistyped prefix.
  if (!platform.files->Attributes("C:\\"))
    return "\"" + platform.nativePrefix +
           "\" is not a Wine prefix (it has no drive C:); make it with wineboot first, or "
           "name an existing prefix";
  return {};
}

// The commands that need the program started.
int RunStarted(Program& app, HeadlessUpdateView& updateView, const Arguments& args,
               const ScanRequest& scan, const std::string& chosen) {
  const auto& words = args.words;
  const std::string& command = words[0];
  if (std::string problem = StartWithoutWindows(app); !problem.empty()) return Fail(problem);
  // Every way out records the stopped state as the desktop program's exit does, so "STATUS"
  // is "STOPPED" again whatever ends the run (a scan that cannot run, a refused path).
  struct StopOnReturn {
    Program& app;
    ~StopOnReturn() { RecordRunning(app, false); }
  } stopOnReturn{app};
  if (command == "update") return RunUpdate(app, updateView);
  if (command == "exclude") return Exclude(app, words[1]);
  return Scan(app, scan, chosen, args);
}

// Runs the command on the machine the prefix holds.
int RunOn(const std::string& prefix, const Arguments& args, const ScanRequest& scan) {
  platform::Platform platform;
  if (std::string problem = OpenMachine(prefix, platform); !problem.empty()) return Fail(problem);
  if (json_output::Enabled() && args.words[0] == "scan")
    json_output::CurrentScanRun()["prefix"] = platform.nativePrefix;
  std::optional<std::string> chosen;
  if (!scan.path.empty()) {
    std::string windowsPath = WindowsPathOf(*platform.files, scan.path);
    if (windowsPath.empty()) return Fail("\"" + scan.path + "\" is not on any drive of the prefix");
    chosen = windowsPath;
  }
  auto host = std::make_unique<HeadlessHost>(args.yes, chosen);
  auto app = std::make_unique<Program>(*host, platform);
  HeadlessUpdateView updateView;

  const auto& words = args.words;
  const std::string& command = words[0];
  if (command == "stage-definitions") return StageDefinitions(*app, words[1]);
  if (command == "report") return PrintReport(*app);
  if (command == "quarantine") return QuarantineCommand(*app, words, args.all);
  return RunStarted(*app, updateView, args, scan, chosen.value_or(""));
}

int Run(int argc, char** argv) {
  std::string error;
  auto args = ParseArguments(argc, argv, error);
  if (!args) {
    std::fprintf(stderr, "quillonet-cli: %s\n%s", error.c_str(), kUsage);
    return kCannotRun;
  }
  if (args->help) {
    std::printf("%s", kUsage);
    return kNothingFound;
  }
  const auto& words = args->words;
  if (words.empty()) {
    std::fprintf(stderr, "quillonet-cli: no command given\n%s", kUsage);
    return kCannotRun;
  }
  if (args->json)
    json_output::Enable(words[0] == "quarantine" && words.size() > 1 ? "quarantine " + words[1]
                                                                     : words[0]);
  ScanRequest scan;
  if (std::string problem = CheckCommand(*args, scan); !problem.empty()) return Fail(problem);
  if (words[0] == "prefixes") return ListPrefixes();
  if (args->allPrefixes) {
    return ScanAllPrefixes([&](const std::string& prefix) { return RunOn(prefix, *args, scan); },
                           args->remove);
  }
  if (!args->json || words[0] != "scan") return RunOn(args->prefix, *args, scan);
  json_output::BeginScanRun(args->prefix);
  const int status = RunOn(args->prefix, *args, scan);
  json_output::EndScanRun(status);
  return status;
}

}  // namespace

int main(int argc, char** argv) {
  // With --json the document is written whatever ends the run.
  try {
    const int status = Run(argc, argv);
    json_output::Write(status);
    return status;
  } catch (const std::exception& e) {
    Fail(e.what());
  } catch (...) {
    Fail("unexpected failure");
  }
  json_output::Write(kCannotRun);
  return kCannotRun;
}
