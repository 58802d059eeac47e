#pragma once

/// The sections of the per-user settings: the one place they are spelled.
namespace quill::settings {

/// Window, language and history entries ("Language", "lblLastScan", "FirstTime", ...).
inline constexpr const char* kGeneral = "Settings";
/// The Options page and the program's run state ("chkMakeLog", "STATUS", "RESTART", ...).
inline constexpr const char* kOptions = "OptionAndSettings";
/// The drives a full scan walks, one key per drive.
inline constexpr const char* kDrives = "Drives";

}  // namespace quill::settings
