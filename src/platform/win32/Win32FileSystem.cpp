#include "platform/win32/Win32FileSystem.h"

#include "platform/win32/WinApi.h"

#include <algorithm>
#include <cctype>
#include <string>
#include <utility>
#include <vector>

namespace quill::platform::win32 {
namespace {

/// A file handle, closed with the object.
class File {
 public:
  File(const std::string& path, DWORD access, DWORD disposition,
       DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE, DWORD flags = 0)
      : handle_(CreateFileA(path.c_str(), access, share, nullptr, disposition,
                            FILE_ATTRIBUTE_NORMAL | flags, nullptr)) {}
  ~File() {
    if (Ok()) CloseHandle(handle_);
  }
  File(File&& other) noexcept : handle_(other.handle_) { other.handle_ = INVALID_HANDLE_VALUE; }
  File(const File&) = delete;
  File& operator=(const File&) = delete;
  bool Ok() const { return handle_ != INVALID_HANDLE_VALUE; }
  HANDLE Handle() const { return handle_; }
  void Close() {
    if (Ok()) CloseHandle(handle_);
    handle_ = INVALID_HANDLE_VALUE;
  }
  /// What the handle is; all zero when unknown.
  BY_HANDLE_FILE_INFORMATION Info() const {
    BY_HANDLE_FILE_INFORMATION info{};
    if (!Ok() || !GetFileInformationByHandle(handle_, &info)) info = {};
    return info;
  }

  bool WriteAll(const std::string& bytes) {
    for (size_t done = 0; done < bytes.size();) {
      DWORD piece = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 20));
      DWORD written = 0;
      if (!::WriteFile(handle_, bytes.data() + done, piece, &written, nullptr) || written == 0)
        return false;
      done += written;
    }
    return true;
  }

 private:
  HANDLE handle_;
};

// The entry itself is opened, never what a reparse point (a link, a junction) leads to.
constexpr DWORD kNoFollow = FILE_FLAG_OPEN_REPARSE_POINT;
constexpr DWORD kFolder = FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS;

// An ordinary file: no folder, no reparse point, known to the system.
bool PlainFile(const BY_HANDLE_FILE_INFORMATION& info) {
  return info.nNumberOfLinks > 0 &&
         (info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) == 0;
}

bool SameFile(const BY_HANDLE_FILE_INFORMATION& a, const BY_HANDLE_FILE_INFORMATION& b) {
  return a.dwVolumeSerialNumber == b.dwVolumeSerialNumber && a.nFileIndexHigh == b.nFileIndexHigh &&
         a.nFileIndexLow == b.nFileIndexLow;
}

// Holds a folder open without sharing the right to delete it: while held, nobody can rename
// it away or put a link in its place. Not held when the path is a reparse point.
File HoldFolder(const std::string& path) {
  File folder(path, FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES, OPEN_EXISTING,
              FILE_SHARE_READ | FILE_SHARE_WRITE, kFolder);
  const auto info = folder.Info();
  if ((info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 ||
      (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0)
    folder.Close();
  return folder;
}

bool CopyBytes(File& in, File& out) {
  std::vector<char> buffer(1 << 16);
  for (;;) {
    DWORD read = 0;
    if (!::ReadFile(in.Handle(), buffer.data(), static_cast<DWORD>(buffer.size()), &read, nullptr))
      return false;
    if (read == 0) return true;
    if (!out.WriteAll(std::string(buffer.data(), read))) return false;
  }
}

bool HasWildcard(const std::string& path) {
  return path.find_first_of("*?") != std::string::npos;
}

std::string Join(const std::string& folder, const std::string& name) {
  if (!folder.empty() && folder.back() == '\\') return folder + name;
  return folder + "\\" + name;
}

bool IsDots(const char* name) {
  return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

/// The entries of a folder through FindFirstFileA / FindNextFileA.
std::optional<std::vector<WIN32_FIND_DATAA>> FindAll(const std::string& folder) {
  if (folder.empty() || HasWildcard(folder)) return std::nullopt;
  WIN32_FIND_DATAA data{};
  HANDLE find = FindFirstFileA(Join(folder, "*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) {
    // An empty drive root has no entries at all, not even "." and "..".
    if (GetLastError() == ERROR_FILE_NOT_FOUND) return std::vector<WIN32_FIND_DATAA>{};
    return std::nullopt;
  }
  std::vector<WIN32_FIND_DATAA> entries;
  do {
    if (!IsDots(data.cFileName)) entries.push_back(data);
  } while (FindNextFileA(find, &data));
  const bool complete = GetLastError() == ERROR_NO_MORE_FILES;
  FindClose(find);
  if (!complete) return std::nullopt;
  return entries;
}

bool IsFolderAttributes(DWORD attributes) {
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

}  // namespace

std::optional<uint32_t> Win32FileSystem::Attributes(const std::string& path) {
  if (path.empty() || HasWildcard(path)) return std::nullopt;
  DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return std::nullopt;
  return attributes;
}

std::optional<std::vector<DirEntry>> Win32FileSystem::List(const std::string& folder) {
  auto found = FindAll(folder);
  if (!found) return std::nullopt;
  std::vector<DirEntry> entries;
  entries.reserve(found->size());
  for (const auto& data : *found) {
    entries.push_back(DirEntry{data.cFileName, data.dwFileAttributes,
                               (uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow});
  }
  return entries;
}

std::optional<uint64_t> Win32FileSystem::FileSize(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (path.empty() || HasWildcard(path) ||
      !GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data) ||
      (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
    return std::nullopt;
  return (uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow;
}

std::optional<std::string> Win32FileSystem::ResolveCase(const std::string& path) {
  if (!Attributes(path)) return std::nullopt;
  // Each component after the root is looked up on its own to get the name as stored.
  size_t start = 0;
  std::string resolved;
  if (path.size() >= 2 && path[1] == ':') {
    resolved =
        std::string(1, static_cast<char>(std::toupper(static_cast<unsigned char>(path[0])))) + ":";
    start = 2;
  } else if (path.rfind("\\\\", 0) == 0) {
    return path;  // network names are kept as written
  }
  while (start < path.size()) {
    size_t end = path.find('\\', start);
    if (end == std::string::npos) end = path.size();
    std::string part = path.substr(start, end - start);
    if (!part.empty() && part != "." && part != "..") {
      WIN32_FIND_DATAA data{};
      HANDLE find = FindFirstFileA((resolved + "\\" + part).c_str(), &data);
      if (find == INVALID_HANDLE_VALUE) return std::nullopt;
      FindClose(find);
      resolved += "\\" + std::string(data.cFileName);
    } else if (!part.empty()) {
      resolved += "\\" + part;
    }
    start = end + 1;
  }
  if (resolved.size() == 2) resolved += "\\";
  return resolved;
}

std::optional<std::string> Win32FileSystem::ReadFile(const std::string& path) {
  return ReadFileRange(path, 0, std::string().max_size());
}

std::optional<std::string> Win32FileSystem::ReadFileRange(const std::string& path, uint64_t offset,
                                                          size_t maxBytes) {
  auto attributes = Attributes(path);
  if (!attributes || (*attributes & FILE_ATTRIBUTE_DIRECTORY)) return std::nullopt;
  File file(path, GENERIC_READ, OPEN_EXISTING);
  // Only files on a disk: a pipe or a device may never end.
  if (!file.Ok() || GetFileType(file.Handle()) != FILE_TYPE_DISK) return std::nullopt;
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file.Handle(), &size)) return std::nullopt;
  const auto total = static_cast<uint64_t>(size.QuadPart);
  if (offset >= total) return std::string();
  const uint64_t wanted = std::min<uint64_t>(total - offset, maxBytes);
  if (wanted > std::string().max_size() / 2) return std::nullopt;
  LARGE_INTEGER at{};
  at.QuadPart = static_cast<LONGLONG>(offset);
  if (!SetFilePointerEx(file.Handle(), at, nullptr, FILE_BEGIN)) return std::nullopt;
  std::string bytes(static_cast<size_t>(wanted), '\0');
  size_t done = 0;
  while (done < bytes.size()) {
    DWORD piece = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 20));
    DWORD read = 0;
    if (!::ReadFile(file.Handle(), bytes.data() + done, piece, &read, nullptr)) return std::nullopt;
    if (read == 0) break;  // the file shrank while being read
    done += read;
  }
  bytes.resize(done);
  return bytes;
}

bool Win32FileSystem::WriteInto(const std::string& path, const std::string& bytes, bool append) {
  if (path.empty() || HasWildcard(path)) return false;
  File file(path, GENERIC_WRITE | FILE_READ_ATTRIBUTES, OPEN_ALWAYS, FILE_SHARE_READ, kNoFollow);
  const auto info = file.Info();
  // A link is not written through; another hard link would see the bytes.
  if (!file.Ok() || !PlainFile(info)) return false;
  if (info.nNumberOfLinks > 1) {
    file.Close();
    return !append && ReplaceFile(path, bytes);
  }
  LARGE_INTEGER start{};
  if (!SetFilePointerEx(file.Handle(), start, nullptr, append ? FILE_END : FILE_BEGIN))
    return false;
  if (!append && !SetEndOfFile(file.Handle())) return false;
  return file.WriteAll(bytes);
}

bool Win32FileSystem::WriteFile(const std::string& path, const std::string& bytes) {
  return WriteInto(path, bytes, false);
}

bool Win32FileSystem::CreateNewFile(const std::string& path, const std::string& bytes) {
  if (path.empty() || HasWildcard(path)) return false;
  File file(path, GENERIC_WRITE, CREATE_NEW, 0, kNoFollow);
  if (!file.Ok()) return false;
  if (file.WriteAll(bytes)) return true;
  file.Close();
  DeleteFileA(path.c_str());
  return false;
}

bool Win32FileSystem::ReplaceFile(const std::string& path, const std::string& bytes) {
  if (path.empty() || HasWildcard(path)) return false;
  const DWORD existing = GetFileAttributesA(path.c_str());
  if (existing != INVALID_FILE_ATTRIBUTES &&
      (existing & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) != 0)
    return false;
  // Written beside the file, then moved over it in one step.
  const std::string temporary = path + ".quill-new";
  {
    File file(temporary, GENERIC_WRITE, CREATE_NEW, 0, kNoFollow);
    if (!file.Ok()) return false;
    if (!file.WriteAll(bytes) || !FlushFileBuffers(file.Handle())) {
      file.Close();
      DeleteFileA(temporary.c_str());
      return false;
    }
  }
  if (MoveFileExA(temporary.c_str(), path.c_str(),
                  MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    return true;
  DeleteFileA(temporary.c_str());
  return false;
}

bool Win32FileSystem::AppendFile(const std::string& path, const std::string& bytes) {
  return WriteInto(path, bytes, true);
}

bool Win32FileSystem::CopyFile(const std::string& from, const std::string& to, bool failIfExists) {
  if (from.empty() || to.empty() || HasWildcard(from) || HasWildcard(to)) return false;
  File in(from, GENERIC_READ, OPEN_EXISTING, FILE_SHARE_READ, kNoFollow);
  const auto source = in.Info();
  if (!in.Ok() || !PlainFile(source) || GetFileType(in.Handle()) != FILE_TYPE_DISK) return false;
  File out(to, GENERIC_WRITE | FILE_READ_ATTRIBUTES, failIfExists ? CREATE_NEW : OPEN_ALWAYS, 0,
           kNoFollow);
  const bool fresh = failIfExists || GetLastError() != ERROR_ALREADY_EXISTS;
  if (!out.Ok()) return false;
  const auto target = out.Info();
  // Never through a link, never onto the source or a file other names share.
  bool ok = PlainFile(target) && !SameFile(source, target) && target.nNumberOfLinks == 1 &&
            SetEndOfFile(out.Handle()) && CopyBytes(in, out);
  out.Close();
  if (!ok) {
    if (fresh) DeleteFileA(to.c_str());
    return false;
  }
  // The copy keeps the source's attributes, as the system's own copy does.
  const DWORD kept = source.dwFileAttributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                                                FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE);
  return SetFileAttributesA(to.c_str(), kept ? kept : FILE_ATTRIBUTE_NORMAL) != 0;
}

bool Win32FileSystem::CopyFolder(const std::string& from, const std::string& to, bool overwrite) {
  if (from.empty() || to.empty() || HasWildcard(from) || HasWildcard(to)) return false;
  // A tree copied into itself would never end.
  if (to.size() > from.size() && to[from.size()] == '\\' &&
      CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, to.c_str(), static_cast<int>(from.size()),
                     from.c_str(), static_cast<int>(from.size())) == CSTR_EQUAL)
    return false;
  // Both folders are held while the copy runs: neither can be swapped for a link.
  File source = HoldFolder(from);
  if (!source.Ok()) return false;
  if (!CreateDirectoryA(to.c_str(), nullptr) && !overwrite) return false;
  File target = HoldFolder(to);
  if (!target.Ok() || SameFile(source.Info(), target.Info())) return false;
  auto entries = FindAll(from);
  if (!entries) return false;
  bool all = true;
  for (const auto& data : *entries) {
    if (treeEntryHook) treeEntryHook(data.cFileName);
    const std::string child = Join(from, data.cFileName);
    const std::string copy = Join(to, data.cFileName);
    if (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) {
      // A link to another place is not followed: its contents are not part of this tree.
      if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        all = (CreateDirectoryA(copy.c_str(), nullptr) != 0 || overwrite) && all;
      else
        all = false;
    } else if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      all = CopyFolder(child, copy, overwrite) && all;
    } else {
      all = CopyFile(child, copy, !overwrite) && all;
    }
  }
  return all;
}

bool Win32FileSystem::DeleteFile(const std::string& path) {
  if (path.empty() || HasWildcard(path)) return false;
  return DeleteFileA(path.c_str()) != 0;
}

bool Win32FileSystem::DeleteFolder(const std::string& path, bool force) {
  if (path.empty() || HasWildcard(path) || (path.size() <= 3 && path.find(':') == 1)) return false;
  const DWORD attributes = GetFileAttributesA(path.c_str());
  if (!IsFolderAttributes(attributes)) return false;
  // A link is removed itself; what it points to stays.
  if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) return RemoveDirectoryA(path.c_str()) != 0;
  if (force && (attributes & FILE_ATTRIBUTE_READONLY))
    SetFileAttributesA(path.c_str(), attributes & ~DWORD{FILE_ATTRIBUTE_READONLY});
  {
    // Held while its entries go, so it cannot be swapped for a link meanwhile.
    File folder = HoldFolder(path);
    if (!folder.Ok()) return false;
    auto entries = FindAll(path);
    if (!entries) return false;
    for (const auto& data : *entries) {
      if (treeEntryHook) treeEntryHook(data.cFileName);
      const std::string child = Join(path, data.cFileName);
      if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        if (!DeleteFolder(child, force)) return false;
        continue;
      }
      if (force && (data.dwFileAttributes & FILE_ATTRIBUTE_READONLY))
        SetFileAttributesA(child.c_str(), data.dwFileAttributes & ~DWORD{FILE_ATTRIBUTE_READONLY});
      // A file link goes as the link.
      if (!DeleteFileA(child.c_str())) return false;
    }
  }
  return RemoveDirectoryA(path.c_str()) != 0;
}

Place Win32FileSystem::Locate(const std::string& path) {
  std::string at = path;
  std::replace(at.begin(), at.end(), '/', '\\');
  if (at.rfind("\\\\?\\", 0) == 0 || at.rfind("\\\\.\\", 0) == 0) {
    if (at.size() >= 6 && at[5] == ':')
      at = at.substr(4);
    else
      return {at.rfind("\\\\?\\UNC\\", 0) == 0 ? PlaceKind::Host : PlaceKind::Unknown, {}};
  }
  // Another computer's share is not this machine.
  if (at.rfind("\\\\", 0) == 0) return {PlaceKind::Host, {}};
  if (at.size() < 3 || at[1] != ':' || at[2] != '\\' ||
      !std::isalpha(static_cast<unsigned char>(at[0])))
    return {};
  switch (GetDriveTypeA(at.substr(0, 3).c_str())) {
    case DRIVE_UNKNOWN:
    case DRIVE_NO_ROOT_DIR:
      return {};
    case DRIVE_REMOTE:
      return {PlaceKind::Host, {}};
    default:
      return {PlaceKind::Machine, {}};
  }
}

bool Win32FileSystem::Rename(const std::string& from, const std::string& to) {
  if (HasWildcard(from) || HasWildcard(to)) return false;
  return MoveFileA(from.c_str(), to.c_str()) != 0;
}

bool Win32FileSystem::CreateFolder(const std::string& path) {
  if (path.empty() || HasWildcard(path)) return false;
  return CreateDirectoryA(path.c_str(), nullptr) != 0;
}

bool Win32FileSystem::SetAttributes(const std::string& path, uint32_t attributes) {
  if (path.empty() || HasWildcard(path)) return false;
  return SetFileAttributesA(path.c_str(), attributes) != 0;
}

}  // namespace quill::platform::win32
