#include <algorithm>
#include <cstdio>
#include <optional>

#include "Commands.h"
#include "HeadlessScan.h"
#include "JsonOutput.h"
#include "base/Text.h"
#include "program/Program.h"
#include "removal/ChangeLock.h"
#include "removal/RemovalRun.h"
#include "removal/RemovalShare.h"
#include "results/Finding.h"
#include "scan/ScanDriver.h"
#include "scan/ScanRun.h"

// The scan command and what it prints: the results list, the stopped programs and excluded
// items, and what the scan could not examine.
namespace quill::cli {

namespace {

// One finding in the results' form: icon number, then the name and four details,
// tab-separated.
void PrintFinding(int icon, const std::vector<std::string>& fields) {
  std::string line = std::to_string(icon);
  for (const std::string& field : fields) {
    line += '\t';
    line += text::ReplaceAll(text::ReplaceAll(field, "\t", " "), "\r\n", " ");
  }
  std::printf("%s\n", line.c_str());
}

// The findings listed for removal that are still on the machine; returns how many.
int PrintRows(const FindingList& findings) {
  int listed = 0;
  for (const Finding& f : findings.Items()) {
    if (!f.Listed() || f.state == FindingState::Removed) continue;
    ++listed;
    PrintFinding(f.ResultIcon(), {f.name, f.location, f.threatType, f.risk, f.details});
  }
  return listed;
}

// Places a definition named that no removal may touch.
void PrintProtected(const FindingList& findings) {
  for (const Finding& f : findings.Items())
    if (f.state == FindingState::Protected) std::printf("Protected: %s\n", f.location.c_str());
}

// The programs the scan stopped and the items left alone because the user excluded them,
// in the results' form; returns how many programs were stopped.
int PrintProgressRows(const FindingList& findings) {
  int stopped = 0;
  for (const Finding& f : findings.Items()) {
    if (f.state == FindingState::Stopped) ++stopped;
    if (f.state != FindingState::Stopped && f.state != FindingState::Excluded) continue;
    std::printf("%d\t%s\t%s\t\t\t\n", f.ProgressIcon(), f.ProgressText().c_str(),
                text::ReplaceAll(f.ProgressDetail(), "\t", " ").c_str());
  }
  return stopped;
}

// How many findings the removal took off the machine.
int RemovedCount(const FindingList& findings) {
  const auto& items = findings.Items();
  return static_cast<int>(std::count_if(items.begin(), items.end(), [](const Finding& f) {
    return f.state == FindingState::Removed;
  }));
}

// What the scan could not do; true when it did not complete.
bool PrintGaps(const ScanGaps& gaps) {
  for (const std::string& gap : ScanGapTexts(gaps)) std::printf("%s\n", gap.c_str());
  return !gaps.Complete();
}

// Everything the scan did: results, stopped programs and excluded items, the total, and
// what was not examined. Returns the exit status.
int PrintResults(const HeadlessScan& scan) {
  const FindingList& findings = scan.Found();
  PrintProtected(findings);
  const int listed = PrintRows(findings);
  const int found = listed + PrintProgressRows(findings);
  std::printf("Traces found: %d\n", found);
  if (PrintGaps(scan.State().gaps)) return kCannotRun;
  return found > 0 ? kFound : kNothingFound;
}

// Automatic removal, as a scheduled scan with "Delete spyware automatically" ticked runs it
// (the user's own option is left as it is): every finding listed is removed without a
// question. What remains is printed, with what could not be removed.
int PrintRemoval(const HeadlessScan& scan) {
  const FindingList& findings = scan.Found();
  PrintProtected(findings);
  PrintRows(findings);
  PrintProgressRows(findings);
  std::printf("Removed: %d\n", RemovedCount(findings));
  const RemovalResult& removal = scan.Removal();
  for (const RemovalProblem& failed : removal.problems)
    std::fprintf(stderr, "Could not delete: %s\n", failed.place.c_str());
  for (const std::string& why : removal.refusals)
    std::fprintf(stderr, "Refused: %s\n", why.c_str());
  if (!removal.refusedShare.empty())
    std::fprintf(stderr,
                 "Removal refused: the items found make up %s (more than %d%%); nothing was "
                 "removed. Use --force to remove them anyway.\n",
                 removal.refusedShare.c_str(), kLargeRemovalPercent);
  const bool allRemoved = removal.problems.empty() && removal.refusedShare.empty();
  if (PrintGaps(scan.State().gaps)) return kCannotRun;
  return allRemoved ? kNothingFound : kFound;
}

// The scan as the JSON document's run records it; returns the exit status the lines would.
int RecordScan(const HeadlessScan& scan, ScanMode mode, bool remove) {
  auto& run = json_output::CurrentScanRun();
  run["mode"] = mode == ScanMode::Smart  ? "smart"
                : mode == ScanMode::Full ? "full"
                : mode == ScanMode::File ? "file"
                                         : "folder";
  run["remove"] = remove;
  run["findings"] = json_output::Findings(scan.Found(), remove);
  int found = 0;
  for (const auto& finding : run["findings"])
    if (finding["state"] != "excluded" && finding["state"] != "protected") ++found;
  run["counts"] = {{"found", found}, {"removed", RemovedCount(scan.Found())}};
  const ScanGaps& gaps = scan.State().gaps;
  for (const std::string& gap : ScanGapTexts(gaps)) run["notExamined"].push_back(gap);
  const bool incomplete = !gaps.Complete();
  run["completed"] = !incomplete;
  bool allRemoved = true;
  if (remove) {
    const RemovalResult& removal = scan.Removal();
    for (const RemovalProblem& failed : removal.problems)
      json_output::AddError("Could not delete: " + failed.place);
    for (const std::string& why : removal.refusals) json_output::AddError("Refused: " + why);
    if (!removal.refusedShare.empty())
      json_output::AddError("Removal refused: the items found make up " + removal.refusedShare);
    allRemoved = removal.problems.empty() && removal.refusedShare.empty();
  }
  if (incomplete) return kCannotRun;
  if (remove) return allRemoved ? kNothingFound : kFound;
  return found > 0 ? kFound : kNothingFound;
}

}  // namespace

int Scan(Program& app, const ScanRequest& request, const std::string& chosen,
         const Arguments& args) {
  const ScanMode mode = request.mode;
  if (mode == ScanMode::File || mode == ScanMode::Folder) {
    auto attributes = app.Files().Attributes(chosen);
    bool isFolder = attributes && (*attributes & platform::kAttrDirectory);
    if (!attributes) return Fail("\"" + chosen + "\" does not exist");
    if (mode == ScanMode::File && isFolder)
      return Fail("\"" + chosen + "\" is a folder; use scan folder");
    if (mode == ScanMode::Folder && !isFolder) return Fail("\"" + chosen + "\" is not a folder");
  }

  // A removal holds the machine's change lock from the scan on: a second program changing
  // the machine meanwhile is refused, and so is this one while another works.
  std::optional<ChangeLock> lock;
  if (args.remove) {
    lock.emplace(app.Files(), app.dataFolder);
    if (lock->Refusal()) return Fail(*lock->Refusal());
  }
  // The stage options the user stored, on the drives the program lists; the file or folder
  // named on the command line. Every start is a quick scan, as the desktop program's.
  ScanOptions options = StoredScanOptions(app);
  options.mode = mode;
  for (char letter : ScanDriveLetters(app.Shell()))
    options.driveRoots.push_back(std::string(1, letter) + ":\\");
  if (mode == ScanMode::File || mode == ScanMode::Folder) options.target = chosen;
  // With removal the scan's end removes at once; the findings it removed are counted.
  HeadlessScan scan(app, args.remove, args.force);
  const ScanResult result = scan.Run(options);
  // The message that says so is already on standard error.
  if (result == ScanResult::NoDefinitions) {
    json_output::AddError("there are no definitions to scan with");
    return kCannotRun;
  }
  if (json_output::Enabled()) return RecordScan(scan, mode, args.remove);
  return args.remove ? PrintRemoval(scan) : PrintResults(scan);
}

}  // namespace quill::cli
