#pragma once

#include <array>

/// Names of the definition files in the data folder: the one place they are spelled.
namespace quill::definition_files {

inline constexpr const char* kFile = "FileDefinition.dat";
inline constexpr const char* kDirectory = "DirectoryDefinition.dat";
inline constexpr const char* kRegistry = "RegistryDefinition.dat";
inline constexpr const char* kExecutable = "ExeDefinition.dat";
inline constexpr const char* kCookies = "BlockedCookies.dat";
inline constexpr const char* kSafety = "Safety.dat";
inline constexpr const char* kDate = "date.dat";

/// The files a self-hosted definition site serves whole; start-up takes over their copies
/// staged under "DL" + name.
inline constexpr std::array<const char*, 4> kServedWhole = {kCookies, kRegistry, kFile,
                                                            kExecutable};

}  // namespace quill::definition_files
