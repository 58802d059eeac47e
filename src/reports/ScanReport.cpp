#include "reports/ScanReport.h"

#include <exception>

#include "app/Application.h"
#include "app/FrmMain.h"
#include "base/Text.h"
#include "removal/Quarantine.h"
#include "reports/frmReport.h"
#include "scan/ProcessScan.h"
#include "scan/ScanDriver.h"

namespace quill {

namespace {

constexpr const char* kCrLf = "\r\n";
const std::string kHyphens(23, '-');
const std::string kEquals(44, '=');

/// A line followed by the one empty line the double spacing adds.
std::string Spaced(const std::string& line) {
  return line + "\r\n\r\n";
}

std::string EmptyLines(int n) {
  std::string out;
  for (int i = 0; i < n; ++i) out += kCrLf;
  return out;
}

std::string QuarantineText(Application& app) {
  QuarantineStore quarantine(app);
  auto content = app.Files().ReadFile(quarantine.LogPath());
  if (!content) return {};
  std::string out;
  for (const auto& line : text::SplitLines(*content)) out += line + "\r\n\r\n";
  return out;
}

std::string ExclusionText(Application& app) {
  auto content = app.Files().ReadFile(app.DataFile("ENoSignature.dat"));
  if (!content) return {};
  std::string out;
  for (const auto& line : text::SplitLines(*content)) {
    if (line.empty() || line == " ") continue;
    out += line + kCrLf;
  }
  return out;
}

}  // namespace

std::string ReportTypeText(int icon) {
  switch (icon) {
    case kItemCookie:
      return "Cookie";
    case kItemRegistry:
      return "Registry";
    case kItemFile:
      return "File";
    case kItemFolder:
      return "Folder";
    case kItemExcluded:
      return "EXCLUDED";
    default:
      return "Unknown";
  }
}

std::string ScanReportText(FrmMain& main) {
  Application& app = main.App();
  const std::string quarantineText = QuarantineText(app);
  const std::string exclusionText = ExclusionText(app);
  const auto& id = app.Identity();

  std::string r;
  r += EmptyLines(2);
  r += Spaced(std::string(19, ' ') + app.brand.programName + "v" + std::to_string(id.versionMajor) +
              "." + std::to_string(id.versionMinor) + "   Scan Report");
  r += EmptyLines(2);
  r += Spaced(
      "Remember: Not all items found are malicious.  In particular, cookies and recent "
      "document lists are only privacy concerns.  They cannot hurt your computer.  If you are "
      "unsure about an item please send this log to an expert before removing the item from "
      "your computer.");
  r += EmptyLines(2);
  r += Spaced(kHyphens);
  r += Spaced(" Scan Started at  : " + app.ScanStartedAt);
  r += Spaced(" Scan Finished at : " + app.ScanFinishedAt);
  r += Spaced(kHyphens);
  r += EmptyLines(4);
  r += Spaced(" 1)Total Number of Processes inspected: " + main.lblMemoryInspected.Caption());
  r += Spaced(" 2)Total Number of Registry entries inspected: " +
              main.lblRegistryInspected.Caption());
  r += Spaced(" 3)Total Number of Files/Folders inspected: " +
              main.lblFilesFolderInspected.Caption());
  r += EmptyLines(2);
  r += std::string("[Threats Detected]") + kCrLf + EmptyLines(2);

  const auto& rows = main.lvwPicRemoveListOfSpywareFoundAndToBeRemoved.Items();
  for (const auto& row : rows) {
    const std::string location = row.SubItem(1);
    const std::string type = ReportTypeText(row.smallIcon);
    // Every row is measured afresh: a row that cannot be measured reads "0 bytes", never
    // the previous row's figures.
    std::string size = "0 bytes";
    if (row.smallIcon == kItemFile || row.smallIcon == kItemCookie) {
      if (auto bytes = app.Files().FileSize(location)) size = std::to_string(*bytes) + " bytes";
    }
    std::string company = "N/A";
    if (row.smallIcon == kItemFile) {
      try {
        company = ReadPublisherName(app.Files(), location);
      } catch (const std::exception&) {
        company.clear();
      }
    }
    r += Spaced(kEquals);
    r += Spaced("File: " + location);
    r += Spaced("Name: " + row.text);
    r += Spaced("Company: " + company);
    r += Spaced("Type: " + type);
    r += Spaced("Size: " + size);
    r += Spaced("Detail: " + row.SubItem(4));
    r += "Risk: " + row.SubItem(3) + kCrLf + EmptyLines(2);
  }
  r += kEquals + kCrLf + EmptyLines(2);
  r += Spaced("Total = " + std::to_string(rows.size()));
  const std::vector<std::string> gaps = ScanGapTexts(app);
  if (!gaps.empty()) {
    r += std::string(kCrLf) + "[Not Examined]" + kCrLf + kCrLf;
    for (const std::string& gap : gaps) r += Spaced(gap);
  }
  if (!exclusionText.empty())
    r += std::string(kCrLf) + "[Files Currently Excluded]" + kCrLf + kCrLf + exclusionText +
         EmptyLines(2);
  if (!quarantineText.empty())
    r += std::string(kCrLf) + "[Current Quarantine Log]" + kCrLf + kCrLf + quarantineText +
         EmptyLines(3);
  r += EmptyLines(2);
  r += std::string(21, '=') + "End Of Report." + kCrLf;
  return r;
}

void FrmMain::MakeReport() {
  auto& files = app_.Files();
  const std::string path = app_.DataFile("Scan_Log.txt");
  std::string report;
  try {
    report = ScanReportText(*this);
  } catch (const std::exception& e) {
    GetHost().HandlerFailed("MakeReport", e.what());
    return;
  }
  // The report is written from scratch: one report, the latest scan's.
  if (files.Attributes(path)) files.DeleteFile(path);
  files.WriteFile(path, report);
}

void FrmMain::lblViewLogFile_Click() {
  lblViewLogFile.SetEnabled(false);
  try {
    app_.Report().Show(true);
  } catch (const std::exception& e) {
    GetHost().HandlerFailed("lblViewLogFile_Click", e.what());
  }
  lblViewLogFile.SetEnabled(true);
}

void FrmMain::cmdLog_Click() {
  lblViewLogFile.SetEnabled(false);
  try {
    auto& report = app_.Report();
    report.Load();
    report.Show(true);
  } catch (const std::exception& e) {
    GetHost().HandlerFailed("cmdLog_Click", e.what());
  }
  lblViewLogFile.SetEnabled(true);
}

}  // namespace quill
