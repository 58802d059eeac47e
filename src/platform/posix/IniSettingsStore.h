#pragma once

#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "platform/System.h"

namespace quill::platform::posix {

/// Per-user settings in INI files, one "<application>.ini" per application in one folder,
/// with "[Section]" and "key=value" lines. Sections and keys are matched without regard to
/// case; CR, LF, backslash (and in names '=', '[', ']') are written as escapes so that every
/// string reads back exactly. Reads are served from a parsed copy that is refreshed only when
/// the file changes on disk.
class IniSettingsStore : public platform::SettingsStore {
 public:
  /// folder: native folder of the files; created on the first save.
  explicit IniSettingsStore(std::string folder);

  std::string Get(const std::string& app, const std::string& section, const std::string& key,
                  const std::string& defaultValue) override;
  /// Changes or adds the one line and rewrites the file atomically; every other line stays.
  bool Save(const std::string& app, const std::string& section, const std::string& key,
            const std::string& value) override;

  /// The file that holds an application's settings (an existing file whose name differs
  /// only in case counts as the same).
  std::string FileFor(const std::string& app) const;

 private:
  std::string PlainFileFor(const std::string& app) const;
  struct FileStamp {
    bool exists = false;
    uint64_t device = 0, inode = 0, size = 0;
    int64_t mtimeNs = 0;
    bool operator==(const FileStamp&) const = default;
  };
  struct Parsed {
    bool loaded = false;
    FileStamp stamp;
    /// Lower-cased "section\nkey" -> value (first occurrence wins).
    std::map<std::string, std::string> values;
  };

  const Parsed& Load(const std::string& app);

  std::string folder_;
  std::mutex mutex_;
  std::map<std::string, Parsed> cache_;
};

/// Escaping used for values ("\\", "\r", "\n", "\xHH" for other control characters).
std::string IniEscape(const std::string& raw, bool isName);
/// Reverses IniEscape; an unknown escape is kept as written (hand-edited Windows paths).
std::string IniUnescape(const std::string& written);

}  // namespace quill::platform::posix
