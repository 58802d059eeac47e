#pragma once

#include <sys/stat.h>
#include <sys/types.h>

#include <string>
#include <vector>

/// Plain host-side file helpers under the Windows view of the prefix: paths here are host
/// paths, and nothing here knows about drives or Windows names.
namespace quill::platform::posix::host {

std::string Join(const std::string& folder, const std::string& name);
bool StatOf(const std::string& native, struct stat& st);
bool LstatOf(const std::string& native, struct stat& st);
/// Read-only as Windows sees it: the write bit that applies to us is missing.
bool ReadOnly(const struct stat& st);
/// The entry of a host folder whose name equals name without regard to case ("" if none).
std::string FindNoCase(const std::string& folder, const std::string& name);
/// The host path of name inside folder: the exact spelling when present, else the entry that
/// matches without regard to case; "" when there is neither.
std::string ChildNoCase(const std::string& folder, const std::string& name);
bool WriteAll(int fd, const char* data, size_t size);
/// Whether child is parent or lies below it.
bool Inside(const std::string& child, const std::string& parent);
/// The path with links resolved and no trailing slash; "" when it cannot be worked out.
std::string Canonical(const std::string& native);

}  // namespace quill::platform::posix::host
