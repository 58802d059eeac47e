#include "scan/CookieScan.h"

#include <algorithm>
#include <exception>
#include <optional>
#include <string>

#include "base/Numbers.h"
#include "base/Text.h"
#include "definitions/DefinitionCodec.h"
#include "definitions/DefinitionSet.h"
#include "definitions/ExclusionList.h"
#include "forms/Host.h"
#include "platform/Shell.h"
#include "scan/ScanDriver.h"
#include "scan/ScanInputs.h"
#include "scan/ScanWindow.h"

namespace quill {
namespace {

/// Cookie files are a few kilobytes; anything far beyond that is not a cookie worth reading.
constexpr uint64_t kMaxCookieFileSize = 16ull * 1024 * 1024;

/// The blocked-cookie entries in file order, with the empty entry the list ends with.
std::vector<std::string> ReadBlockedList(const ScanInputs& in, ScanWindow& main) {
  std::string joined;
  if (std::optional<std::string> content =
          ReadDefinitionFile(in, main.Scan(), definition_files::kCookies)) {
    for (const std::string& line : DefinitionFileLines(*content))
      joined += DecodeDefinitionLine(line) + "|";
  }
  return text::Split(joined, "|");
}

/// The host part of the cookie file name (user@host[1].txt), cut before its counter or
/// extension; empty optional when the path has no "@".
std::optional<std::string> ShortHost(const std::string& fullPath) {
  const size_t at = fullPath.find('@');
  if (at == std::string::npos) return std::nullopt;
  std::string host = fullPath.substr(at + 1);
  size_t cut = host.find('(');
  if (cut == std::string::npos) cut = host.find('[');
  if (cut == std::string::npos) cut = host.rfind('.');
  if (cut != std::string::npos) host.resize(cut);
  return host;
}

/// The fields of a cookie file as the classic comma-separated reader gives them: separated
/// by commas and line ends, surrounding blanks dropped, a quoted field read to its closing
/// quote.
std::vector<std::string> CookieFields(const std::string& data) {
  std::vector<std::string> fields;
  size_t i = 0;
  const size_t n = data.size();
  while (i < n) {
    while (i < n && (data[i] == ' ' || data[i] == '\t')) ++i;
    std::string field;
    if (i < n && data[i] == '"') {
      const size_t close = data.find('"', i + 1);
      const size_t stop = close == std::string::npos ? n : close;
      field = data.substr(i + 1, stop - i - 1);
      i = stop == n ? n : stop + 1;
      while (i < n && data[i] != ',' && data[i] != '\r' && data[i] != '\n') ++i;
    } else {
      const size_t stop = data.find_first_of(",\r\n", i);
      const size_t end = stop == std::string::npos ? n : stop;
      field = text::TrimRight(data.substr(i, end - i));
      i = end;
    }
    fields.push_back(std::move(field));
    if (i < n && data[i] == '\r' && i + 1 < n && data[i + 1] == '\n') ++i;
    if (i < n) ++i;
  }
  return fields;
}

/// The host as the blocked list names it: without its top-level label and without "www.".
std::string ReduceHost(std::string host) {
  if (const size_t dot = host.rfind('.'); dot != std::string::npos) host.resize(dot);
  if (text::StartsWithNoCase(host, "www.")) host.erase(0, 4);
  return host;
}

int StagePercent(size_t fileNumber, size_t fileCount) {
  return static_cast<int>(std::clamp<int64_t>(
      numbers::Percent(static_cast<double>(fileNumber), static_cast<double>(fileCount)), 0, 100));
}

/// One file of the cookie folder; false when the stage is to end here.
bool ExamineCookie(const ScanInputs& in, ScanWindow& main, const std::vector<std::string>& entries,
                   const std::string& folderPrefix, const std::string& name, int stagePercent) {
  const std::string fullPath = folderPrefix + name;
  // The stage bar follows the file number; the overall bar is the driver's.
  main.ReportProgress(main.Scan().StageLabel + "\r\n" + name, stagePercent, -1);
  const std::string reduced = ReduceHost(CookieHost(in.files, fullPath));
  if (!IsBlockedHost(entries, reduced)) return true;
  if (in.exclusions.IsExcluded(fullPath)) {
    main.Findings().Add(LeftAloneFinding(FindingKind::Cookie, FindingState::Excluded, fullPath));
    return true;
  }
  Finding cookie;
  cookie.kind = FindingKind::Cookie;
  cookie.name = "Cookie: " + name;
  cookie.location = fullPath;
  cookie.threatType = "Tracking Cookie";
  // A cookie met after the scan was stopped is shown, but not listed for removal.
  cookie.removable = main.ScanInProgress();
  main.Findings().Add(std::move(cookie));
  if (!main.ScanInProgress()) return false;
  ++main.Scan().counters.FilesFoldersInspected;
  return true;
}

}  // namespace

std::string CookieHost(platform::FileSystem& files, const std::string& fullPath) {
  const std::optional<std::string> shortHost = ShortHost(fullPath);
  // Without a host in the name there is nothing to look for (an empty one would be found in
  // every field).
  if (!shortHost || shortHost->empty()) return "False";
  const std::optional<uint32_t> attributes = files.Attributes(fullPath);
  if (!attributes || (*attributes & platform::kAttrDirectory) != 0) return "False";
  const std::optional<uint64_t> size = files.FileSize(fullPath);
  if (!size || *size > kMaxCookieFileSize) return "False";
  const std::optional<std::string> data = files.ReadFile(fullPath);
  if (!data) return "False";
  for (const std::string& field : CookieFields(*data)) {
    const size_t at = field.find(*shortHost);
    if (at == std::string::npos) continue;
    const std::string rest = field.substr(at);
    const size_t slash = rest.find('/');
    if (slash == std::string::npos) continue;
    return rest.substr(0, slash);
  }
  return "False";
}

bool IsBlockedHost(const std::vector<std::string>& entries, const std::string& reducedHost) {
  // Every entry contains the empty text: an empty host is never a match.
  if (reducedHost.empty()) return false;
  for (const std::string& entry : entries) {
    if (entry.empty() || entry.find(reducedHost) == std::string::npos) continue;
    std::string candidate = entry;
    if (const size_t dot = candidate.rfind('.'); dot != std::string::npos) candidate.resize(dot);
    if (const size_t star = candidate.find('*'); star != std::string::npos)
      candidate.erase(star, 1);
    if (text::EqualsNoCase(candidate, reducedHost)) return true;
  }
  return false;
}

void CookieScanStage(const ScanInputs& in, ScanWindow& main) {
  std::string folder = in.shell.SpecialFolder(platform::csidl::kCookies).value_or("");
  folder = text::Trim(folder.substr(0, folder.find('\0')));
  if (folder.empty()) return;

  const std::vector<std::string> entries = ReadBlockedList(in, main);
  std::vector<std::string> names;
  if (auto listed = in.files.List(folder)) {
    for (const auto& entry : *listed)
      if ((entry.attributes & platform::kAttrDirectory) == 0) names.push_back(entry.name);
  }
  const std::string prefix = text::EndsWith(folder, "\\") ? folder : folder + "\\";
  forms::Host& host = in.host;

  size_t fileNumber = 0;
  for (const std::string& name : names) {
    ++fileNumber;
    main.Scan().CookieCount = static_cast<int32_t>(fileNumber);
    if (main.Scan().StopRequested) continue;
    bool goOn = true;
    try {
      goOn = ExamineCookie(in, main, entries, prefix, name, StagePercent(fileNumber, names.size()));
    } catch (const std::exception& e) {
      host.HandlerFailed("CookieScanStage", e.what());
    }
    if (!goOn) return;
    host.DoEvents();
  }
}

}  // namespace quill
