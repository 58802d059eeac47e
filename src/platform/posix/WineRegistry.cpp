#include "platform/posix/WineRegistry.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fstream>
#include <mutex>
#include <sstream>
#include <utility>
#include <vector>

#include "base/Text.h"
#include "platform/posix/AtomicFile.h"
#include "platform/posix/Hive.h"
#include "platform/posix/HiveFile.h"
#include "platform/posix/WineServer.h"

namespace quill::platform::posix {

namespace {

using detail::Hive;

enum HiveId { kUserHive = 0, kSystemHive = 1, kDefaultHive = 2, kHiveCount = 3 };
constexpr std::array<const char*, kHiveCount> kHiveFiles = {"user.reg", "system.reg",
                                                            "userdef.reg"};
constexpr std::array<const char*, kHiveCount> kHiveRoots = {
    "HKEY_CURRENT_USER", "HKEY_LOCAL_MACHINE", "HKEY_USERS\\.Default"};
// The security identifier Wine gives the prefix's user.
constexpr std::string_view kDefaultUserSid = "S-1-5-21-0-0-0-1000";
constexpr std::string_view kClassesRootPath = "Software\\Classes";
constexpr std::string_view kCurrentConfigPath =
    "System\\CurrentControlSet\\Hardware Profiles\\Current";
// Rights that change a key: set value, create subkey, create link, delete, write DAC,
// write owner.
constexpr uint32_t kWriteAccess =
    kKeySetValue | kKeyCreateSubKey | kKeyCreateLink | 0x10000u | 0x40000u | 0x80000u;
// Link chains longer than this are taken for loops.
constexpr int kMaxLinkDepth = 16;

struct FileStamp {
  bool exists = false;
  uint64_t size = 0;
  int64_t mtimeNs = 0;
  int64_t ctimeNs = 0;
  uint64_t inode = 0;
  uint64_t device = 0;
  bool operator==(const FileStamp&) const = default;
};

FileStamp StatFile(const std::string& path) {
  FileStamp stamp;
  struct stat st = {};
  if (::stat(path.c_str(), &st) != 0) return stamp;
  stamp.exists = true;
  stamp.size = static_cast<uint64_t>(st.st_size);
  stamp.mtimeNs = static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
  stamp.ctimeNs = static_cast<int64_t>(st.st_ctim.tv_sec) * 1000000000 + st.st_ctim.tv_nsec;
  stamp.inode = static_cast<uint64_t>(st.st_ino);
  stamp.device = static_cast<uint64_t>(st.st_dev);
  return stamp;
}

bool ReadWholeFile(const std::string& path, std::string& out) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream buffer;
  buffer << in.rdbuf();
  if (in.bad()) return false;
  out = std::move(buffer).str();
  return true;
}

struct Target {
  int hive = -1;
  std::string path;
  bool usersRoot = false;  // HKEY_USERS itself, which has no hive of its own
};

std::string JoinPaths(std::string_view head, std::string_view tail) {
  if (head.empty()) return std::string(tail);
  if (tail.empty()) return std::string(head);
  return std::string(head) + '\\' + std::string(tail);
}

}  // namespace

struct WineRegistry::State {
  struct Slot {
    std::string file;
    bool loaded = false;
    FileStamp stamp;
    Hive hive;
  };

  std::string prefix;
  std::mutex mutex;
  std::array<Slot, kHiveCount> slots;

  explicit State(std::string root) : prefix(std::move(root)) {
    while (prefix.size() > 1 && prefix.back() == '/') prefix.pop_back();
    for (int i = 0; i < kHiveCount; ++i)
      slots[static_cast<size_t>(i)].file = prefix + "/" + kHiveFiles[static_cast<size_t>(i)];
  }

  // Hives whose file was checked during the current call: one check per call is enough.
  std::array<bool, kHiveCount> checked = {};

  // Runs one public call: with the mutex held, each hive file checked at most once, and a
  // failure to read or write a hive answered with failed.
  template <typename Result, typename Body>
  Result Call(Result failed, Body body) {
    try {
      std::lock_guard lock(mutex);
      checked.fill(false);
      return body();
    } catch (...) {
      return failed;
    }
  }

  // The hive as its file is now; parsed again only when the file changed.
  Hive& Load(int id) {
    Slot& slot = slots[static_cast<size_t>(id)];
    if (slot.loaded && checked[static_cast<size_t>(id)]) return slot.hive;
    checked[static_cast<size_t>(id)] = true;
    const FileStamp stamp = StatFile(slot.file);
    if (slot.loaded && stamp == slot.stamp) return slot.hive;
    std::string text;
    if (!stamp.exists || stamp.size == 0) {
      slot.hive = Hive();
    } else if (ReadWholeFile(slot.file, text)) {
      slot.hive = Hive(detail::ParseHive(text));
    } else {
      // Unreadable: nothing to show, and nothing we may write over.
      detail::HiveDocument unreadable;
      unreadable.complete = false;
      slot.hive = Hive(std::move(unreadable));
    }
    slot.stamp = stamp;
    slot.loaded = true;
    return slot.hive;
  }

  // The user's security identifier, from user.reg's header.
  std::string UserSid() {
    const std::vector<std::string> parts =
        detail::SplitKeyPath(Load(kUserHive).Document().relativeTo);
    for (size_t i = 0; i + 1 < parts.size(); ++i) {
      if (text::EqualsNoCase(parts[i], "User")) return parts[i + 1];
    }
    return std::string(kDefaultUserSid);
  }

  std::string RelativeTo(int id) {
    switch (id) {
      case kSystemHive:
        return "REGISTRY\\Machine";
      case kDefaultHive:
        return "REGISTRY\\User\\.Default";
      default:
        return "REGISTRY\\User\\" + UserSid();
    }
  }

  std::optional<Target> Map(RootKey root, const std::string& path) {
    const std::vector<std::string> parts = detail::SplitKeyPath(path);
    const std::string joined = detail::JoinKeyPath(parts);
    switch (root) {
      case RootKey::CurrentUser:
        return Target{kUserHive, joined};
      case RootKey::LocalMachine:
        return Target{kSystemHive, joined};
      case RootKey::ClassesRoot:
        return Target{kSystemHive, JoinPaths(kClassesRootPath, joined)};
      case RootKey::CurrentConfig:
        return Target{kSystemHive, JoinPaths(kCurrentConfigPath, joined)};
      case RootKey::Users:
        if (parts.empty()) return Target{-1, "", true};
        if (text::EqualsNoCase(parts[0], ".Default")) {
          return Target{kDefaultHive, detail::JoinKeyPath(parts, 1)};
        }
        if (text::EqualsNoCase(parts[0], UserSid())) {
          return Target{kUserHive, detail::JoinKeyPath(parts, 1)};
        }
        return std::nullopt;
      default:
        return std::nullopt;
    }
  }

  // A link target such as "\Registry\Machine\Software\Classes".
  std::optional<Target> MapAbsolute(std::string_view target) {
    const std::vector<std::string> parts = detail::SplitKeyPath(target);
    if (parts.size() < 2 || !text::EqualsNoCase(parts[0], "Registry")) return std::nullopt;
    if (text::EqualsNoCase(parts[1], "Machine")) {
      return Target{kSystemHive, detail::JoinKeyPath(parts, 2)};
    }
    if (!text::EqualsNoCase(parts[1], "User") || parts.size() < 3) return std::nullopt;
    if (text::EqualsNoCase(parts[2], ".Default")) {
      return Target{kDefaultHive, detail::JoinKeyPath(parts, 3)};
    }
    if (text::EqualsNoCase(parts[2], UserSid())) {
      return Target{kUserHive, detail::JoinKeyPath(parts, 3)};
    }
    return std::nullopt;
  }

  // Follows the symbolic link keys on the way (and at the end when `followLast`).
  std::optional<Target> Follow(Target t, bool followLast) {
    if (t.usersRoot) return t;
    for (int depth = 0; depth < kMaxLinkDepth; ++depth) {
      std::optional<std::string> linkTarget;
      size_t linkLength = 0;
      {
        const Hive& hive = Load(t.hive);
        if (hive.LinkPaths().empty()) return t;
        const std::string lower = text::ToLower(t.path);
        for (const std::string& link : hive.LinkPaths()) {
          const bool exact = lower == link;
          const bool inside = lower.size() > link.size() && text::StartsWith(lower, link) &&
                              lower[link.size()] == '\\' && !link.empty();
          if (!(inside || (exact && followLast))) continue;
          linkTarget = hive.LinkTarget(link);
          if (!linkTarget) continue;  // a link without a target is an ordinary key
          linkLength = link.size();
          break;
        }
      }
      if (!linkTarget) return t;
      std::optional<Target> mapped = MapAbsolute(*linkTarget);
      if (!mapped) return std::nullopt;
      std::string rest = t.path.substr(linkLength);
      if (!rest.empty() && rest[0] == '\\') rest.erase(0, 1);
      t = Target{mapped->hive, JoinPaths(mapped->path, rest)};
    }
    return std::nullopt;
  }

  std::optional<Target> Resolve(RootKey root, const std::string& path, bool followLast) {
    std::optional<Target> t = Map(root, path);
    if (!t) return std::nullopt;
    return Follow(*t, followLast);
  }

  // Whether the hive may be written now (leaving a running wineserver aside when asked).
  // Call after Load().
  RegStatus CheckWritable(int id, bool serverMatters = true) {
    const Slot& slot = slots[static_cast<size_t>(id)];
    if (!slot.hive.Complete()) return RegStatus::Failed;
    if (serverMatters && WineServerRunning(prefix)) return RegStatus::AccessDenied;
    struct stat st = {};
    if (::stat(prefix.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return RegStatus::Failed;
    if (::access(prefix.c_str(), W_OK | X_OK) != 0) return RegStatus::AccessDenied;
    if (slot.stamp.exists && ::access(slot.file.c_str(), W_OK) != 0) {
      return RegStatus::AccessDenied;
    }
    return RegStatus::Ok;
  }

  // The prefix's architecture as its existing hives state it; a new hive must agree, or Wine
  // refuses the prefix.
  std::string Arch() {
    for (int id : {kSystemHive, kUserHive, kDefaultHive}) {
      const std::string& preamble = Load(id).Document().preamble;
      const size_t at = preamble.find("\n#arch=");
      if (at == std::string::npos) continue;
      const size_t start = at + 7;
      const size_t end = preamble.find_first_of("\r\n", start);
      std::string arch = preamble.substr(start, end == std::string::npos ? end : end - start);
      if (arch == "win32" || arch == "win64") return arch;
    }
    return "win64";
  }

  // CheckWritable, and a header for a hive that does not exist yet.
  RegStatus PrepareWrite(int id) {
    const RegStatus writable = CheckWritable(id);
    if (writable != RegStatus::Ok) return writable;
    Hive& hive = slots[static_cast<size_t>(id)].hive;
    if (hive.Document().preamble.empty() && hive.Document().blocks.empty()) {
      const std::string preamble = detail::NewHivePreamble(RelativeTo(id), Arch());
      slots[static_cast<size_t>(id)].hive.SetPreambleIfEmpty(preamble);
    }
    return RegStatus::Ok;
  }

  // Changes a hive and writes it back; change answers whether it changed anything.
  template <typename Change>
  RegStatus Write(int id, Change change) {
    const RegStatus writable = PrepareWrite(id);
    if (writable != RegStatus::Ok) return writable;
    return change() ? Save(id) : RegStatus::Ok;
  }

  RegStatus Save(int id) {
    Slot& slot = slots[static_cast<size_t>(id)];
    // A hive that is a symbolic link is replaced where it points, keeping the link.
    std::string path = slot.file;
    char resolved[PATH_MAX];
    if (slot.stamp.exists && ::realpath(slot.file.c_str(), resolved)) path = resolved;
    const int error = detail::ReplaceFileAtomically(path, slot.hive.Text());
    if (error != 0) {
      // Our copy now differs from the file: read it again next time.
      slot.loaded = false;
      return error == EACCES || error == EPERM || error == EROFS ? RegStatus::AccessDenied
                                                                 : RegStatus::Failed;
    }
    slot.stamp = StatFile(slot.file);
    return RegStatus::Ok;
  }
};

WineRegistry::WineRegistry(std::string prefixRoot)
    : state_(std::make_unique<State>(std::move(prefixRoot))) {}

WineRegistry::~WineRegistry() = default;

const std::string& WineRegistry::PrefixRoot() const {
  return state_->prefix;
}

RegStatus WineRegistry::OpenKey(RootKey root, const std::string& path, uint32_t access) {
  return state_->Call<RegStatus>(RegStatus::Failed, [&]() -> RegStatus {
    std::optional<Target> t = state_->Resolve(root, path, true);
    if (!t) return RegStatus::NotFound;
    if (t->usersRoot) return access & kWriteAccess ? RegStatus::AccessDenied : RegStatus::Ok;
    if (!state_->Load(t->hive).KeyExists(t->path)) return RegStatus::NotFound;
    if (access & kWriteAccess) return state_->CheckWritable(t->hive);
    return RegStatus::Ok;
  });
}

bool WineRegistry::WritesHeldByRunningSystem(RootKey root, const std::string& path) {
  return state_->Call<bool>(false, [&] {
    std::optional<Target> t = state_->Map(root, path);
    if (!t || t->usersRoot || !WineServerRunning(state_->prefix)) return false;
    state_->Load(t->hive);
    return state_->CheckWritable(t->hive, false) == RegStatus::Ok;
  });
}

RegStatus WineRegistry::CreateKey(RootKey root, const std::string& path) {
  return state_->Call<RegStatus>(RegStatus::Failed, [&]() -> RegStatus {
    std::optional<Target> t = state_->Map(root, path);
    // Hives cannot be made under HKEY_USERS.
    if (!t) return root == RootKey::Users ? RegStatus::AccessDenied : RegStatus::NotFound;
    t = state_->Follow(*t, true);
    if (!t) return RegStatus::NotFound;
    if (t->usersRoot) return RegStatus::Ok;
    Hive& hive = state_->Load(t->hive);
    if (hive.KeyExists(t->path)) return RegStatus::Ok;
    return state_->Write(t->hive, [&] { return hive.CreateKey(t->path, detail::HiveTimeNow()); });
  });
}

std::optional<RegValue> WineRegistry::QueryValue(RootKey root, const std::string& path,
                                                 const std::string& name) {
  return state_->Call<std::optional<RegValue>>(std::nullopt, [&]() -> std::optional<RegValue> {
    std::optional<Target> t = state_->Resolve(root, path, true);
    if (!t || t->usersRoot) return std::nullopt;
    return state_->Load(t->hive).Query(t->path, name);
  });
}

RegStatus WineRegistry::SetValue(RootKey root, const std::string& path, const std::string& name,
                                 const RegValue& value) {
  return state_->Call<RegStatus>(RegStatus::Failed, [&]() -> RegStatus {
    std::optional<Target> t = state_->Resolve(root, path, true);
    if (!t) return RegStatus::NotFound;
    if (t->usersRoot) return RegStatus::AccessDenied;
    Hive& hive = state_->Load(t->hive);
    if (!hive.KeyExists(t->path)) return RegStatus::NotFound;
    return state_->Write(
        t->hive, [&] { return hive.SetValue(t->path, name, value, detail::HiveTimeNow()); });
  });
}

RegStatus WineRegistry::DeleteValue(RootKey root, const std::string& path,
                                    const std::string& name) {
  return state_->Call<RegStatus>(RegStatus::Failed, [&]() -> RegStatus {
    std::optional<Target> t = state_->Resolve(root, path, true);
    if (!t || t->usersRoot) return RegStatus::NotFound;
    Hive& hive = state_->Load(t->hive);
    if (!hive.Query(t->path, name)) return RegStatus::NotFound;
    return state_->Write(t->hive,
                         [&] { return hive.DeleteValue(t->path, name, detail::HiveTimeNow()); });
  });
}

RegStatus WineRegistry::DeleteKeyTree(RootKey root, const std::string& path) {
  return state_->Call<RegStatus>(RegStatus::Failed, [&]() -> RegStatus {
    // A predefined root or a whole hive is never deleted.
    if (detail::SplitKeyPath(path).empty()) return RegStatus::AccessDenied;
    // The key itself is deleted even when it is a link; links on the way are followed.
    std::optional<Target> t = state_->Resolve(root, path, false);
    if (!t) return RegStatus::NotFound;
    if (t->usersRoot || t->path.empty()) return RegStatus::AccessDenied;
    Hive& hive = state_->Load(t->hive);
    if (!hive.KeyExists(t->path)) return RegStatus::NotFound;
    return state_->Write(t->hive, [&] { return hive.DeleteTree(t->path, detail::HiveTimeNow()); });
  });
}

std::optional<std::vector<std::string>> WineRegistry::EnumValues(RootKey root,
                                                                 const std::string& path) {
  return state_->Call<std::optional<std::vector<std::string>>>(
      std::nullopt, [&]() -> std::optional<std::vector<std::string>> {
        std::optional<Target> t = state_->Resolve(root, path, true);
        if (!t) return std::nullopt;
        if (t->usersRoot) return std::vector<std::string>{};
        return state_->Load(t->hive).ValueNames(t->path);
      });
}

std::optional<std::vector<std::string>> WineRegistry::EnumKeys(RootKey root,
                                                               const std::string& path) {
  return state_->Call<std::optional<std::vector<std::string>>>(
      std::nullopt, [&]() -> std::optional<std::vector<std::string>> {
        std::optional<Target> t = state_->Resolve(root, path, true);
        if (!t) return std::nullopt;
        if (t->usersRoot) return std::vector<std::string>{".Default", state_->UserSid()};
        return state_->Load(t->hive).SubkeyNames(t->path);
      });
}

}  // namespace quill::platform::posix

namespace quill::platform::posix {

std::vector<std::string> WineRegistry::UnreadableParts() {
  return state_->Call<std::vector<std::string>>({}, [&] {
    std::vector<std::string> parts;
    for (int id = 0; id < kHiveCount; ++id)
      if (!state_->Load(id).Complete()) parts.emplace_back(kHiveRoots[static_cast<size_t>(id)]);
    return parts;
  });
}

}  // namespace quill::platform::posix
