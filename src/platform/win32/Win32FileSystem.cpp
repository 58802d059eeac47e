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
  File(const std::string& path, DWORD access, DWORD disposition)
      : handle_(CreateFileA(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            disposition, FILE_ATTRIBUTE_NORMAL, nullptr)) {}
  ~File() {
    if (Ok()) CloseHandle(handle_);
  }
  File(const File&) = delete;
  File& operator=(const File&) = delete;
  bool Ok() const { return handle_ != INVALID_HANDLE_VALUE; }
  HANDLE Handle() const { return handle_; }

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

bool Win32FileSystem::WriteFile(const std::string& path, const std::string& bytes) {
  if (path.empty() || HasWildcard(path)) return false;
  File file(path, GENERIC_WRITE, CREATE_ALWAYS);
  return file.Ok() && file.WriteAll(bytes);
}

bool Win32FileSystem::ReplaceFile(const std::string& path, const std::string& bytes) {
  if (path.empty() || HasWildcard(path)) return false;
  // Written beside the file, then moved over it in one step.
  const std::string temporary = path + ".quill-new";
  {
    File file(temporary, GENERIC_WRITE, CREATE_ALWAYS);
    if (!file.Ok()) return false;
    if (!file.WriteAll(bytes) || !FlushFileBuffers(file.Handle())) {
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
  if (path.empty() || HasWildcard(path)) return false;
  File file(path, FILE_APPEND_DATA, OPEN_ALWAYS);
  return file.Ok() && file.WriteAll(bytes);
}

bool Win32FileSystem::CopyFile(const std::string& from, const std::string& to, bool failIfExists) {
  if (HasWildcard(from) || HasWildcard(to)) return false;
  return CopyFileA(from.c_str(), to.c_str(), failIfExists ? TRUE : FALSE) != 0;
}

bool Win32FileSystem::CopyFolder(const std::string& from, const std::string& to, bool overwrite) {
  if (!IsFolderAttributes(GetFileAttributesA(from.c_str()))) return false;
  auto entries = FindAll(from);
  if (!entries) return false;
  if (!CreateDirectoryA(to.c_str(), nullptr) && !IsFolderAttributes(GetFileAttributesA(to.c_str())))
    return false;
  bool all = true;
  for (const auto& data : *entries) {
    const std::string source = Join(from, data.cFileName);
    const std::string target = Join(to, data.cFileName);
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      // A link to another place is not followed: its contents are not part of this tree.
      if (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) {
        all = CreateDirectoryA(target.c_str(), nullptr) != 0 && all;
        continue;
      }
      all = CopyFolder(source, target, overwrite) && all;
    } else {
      all = CopyFileA(source.c_str(), target.c_str(), overwrite ? FALSE : TRUE) != 0 && all;
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
  if (force && (attributes & FILE_ATTRIBUTE_READONLY))
    SetFileAttributesA(path.c_str(), attributes & ~DWORD{FILE_ATTRIBUTE_READONLY});
  // A link is removed itself; what it points to stays.
  if (!(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
    auto entries = FindAll(path);
    if (!entries) return false;
    for (const auto& data : *entries) {
      const std::string child = Join(path, data.cFileName);
      if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        if (!DeleteFolder(child, force)) return false;
        continue;
      }
      if (force && (data.dwFileAttributes & FILE_ATTRIBUTE_READONLY))
        SetFileAttributesA(child.c_str(), data.dwFileAttributes & ~DWORD{FILE_ATTRIBUTE_READONLY});
      if (!DeleteFileA(child.c_str())) return false;
    }
  }
  return RemoveDirectoryA(path.c_str()) != 0;
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
