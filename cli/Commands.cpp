#include "Commands.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>

#include "HeadlessUpdateView.h"
#include "JsonOutput.h"
#include "base/Text.h"
#include "definitions/DefinitionSet.h"
#include "definitions/ExclusionList.h"
#include "definitions/LiveUpdate.h"
#include "program/Program.h"
#include "program/ProgramStart.h"
#include "removal/ChangeLock.h"
#include "removal/QuarantineRestore.h"
#include "removal/RemovalInputs.h"
#include "reports/ScanReport.h"

namespace quill::cli {

namespace {

bool LooksLikeWindowsPath(const std::string& path) {
  if (path.size() >= 2 && std::isalpha(static_cast<unsigned char>(path[0])) && path[1] == ':')
    return true;
  return text::StartsWith(path, "\\\\");
}

// The ids of "quarantine restore ID...", or empty when one is not a number.
std::optional<std::vector<int>> ParseIds(const std::vector<std::string>& words) {
  std::vector<int> ids;
  for (size_t i = 2; i < words.size(); ++i) {
    const std::string& w = words[i];
    if (w.empty() || w.size() > 9 ||
        !std::all_of(w.begin(), w.end(), [](char c) { return c >= '0' && c <= '9'; }))
      return std::nullopt;
    ids.push_back(std::stoi(w));
  }
  return ids;
}

}  // namespace

std::string WindowsPathOf(platform::FileSystem& files, const std::string& path) {
  if (LooksLikeWindowsPath(path)) return path;
  std::error_code ec;
  std::string absolute = std::filesystem::absolute(path, ec).lexically_normal().string();
  if (ec) return {};
  while (absolute.size() > 1 && absolute.back() == '/') absolute.pop_back();
  return files.FromNativePath(absolute);
}

int StageDefinitions(Program& app, const std::string& sourceFolder) {
  auto& files = app.Files();
  if (ExpandDataFolder(app).empty()) return Fail("the prefix has no application data folder");
  if (!OpenDataFolder(app)) return Fail("cannot create the data folder " + app.dataFolder);
  const std::string& dataFolder = app.dataFolder;

  for (const char* name :
       {definition_files::kFile, definition_files::kDirectory, definition_files::kRegistry,
        definition_files::kExecutable, definition_files::kCookies}) {
    const std::string live = dataFolder + "\\" + name;
    const std::string staged = dataFolder + "\\DL" + name;
    if (files.Attributes(live) || files.Attributes(staged)) {
      std::printf("The data folder already holds definitions; nothing staged.\n");
      return kNothingFound;
    }
  }

  std::error_code ec;
  std::vector<std::filesystem::path> sources;
  for (std::filesystem::directory_iterator it(sourceFolder, ec), end; !ec && it != end;
       it.increment(ec)) {
    if (!it->is_regular_file(ec)) continue;
    if (text::EqualsNoCase(it->path().extension().string(), ".dat")) sources.push_back(it->path());
  }
  if (ec) return Fail("cannot read " + sourceFolder);
  if (sources.empty()) return Fail("no definition files (*.dat) in " + sourceFolder);

  int copied = 0;
  for (const auto& source : sources) {
    const std::string name = source.filename().string();
    // Start-up takes over "DL" files of the four files it knows by name; the others are
    // read under their own names.
    const bool ownName = text::EqualsNoCase(name, definition_files::kSafety) ||
                         text::EqualsNoCase(name, definition_files::kDirectory) ||
                         text::EqualsNoCase(name, definition_files::kDate);
    const std::string target = dataFolder + "\\" + (ownName ? name : "DL" + name);
    const std::string from = files.FromNativePath(source.string());
    bool ok = false;
    if (!from.empty()) ok = files.CopyFile(from, target, false);
    if (!ok) {
      // The source is not on a drive of the prefix: copy its bytes.
      std::FILE* in = std::fopen(source.string().c_str(), "rb");
      std::string bytes;
      if (in) {
        char buffer[1 << 15];
        size_t n;
        while ((n = std::fread(buffer, 1, sizeof buffer, in)) > 0) bytes.append(buffer, n);
        std::fclose(in);
        ok = files.WriteFile(target, bytes);
      }
    }
    if (!ok) return Fail("cannot copy " + source.string() + " to " + target);
    ++copied;
  }
  std::printf("Staged %d definition files in %s.\n", copied, dataFolder.c_str());
  return kNothingFound;
}

int PrintReport(Program& app) {
  const std::string path = ExpandDataFolder(app) + "\\" + kScanReportFile;
  auto report = app.Files().ReadFile(path);
  if (!report) return Fail("no scan report has been written yet (" + path + ")");
  std::fwrite(report->data(), 1, report->size(), stdout);
  return kNothingFound;
}

int QuarantineCommand(Program& app, const std::vector<std::string>& words, bool all) {
  app.dataFolder = ExpandDataFolder(app);
  QuarantineRestore restore(RemovalInputsOf(app));
  auto items = restore.Items();
  if (!items) return Fail("the quarantine manifest cannot be read");
  if (words[1] == "list") {
    auto& listed = json_output::Body()["items"] = nlohmann::json::array();
    for (const QuarantineItem& item : *items) {
      if (json_output::Enabled()) {
        listed.push_back({{"id", item.id},
                          {"time", item.time},
                          {"kind", KindName(item.kind)},
                          {"original", item.original},
                          {"copy", item.copy},
                          {"state", item.restoredTo.empty() ? "saved" : "restored"},
                          {"restoredTo", item.restoredTo}});
        continue;
      }
      std::string line = std::to_string(item.id);
      for (const std::string& field :
           {item.time, KindName(item.kind), item.original, item.copy,
            item.restoredTo.empty() ? std::string("saved") : "restored to " + item.restoredTo}) {
        line += '\t';
        line += text::ReplaceAll(text::ReplaceAll(field, "\t", " "), "\n", " ");
      }
      std::printf("%s\n", line.c_str());
    }
    return kNothingFound;
  }
  auto ids = ParseIds(words);
  if (!ids) return Fail("quarantine restore takes item numbers as quarantine list shows them");
  const ChangeLock lock(app.Files(), app.dataFolder);
  if (lock.Refusal()) return Fail(*lock.Refusal());
  for (int id : *ids) {
    if (std::none_of(items->begin(), items->end(),
                     [&](const QuarantineItem& item) { return item.id == id; }))
      return Fail("the quarantine holds no item " + std::to_string(id));
  }
  bool allDone = true;
  for (const RestoreOutcome& outcome : all ? restore.RestoreAll() : restore.Restore(*ids)) {
    std::fprintf(outcome.done ? stdout : stderr, "%s\n", outcome.message.c_str());
    allDone = allDone && outcome.done;
  }
  return allDone ? kNothingFound : kFound;
}

int RunUpdate(Program& app, HeadlessUpdateView& view) {
  const LiveUpdateResult result = app.Updater().Run(view, {});
  using Outcome = LiveUpdateResult::Outcome;
  std::string line = view.Notification();
  if (result.outcome == Outcome::Refused) line = "Live Update cannot run now.";
  if (json_output::Enabled()) {
    const char* outcome = result.outcome == Outcome::Current   ? "current"
                          : result.outcome == Outcome::Updated ? "updated"
                          : result.outcome == Outcome::Failed  ? "failed"
                                                               : "refused";
    json_output::Body().update(
        {{"outcome", outcome}, {"message", line}, {"changes", result.changes}});
  } else {
    std::printf("%s Changes: %d\n", line.c_str(), result.changes);
  }
  return result.outcome == Outcome::Current || result.outcome == Outcome::Updated ? kNothingFound
                                                                                  : kCannotRun;
}

int Exclude(Program& app, const std::string& text) {
  const bool written = app.Exclusions().AddExclusion(text);
  if (!written) return Fail("cannot write the exclusion list " + app.Exclusions().FilePath());
  std::printf("Excluded: %s\n", text::Trim(text).c_str());
  return kNothingFound;
}

}  // namespace quill::cli
