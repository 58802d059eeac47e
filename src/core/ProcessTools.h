#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/FileSystem.h"
#include "platform/Processes.h"

namespace quill {

class ProgramContext;

// What the process check, the removal, the report and the shields' alerts all do with running
// programs and program files, on the platform alone.

/// Names (base names) and identifiers of the running processes; returns their count, or -1
/// when the process identifiers cannot be read. With paths, also the full path of each
/// listed process's program file ("" where it cannot be read).
int EnumerateProcesses(platform::Processes& processes, std::vector<std::string>& names,
                       std::vector<uint32_t>& ids, std::vector<std::string>* paths = nullptr);
/// The company name of a program file's version information, or "".
std::string ReadPublisherName(platform::FileSystem& files, const std::string& path);
/// Terminates a process; true when it was terminated.
bool TerminateProcessById(platform::Processes& processes, uint32_t pid, uint32_t exitCode);
/// Stops the running program of that file name (reduced names and the 8.3 short form match
/// too); true when no such process runs any more.
bool StopProcessForFile(platform::Processes& processes, const std::string& fileName);
bool StopProcessForFile(ProgramContext& app, const std::string& fileName);
/// Stops one process, trying as often as a removal does; true when it was ended or is gone.
bool StopProcessById(platform::Processes& processes, uint32_t pid);
bool StopProcessById(ProgramContext& app, uint32_t pid);

}  // namespace quill
