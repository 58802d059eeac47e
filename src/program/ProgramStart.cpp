#include "program/ProgramStart.h"

#include "base/Text.h"
#include "core/Settings.h"
#include "definitions/DefinitionFiles.h"
#include "definitions/ExclusionList.h"
#include "localization/MessageCatalog.h"
#include "program/Program.h"
#include "results/Finding.h"
#include "results/ThreatCategory.h"

namespace quill {

std::string ExpandDataFolder(ProgramContext& app) {
  std::string folder =
      app.Tokens().ExpandPathTokens("[appdata]" + app.Identity().productName + "DAT");
  folder = text::ReplaceAll(folder, "\\\\", "\\");
  while (text::EndsWith(folder, "\\")) folder.pop_back();
  return folder;
}

namespace {

// Makes a folder with the parents it lacks, as Windows makes a profile's application-data
// folder on first use: a copied or half-made profile still gets the program's data folder.
bool CreateFolderWithParents(platform::FileSystem& files, const std::string& folder) {
  if (files.Attributes(folder)) return true;
  const auto cut = folder.find_last_of('\\');
  // "C:" itself is never made.
  if (cut != std::string::npos && cut > 2 && !CreateFolderWithParents(files, folder.substr(0, cut)))
    return false;
  return files.CreateFolder(folder);
}

}  // namespace

bool OpenDataFolder(ProgramContext& app) {
  app.dataFolder = ExpandDataFolder(app);
  return CreateFolderWithParents(app.Files(), app.dataFolder);
}

void LoadBuiltInTexts(clsLanguages& catalog) {
  catalog.LoadBuiltInMessages();
  for (const auto& [key, words] : CategoryTexts()) catalog.setMessage(key, words);
  for (const auto& [key, words] : FindingTexts()) catalog.setMessage(key, words);
}

void PromoteStagedDefinitions(ProgramContext& app) {
  auto& files = app.Files();
  for (const char* name : definition_files::kServedWhole) {
    std::string staged = app.DataFile(std::string("DL") + name);
    std::string live = app.DataFile(name);
    if (!files.Attributes(staged)) continue;
    if (files.Attributes(live)) files.DeleteFile(live);
    files.Rename(staged, live);
  }
}

std::string StartWithoutWindows(Program& program) {
  if (!OpenDataFolder(program)) return "cannot create the data folder " + program.dataFolder;
  LoadBuiltInTexts(program.Catalog());
  if (!program.System().AcquireSingleInstance())
    return "another instance of the program is running";
  PromoteStagedDefinitions(program);
  program.Exclusions().LoadExclusions();
  RecordRunning(program, true);
  return {};
}

void RecordRunning(ProgramContext& app, bool running) {
  settings::Write(app.Settings(), settings::Running, running);
  settings::Write(app.Settings(), settings::Restart, false);
}

}  // namespace quill
