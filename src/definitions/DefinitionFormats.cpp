#include "definitions/DefinitionFormats.h"

#include <vector>

#include "base/Text.h"

namespace quill {
namespace {

constexpr std::string_view kDriveToken = "[drive]";

// Field 1 of a name=threat record: the name (trimmed) and the threat name, which runs from
// the first "=" to the second one or to the end.
void SplitNameAndThreat(std::string_view field, std::string& name, std::string& threat) {
  const size_t eq = field.find('=');
  if (eq == std::string_view::npos) {
    name = text::Trim(field);
    threat.clear();
    return;
  }
  name = text::Trim(field.substr(0, eq));
  const size_t next = field.find('=', eq + 1);
  threat = std::string(field.substr(
      eq + 1, next == std::string_view::npos ? std::string_view::npos : next - eq - 1));
}

// The three "|" fields shared by file and folder definitions.
struct ThreeFields {
  std::string_view first;
  std::string_view location;
  std::optional<std::string_view> type;
  bool hasBar = false;
};

ThreeFields CutFields(std::string_view line) {
  ThreeFields f;
  const size_t bar1 = line.find('|');
  if (bar1 == std::string_view::npos) {
    f.first = line;
    return f;
  }
  f.hasBar = true;
  f.first = line.substr(0, bar1);
  const size_t bar2 = line.find('|', bar1 + 1);
  if (bar2 == std::string_view::npos) {
    f.location = line.substr(bar1 + 1);
    return f;
  }
  f.location = line.substr(bar1 + 1, bar2 - bar1 - 1);
  const size_t bar3 = line.find('|', bar2 + 1);
  f.type = line.substr(bar2 + 1,
                       bar3 == std::string_view::npos ? std::string_view::npos : bar3 - bar2 - 1);
  return f;
}

bool IsBlank(std::string_view s) {
  return s.find_first_not_of(' ') == std::string_view::npos;
}

}  // namespace

std::string CollapseBackslashes(std::string_view text) {
  if (text.find("\\\\") == std::string_view::npos) return std::string(text);
  return text::ReplaceAll(text, "\\\\", "\\");
}

const std::optional<std::string>& LocationExpander::Segment(std::string_view word) {
  if (auto it = cache_.find(word); it != cache_.end()) return it->second;
  std::string expanded = tokens_.ExpandPathTokens(std::string(word));
  std::optional<std::string> value;
  // A word that expands to text with brackets could join its neighbours into a new token;
  // such words go through the whole table instead.
  if (expanded == word || expanded.find_first_of("[]") == std::string::npos)
    value = std::move(expanded);
  return cache_.emplace(std::string(word), std::move(value)).first->second;
}

std::string LocationExpander::ExpandTokens(std::string_view text) {
  if (text.find('[') == std::string_view::npos) return std::string(text);
  // Every token is a bracketed word. When the brackets are paired and not nested, each word
  // can be expanded on its own and the result is the same as running the whole table.
  std::string out;
  out.reserve(text.size() + 64);
  size_t pos = 0;
  while (pos < text.size()) {
    const size_t open = text.find_first_of("[]", pos);
    if (open == std::string_view::npos) {
      out.append(text.substr(pos));
      break;
    }
    const size_t close =
        text[open] == '[' ? text.find_first_of("[]", open + 1) : std::string_view::npos;
    if (close == std::string_view::npos || text[close] != ']')
      return tokens_.ExpandPathTokens(std::string(text));
    const std::optional<std::string>& word = Segment(text.substr(open, close - open + 1));
    if (!word) return tokens_.ExpandPathTokens(std::string(text));
    out.append(text.substr(pos, open - pos));
    out.append(*word);
    pos = close + 1;
  }
  return out;
}

std::string LocationExpander::ExpandLocation(std::string_view location,
                                             std::string_view driveRoot) {
  if (location.empty()) return {};
  std::string expanded;
  if (!driveRoot.empty() && location.find(kDriveToken) != std::string_view::npos)
    expanded = ExpandTokens(text::ReplaceAll(location, kDriveToken, driveRoot));
  else
    expanded = ExpandTokens(location);
  return CollapseBackslashes(expanded);
}

std::optional<FileDefinition> ParseFileDefinition(std::string_view line, TypeWord typeWord) {
  const ThreeFields f = CutFields(line);
  FileDefinition def;
  SplitNameAndThreat(f.first, def.fileName, def.threatName);
  // Nothing to look for: storing such a row would also end the table early for the walk.
  if (def.fileName.empty()) return std::nullopt;
  def.hasLocationField = f.hasBar;
  def.location = std::string(f.location);
  if (f.type) {
    def.type = std::string(*f.type);
    if (typeWord == TypeWord::TypeMeansSpyware && *def.type == "TYPE") def.type = "Spyware";
  }
  return def;
}

std::optional<FolderDefinition> ParseFolderDefinition(std::string_view line) {
  if (IsBlank(line)) return std::nullopt;
  const ThreeFields f = CutFields(line);
  FolderDefinition def;
  SplitNameAndThreat(f.first, def.label, def.threatName);
  def.hasLocationField = f.hasBar;
  def.location = std::string(f.location);
  if (f.type) def.type = std::string(*f.type);
  return def;
}

std::optional<RegistryDefinition> ParseRegistryDefinition(std::string_view line,
                                                          LocationExpander& expander,
                                                          std::string_view driveRoot) {
  // The split is at the last "=": a value name may itself contain "=".
  const size_t eq = line.rfind('=');
  if (eq == std::string_view::npos) return std::nullopt;

  RegistryDefinition def;
  def.name = text::Trim(line.substr(eq + 1));
  const size_t bar = def.name.find('|');
  if (bar == std::string::npos) {
    def.threatName = def.name;
  } else {
    def.threatName = def.name.substr(0, bar);
    const size_t bar2 = def.name.find('|', bar + 1);
    def.type =
        def.name.substr(bar + 1, bar2 == std::string::npos ? std::string::npos : bar2 - bar - 1);
  }

  std::string location(line.substr(0, eq));
  if (!driveRoot.empty() && location.find(kDriveToken) != std::string::npos)
    location = text::ReplaceAll(location, kDriveToken, driveRoot);
  location = expander.ExpandTokens(location);

  const size_t caret1 = location.find('^');
  def.rootCode = location.substr(0, caret1);
  if (IsBlank(def.rootCode)) return std::nullopt;
  const PathTokens::Root root = expander.Tokens().ResolveRootCode(def.rootCode);
  if (!root.Valid()) return std::nullopt;
  def.rootHandle = root.handle;
  def.rootName = root.name;

  if (caret1 != std::string::npos) {
    const size_t caret2 = location.find('^', caret1 + 1);
    def.keyPath = location.substr(
        caret1 + 1, caret2 == std::string::npos ? std::string::npos : caret2 - caret1 - 1);
    if (caret2 != std::string::npos) def.rawValueName = location.substr(caret2 + 1);
    // A merged update writes every registry line as location + "^=": the value name of
    // "root^key^value^" ends before that closing "^".
    if (!def.rawValueName.empty() && def.rawValueName.back() == '^') def.rawValueName.pop_back();
  }
  if (IsBlank(def.keyPath)) return std::nullopt;
  def.valueName = CollapseBackslashes(def.rawValueName);
  def.location = def.rootName + "\\" + def.keyPath + def.valueName;
  return def;
}

std::optional<ExecutableDefinition> ParseExecutableDefinition(std::string_view line,
                                                              LocationExpander& expander) {
  const size_t eq = line.find('=');
  if (eq == std::string_view::npos) return std::nullopt;
  ExecutableDefinition def;
  def.fileName = std::string(line.substr(0, eq));
  const std::string_view rest = line.substr(eq + 1);
  // "threat|folder|...": the second part is the folder; a rest without "|" stands in the
  // folder's place as a whole.
  std::string_view folder = rest;
  if (const size_t bar = rest.find('|'); bar != std::string_view::npos) {
    const size_t bar2 = rest.find('|', bar + 1);
    folder = rest.substr(bar + 1,
                         bar2 == std::string_view::npos ? std::string_view::npos : bar2 - bar - 1);
  }
  def.folder = expander.ExpandLocation(folder);
  def.fullPath = CollapseBackslashes(def.folder + "\\" + def.fileName);
  return def;
}

const std::string& ProtectedLocationReader::Next(std::string_view line) {
  // Without "|" the line carries no fields of its own: the previous entry stands again.
  if (line.find('|') == std::string_view::npos) return entry_;
  const std::vector<std::string> fields = text::Split(line, "|");
  const std::string kind = text::ToUpper(text::Trim(fields[0]));
  std::string name, unusedValue;
  if (fields.size() > 1) SplitNameAndThreat(fields[1], name, unusedValue);
  const std::string location =
      fields.size() > 2 ? expander_.ExpandLocation(fields[2], driveRoot_) : std::string();

  std::string entry;
  if (kind == "SFILE" || kind == "SEXE" || kind == "SDLL") {
    entry = location.empty() ? name : location;
  } else if (kind == "SREG") {
    const std::vector<std::string> parts = text::Split(location, "^");
    const PathTokens::Root root =
        expander_.Tokens().ResolveRootCode(parts.empty() ? std::string() : parts[0]);
    if (root.Valid()) {
      entry = root.name + "\\" + (parts.size() > 1 ? parts[1] : std::string());
      if (parts.size() > 2 && !parts[2].empty()) entry += "\\" + parts[2];
    }
  } else if (kind == "SDIR") {
    entry = location;
  } else {
    return entry_;
  }
  entry_ = text::ReplaceAll(text::ReplaceAll(entry, "\\\\", "\\"), "//", "/");
  return entry_;
}

}  // namespace quill
