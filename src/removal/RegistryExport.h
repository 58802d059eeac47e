#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/Registry.h"

namespace quill {

/// One key of a registry export ("HKEY_CURRENT_USER\Software\X") and its values in order;
/// a value named "" is the key's default value.
struct RegExportKey {
  std::string key;
  std::vector<std::pair<std::string, platform::RegValue>> values;
};

/// The text of a "Windows Registry Editor Version 5.00" file holding the keys in order,
/// every value in its typed form: `@=` for a default value, a quoted string for a plain
/// string, `dword:` for a four-byte number, `hex(2):` and `hex(7):` for expandable and multi
/// strings, `hex(b):` for a 64-bit number, `hex:` for binary data and `hex(N):` for any other
/// type. A string holding a line break or a zero goes in the `hex(1):` form, since the
/// quoted form cannot carry it. Lines end in CR LF. A file that needs characters outside
/// ASCII is UTF-16LE with a byte-order mark (what the importers expect of such files);
/// otherwise it is plain ASCII, so one plain string value comes out exactly as
/// header, blank line, "[key]", "name"="data".
std::string FormatRegExport(const std::vector<RegExportKey>& keys);

/// Reads back a file FormatRegExport wrote (either encoding). Empty when the file is not in
/// that form; a file that asks for deletions ("[-key]", "=-") is refused too.
std::optional<std::vector<RegExportKey>> ParseRegExport(std::string_view bytes);

/// Splits "HKEY_CURRENT_USER\Software\X" into its root and path; empty for an unknown root.
std::optional<std::pair<platform::RootKey, std::string>> SplitRootKeyText(std::string_view key);

/// The key and every key below it, with all their values, as an export holds them.
/// Empty when the key does not exist or the tree could not be read completely.
std::optional<std::vector<RegExportKey>> ReadKeyTree(platform::Registry& registry,
                                                     platform::RootKey root,
                                                     const std::string& path);

}  // namespace quill
