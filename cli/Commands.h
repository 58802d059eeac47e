#pragma once

#include <functional>
#include <string>
#include <vector>

#include "Arguments.h"

namespace quill {
class Application;
namespace platform {
class FileSystem;
}
}  // namespace quill

namespace quill::cli {

class HeadlessUpdateView;

/// One function per command; each returns the program's exit status.

/// "stage-definitions FOLDER".
int StageDefinitions(Application& app, const std::string& sourceFolder);
/// "report": the report as the last scan wrote it, byte for byte.
int PrintReport(Application& app);
/// "quarantine list" and "quarantine restore ID... | --all".
int QuarantineCommand(Application& app, const std::vector<std::string>& words, bool all);
/// "update": one Live Update run, its outcome in one line as the notification tells it.
int RunUpdate(Application& app, const HeadlessUpdateView& view);
/// "export-language FILE".
int ExportLanguage(Application& app, const std::string& file);
/// "exclude TEXT".
int Exclude(Application& app, const std::string& text);
/// "scan ..." on the path `chosen` maps the request's PATH to, with or without removal.
int Scan(Application& app, const ScanRequest& request, const std::string& chosen,
         const Arguments& args);

/// "prefixes": the user's Wine prefixes, one per line.
int ListPrefixes();
/// "scan --all-prefixes": runs `scanOne` on each prefix "prefixes" lists, then one summary;
/// returns the worst exit status of them (kCannotRun when there is no prefix at all).
int ScanAllPrefixes(const std::function<int(const std::string& prefix)>& scanOne, bool remove);

/// Start-up as the desktop program runs it: the splash window, its countdown, then the main
/// window's load. The host's timers do not run by themselves, so the countdown is driven here.
void StartUp(Application& app);
/// A Windows path as given, or a host path mapped through the prefix's drives ("" when no
/// drive of the prefix holds it).
std::string WindowsPathOf(platform::FileSystem& files, const std::string& path);

}  // namespace quill::cli
