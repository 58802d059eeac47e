#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/Registry.h"
#include "platform/posix/HiveFile.h"

namespace quill::platform::posix::detail {

/// One hive in memory: the parsed document plus an index of every key by its lower-cased
/// path. Keys that Wine leaves implicit (no block of their own, only subkeys) exist too.
/// Paths are backslash-separated and compared without regard to case.
class Hive {
 public:
  Hive();
  explicit Hive(HiveDocument doc);

  const HiveDocument& Document() const { return doc_; }
  /// Whether every line was understood (only such a hive may be written back).
  bool Complete() const { return doc_.complete; }
  /// The document's text.
  std::string Text() const { return SerializeHive(doc_); }

  bool KeyExists(std::string_view path) const;
  std::optional<RegValue> Query(std::string_view path, std::string_view name) const;
  std::optional<std::vector<std::string>> ValueNames(std::string_view path) const;
  std::optional<std::vector<std::string>> SubkeyNames(std::string_view path) const;

  /// Lower-cased paths of the symbolic link keys.
  const std::vector<std::string>& LinkPaths() const { return links_; }
  /// A link key's target ("\Registry\Machine\..."), when it has one.
  std::optional<std::string> LinkTarget(std::string_view path) const;

  /// Edits. Each returns whether the document changed; the caller checks that the key
  /// exists (or not) first. `preamble` is used when the hive is still empty.
  bool CreateKey(std::string_view path, const HiveTime& now);
  bool SetValue(std::string_view path, std::string_view name, const RegValue& value,
                const HiveTime& now);
  bool DeleteValue(std::string_view path, std::string_view name, const HiveTime& now);
  bool DeleteTree(std::string_view path, const HiveTime& now);

  /// Gives an empty (new) hive its header.
  void SetPreambleIfEmpty(const std::string& preamble);

 private:
  struct Node {
    std::string name;
    std::vector<size_t> blocks;
    std::vector<std::string> children;  // lower-cased paths, in stored order
    bool isLink = false;
  };

  void Reindex();
  const Node* Find(std::string_view path) const;
  /// Inserts a new block for `path` where Wine's sorted order puts it; returns its index.
  size_t InsertBlock(const std::string& path, const HiveTime& now);
  void Touch(HiveBlock& block, const HiveTime& now);

  HiveDocument doc_;
  std::unordered_map<std::string, Node> index_;
  std::vector<std::string> links_;
};

}  // namespace quill::platform::posix::detail
