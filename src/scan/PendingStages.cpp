// Scan stages whose scanners are not built yet; each is removed by the scanner that
// implements it.
#include "app/Application.h"
#include "app/FrmMain.h"
#include "scan/CookieScan.h"
#include "scan/ProcessScan.h"
#include "scan/RegistryScan.h"

namespace quill {

// ==== registry ===============================================================================
void RegistryScanStage(FrmMain&) {}
bool KeyExists(platform::Registry&, platform::RootKey, const std::string&) { return false; }
bool ValueExists(platform::Registry&, platform::RootKey, const std::string&, const std::string&) {
  return false;
}
// ==== process ================================================================================
void ProcessCheck(FrmMain&) {}
int EnumerateProcesses(platform::Processes&, std::vector<std::string>&, std::vector<uint32_t>&) {
  return -1;
}
std::string ReadPublisherName(platform::FileSystem&, const std::string&) { return ""; }
bool TerminateProcessById(platform::Processes&, uint32_t, uint32_t) { return false; }
bool StopProcessForFile(Application&, const std::string&) { return true; }
// ==== cookie =================================================================================
void CookieScanStage(FrmMain&) {}
std::string CookieHost(platform::FileSystem&, const std::string&) { return "False"; }
bool IsBlockedHost(const std::vector<std::string>&, const std::string&) { return false; }
// ==== end ====================================================================================

}  // namespace quill
