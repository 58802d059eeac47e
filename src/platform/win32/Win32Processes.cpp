#include "platform/win32/Win32Processes.h"

#include "platform/win32/WinApi.h"
// The process calls need the base definitions above.
#include <psapi.h>
#include <tlhelp32.h>

#include <string>
#include <vector>

namespace quill::platform::win32 {
namespace {

std::string BaseName(const std::string& path) {
  const size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

/// Name and path of one process; both empty when it cannot be opened for query.
ProcessInfo Describe(DWORD pid) {
  ProcessInfo info;
  info.pid = pid;
  HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid);
  if (process == nullptr) return info;
  char path[MAX_PATH * 2] = {};
  const DWORD length = GetModuleFileNameExA(process, nullptr, path, sizeof path);
  CloseHandle(process);
  if (length == 0) return info;
  info.path.assign(path, length);
  info.name = BaseName(info.path);
  return info;
}

std::optional<std::vector<ProcessInfo>> FromSnapshot() {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return std::nullopt;
  std::vector<ProcessInfo> processes;
  PROCESSENTRY32 entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry)) {
    ProcessInfo info = Describe(entry.th32ProcessID);
    if (info.name.empty() && info.pid != 0) info.name = BaseName(entry.szExeFile);
    processes.push_back(std::move(info));
  }
  CloseHandle(snapshot);
  return processes;
}

}  // namespace

std::optional<std::vector<ProcessInfo>> Win32Processes::Enumerate() {
  std::vector<DWORD> pids(1024);
  DWORD bytes = 0;
  // Grow the buffer until the list fits with room to spare.
  while (true) {
    const auto size = static_cast<DWORD>(pids.size() * sizeof(DWORD));
    if (!EnumProcesses(pids.data(), size, &bytes)) return FromSnapshot();
    if (bytes < size || pids.size() >= 65536) break;
    pids.resize(pids.size() * 2);
  }
  pids.resize(bytes / sizeof(DWORD));
  std::vector<ProcessInfo> processes;
  processes.reserve(pids.size());
  for (DWORD pid : pids) processes.push_back(Describe(pid));
  return processes;
}

bool Win32Processes::Terminate(uint32_t pid, uint32_t exitCode) {
  // Never this program itself, nor the idle and system processes.
  if (pid == 0 || pid == 4 || pid == GetCurrentProcessId()) return false;
  HANDLE process = OpenProcess(PROCESS_TERMINATE, FALSE, pid);
  if (process == nullptr) return false;
  const bool ended = TerminateProcess(process, exitCode) != 0;
  CloseHandle(process);
  return ended;
}

bool Win32Processes::WaitForExit(uint32_t pid, int timeoutMs) {
  HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, pid);
  // No such process (any more): it has ended.
  if (process == nullptr) return GetLastError() == ERROR_INVALID_PARAMETER;
  const DWORD result =
      WaitForSingleObject(process, timeoutMs < 0 ? 0 : static_cast<DWORD>(timeoutMs));
  CloseHandle(process);
  return result == WAIT_OBJECT_0;
}

}  // namespace quill::platform::win32
