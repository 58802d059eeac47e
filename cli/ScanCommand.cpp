#include <cstdio>
#include <optional>

#include "Commands.h"
#include "JsonOutput.h"
#include "app/Application.h"
#include "app/FrmMain.h"
#include "base/Text.h"
#include "removal/ChangeLock.h"
#include "removal/RemovalShare.h"
#include "removal/frmDelete.h"
#include "scan/ScanDriver.h"

// The scan command and what it prints: the results list, the stopped programs and excluded
// items, and what the scan could not examine.
namespace quill::cli {

namespace {

void PrintRows(FrmMain& main) {
  const auto& results = main.lvwPicRemoveListOfSpywareFoundAndToBeRemoved;
  for (int i = 0; i < results.Count(); ++i) {
    const auto& row = results.Item(i);
    std::string line = std::to_string(row.smallIcon);
    for (const std::string* field :
         {&row.text, &row.SubItem(1), &row.SubItem(2), &row.SubItem(3), &row.SubItem(4)}) {
      line += '\t';
      line += text::ReplaceAll(text::ReplaceAll(*field, "\t", " "), "\r\n", " ");
    }
    std::printf("%s\n", line.c_str());
  }
}

// Places a definition named that no removal may touch.
void PrintProtected(FrmMain& main) {
  const auto& progress = main.lvwSpywareFound;
  for (int i = 0; i < progress.Count(); ++i)
    if (progress.Item(i).text == "PROTECTED")
      std::printf("Protected: %s\n", progress.Item(i).SubItem(1).c_str());
}

// A row of the scan-progress list that never reaches the results list: a program the scan
// stopped, or an item left alone because the user excluded it.
bool IsStoppedRow(const forms::ListItem& row) {
  return row.text == "Running Application" || row.text == "Running Process";
}

// The stopped programs and the excluded items, in the results' form; returns how many
// programs were stopped.
int PrintProgressRows(FrmMain& main) {
  int stopped = 0;
  const auto& progress = main.lvwSpywareFound;
  for (int i = 0; i < progress.Count(); ++i) {
    const auto& row = progress.Item(i);
    const bool isStopped = IsStoppedRow(row);
    if (!isStopped && row.text != "EXCLUDED") continue;
    if (isStopped) ++stopped;
    std::printf("%d\t%s\t%s\t\t\t\n", row.smallIcon, row.text.c_str(),
                text::ReplaceAll(row.SubItem(1), "\t", " ").c_str());
  }
  return stopped;
}

// What the scan could not do; true when it did not complete.
bool PrintGaps(Application& app) {
  for (const std::string& gap : ScanGapTexts(app)) std::printf("%s\n", gap.c_str());
  return !app.gaps.Complete();
}

// Everything the scan did: results, stopped programs and excluded items, the total, and
// what was not examined. Returns the exit status.
int PrintResults(FrmMain& main) {
  PrintProtected(main);
  PrintRows(main);
  const int found =
      main.lvwPicRemoveListOfSpywareFoundAndToBeRemoved.Count() + PrintProgressRows(main);
  std::printf("Traces found: %d\n", found);
  if (PrintGaps(main.App())) return kCannotRun;
  return found > 0 ? kFound : kNothingFound;
}

// Automatic removal, as a scheduled scan with "Delete spyware automatically" ticked runs it
// (the user's own option is left as it is): the driver ticks every row and removes without
// a question. What remains is printed, with what could not be removed.
int PrintRemoval(FrmMain& main, int removed) {
  Application& app = main.App();
  PrintProtected(main);
  PrintRows(main);
  PrintProgressRows(main);
  std::printf("Removed: %d\n", removed);
  const auto& failed = app.DeleteFailed().lstProblem;
  for (int i = 0; i < failed.Count(); ++i)
    std::fprintf(stderr, "Could not delete: %s\n", failed.Item(i).text.c_str());
  for (const std::string& why : app.RemovalRefusals)
    std::fprintf(stderr, "Refused: %s\n", why.c_str());
  if (!app.RefusedRemoval.empty())
    std::fprintf(stderr,
                 "Removal refused: the items found make up %s (more than %d%%); nothing was "
                 "removed. Use --force to remove them anyway.\n",
                 app.RefusedRemoval.c_str(), kLargeRemovalPercent);
  const bool allRemoved = failed.Count() == 0 && app.RefusedRemoval.empty();
  const bool incomplete = PrintGaps(app);
  main.Unload();
  if (incomplete) return kCannotRun;
  return allRemoved ? kNothingFound : kFound;
}

// The scan as the JSON document's run records it; returns the exit status the lines would.
int RecordScan(FrmMain& main, ScanMode mode, bool remove, int removed) {
  Application& app = main.App();
  auto& run = json_output::CurrentScanRun();
  run["mode"] = mode == ScanMode::Smart  ? "smart"
                : mode == ScanMode::Full ? "full"
                : mode == ScanMode::File ? "file"
                                         : "folder";
  run["remove"] = remove;
  run["findings"] = json_output::Findings(main, remove);
  int found = 0;
  for (const auto& finding : run["findings"])
    if (finding["state"] != "excluded" && finding["state"] != "protected") ++found;
  run["counts"] = {{"found", found}, {"removed", removed}};
  for (const std::string& gap : ScanGapTexts(app)) run["notExamined"].push_back(gap);
  const bool incomplete = !app.gaps.Complete();
  run["completed"] = !incomplete;
  bool allRemoved = true;
  if (remove) {
    const auto& failed = app.DeleteFailed().lstProblem;
    for (int i = 0; i < failed.Count(); ++i)
      json_output::AddError("Could not delete: " + failed.Item(i).text);
    for (const std::string& why : app.RemovalRefusals) json_output::AddError("Refused: " + why);
    if (!app.RefusedRemoval.empty())
      json_output::AddError("Removal refused: the items found make up " + app.RefusedRemoval);
    allRemoved = failed.Count() == 0 && app.RefusedRemoval.empty();
  }
  main.Unload();
  if (incomplete) return kCannotRun;
  if (remove) return allRemoved ? kNothingFound : kFound;
  return found > 0 ? kFound : kNothingFound;
}

}  // namespace

int Scan(FrmMain& main, const ScanRequest& scan, const std::string& chosen, const Arguments& args) {
  Application& app = main.App();
  const ScanMode mode = scan.mode;
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
  main.SelectScanMode(mode);
  // With removal the driver removes at once; the removal takes off the results list exactly
  // the rows of the items it removed: those are counted.
  int removed = 0;
  int removalWatch = 0;
  auto& resultsList = main.lvwPicRemoveListOfSpywareFoundAndToBeRemoved;
  if (args.remove) {
    app.AutoRemoveMode = true;
    app.AllowLargeRemoval = args.force;
    removalWatch = resultsList.SubscribeRows([&](const forms::ListChange& change) {
      if (change.kind == forms::ListChange::Cleared) removed = 0;
      if (change.kind == forms::ListChange::RowRemoved) ++removed;
    });
  }
  main.cmdScanNow_Click();
  if (args.remove) resultsList.UnsubscribeRows(removalWatch);
  // The message that says so is already on standard error.
  if (main.LastScanResult() == ScanResult::NoDefinitions) {
    json_output::AddError("there are no definitions to scan with");
    return kCannotRun;
  }
  if (json_output::Enabled()) return RecordScan(main, mode, args.remove, removed);

  if (args.remove) return PrintRemoval(main, removed);
  const int status = PrintResults(main);
  // Closing the main window records the stopped state, as the desktop program does.
  main.Unload();
  return status;
}

}  // namespace quill::cli
