#pragma once

#include <string>
#include <string_view>

namespace quill::location {

/// The one written form of a file or folder path that both deletion and every protection
/// test use: "/" read as "\", surrounding blanks and the long-path prefix ("\\?\", "\\.\")
/// dropped, repeated separators collapsed, "." and ".." resolved, trailing dots and blanks of
/// every name dropped (the system ignores them), and no trailing separator except after a
/// bare drive ("C:\"). Letter case is kept. A path that does not start with a drive keeps
/// a leading "\\" when it had one.
std::string CanonicalFilePath(std::string_view path);

/// True when a canonical path starts with a drive letter and ":\".
bool IsDrivePath(std::string_view canonical);

/// A registry key path as deletion and protection use it: surrounding blanks dropped,
/// repeated, leading and trailing separators removed. Names inside keep their blanks: the
/// registry tells "Run " from "Run".
std::string CanonicalKeyPath(std::string_view keyPath);

}  // namespace quill::location
