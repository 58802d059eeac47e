#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/Unicode.h"
#include "platform/Registry.h"

/// Wine's registry hive text format ("WINE REGISTRY Version 2"), read and written so that a
/// rewrite keeps every line it did not mean to change byte for byte.
namespace quill::platform::posix::detail {

/// One logical line of a hive file, kept exactly as read (continuation lines included).
struct HiveLine {
  enum class Kind {
    Key,    ///< "[Path\\To\\Key] 1234567890"
    Meta,   ///< "#time=...", "#link", "#class=..." and other '#' lines
    Value,  ///< "name"=data or @=data
    Other,  ///< blank lines, ';' comments and lines that could not be understood
  };
  Kind kind = Kind::Other;
  /// The text with its line ends.
  std::string raw;
  /// Value lines: the value's name ("" = the default value) and its data in the narrow form.
  std::string name;
  RegValue value;
};

/// A key's block: its key line and every line up to the next key line.
struct HiveBlock {
  /// Components separated by single backslashes, as stored (empty = the hive's root).
  std::string path;
  std::string lowerPath;
  /// Whether a "#link" line marks the key as a symbolic link.
  bool isLink = false;
  /// Length of the "[...]" part of the key line; the rest holds the timestamp.
  size_t keyTextLength = 0;
  /// lines[0] is the key line.
  std::vector<HiveLine> lines;
};

struct HiveDocument {
  /// Everything before the first key line (header, "#arch=" and blank lines).
  std::string preamble;
  std::vector<HiveBlock> blocks;
  /// False when some line could not be understood. Such a hive is read as far as it goes
  /// but never written back: rewriting it would drop what we could not read.
  bool complete = true;
  /// The key the hive's paths are relative to, from the header ("REGISTRY\User\S-1-5-...").
  std::string relativeTo;
};

/// A key's modification time as Wine stores it: Unix seconds on the key line and the
/// FILETIME on the "#time=" line.
struct HiveTime {
  int64_t unixSeconds = 0;
  uint64_t fileTime = 0;
};

/// The current time.
HiveTime HiveTimeNow();

/// Parses a hive. Never fails: what cannot be read is kept as Other lines and clears
/// `complete`.
HiveDocument ParseHive(std::string_view text);
/// The document's text; for an unedited document the text it was parsed from.
std::string SerializeHive(const HiveDocument& doc);

/// Header of a new hive relative to `relativeTo` (e.g. "REGISTRY\Machine") for a prefix of
/// the given architecture ("win64" or "win32").
std::string NewHivePreamble(std::string_view relativeTo, std::string_view arch = "win64");

/// The value as the hive keeps it, which is what a later read of the file gives back: a
/// multi-string always ends in a zero, even when the caller left the last one off.
RegValue StoredValue(RegValue value);
/// The line(s) Wine writes for a value (in its stored form), line end included.
std::string FormatValueLine(std::string_view name, const RegValue& value);
/// "[Path\\To\\Key]" with Wine's escaping.
std::string FormatKeyText(std::string_view path);
/// " 1234567890\n" after the key text.
std::string FormatKeyStamp(const HiveTime& time);
/// "#time=1d...\n".
std::string FormatTimeLine(const HiveTime& time);

/// Wine's escaping of UTF-16 text inside quotes (`quote1`/`quote2` get a backslash).
std::string EscapeWide(std::u16string_view text, char quote1, char quote2);

/// UTF-8 <-> UTF-16. Invalid input becomes U+FFFD.
using unicode::Utf16ToUtf8;
using unicode::Utf8ToUtf16;

/// Splits a key path at backslashes, dropping empty components.
std::vector<std::string> SplitKeyPath(std::string_view path);
std::string JoinKeyPath(const std::vector<std::string>& components, size_t first = 0);

}  // namespace quill::platform::posix::detail
