// What follows the stages of a scan: the automatic removal, the removed total, the anonymous
// data and the report.
#include "reports/ScanEnd.h"

#include <algorithm>
#include <exception>

#include "base/Text.h"
#include "base/Url.h"
#include "core/DataFiles.h"
#include "core/FetchText.h"
#include "core/ProgramContext.h"
#include "core/Settings.h"
#include "core/UpdateServer.h"
#include "definitions/ExclusionList.h"
#include "forms/HandlerBoundary.h"
#include "reports/ScanReport.h"
#include "reports/Submission.h"
#include "results/Finding.h"
#include "scan/ScanDriver.h"
#include "scan/ScanState.h"

namespace quill {

namespace {

int CountListed(const FindingList& findings) {
  const auto& items = findings.Items();
  return static_cast<int>(
      std::count_if(items.begin(), items.end(), [](const Finding& f) { return f.Listed(); }));
}

ReportInputs ReportInputsOf(ProgramContext& app) {
  const auto& id = app.Identity();
  return ReportInputs{app.Files(),
                      data_files::QuarantineLog(app.dataFolder),
                      app.Exclusions().FilePath(),
                      app.brand.programName,
                      id.versionMajor,
                      id.versionMinor};
}

}  // namespace

bool SendDataAgreed(ProgramContext& app) {
  return settings::Read(app.Settings(), settings::SendData);
}

RemovalResult RemoveListedFindings(ProgramContext& app, FindingList& findings,
                                   RemovalWindow& window, bool allowLarge, bool sendData) {
  const int listed = CountListed(findings);
  if (listed == 0) {
    if (sendData) SendAnonymousData(app);
    return {};
  }
  RemovalRequest request = RequestForAll(findings);
  request.automatic = true;
  request.allowLarge = allowLarge;
  RemovalResult result = RemovalRun(app, std::move(request), window);
  if (!result.ran) return result;
  const int stayed = static_cast<int>(ListedFindings(findings, result).size());
  RecordRemoval(app, listed - stayed, sendData);
  return result;
}

void RecordRemoval(ProgramContext& app, int removed, bool sendData) {
  forms::RunHandler(&app.Host(), "removal: total", [&] {
    // Items really removed, each once (the three found-counters count them three times
    // over, and count what stayed as well).
    const long long total = settings::Read(app.Settings(), settings::RemovedTotal) + removed;
    settings::Write(app.Settings(), settings::RemovedTotal, total);
  });
  forms::RunHandler(&app.Host(), "removal: anonymous data", [&] {
    if (sendData) SendAnonymousData(app);
  });
}

void SendAnonymousData(ProgramContext& app) {
  const std::string list = AnonymousProcessList(app.Processes().Enumerate());
  if (list.empty()) return;
  FetchText(app.Internet(), app.Host(),
            UpdateServerBase() + "/asp/getData.asp?data=" + text::PercentEncode(list));
}

std::vector<int> ListedFindings(const FindingList& findings, const RemovalResult& removal) {
  std::vector<int> shown;
  for (int i = 0; i < findings.Count(); ++i) {
    const Finding& f = findings.At(i);
    if (!f.Listed()) continue;
    // Every row was ticked for the run; a row beside a target that stayed is unticked again
    // and stays, every other one went.
    const bool stays =
        std::any_of(removal.kept.begin(), removal.kept.end(), [&](const RemovalTarget& kept) {
          return StaysWith(kept, f.ResultIcon(), f.name, f.location);
        });
    if (!removal.ran || stays) shown.push_back(i);
  }
  return shown;
}

void WriteScanReport(ProgramContext& app, const ScanState& scan, const FindingList& findings,
                     const std::vector<int>& shown) {
  const std::string path = app.DataFile(kScanReportFile);
  std::string report;
  try {
    ScanReportSource source{std::to_string(scan.counters.MemoryItemsInspected),
                            std::to_string(scan.counters.RegistryInspected),
                            std::to_string(scan.counters.FilesFoldersInspected),
                            {},
                            scan.ScanStartedAt,
                            scan.ScanFinishedAt,
                            ScanGapTexts(scan.gaps)};
    for (int index : shown) source.findings.push_back(findings.At(index));
    report = ScanReportText(ReportInputsOf(app), source);
  } catch (const std::exception& e) {
    app.Host().HandlerFailed("MakeReport", e.what());
    return;
  }
  // The report is written from scratch: one report, the latest scan's.
  auto& files = app.Files();
  if (files.Attributes(path)) files.DeleteFile(path);
  files.WriteFile(path, report);
}

}  // namespace quill
