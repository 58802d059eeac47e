#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "definitions/DefinitionFiles.h"
#include "definitions/DefinitionFormats.h"
#include "definitions/PathTokens.h"
#include "platform/FileSystem.h"

namespace quill {

/// The date shown when no definition date has been installed yet.
inline constexpr const char* kDefaultDefinitionDate = "3/16/2006 12:00:00 AM";

/// One row of a definition table, as the scanners read it. The views stay valid as long as
/// the table lives.
struct DefinitionRow {
  std::string_view folder;  // FileTable: folder ("" or ending "\"); DirectoryTable: folder path
  std::string_view name;    // FileTable: file name; DirectoryTable: label
  std::string_view type;
  std::string_view threatName;
};

/// Text of the table rows, kept in fixed blocks: growing never moves what is stored, and a
/// hundred thousand rows cost their bytes and little more.
class TextArena {
 public:
  struct Ref {
    uint32_t block = 0, offset = 0, length = 0;
  };
  /// Room for length contiguous bytes, to be filled through Data() (when not empty).
  Ref Allocate(size_t length);
  char* Data(Ref ref) { return blocks_[ref.block].get() + ref.offset; }
  std::string_view View(Ref ref) const {
    if (ref.length == 0) return {};
    return {blocks_[ref.block].get() + ref.offset, ref.length};
  }
  Ref Store(std::string_view text);

 private:
  static constexpr size_t kBlockSize = 1 << 20;
  std::vector<std::unique_ptr<char[]>> blocks_;
  uint32_t current_ = 0;  // the block small texts go to
  size_t used_ = kBlockSize;
};

/// Rows of equal key chained in row order behind a compact open-addressing table, so a
/// lookup visits only the rows that can match, in the order a linear search would. Key
/// texts live in the table's arena.
class RowKeyIndex {
 public:
  static constexpr uint32_t kNone = 0xFFFFFFFFu;
  explicit RowKeyIndex(const TextArena& arena) : arena_(arena) {}
  /// Prepares for about this many rows.
  void Reserve(size_t rows);
  /// Rows must be added in increasing order.
  void Add(TextArena::Ref key, uint32_t row);
  /// First row with this key, or kNone.
  uint32_t First(std::string_view key) const;
  /// The next row with the same key as row, or kNone.
  uint32_t Next(uint32_t row) const { return row < next_.size() ? next_[row] : kNone; }

 private:
  struct Key {
    TextArena::Ref text;
    uint32_t first, last;
    uint32_t hash;
  };
  static uint32_t Hash(std::string_view key);
  size_t FindSlot(std::string_view key, uint32_t hash) const;
  void Grow(size_t minimumSlots);

  const TextArena& arena_;
  std::vector<Key> keys_;
  struct Slot {
    uint32_t key = 0;  // index into keys_ + 1; 0 = empty
    uint32_t hash = 0;
  };
  std::vector<Slot> slots_;
  std::vector<uint32_t> next_;  // per row
};

/// A definition table: rows at consecutive indices in file order, at most kCapacity rows.
class DefinitionTable {
 public:
  static constexpr size_t kCapacity = 100001;

  DefinitionTable() = default;
  // The key indexes point into the table's own arena.
  DefinitionTable(const DefinitionTable&) = delete;
  DefinitionTable& operator=(const DefinitionTable&) = delete;

  size_t Size() const { return rows_.size(); }
  DefinitionRow Row(size_t index) const;
  /// The first row whose compared text is blank: the walk treats it as the end of the
  /// table. Size() when there is none.
  size_t FirstEmptyRow() const { return firstEmpty_ < rows_.size() ? firstEmpty_ : rows_.size(); }
  /// Prepares room for about this many rows (never more than the capacity).
  virtual void Reserve(size_t rows);
  virtual ~DefinitionTable() = default;

 protected:
  struct Stored {
    TextArena::Ref text;  // folder, name, type and threat name one after the other
    uint32_t folderLength, nameLength, typeLength;
  };
  /// Stores a row at the next index; empty optional (not stored) beyond the capacity.
  std::optional<Stored> Store(std::string_view folder, std::string_view name, std::string_view type,
                              std::string_view threatName, bool comparedTextBlank);

  TextArena arena_;
  std::vector<Stored> rows_;
  size_t firstEmpty_ = SIZE_MAX;
};

/// File definitions: lower-case folder ("[drive]" kept, ends with "\" or is empty),
/// lower-case file name, type and threat name.
class FileTable : public DefinitionTable {
 public:
  /// Appends a row exactly as given (the loader lower-cases folder and name first).
  bool Add(std::string_view folder, std::string_view fileName, std::string_view type,
           std::string_view threatName);
  /// Rows whose file name, trimmed, equals name (trimmed, lower case), in file order and
  /// before FirstEmptyRow(): exactly the rows a linear walk would find by name.
  void RowsNamed(std::string_view name, std::vector<uint32_t>& out) const;
  void Reserve(size_t rows) override;

 private:
  RowKeyIndex byName_{arena_};
};

/// Folder definitions: lower-case folder path ("[drive]" kept, no trailing "\"), the
/// lower-case label, type and threat name.
class DirectoryTable : public DefinitionTable {
 public:
  bool Add(std::string_view folderPath, std::string_view label, std::string_view type,
           std::string_view threatName);
  /// The text the walk compares with a met folder: the stored folder path with "[drive]"
  /// replaced by the met drive (such as "c:"), lower-cased, trimmed, and without one
  /// trailing "\" when longer than one character. Empty means the end of the table.
  static std::string ComparedFolderPath(std::string_view storedFolderPath, std::string_view drive);
  /// Rows whose compared folder path may equal folder (a met folder in lower case without
  /// its trailing "\"), in file order and before FirstEmptyRow(). Every row of the linear
  /// search whose ComparedFolderPath equals folder is among them; the caller still compares.
  void RowsForFolder(std::string_view folder, std::vector<uint32_t>& out) const;

 private:
  RowKeyIndex byPath_{arena_};       // rows without "[drive]", by their compared text
  RowKeyIndex byDriveRest_{arena_};  // rows starting with "[drive]", by the text after it
  std::vector<uint32_t> irregular_;  // "[drive]" somewhere else: always candidates
};

/// The protected locations from "Safety.dat" and the whole-path test against them.
class ProtectedLocations {
 public:
  /// Replaces the list (in file order; the last element is the empty text).
  void Assign(std::vector<std::string> entries);
  const std::vector<std::string>& Entries() const { return entries_; }
  /// True when path is one of the protected locations (whole path only, not below it).
  /// Letter case, the drive letter and one trailing separator do not count. Empty paths
  /// and the bare registry root names are always protected.
  bool IsProtected(std::string_view path) const;

 private:
  struct Hash {
    using is_transparent = void;
    size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
  };
  std::vector<std::string> entries_;
  std::unordered_set<std::string, Hash, std::equal_to<>> normalised_;
};

/// Line counts of the definition files, for progress and the Home page.
struct DefinitionCounts {
  int64_t cookies = 0;
  int64_t executables = 0;
  int64_t registry = 0;
  int64_t filesAndFolders = 0;  // file lines plus folder lines
  int64_t total = 0;
};

/// What the loaders need from the window that runs them.
struct DefinitionHooks {
  /// Let window events run (called after every line; keep it cheap).
  std::function<void()> yield;
  /// The user pressed Stop.
  std::function<bool()> stopRequested;
  /// Table load starts: disable Pause and Stop, show "Loading definitions, please wait...".
  std::function<void()> loadBegin;
  /// Table load finished: enable Pause and Stop again. Not called when the load was
  /// stopped: the scan page resets its buttons itself then.
  std::function<void()> loadEnd;
};

/// The definition files of the data folder and what is loaded from them: the file and
/// folder tables (filled once per object, which lives as long as the process), the
/// protected locations and the line counts.
class DefinitionSet {
 public:
  /// dataFolder is a Windows path without a trailing backslash.
  DefinitionSet(platform::FileSystem& fs, std::string dataFolder, PathTokens& tokens,
                DefinitionHooks hooks = {});

  const std::string& DataFolder() const { return dataFolder_; }
  /// dataFolder + "\" + name.
  std::string DataFile(std::string_view name) const;

  /// Reads "Safety.dat" into the protected list (an absent file gives an empty list).
  /// Stops early, keeping what was read, when the user stops the scan.
  bool LoadProtectedList();
  bool IsProtected(std::string_view path) const { return protected_.IsProtected(path); }
  const std::vector<std::string>& ProtectedList() const { return protected_.Entries(); }

  /// Fills FileTable and DirectoryTable from "FileDefinition.dat" and
  /// "DirectoryDefinition.dat". Only the first call loads; later calls return at once, even
  /// when the first was stopped or stored nothing. Returns the names of those files that
  /// are there but could not be read (their table stays empty), the same on every call.
  const std::vector<std::string>& LoadDefinitionSet();
  bool TablesCreated() const { return tablesCreated_; }
  const quill::FileTable& FileTable() const { return fileTable_; }
  const quill::DirectoryTable& DirectoryTable() const { return directoryTable_; }

  /// Counts the lines of the five definition files (without decoding them); returns the
  /// total and keeps the per-file counts.
  int64_t CountDefinitions();
  const DefinitionCounts& Counts() const { return counts_; }

  /// True when all five definition files exist. Otherwise calls showMissingFiles (which
  /// shows "MSG_MISSINGFILES" on the Home page), deletes the five files and "date.dat",
  /// and returns false.
  bool DefinitionsPresent(const std::function<void()>& showMissingFiles);

  /// The first line of "date.dat", or kDefaultDefinitionDate when there is none.
  std::string ReadDefinitionDate();
  /// Replaces "date.dat" with the text as one line.
  bool WriteDefinitionDate(const std::string& text);

 private:
  bool Stopped() const { return hooks_.stopRequested && hooks_.stopRequested(); }
  void Yield() const {
    if (hooks_.yield) hooks_.yield();
  }
  // A file that is there but cannot be read is added to unreadable, when given.
  std::vector<std::string> ReadLines(const char* name,
                                     std::vector<std::string>* unreadable = nullptr);
  // False when the user stopped the load.
  bool LoadFileLines(LocationExpander& expander, InheritedType& type);
  bool LoadDirectoryLines(LocationExpander& expander, InheritedType& type);

  platform::FileSystem& fs_;
  std::string dataFolder_;
  PathTokens& tokens_;
  DefinitionHooks hooks_;

  bool tablesCreated_ = false;
  std::vector<std::string> unreadableTables_;
  quill::FileTable fileTable_;
  quill::DirectoryTable directoryTable_;
  ProtectedLocations protected_;
  DefinitionCounts counts_;
};

}  // namespace quill
