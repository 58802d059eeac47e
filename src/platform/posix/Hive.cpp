#include "platform/posix/Hive.h"

#include <algorithm>
#include <unordered_set>
#include <utility>

#include "base/Text.h"

namespace quill::platform::posix::detail {

namespace {

constexpr std::string_view kLinkValueName = "SymbolicLinkValue";

// Sort key that orders paths the way Wine saves keys: component by component, a parent
// before its subkeys.
std::string OrderKey(std::string_view lowerPath) {
  std::string key(lowerPath);
  std::replace(key.begin(), key.end(), '\\', '\x01');
  return key;
}

void EnsureLineEnd(std::string& text) {
  if (!text.empty() && text.back() != '\n') text += '\n';
}

bool IsBlankLine(const std::string& raw) {
  return raw == "\n" || raw == "\r\n";
}

}  // namespace

Hive::Hive() {
  Reindex();
}

Hive::Hive(HiveDocument doc) : doc_(std::move(doc)) {
  Reindex();
}

void Hive::Reindex() {
  index_.clear();
  links_.clear();
  index_.emplace(std::string(), Node{});
  for (size_t i = 0; i < doc_.blocks.size(); ++i) {
    const HiveBlock& block = doc_.blocks[i];
    const std::string& lp = block.lowerPath;
    if (!lp.empty() && index_.find(lp) == index_.end()) {
      // Register the key and every missing ancestor, parents first.
      std::string parent;
      size_t start = 0;
      while (start <= lp.size()) {
        size_t end = lp.find('\\', start);
        if (end == std::string::npos) end = lp.size();
        std::string sub = lp.substr(0, end);
        auto [it, inserted] = index_.try_emplace(sub);
        if (inserted) {
          it->second.name = block.path.substr(start, end - start);
          index_[parent].children.push_back(sub);
        }
        parent = std::move(sub);
        start = end + 1;
      }
    }
    Node& node = index_[lp];
    node.blocks.push_back(i);
    if (block.isLink && !node.isLink) {
      node.isLink = true;
      links_.push_back(lp);
    }
  }
}

const Hive::Node* Hive::Find(std::string_view path) const {
  auto it = index_.find(text::ToLower(path));
  return it == index_.end() ? nullptr : &it->second;
}

bool Hive::KeyExists(std::string_view path) const {
  return Find(path) != nullptr;
}

std::optional<RegValue> Hive::Query(std::string_view path, std::string_view name) const {
  const Node* node = Find(path);
  if (!node) return std::nullopt;
  // The last occurrence wins, as when Wine loads the file.
  for (auto b = node->blocks.rbegin(); b != node->blocks.rend(); ++b) {
    const HiveBlock& block = doc_.blocks[*b];
    for (auto l = block.lines.rbegin(); l != block.lines.rend(); ++l) {
      if (l->kind == HiveLine::Kind::Value && text::EqualsNoCase(l->name, name)) return l->value;
    }
  }
  return std::nullopt;
}

std::optional<std::vector<std::string>> Hive::ValueNames(std::string_view path) const {
  const Node* node = Find(path);
  if (!node) return std::nullopt;
  std::vector<std::string> names;
  std::unordered_set<std::string> seen;
  for (size_t b : node->blocks) {
    for (const HiveLine& line : doc_.blocks[b].lines) {
      if (line.kind != HiveLine::Kind::Value) continue;
      if (seen.insert(text::ToLower(line.name)).second) names.push_back(line.name);
    }
  }
  return names;
}

std::optional<std::vector<std::string>> Hive::SubkeyNames(std::string_view path) const {
  const Node* node = Find(path);
  if (!node) return std::nullopt;
  std::vector<std::string> names;
  names.reserve(node->children.size());
  for (const std::string& child : node->children) names.push_back(index_.at(child).name);
  return names;
}

std::optional<std::string> Hive::LinkTarget(std::string_view path) const {
  const Node* node = Find(path);
  if (!node || !node->isLink) return std::nullopt;
  std::optional<RegValue> value = Query(path, kLinkValueName);
  if (!value || value->type != static_cast<uint32_t>(RegType::Link)) return std::nullopt;
  return value->data;
}

void Hive::SetPreambleIfEmpty(const std::string& preamble) {
  if (doc_.preamble.empty() && doc_.blocks.empty()) doc_.preamble = preamble;
}

void Hive::Touch(HiveBlock& block, const HiveTime& now) {
  std::string& keyLine = block.lines[0].raw;
  keyLine = keyLine.substr(0, block.keyTextLength) + FormatKeyStamp(now);
  for (HiveLine& line : block.lines) {
    if (line.kind == HiveLine::Kind::Meta && text::StartsWith(line.raw, "#time=")) {
      line.raw = FormatTimeLine(now);
    }
  }
}

size_t Hive::InsertBlock(const std::string& path, const HiveTime& now) {
  HiveBlock block;
  block.path = path;
  block.lowerPath = text::ToLower(path);
  const std::string keyText = FormatKeyText(path);
  block.keyTextLength = keyText.size();
  block.lines.push_back({HiveLine::Kind::Key, keyText + FormatKeyStamp(now), {}, {}});
  block.lines.push_back({HiveLine::Kind::Meta, FormatTimeLine(now), {}, {}});

  const std::string order = OrderKey(block.lowerPath);
  size_t pos = 0;
  while (pos < doc_.blocks.size() && OrderKey(doc_.blocks[pos].lowerPath) <= order) ++pos;

  if (pos < doc_.blocks.size()) {
    // In the middle: the blank line that separates blocks comes with the new block.
    block.lines.push_back({HiveLine::Kind::Other, "\n", {}, {}});
    if (pos > 0) EnsureLineEnd(doc_.blocks[pos - 1].lines.back().raw);
  } else if (doc_.blocks.empty()) {
    EnsureLineEnd(doc_.preamble);
    if (!text::EndsWith(doc_.preamble, "\n\n") && !text::EndsWith(doc_.preamble, "\n\r\n")) {
      doc_.preamble += '\n';
    }
  } else {
    // At the end: the block before needs its line end and a blank line after it.
    std::vector<HiveLine>& before = doc_.blocks.back().lines;
    EnsureLineEnd(before.back().raw);
    if (!IsBlankLine(before.back().raw)) before.push_back({HiveLine::Kind::Other, "\n", {}, {}});
  }
  doc_.blocks.insert(doc_.blocks.begin() + static_cast<std::ptrdiff_t>(pos), std::move(block));
  return pos;
}

bool Hive::CreateKey(std::string_view path, const HiveTime& now) {
  if (KeyExists(path)) return false;
  // Existing ancestors keep their stored spelling; the new components take the caller's.
  const std::vector<std::string> parts = SplitKeyPath(path);
  std::vector<std::string> spelled;
  std::string lower;
  for (const std::string& part : parts) {
    if (!lower.empty()) lower += '\\';
    lower += text::ToLower(part);
    const Node* node = Find(lower);
    spelled.push_back(node ? node->name : part);
  }
  InsertBlock(JoinKeyPath(spelled), now);
  Reindex();
  return true;
}

bool Hive::SetValue(std::string_view path, std::string_view name, const RegValue& given,
                    const HiveTime& now) {
  // Kept as the file will give it back, so a read before and after a reload agree.
  const RegValue value = StoredValue(given);
  const Node* node = Find(path);
  if (!node) return false;
  for (auto b = node->blocks.rbegin(); b != node->blocks.rend(); ++b) {
    HiveBlock& block = doc_.blocks[*b];
    for (auto l = block.lines.rbegin(); l != block.lines.rend(); ++l) {
      if (l->kind != HiveLine::Kind::Value || !text::EqualsNoCase(l->name, name)) continue;
      if (l->value.type == value.type && l->value.data == value.data) return false;
      l->raw = FormatValueLine(l->name, value);
      l->value = value;
      Touch(block, now);
      return true;
    }
  }
  size_t blockIndex = 0;
  if (node->blocks.empty()) {
    // A key Wine kept implicit (it only had subkeys) gets a block of its own.
    std::vector<std::string> spelled;
    std::string lower;
    for (const std::string& part : SplitKeyPath(path)) {
      if (!lower.empty()) lower += '\\';
      lower += text::ToLower(part);
      spelled.push_back(index_.at(lower).name);
    }
    blockIndex = InsertBlock(JoinKeyPath(spelled), now);
  } else {
    blockIndex = node->blocks.back();
  }
  HiveBlock& block = doc_.blocks[blockIndex];
  size_t pos = block.lines.size();
  while (pos > 1 && block.lines[pos - 1].kind == HiveLine::Kind::Other) --pos;
  EnsureLineEnd(block.lines[pos - 1].raw);
  HiveLine line{HiveLine::Kind::Value, FormatValueLine(name, value), std::string(name), value};
  block.lines.insert(block.lines.begin() + static_cast<std::ptrdiff_t>(pos), std::move(line));
  Touch(block, now);
  Reindex();
  return true;
}

bool Hive::DeleteValue(std::string_view path, std::string_view name, const HiveTime& now) {
  const Node* node = Find(path);
  if (!node) return false;
  bool changed = false;
  for (size_t b : node->blocks) {
    HiveBlock& block = doc_.blocks[b];
    const size_t before = block.lines.size();
    std::erase_if(block.lines, [&](const HiveLine& line) {
      return line.kind == HiveLine::Kind::Value && text::EqualsNoCase(line.name, name);
    });
    if (block.lines.size() != before) {
      Touch(block, now);
      changed = true;
    }
  }
  return changed;
}

bool Hive::DeleteTree(std::string_view path, const HiveTime& now) {
  const std::string lp = text::ToLower(path);
  if (lp.empty() || !KeyExists(lp)) return false;
  const size_t cut = lp.rfind('\\');
  const std::string parentLower = cut == std::string::npos ? std::string() : lp.substr(0, cut);
  // The parent's stored spelling, in case it must be written out explicitly below.
  std::vector<std::string> parentSpelled;
  std::string lower;
  for (const std::string& part : SplitKeyPath(parentLower)) {
    if (!lower.empty()) lower += '\\';
    lower += part;
    parentSpelled.push_back(index_.at(lower).name);
  }
  const std::string prefix = lp + '\\';
  const size_t before = doc_.blocks.size();
  std::erase_if(doc_.blocks, [&](const HiveBlock& block) {
    return block.lowerPath == lp || text::StartsWith(block.lowerPath, prefix);
  });
  const bool changed = doc_.blocks.size() != before;
  Reindex();
  // A parent that existed only through this subtree must stay: Wine drops keys that have
  // neither values nor subkeys only when no block names them.
  if (!parentLower.empty() && !KeyExists(parentLower)) {
    InsertBlock(JoinKeyPath(parentSpelled), now);
    Reindex();
  }
  return changed;
}

}  // namespace quill::platform::posix::detail
