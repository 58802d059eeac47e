#pragma once

#include <string>

/// Places inside the data folder that more than one subsystem reads: the one place their
/// names are spelled.
namespace quill::data_files {

/// The quarantine folder, below the data folder (dataFolder without a trailing backslash).
inline std::string QuarantineFolder(const std::string& dataFolder) {
  return dataFolder + "\\quarantine";
}

/// The quarantine's log of what it holds, which the scan report quotes.
inline std::string QuarantineLog(const std::string& dataFolder) {
  return QuarantineFolder(dataFolder) + "\\QuarantineLog.txt";
}

}  // namespace quill::data_files
