#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/Application.h"
#include "platform/Platform.h"

namespace quill::test {

/// A new, empty folder under the system's temporary folder.
std::string MakeTempFolder(const std::string& tag);

/// The posix platform on a prefix, for tests: per-user settings and the program folder in
/// the given folders, short network timeouts, and a shell that records the programs and
/// documents it is asked to start instead of starting them.
platform::Platform MakeTestPlatform(const std::string& prefixRoot,
                                    const std::string& settingsFolder,
                                    const std::string& programFolder,
                                    std::shared_ptr<std::vector<std::string>> started);

/// Makes every drive of a test platform report this size (empty: the real one again).
void SetTestVolume(platform::Platform& platform, std::optional<platform::VolumeSize> size);

/// Marks the machine and the user as not new: no language chooser, no Live Update question,
/// no help file at start.
void MarkNotFirstRun(Application& app);

}  // namespace quill::test
