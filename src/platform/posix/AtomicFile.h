#pragma once

#include <string>

namespace quill::platform::posix::detail {

/// Replaces the file at the native `path` with `text` so that a reader sees either the old or
/// the new file, even after a crash: the text goes to a temporary file in the same folder,
/// reaches the disk, and is renamed over the file (whose permission bits it keeps). Returns 0
/// or the errno of the step that failed; on failure the old file is untouched.
int ReplaceFileAtomically(const std::string& path, const std::string& text);

}  // namespace quill::platform::posix::detail
