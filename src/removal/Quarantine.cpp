#include "removal/Quarantine.h"

#include "base/DateTime.h"
#include "base/Sha256.h"
#include "base/Text.h"
#include "core/DataFiles.h"
#include "forms/Host.h"
#include "platform/FileSystem.h"
#include "removal/RemovalContract.h"
#include "removal/RemovalInputs.h"

namespace quill {

namespace {
// A free name is always found long before this; the bound only keeps a broken file system
// (one that reports every name as taken) from spinning forever.
constexpr int kMaxNameTries = 100000;
// Export names come from registry paths; keep the file name well inside what any file
// system accepts.
constexpr size_t kMaxExportName = 180;

std::string ExportFileName(const std::string& exportName) {
  std::string out;
  for (char c : exportName) {
    const auto u = static_cast<unsigned char>(c);
    if (c == '/' || c == ':' || c == '\\') continue;
    // Characters no file name may hold on the protected machine.
    if (c == '*' || c == '?' || c == '"' || c == '<' || c == '>' || c == '|' || u < 32) continue;
    out += c;
  }
  if (out.size() > kMaxExportName) out.resize(kMaxExportName);
  out = text::Trim(out);
  while (!out.empty() && out.back() == '.') out.pop_back();
  return out;
}
}  // namespace

std::string EscapeRegText(const std::string& text) {
  return text::ReplaceAll(text::ReplaceAll(text, "\\", "\\\\"), "\"", "\\\"");
}

std::string QuarantineStore::QuarantineFolder() const {
  return data_files::QuarantineFolder(in_.dataFolder);
}

std::string QuarantineStore::LogPath() const {
  return data_files::QuarantineLog(in_.dataFolder);
}

void QuarantineStore::CreateQuarantineFolder() {
  in_.files.CreateFolder(QuarantineFolder());
}

std::optional<std::string> QuarantineStore::NotOurs() const {
  auto& files = in_.files;
  // The quarantine folder and the data folder above it must be real folders: through a
  // link, copies, exports and the log would land wherever it leads.
  for (const std::string& folder : {in_.dataFolder, QuarantineFolder()}) {
    const size_t cut = folder.rfind('\\');
    if (cut == std::string::npos)
      return "the quarantine folder " + QuarantineFolder() + " has no place";
    const auto listed = files.List(folder.substr(0, cut == 2 ? 3 : cut));
    if (!listed) return "the folder above " + folder + " cannot be read";
    const std::string name = folder.substr(cut + 1);
    for (const auto& entry : *listed) {
      if (!text::EqualsNoCase(entry.name, name)) continue;
      if (!(entry.attributes & platform::kAttrDirectory) ||
          (entry.attributes & platform::kAttrReparsePoint))
        return folder + " is a link or no folder: the quarantine is not used through it";
      break;
    }
  }
  return std::nullopt;
}

std::optional<std::string> QuarantineStore::SourceRefusal(const std::string& path,
                                                          ItemShape shape) const {
  if (auto why = NotOurs()) return why;
  return RemovalContract(in_.files, in_.floor).Refusal(path, shape);
}

bool QuarantineStore::Exists(const std::string& path) const {
  return in_.files.Attributes(path).has_value();
}

std::string FreeNameIn(platform::FileSystem& files, const std::string& folder,
                       const std::string& name, bool isFolder) {
  auto taken = [&](const std::string& n) {
    return files.Attributes(folder + "\\" + n).has_value();
  };
  if (!taken(name)) return name;
  std::string stem = name;
  std::string ext;
  const size_t dot = name.rfind('.');
  if (!isFolder && dot != std::string::npos && dot > 0) {
    stem = name.substr(0, dot);
    ext = name.substr(dot);
  }
  for (int n = 2; n < kMaxNameTries; ++n) {
    std::string candidate = stem + " (" + std::to_string(n) + ")" + ext;
    if (!taken(candidate)) return candidate;
  }
  return {};
}

std::string QuarantineStore::FreeName(const std::string& name, bool isFolder) const {
  return FreeNameIn(in_.files, QuarantineFolder(), name, isFolder);
}

QuarantineManifest QuarantineStore::Manifest() const {
  return QuarantineManifest(in_.files, QuarantineFolder());
}

bool QuarantineStore::Record(QuarantineKind kind, const std::string& original,
                             const std::string& copy) {
  QuarantineItem item;
  item.time = datetime::Format(datetime::FromTimePoint(in_.host.Now()), "yyyy-MM-dd hh:mm:ss");
  item.kind = kind;
  item.original = original;
  item.copy = copy;
  if (kind != QuarantineKind::Folder) {
    // Read back what was written: the manifest vouches for the copy, not the original.
    auto bytes = in_.files.ReadFile(QuarantineFolder() + "\\" + copy);
    if (!bytes) return false;
    item.size = bytes->size();
    item.sha256 = Sha256::Hex(*bytes);
  }
  return Manifest().Add(item);
}

std::optional<std::string> QuarantineStore::SaveQuarantineCopy(const std::string& path,
                                                               const std::string& name,
                                                               QuarantineKind kind) {
  auto& files = in_.files;
  auto attrs = files.Attributes(path);
  if (!attrs || (*attrs & platform::kAttrDirectory)) return std::nullopt;
  if (SourceRefusal(path, ItemShape::File) || Climbs(name) || name.find('\\') != std::string::npos)
    return std::nullopt;
  const std::string saved = FreeName(name, false);
  if (saved.empty()) return std::nullopt;
  const std::string target = QuarantineFolder() + "\\" + saved;
  if (!StaysOnMachine(files, target)) return std::nullopt;
  if (files.CopyFile(path, target, true) && Record(kind, path, saved)) return saved;
  // The name was free a moment ago, so whatever the failed copy left there is ours.
  if (Exists(target)) files.DeleteFile(target);
  return std::nullopt;
}

std::optional<std::string> QuarantineStore::SaveQuarantineFolder(const std::string& path) {
  auto& files = in_.files;
  std::string source = path;
  if (text::EndsWith(source, "\\")) source.pop_back();
  auto attrs = files.Attributes(source);
  if (!attrs || !(*attrs & platform::kAttrDirectory)) return std::nullopt;
  if (SourceRefusal(source, ItemShape::Folder)) return std::nullopt;
  const std::string name = text::AfterLastBackslash(source);
  if (name.empty() || Climbs(name)) return std::nullopt;
  const std::string saved = FreeName(name, true);
  if (saved.empty()) return std::nullopt;
  const std::string target = QuarantineFolder() + "\\" + saved;
  if (!StaysOnMachine(files, target)) return std::nullopt;
  if (files.CopyFolder(source, target, false) && Record(QuarantineKind::Folder, source, saved))
    return saved;
  if (Exists(target)) files.DeleteFolder(target, true);
  return std::nullopt;
}

std::string QuarantineStore::Timestamp() const {
  return datetime::GeneralDate(datetime::FromTimePoint(in_.host.Now()));
}

bool QuarantineStore::AppendRecord(const std::string& lines) {
  // AppendFile never writes through a link at the log's name.
  return !NotOurs() && StaysOnMachine(in_.files, LogPath()) &&
         in_.files.AppendFile(LogPath(), lines);
}

bool QuarantineStore::LogQuarantinedFile(const std::string& fullPath, const std::string& fileName) {
  if (!logging_) return false;
  return AppendRecord(Timestamp() + " - File: " + fileName + "\r\n - Location: " + fullPath +
                      "\r\n\r\n\r\n");
}

bool QuarantineStore::LogRemovedRegistryEntry(const std::string& key, const std::string& value) {
  if (!logging_) return false;
  return AppendRecord(Timestamp() + " - Key: " + key + "\r\nValue: " + value + "\r\n\r\n\r\n");
}

bool QuarantineStore::ExportRegistryEntry(const std::string& exportName, const std::string& key,
                                          const std::optional<RegistryValueText>& value) {
  RegExportKey entry{key, {}};
  if (value) entry.values.emplace_back(value->name, platform::MakeSz(value->data));
  return ExportRegistryKeys(exportName, exportName, {entry}).has_value();
}

std::optional<std::string> QuarantineStore::ExportRegistryKeys(
    const std::string& exportName, const std::string& original,
    const std::vector<RegExportKey>& keys) {
  auto& files = in_.files;
  if (NotOurs()) return std::nullopt;
  const std::string content = FormatRegExport(keys);
  const std::string base = ExportFileName(exportName) + ".reg";
  if (Climbs(base)) return std::nullopt;
  // The same entry removed again with the same data: the export there holds it already.
  std::string name = base;
  if (files.ReadFile(QuarantineFolder() + "\\" + base) != content) name = FreeName(base, false);
  if (name.empty()) return std::nullopt;
  const std::string target = QuarantineFolder() + "\\" + name;
  const bool write = name != base || !Exists(target);
  // Created new, never over anything (a link planted under a free name included). Read
  // back: only an export known to be complete lets the entry go.
  if (!StaysOnMachine(files, target) || (write && !files.CreateNewFile(target, content)))
    return std::nullopt;
  if (write && files.ReadFile(target) != content) {
    files.DeleteFile(target);
    return std::nullopt;
  }
  if (!Record(QuarantineKind::Registry, original, name)) {
    if (write) files.DeleteFile(target);
    return std::nullopt;
  }
  return name;
}

}  // namespace quill
