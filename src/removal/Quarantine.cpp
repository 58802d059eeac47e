#include "removal/Quarantine.h"

#include "app/Application.h"
#include "base/DateTime.h"
#include "base/Text.h"
#include "platform/FileSystem.h"

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
  return app_.dataFolder + "\\quarantine";
}

std::string QuarantineStore::LogPath() const {
  return QuarantineFolder() + "\\QuarantineLog.txt";
}

void QuarantineStore::CreateQuarantineFolder() {
  app_.Files().CreateFolder(QuarantineFolder());
}

bool QuarantineStore::Exists(const std::string& path) const {
  return app_.Files().Attributes(path).has_value();
}

std::string QuarantineStore::FreeName(const std::string& name, bool isFolder) const {
  const std::string folder = QuarantineFolder() + "\\";
  if (!Exists(folder + name)) return name;
  std::string stem = name;
  std::string ext;
  const size_t dot = name.rfind('.');
  if (!isFolder && dot != std::string::npos && dot > 0) {
    stem = name.substr(0, dot);
    ext = name.substr(dot);
  }
  for (int n = 2; n < kMaxNameTries; ++n) {
    std::string candidate = stem + " (" + std::to_string(n) + ")" + ext;
    if (!Exists(folder + candidate)) return candidate;
  }
  return {};
}

std::optional<std::string> QuarantineStore::SaveQuarantineCopy(const std::string& path,
                                                               const std::string& name) {
  auto& files = app_.Files();
  auto attrs = files.Attributes(path);
  if (!attrs || (*attrs & platform::kAttrDirectory)) return std::nullopt;
  const std::string saved = FreeName(name, false);
  if (saved.empty()) return std::nullopt;
  const std::string target = QuarantineFolder() + "\\" + saved;
  if (files.CopyFile(path, target, true)) return saved;
  // The name was free a moment ago, so whatever the failed copy left there is ours.
  if (Exists(target)) files.DeleteFile(target);
  return std::nullopt;
}

std::optional<std::string> QuarantineStore::SaveQuarantineFolder(const std::string& path) {
  auto& files = app_.Files();
  std::string source = path;
  if (text::EndsWith(source, "\\")) source.pop_back();
  auto attrs = files.Attributes(source);
  if (!attrs || !(*attrs & platform::kAttrDirectory)) return std::nullopt;
  const std::string name = text::AfterLastBackslash(source);
  if (name.empty()) return std::nullopt;
  const std::string saved = FreeName(name, true);
  if (saved.empty()) return std::nullopt;
  const std::string target = QuarantineFolder() + "\\" + saved;
  if (files.CopyFolder(source, target, false)) return saved;
  if (Exists(target)) files.DeleteFolder(target, true);
  return std::nullopt;
}

std::string QuarantineStore::Timestamp() const {
  return datetime::GeneralDate(datetime::FromTimePoint(app_.Host().Now()));
}

bool QuarantineStore::AppendRecord(const std::string& lines) {
  return app_.Files().AppendFile(LogPath(), lines);
}

bool QuarantineStore::LogQuarantinedFile(const std::string& fullPath, const std::string& fileName) {
  if (!app_.QuarantineLogging) return false;
  return AppendRecord(Timestamp() + " - File: " + fileName + "\r\n - Location: " + fullPath +
                      "\r\n\r\n\r\n");
}

bool QuarantineStore::LogRemovedRegistryEntry(const std::string& key, const std::string& value) {
  if (!app_.QuarantineLogging) return false;
  return AppendRecord(Timestamp() + " - Key: " + key + "\r\nValue: " + value + "\r\n\r\n\r\n");
}

bool QuarantineStore::ExportRegistryEntry(const std::string& exportName, const std::string& key,
                                          const std::optional<RegistryValueText>& value) {
  auto& files = app_.Files();
  std::string base = ExportFileName(exportName);
  std::string name = FreeName(base + ".reg", false);
  if (name.empty()) return false;
  // An export without a value line holds nothing but the key's name: one is enough.
  if (!value && name != base + ".reg") return true;
  std::string content = "Windows Registry Editor Version 5.00\r\n\r\n[" + key + "]\r\n";
  if (value)
    content += "\"" + EscapeRegText(value->name) + "\"=\"" + EscapeRegText(value->data) + "\"\r\n";
  const std::string target = QuarantineFolder() + "\\" + name;
  if (files.WriteFile(target, content)) return true;
  if (Exists(target)) files.DeleteFile(target);
  return false;
}

}  // namespace quill
