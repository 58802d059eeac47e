#include "reports/ScanReport.h"

#include <exception>

#include "base/Text.h"
#include "core/ProcessTools.h"
#include "platform/FileSystem.h"
#include "results/ItemKind.h"

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

std::string QuarantineText(const ReportInputs& in) {
  auto content = in.files.ReadFile(in.quarantineLog);
  if (!content) return {};
  std::string out;
  for (const auto& line : text::SplitLines(*content)) out += line + "\r\n\r\n";
  return out;
}

std::string ExclusionText(const ReportInputs& in) {
  auto content = in.files.ReadFile(in.exclusionList);
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

std::string ScanReportText(const ReportInputs& in, const ScanReportSource& source) {
  const std::string quarantineText = QuarantineText(in);
  const std::string exclusionText = ExclusionText(in);

  std::string r;
  r += EmptyLines(2);
  r += Spaced(std::string(19, ' ') + in.programName + "v" + std::to_string(in.versionMajor) + "." +
              std::to_string(in.versionMinor) + "   Scan Report");
  r += EmptyLines(2);
  r += Spaced(
      "Remember: Not all items found are malicious.  In particular, cookies and recent "
      "document lists are only privacy concerns.  They cannot hurt your computer.  If you are "
      "unsure about an item please send this log to an expert before removing the item from "
      "your computer.");
  r += EmptyLines(2);
  r += Spaced(kHyphens);
  r += Spaced(" Scan Started at  : " + source.startedAt);
  r += Spaced(" Scan Finished at : " + source.finishedAt);
  r += Spaced(kHyphens);
  r += EmptyLines(4);
  r += Spaced(" 1)Total Number of Processes inspected: " + source.processesInspected);
  r += Spaced(" 2)Total Number of Registry entries inspected: " + source.registryInspected);
  r += Spaced(" 3)Total Number of Files/Folders inspected: " + source.filesFoldersInspected);
  r += EmptyLines(2);
  r += std::string("[Threats Detected]") + kCrLf + EmptyLines(2);

  for (Finding finding : source.findings) {
    const int icon = finding.ResultIcon();
    // Every finding is measured afresh: one that cannot be measured reads "0 bytes", never
    // the previous one's figures.
    finding.size = "0 bytes";
    if (icon == kItemFile || icon == kItemCookie) {
      if (auto bytes = in.files.FileSize(finding.location))
        finding.size = std::to_string(*bytes) + " bytes";
    }
    finding.company = "N/A";
    if (icon == kItemFile) {
      try {
        finding.company = ReadPublisherName(in.files, finding.location);
      } catch (const std::exception&) {
        finding.company.clear();
      }
    }
    r += Spaced(kEquals);
    r += Spaced("File: " + finding.location);
    r += Spaced("Name: " + finding.name);
    r += Spaced("Company: " + finding.company);
    r += Spaced("Type: " + ReportTypeText(icon));
    r += Spaced("Size: " + finding.size);
    r += Spaced("Detail: " + finding.details);
    r += "Risk: " + finding.risk + kCrLf + EmptyLines(2);
  }
  r += kEquals + kCrLf + EmptyLines(2);
  r += Spaced("Total = " + std::to_string(source.findings.size()));
  const std::vector<std::string>& gaps = source.notExamined;
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

std::optional<std::string> ReadReportAsShown(platform::FileSystem& files, const std::string& path,
                                             const std::function<void()>& yield) {
  auto content = files.ReadFile(path);
  if (!content) return std::nullopt;
  std::string shown;
  for (const auto& line : text::SplitLines(*content)) {
    if (text::Trim(line).empty())
      shown += "\r\n";
    else
      shown += line;
    yield();
  }
  return shown;
}

}  // namespace quill
