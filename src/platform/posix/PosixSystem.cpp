#include "platform/posix/PosixSystem.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <utility>

#include "base/Text.h"
#include "platform/ProgramIdentity.h"

namespace quill::platform::posix {
namespace {

bool IsFolder(const std::string& path) {
  struct stat info {};
  return !path.empty() && ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

std::string Env(const char* name) {
  const char* value = std::getenv(name);
  return value == nullptr ? std::string() : std::string(value);
}

std::string RealPath(const std::string& path) {
  if (char* resolved = ::realpath(path.c_str(), nullptr)) {
    std::string result(resolved);
    std::free(resolved);
    return result;
  }
  return path;
}

uint64_t Fnv1a(const std::string& bytes) {
  uint64_t hash = 1469598103934665603ull;
  for (unsigned char c : bytes) {
    hash ^= c;
    hash *= 1099511628211ull;
  }
  return hash;
}

std::string StripTrailingSlashes(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

// The data folder of an installed tree, found from the running program wherever the tree was
// installed (<prefix>/bin/quillonet -> <prefix>/share/quillonet); empty when absent.
std::string DataFolderBesideProgram() {
  std::string exe(4096, '\0');
  const ssize_t size = ::readlink("/proc/self/exe", exe.data(), exe.size());
  if (size <= 0 || static_cast<size_t>(size) >= exe.size()) return {};
  exe.resize(static_cast<size_t>(size));
  const size_t slash = exe.rfind('/');
  if (slash == std::string::npos) return {};
  std::string folder = RealPath(exe.substr(0, slash + 1) + build::kDataDirFromProgram);
  return IsFolder(folder) ? folder : std::string();
}

}  // namespace

PosixSystem::PosixSystem(std::string prefixRoot, platform::FileSystem& files,
                         std::string programFolderOverride, std::string startupProgram)
    : prefixRoot_(std::move(prefixRoot)),
      files_(files),
      programFolderOverride_(std::move(programFolderOverride)),
      startupProgram_(std::move(startupProgram)) {}

PosixSystem::~PosixSystem() {
  if (lockFd_ >= 0) {
    // Remove the file while still holding it, so no lock files pile up.
    ::unlink(lockPath_.c_str());
    ::close(lockFd_);
  }
}

OsVersion PosixSystem::Version() {
  // What Wine reports for a prefix unless told otherwise: the NT family, 6.1.
  return OsVersion{2, 6, 1};
}

std::string PosixSystem::NativeProgramFolder() const {
  if (!programFolderOverride_.empty()) return StripTrailingSlashes(programFolderOverride_);
  std::string fromEnv = Env("QUILLONET_PROGRAM_DIR");
  if (!fromEnv.empty()) return StripTrailingSlashes(fromEnv);
  if (std::string installed = DataFolderBesideProgram(); !installed.empty()) return installed;
  if (IsFolder(build::kDataDir)) return build::kDataDir;
  return build::kSourceResources;
}

ProgramIdentity PosixSystem::Identity() {
  ProgramIdentity id;
  id.productName = build::kProductName;
  id.companyName = build::kCompanyName;
  id.comments = build::kComments;
  id.versionMajor = build::kVersionMajor;
  id.versionMinor = build::kVersionMinor;
  id.brandNumber = build::kBrandNumber;
  id.exeName = build::kExeName;

  std::string native = NativeProgramFolder();
  std::string windows = files_.FromNativePath(RealPath(native));
  // No drive maps the folder (a prefix without Z:): the file system still reads it.
  if (windows.empty()) windows = files_.NameHostFolder(native);
  while (windows.size() > 3 && windows.back() == '\\') windows.pop_back();
  id.programFolder = windows;
  return id;
}

std::optional<std::string> PosixSystem::StartupCommand() {
  const std::string program =
      RealPath(startupProgram_.empty() ? "/proc/self/exe" : startupProgram_);
  struct stat info {};
  if (::stat(program.c_str(), &info) != 0 || !S_ISREG(info.st_mode) ||
      ::access(program.c_str(), X_OK) != 0)
    return std::nullopt;
  const std::string windowsProgram = files_.FromNativePath(program);
  const std::string prefix = RealPath(StripTrailingSlashes(prefixRoot_));
  if (windowsProgram.empty() || prefix.empty()) return std::nullopt;
  // Wine splits the entry into the native program's arguments by the Windows rules: a blank
  // ends an argument unless it is quoted, and a double quote cannot be part of one here.
  for (const std::string* part : {&windowsProgram, &prefix})
    if (part->find('"') != std::string::npos) return std::nullopt;
  const auto quoted = [](const std::string& part) {
    return part.find_first_of(" \t") == std::string::npos ? part : "\"" + part + "\"";
  };
  return quoted(windowsProgram) + " --prefix " + quoted(prefix);
}

std::string PosixSystem::LockFilePath() const {
  char hash[17];
  std::snprintf(
      hash, sizeof hash, "%016llx",
      static_cast<unsigned long long>(Fnv1a(RealPath(StripTrailingSlashes(prefixRoot_)))));
  std::string runtime = Env("XDG_RUNTIME_DIR");
  if (IsFolder(runtime)) return runtime + "/quillonet-" + hash + ".lock";
  // The shared temporary folder: keep users apart so one cannot block another.
  return "/tmp/quillonet-" + std::to_string(::getuid()) + "-" + hash + ".lock";
}

bool PosixSystem::AcquireSingleInstance() {
  if (lockFd_ >= 0) return true;
  std::string path = LockFilePath();
  // The holder removes the file when it lets go, so a lock may be won on a file that was
  // just removed; then it guards nothing and the lock is taken again on the new file.
  for (int attempt = 0; attempt < 8; ++attempt) {
    int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) return true;  // cannot tell: do not keep the program from starting
    int rc;
    while ((rc = ::flock(fd, LOCK_EX | LOCK_NB)) != 0 && errno == EINTR) {
    }
    if (rc != 0) {
      bool held = errno == EWOULDBLOCK;
      ::close(fd);
      return !held;
    }
    struct stat opened {
    }, named{};
    if (::fstat(fd, &opened) == 0 && ::stat(path.c_str(), &named) == 0 &&
        opened.st_dev == named.st_dev && opened.st_ino == named.st_ino) {
      lockFd_ = fd;
      lockPath_ = path;
      return true;
    }
    ::close(fd);
  }
  return true;
}

}  // namespace quill::platform::posix
