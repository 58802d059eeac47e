#pragma once

#include <string>
#include <vector>

#include "platform/FileSystem.h"

namespace quill {

struct ScanInputs;
class ScanWindow;

/// The cookie stage: reports cookie files whose host is on the blocked-cookie list.
void CookieScanStage(const ScanInputs& in, ScanWindow& main);
/// The host read from inside a cookie file, or "False" when none is found.
std::string CookieHost(platform::FileSystem& files, const std::string& fullPath);
/// Whether a reduced host is blocked by the entries of the blocked-cookie list.
bool IsBlockedHost(const std::vector<std::string>& entries, const std::string& reducedHost);

}  // namespace quill
