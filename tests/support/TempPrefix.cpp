#include "support/TempPrefix.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <system_error>
#include <vector>

#include "platform/posix/PosixFileSystem.h"
#include "platform/posix/WinePrefix.h"

namespace quill::test {

namespace fs = std::filesystem;

namespace {

// Tests leave read-only files and folders behind; make everything removable first. Links
// are not followed (Z: points at the whole host).
void MakeWritable(const fs::path& folder) {
  std::error_code ec;
  fs::permissions(folder, fs::perms::owner_all, fs::perm_options::add, ec);
  for (fs::recursive_directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    if (it->is_symlink(ec)) continue;
    fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
  }
}

}  // namespace

TempPrefix::TempPrefix() {
  const char* tmp = std::getenv("TMPDIR");
  std::string base = (tmp && *tmp) ? tmp : "/tmp";
  std::string pattern = base + "/quill-prefix-XXXXXX";
  std::vector<char> buffer(pattern.begin(), pattern.end());
  buffer.push_back('\0');
  if (::mkdtemp(buffer.data())) root_ = buffer.data();
  user_ = platform::posix::WinePrefix::UnixUserName();
  if (!root_.empty()) platform::posix::WinePrefix::CreateDefaultLayout(root_, user_);
}

TempPrefix::~TempPrefix() {
  if (root_.empty()) return;
  std::error_code ec;
  MakeWritable(root_);
  fs::remove_all(root_, ec);
}

std::string TempPrefix::Native(const std::string& windowsPath) const {
  return platform::posix::PosixFileSystem(root_).NativePath(windowsPath);
}

bool TempPrefix::MakeFolder(const std::string& windowsPath) const {
  std::string native = Native(windowsPath);
  if (native.empty()) return false;
  std::error_code ec;
  fs::create_directories(native, ec);
  return fs::is_directory(native, ec);
}

bool TempPrefix::WriteFile(const std::string& windowsPath, const std::string& bytes) const {
  std::string native = Native(windowsPath);
  if (native.empty()) return false;
  std::error_code ec;
  fs::create_directories(fs::path(native).parent_path(), ec);
  std::ofstream out(native, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  return static_cast<bool>(out);
}

}  // namespace quill::test
