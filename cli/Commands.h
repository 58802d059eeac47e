#pragma once

#include <functional>
#include <string>
#include <vector>

#include "Arguments.h"

namespace quill {
class Program;
namespace platform {
class FileSystem;
}
}  // namespace quill

namespace quill::cli {

class HeadlessUpdateView;

/// One function per command; each returns the program's exit status.

/// "stage-definitions FOLDER".
int StageDefinitions(Program& app, const std::string& sourceFolder);
/// "report": the report as the last scan wrote it, byte for byte.
int PrintReport(Program& app);
/// "quarantine list" and "quarantine restore ID... | --all".
int QuarantineCommand(Program& app, const std::vector<std::string>& words, bool all);
/// "update": one Live Update run, its outcome in one line as the notification tells it.
int RunUpdate(Program& app, HeadlessUpdateView& view);
/// "exclude TEXT".
int Exclude(Program& app, const std::string& text);
/// "scan ..." on the path `chosen` maps the request's PATH to, with or without removal.
int Scan(Program& app, const ScanRequest& request, const std::string& chosen,
         const Arguments& args);

/// "prefixes": the user's Wine prefixes, one per line.
int ListPrefixes();
/// "scan --all-prefixes": runs `scanOne` on each prefix "prefixes" lists, then one summary;
/// returns the worst exit status of them (kCannotRun when there is no prefix at all).
int ScanAllPrefixes(const std::function<int(const std::string& prefix)>& scanOne, bool remove);

/// A Windows path as given, or a host path mapped through the prefix's drives ("" when no
/// drive of the prefix holds it).
std::string WindowsPathOf(platform::FileSystem& files, const std::string& path);

}  // namespace quill::cli
