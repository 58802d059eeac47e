#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>

#include "definitions/PathTokens.h"

namespace quill {

/// Replaces every "\\" by "\" (left to right, without rescanning), as every definition
/// location is cleaned after its tokens are expanded.
std::string CollapseBackslashes(std::string_view text);

/// Expands the path tokens of definition locations. Gives exactly what
/// PathTokens::ExpandPathTokens gives, but remembers the expansion of each bracketed word it
/// meets, so that loading a hundred thousand locations does not run the whole token table
/// over every one of them.
class LocationExpander {
 public:
  explicit LocationExpander(PathTokens& tokens) : tokens_(tokens) {}

  /// Same result as PathTokens::ExpandPathTokens(text).
  std::string ExpandTokens(std::string_view text);
  /// A definition location made usable: "[drive]" (exact case) replaced by driveRoot when
  /// driveRoot is not empty (the tables keep "[drive]" and pass ""), tokens expanded, and
  /// every "\\" collapsed.
  std::string ExpandLocation(std::string_view location, std::string_view driveRoot = {});

  PathTokens& Tokens() { return tokens_; }

 private:
  struct Hash {
    using is_transparent = void;
    size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
  };
  // Expansion of one "[word]"; empty optional when it cannot be expanded on its own.
  const std::optional<std::string>& Segment(std::string_view word);

  PathTokens& tokens_;
  std::unordered_map<std::string, std::optional<std::string>, Hash, std::equal_to<>> cache_;
};

/// The type column carried from one definition line to the next: a line without a type
/// field keeps the type of the last line that had one. The state belongs to whoever reads
/// the file, and lives exactly as long as that reading.
class InheritedType {
 public:
  /// Takes the line's type when it has one; returns the type that applies to the line.
  const std::string& Apply(const std::optional<std::string>& type) {
    if (type) current_ = *type;
    return current_;
  }
  /// Forgets the carried type (the direct file stage does this after a recorded hit).
  void Clear() { current_.clear(); }
  const std::string& Current() const { return current_; }

 private:
  std::string current_;
};

/// How a file definition's type field "TYPE" is read: the table loader shows it as
/// "Spyware", the direct file stage keeps it as written.
enum class TypeWord { AsWritten, TypeMeansSpyware };

/// A decoded "FileDefinition.dat" line: name=threat|location|type.
struct FileDefinition {
  std::string fileName;             // before the first "=", trimmed
  std::string threatName;           // between the first and the second "=", not trimmed
  std::string location;             // field 2 as written ("" without "|"); tokens not yet expanded
  std::optional<std::string> type;  // field 3 when the line has one
  bool hasLocationField = false;    // the line contains "|"
};

/// Cuts a file definition. Empty optional when there is no file name to look for.
std::optional<FileDefinition> ParseFileDefinition(std::string_view line,
                                                  TypeWord typeWord = TypeWord::AsWritten);

/// A decoded "DirectoryDefinition.dat" line: label=threat|folder path|type.
struct FolderDefinition {
  std::string label;                // before the first "=", trimmed; only shown in progress texts
  std::string threatName;           // between the first and the second "=", not trimmed
  std::string location;             // field 2 as written ("" without "|")
  std::optional<std::string> type;  // field 3 as written, when present
  bool hasLocationField = false;
};

/// Cuts a folder definition. Empty optional for a blank line.
std::optional<FolderDefinition> ParseFolderDefinition(std::string_view line);

/// A decoded "RegistryDefinition.dat" line: root^key^value=threat|type.
struct RegistryDefinition {
  std::string name;        // everything after the last "=", trimmed
  std::string threatName;  // name up to its first "|"
  std::string type;        // text after that "|" (up to a further "|"); "" when none
  std::string rootCode;    // as written
  int64_t rootHandle = -1;
  std::string rootName;      // "HKEY_LOCAL_MACHINE"
  std::string keyPath;       // as written, after token expansion
  std::string rawValueName;  // after the second "^", as written, without a closing "^"
  std::string valueName;     // the same with "\\" collapsed; "" for a whole key
  std::string location;      // root name + "\" + key path + value name (no separator)
};

/// Cuts a registry definition. "[drive]" (exact case) in the location becomes driveRoot and
/// the tokens are expanded before the location is split at "^". Empty optional for a line
/// without "=", a blank or unknown root code, or an empty key path (a definition never names
/// a whole root; acting on one would be disastrous).
std::optional<RegistryDefinition> ParseRegistryDefinition(std::string_view line,
                                                          LocationExpander& expander,
                                                          std::string_view driveRoot);

/// A decoded "ExeDefinition.dat" line: name=rest, the rest being threat|folder or a folder.
struct ExecutableDefinition {
  std::string fileName;  // before the first "=", as written
  std::string folder;    // expanded, "\\" collapsed
  std::string fullPath;  // folder + "\" + file name, "\\" collapsed
};

/// Cuts an executable definition. Empty optional for a line without "=".
std::optional<ExecutableDefinition> ParseExecutableDefinition(std::string_view line,
                                                              LocationExpander& expander);

/// A decoded "BlockedCookies.dat" line: the domain exactly as written.
inline std::string ParseCookieDomain(std::string_view line) {
  return std::string(line);
}

/// Reads "Safety.dat" lines into protected entries: kind|name=value|location[|ignored].
/// Kinds "SFILE", "SEXE", "SDLL" protect the location (or the name when there is no
/// location), "SREG" a registry key or value, "SDIR" a folder. A line of another kind, or a
/// line without "|", repeats the previous entry. Lines are read in file order through one
/// reader, which carries that previous entry.
class ProtectedLocationReader {
 public:
  ProtectedLocationReader(LocationExpander& expander, std::string driveRoot)
      : expander_(expander), driveRoot_(std::move(driveRoot)) {}

  /// The entry of one decoded line.
  const std::string& Next(std::string_view line);

 private:
  LocationExpander& expander_;
  std::string driveRoot_;
  std::string entry_;
};

}  // namespace quill
