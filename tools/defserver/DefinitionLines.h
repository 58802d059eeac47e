#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "definitions/DefinitionFiles.h"

/// The definition lines a release holds and the update lines that carry them to a client.
/// A release stores each definition file exactly as a client stores it after a merge (every
/// byte scrambled by the definition codec, one line per definition), so a client that applies
/// every update ends with files equal to the newest release.
namespace quill::defserver {

/// The six definition files, in the order a client merges them.
enum class Target { File, Exe, Registry, Cookies, Directory, Safety };
inline constexpr size_t kTargetCount = 6;
inline constexpr std::array<const char*, kTargetCount> kTargetFiles = {
    definition_files::kFile,    definition_files::kExecutable, definition_files::kRegistry,
    definition_files::kCookies, definition_files::kDirectory,  definition_files::kSafety};

/// A plain source file of a release folder ("FILE.txt") and the kind of its lines.
struct PlainSource {
  const char* fileName;
  const char* kind;
};
inline constexpr std::array<PlainSource, 7> kPlainSources = {{{"FILE.txt", "FILE"},
                                                              {"DLL.txt", "DLL"},
                                                              {"EXE.txt", "EXE"},
                                                              {"REG.txt", "REG"},
                                                              {"COOK.txt", "COOK"},
                                                              {"DIR.txt", "DIR"},
                                                              {"SAFETY.txt", "SAFETY"}}};

/// The stored (scrambled) line for one plain definition line of the given kind ("FILE",
/// "DLL", "EXE", "REG", "COOK", "DIR" or "SAFETY"), in the form a client writes when it
/// merges that definition: a registry line always ends its location with "^" and has a type
/// field. Empty optional, with the reason in *error, for a line the update protocol cannot
/// carry unchanged (see IsTransportable).
std::optional<std::string> StoredLine(std::string_view kind, std::string_view plain,
                                      std::string* error);

/// Whether a stored line of the target file survives the trip to a client unchanged: no
/// plain "|" or "=" (the update body's separators), no control characters, no "[BR]" or
/// "[DEF]", no blank at either end; a registry line in the form a client writes, a protected
/// location with a kind that contains "S".
bool IsTransportable(Target target, std::string_view stored);

/// The name a client deletes a stored line by: the decoded text before the first "=", ASCII
/// letters folded. Built in the caller's buffer, so that a hundred thousand lines need no
/// allocation each.
std::string_view LineName(std::string_view stored, std::string& buffer);

enum class Operation { Add, Del };

/// One update line (without the "[BR]" separator) that adds the stored line to, or deletes
/// its name from, the target file. viaExe sends a file definition with the kind "EXE", which
/// reaches both "FileDefinition.dat" and "ExeDefinition.dat".
std::string UpdateLine(Operation op, Target target, std::string_view stored, bool viaExe = false);

}  // namespace quill::defserver
