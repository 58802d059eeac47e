// quillonet-cli: the application model of the desktop program, run without windows. It starts
// exactly as the desktop program does (splash countdown, then the main window's start-up),
// runs one command, prints what a user would have seen and ends.
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "HeadlessHost.h"
#include "HeadlessUpdateView.h"
#include "app/Application.h"
#include "app/FrmMain.h"
#include "app/SmallWindows.h"
#include "base/Text.h"
#include "definitions/DefinitionSet.h"
#include "platform/Platform.h"
#include "removal/QuarantineRestore.h"
#include "removal/RemovalShare.h"
#include "removal/frmDelete.h"
#include "reports/ExclusionList.h"
#include "scan/ScanDriver.h"

namespace {

using namespace quill;

constexpr int kNothingFound = 0;
constexpr int kFound = 1;
constexpr int kCannotRun = 2;

constexpr const char* kUsage =
    "Usage:\n"
    "  quillonet-cli [--prefix DIR] [--yes] scan [smart | full | file PATH | folder PATH]\n"
    "                [--remove [--force]]\n"
    "  quillonet-cli [--prefix DIR] update\n"
    "  quillonet-cli [--prefix DIR] report\n"
    "  quillonet-cli [--prefix DIR] exclude TEXT\n"
    "  quillonet-cli [--prefix DIR] stage-definitions FOLDER\n"
    "  quillonet-cli [--prefix DIR] export-language FILE\n"
    "  quillonet-cli [--prefix DIR] quarantine list\n"
    "  quillonet-cli [--prefix DIR] quarantine restore ID... | --all\n"
    "  quillonet-cli --help\n"
    "\n"
    "Runs the scanner on the Windows machine given by a Wine prefix: DIR, else $WINEPREFIX,\n"
    "else ~/.wine when it exists, else the program's own default prefix.\n"
    "\n"
    "Commands:\n"
    "  scan      Runs one scan and prints the results list, one row per line with the\n"
    "            fields kind, name, location, type, risk and details separated by tabs,\n"
    "            then the programs the scan stopped (kind 3, \"Running Application\") and\n"
    "            the items left alone because they are excluded (kind 5, \"EXCLUDED\") in\n"
    "            the same form, then \"Traces found: N\" (stopped programs count as\n"
    "            found) and a line for each stage that failed or part of the registry\n"
    "            that could not be examined. Modes: smart (default) tests the definitions'\n"
    "            own places, the registry, running programs and cookies; full walks every\n"
    "            drive; file PATH tests one file; folder PATH walks one folder tree. PATH\n"
    "            is a Windows path (C:\\Users\\me) or a host path on one of the prefix's\n"
    "            drives.\n"
    "            With --remove, everything found is removed at once, without questions, as\n"
    "            a scheduled scan with automatic removal does: each file, folder and cookie\n"
    "            is saved to the quarantine first and each registry entry exported. Then\n"
    "            the rows that remain are printed, and \"Removed: N\"; items that could not\n"
    "            be removed are named on standard error. A removal that would take more\n"
    "            than 20% of a drive or of a hive is refused unless --force is given.\n"
    "            Places no removal may touch (drive roots, system folders, profiles,\n"
    "            registry roots and their vital keys) are never removed; each one a\n"
    "            definition names is printed as \"Protected: LOCATION\".\n"
    "  update    Runs Live Update against $QUILLONET_UPDATE_SERVER (default: the product's\n"
    "            server) and prints its outcome with the number of changes. Replies of the\n"
    "            default server must carry its signature; those of another server are checked\n"
    "            with the public key (PEM) named by $QUILLONET_UPDATE_KEY when it is set.\n"
    "            Exit status 0 when the definitions are current or were updated, 2 when the\n"
    "            update could not be completed (the definitions are then unchanged).\n"
    "  report    Prints the report of the last scan.\n"
    "  exclude   Adds TEXT (a path or a registry location) to the exclusion list.\n"
    "  stage-definitions\n"
    "            Copies the definition files (*.dat) of FOLDER into the prefix's data folder\n"
    "            when it holds no definitions yet; the next start takes them over.\n"
    "  export-language\n"
    "            Writes FILE as an English language file with every caption of every window\n"
    "            and every message: the template for a translation.\n"
    "  quarantine list\n"
    "            Prints what the quarantine holds, one item per line with the fields id,\n"
    "            time, kind (file, folder, cookie, registry), original location, name of\n"
    "            the copy or export, and state (saved, or restored to a place) separated by\n"
    "            tabs.\n"
    "  quarantine restore ID... | --all\n"
    "            Puts the items back (--all: every item not restored yet). Files and folders\n"
    "            never replace anything: when the name is taken the restored item gets a\n"
    "            free name, and the output says so. Registry entries are written back into\n"
    "            the prefix's registry (refused while a wineserver serves the prefix).\n"
    "\n"
    "Options:\n"
    "  --prefix DIR  the Wine prefix to protect\n"
    "  --yes         answer Yes to the questions asked on first start (Live Update)\n"
    "  --remove      remove what the scan finds (scan only)\n"
    "  --force       remove even a large share of a drive or a hive (with --remove)\n"
    "  --all         every item (quarantine restore only)\n"
    "  --help        show this text\n"
    "\n"
    "Exit status: 0 nothing found, 1 something found, 2 the command could not run or the\n"
    "scan did not complete.\n"
    "With --remove: 0 everything found was removed, 1 some item stayed (it could not\n"
    "be removed, or the removal was refused as too large).\n"
    "quarantine restore: 0 everything asked for was restored, 1 some item was not, 2 bad\n"
    "arguments.\n";

struct Arguments {
  std::string prefix;
  bool yes = false;
  bool help = false;
  bool remove = false;
  bool force = false;
  bool all = false;
  std::vector<std::string> words;
};

int Fail(const std::string& message) {
  std::fprintf(stderr, "quillonet-cli: %s\n", message.c_str());
  return kCannotRun;
}

// Options may stand before or after the command; "--" ends them.
std::optional<Arguments> ParseArguments(int argc, char** argv, std::string& error) {
  Arguments args;
  bool optionsEnded = false;
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    if (!optionsEnded && a == "--") {
      optionsEnded = true;
    } else if (!optionsEnded && a == "--help") {
      args.help = true;
    } else if (!optionsEnded && a == "--yes") {
      args.yes = true;
    } else if (!optionsEnded && a == "--remove") {
      args.remove = true;
    } else if (!optionsEnded && a == "--force") {
      args.force = true;
    } else if (!optionsEnded && a == "--all") {
      args.all = true;
    } else if (!optionsEnded && a == "--prefix") {
      if (i + 1 >= argc) {
        error = "--prefix needs a folder";
        return std::nullopt;
      }
      args.prefix = argv[++i];
    } else if (!optionsEnded && text::StartsWith(a, "--prefix=")) {
      args.prefix = a.substr(9);
    } else if (!optionsEnded && text::StartsWith(a, "--")) {
      error = "unknown option " + a;
      return std::nullopt;
    } else {
      args.words.push_back(a);
    }
  }
  return args;
}

bool LooksLikeWindowsPath(const std::string& path) {
  if (path.size() >= 2 && std::isalpha(static_cast<unsigned char>(path[0])) && path[1] == ':')
    return true;
  return text::StartsWith(path, "\\\\");
}

// A Windows path as given, or a host path mapped through the prefix's drives ("" when no
// drive of the prefix holds it).
std::string WindowsPathOf(platform::FileSystem& files, const std::string& path) {
  if (LooksLikeWindowsPath(path)) return path;
  std::error_code ec;
  std::string absolute = std::filesystem::absolute(path, ec).lexically_normal().string();
  if (ec) return {};
  while (absolute.size() > 1 && absolute.back() == '/') absolute.pop_back();
  return files.FromNativePath(absolute);
}

// The data folder start-up uses, computed the same way.
std::string DataFolderOf(Application& app) {
  std::string folder =
      app.Tokens().ExpandPathTokens("[appdata]" + app.Identity().productName + "DAT");
  folder = text::ReplaceAll(folder, "\\\\", "\\");
  while (text::EndsWith(folder, "\\")) folder.pop_back();
  return folder;
}

int StageDefinitions(Application& app, const std::string& sourceFolder) {
  auto& files = app.Files();
  const std::string dataFolder = DataFolderOf(app);
  if (dataFolder.empty()) return Fail("the prefix has no application data folder");
  if (!files.Attributes(dataFolder) && !files.CreateFolder(dataFolder))
    return Fail("cannot create the data folder " + dataFolder);

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

// Start-up as the desktop program runs it: the splash window, its countdown, then the main
// window's load. The host's timers do not run by themselves, so the countdown is driven here.
void StartUp(Application& app) {
  auto& splash = app.Splash();
  splash.Load();
  splash.Show();
  for (int tick = 0; tick < 200 && splash.Timer2.IsEnabled() && !app.Ended(); ++tick)
    splash.Timer2.Fire();
}

void PrintRows(FrmMain& main) {
  const auto& results = main.lvwPicRemoveListOfSpywareFoundAndToBeRemoved;
  for (int i = 0; i < results.Count(); ++i) {
    const auto& row = results.Item(i);
    std::string line = std::to_string(row.smallIcon);
    for (const std::string* field :
         {&row.text, &row.SubItem(1), &row.SubItem(2), &row.SubItem(3), &row.SubItem(4)}) {
      line += '\t';
      line += text::ReplaceAll(text::ReplaceAll(*field, "\t", " "), "\r\n", " ");
    }
    std::printf("%s\n", line.c_str());
  }
}

// Places a definition named that no removal may touch.
void PrintProtected(FrmMain& main) {
  const auto& progress = main.lvwSpywareFound;
  for (int i = 0; i < progress.Count(); ++i)
    if (progress.Item(i).text == "PROTECTED")
      std::printf("Protected: %s\n", progress.Item(i).SubItem(1).c_str());
}

// A row of the scan-progress list that never reaches the results list: a program the scan
// stopped, or an item left alone because the user excluded it.
bool IsStoppedRow(const forms::ListItem& row) {
  return row.text == "Running Application" || row.text == "Running Process";
}

// The stopped programs and the excluded items, in the results' form; returns how many
// programs were stopped.
int PrintProgressRows(FrmMain& main) {
  int stopped = 0;
  const auto& progress = main.lvwSpywareFound;
  for (int i = 0; i < progress.Count(); ++i) {
    const auto& row = progress.Item(i);
    const bool isStopped = IsStoppedRow(row);
    if (!isStopped && row.text != "EXCLUDED") continue;
    if (isStopped) ++stopped;
    std::printf("%d\t%s\t%s\t\t\t\n", row.smallIcon, row.text.c_str(),
                text::ReplaceAll(row.SubItem(1), "\t", " ").c_str());
  }
  return stopped;
}

// What the scan could not do; true when it did not complete.
bool PrintGaps(Application& app) {
  for (const std::string& gap : ScanGapTexts(app)) std::printf("%s\n", gap.c_str());
  return !app.gaps.Complete();
}

// Everything the scan did: results, stopped programs and excluded items, the total, and
// what was not examined. Returns the exit status.
int PrintResults(FrmMain& main) {
  PrintProtected(main);
  PrintRows(main);
  const int found =
      main.lvwPicRemoveListOfSpywareFoundAndToBeRemoved.Count() + PrintProgressRows(main);
  std::printf("Traces found: %d\n", found);
  if (PrintGaps(main.App())) return kCannotRun;
  return found > 0 ? kFound : kNothingFound;
}

// The report as the last scan wrote it, byte for byte.
int PrintReport(Application& app) {
  const std::string path = DataFolderOf(app) + "\\Scan_Log.txt";
  auto report = app.Files().ReadFile(path);
  if (!report) return Fail("no scan report has been written yet (" + path + ")");
  std::fwrite(report->data(), 1, report->size(), stdout);
  return kNothingFound;
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

int QuarantineCommand(Application& app, const std::vector<std::string>& words, bool all) {
  app.dataFolder = DataFolderOf(app);
  QuarantineRestore restore(app);
  auto items = restore.Items();
  if (!items) return Fail("the quarantine manifest cannot be read");
  if (words[1] == "list") {
    for (const QuarantineItem& item : *items) {
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

// One Live Update run: its outcome in one line, as the notification tells it.
int RunUpdate(FrmMain& main, const cli::HeadlessUpdateView& view) {
  const LiveUpdateResult result = main.RunLiveUpdate();
  using Outcome = LiveUpdateResult::Outcome;
  std::string line = view.Notification();
  if (result.outcome == Outcome::Refused) line = "Live Update cannot run now.";
  std::printf("%s Changes: %d\n", line.c_str(), result.changes);
  main.Unload();
  return result.outcome == Outcome::Current || result.outcome == Outcome::Updated ? kNothingFound
                                                                                  : kCannotRun;
}

int Run(int argc, char** argv) {
  std::string error;
  auto args = ParseArguments(argc, argv, error);
  if (!args) {
    std::fprintf(stderr, "quillonet-cli: %s\n%s", error.c_str(), kUsage);
    return kCannotRun;
  }
  if (args->help) {
    std::printf("%s", kUsage);
    return kNothingFound;
  }
  const auto& words = args->words;
  if (words.empty()) {
    std::fprintf(stderr, "quillonet-cli: no command given\n%s", kUsage);
    return kCannotRun;
  }

  const std::string& command = words[0];
  int mode = 0;
  std::string pathArgument;
  if (command == "scan") {
    const std::string kind = words.size() > 1 ? words[1] : "smart";
    const bool needsPath = kind == "file" || kind == "folder";
    const size_t wanted = needsPath ? 3 : std::min<size_t>(words.size(), 2);
    if (kind == "smart")
      mode = 0;
    else if (kind == "full")
      mode = 1;
    else if (kind == "file")
      mode = 2;
    else if (kind == "folder")
      mode = 3;
    else
      return Fail("unknown scan mode \"" + kind + "\" (smart, full, file PATH, folder PATH)");
    if (words.size() < wanted) return Fail("scan " + kind + " needs a PATH");
    if (words.size() > wanted) return Fail("too many arguments");
    if (needsPath) pathArgument = words[2];
  } else if (command == "report" || command == "update") {
    if (words.size() != 1) return Fail(command + " takes no arguments");
  } else if (command == "exclude") {
    if (words.size() != 2) return Fail("exclude needs exactly one TEXT");
  } else if (command == "stage-definitions") {
    if (words.size() != 2) return Fail("stage-definitions needs exactly one FOLDER");
  } else if (command == "export-language") {
    if (words.size() != 2) return Fail("export-language needs exactly one FILE");
  } else if (command == "quarantine") {
    const std::string sub = words.size() > 1 ? words[1] : "";
    if (sub == "list" && (words.size() != 2 || args->all))
      return Fail("quarantine list takes no arguments");
    if (sub == "restore" && (words.size() > 2) == args->all)
      return Fail("quarantine restore needs item numbers or --all");
    if (sub != "list" && sub != "restore") return Fail("quarantine needs list or restore");
  } else {
    return Fail("unknown command \"" + command + "\"");
  }

  if (args->remove && command != "scan") return Fail("--remove goes with scan only");
  if (args->force && !args->remove) return Fail("--force goes with scan --remove only");
  if (args->all && command != "quarantine") return Fail("--all goes with quarantine restore only");

  platform::PlatformOptions options;
  options.prefix = args->prefix;
  platform::Platform platform = platform::CreatePlatform(options);
  if (!platform.files || !platform.shell || !platform.system || !platform.settings ||
      !platform.registry || !platform.processes || !platform.internet)
    return Fail("the Wine prefix cannot be used");
  // A machine without drive C: is no machine: most likely a mistyped prefix.
  if (!platform.files->Attributes("C:\\"))
    return Fail("\"" + platform.nativePrefix +
                "\" is not a Wine prefix (it has no drive C:); make it with wineboot first, or "
                "name an existing prefix");

  std::optional<std::string> chosen;
  if (!pathArgument.empty()) {
    std::string windowsPath = WindowsPathOf(*platform.files, pathArgument);
    if (windowsPath.empty())
      return Fail("\"" + pathArgument + "\" is not on any drive of the prefix");
    chosen = windowsPath;
  }
  auto host = std::make_unique<cli::HeadlessHost>(args->yes, chosen);
  auto app = std::make_unique<Application>(*host, platform);
  cli::HeadlessUpdateView updateView;
  app->SetUpdateView(&updateView);

  if (command == "stage-definitions") return StageDefinitions(*app, words[1]);
  if (command == "report") return PrintReport(*app);
  if (command == "quarantine") return QuarantineCommand(*app, words, args->all);

  StartUp(*app);
  if (app->Ended()) return Fail("another instance of the program is running");
  FrmMain& main = app->Main();
  if (!main.Loaded()) return Fail("the program could not start");

  if (command == "update") return RunUpdate(main, updateView);
  if (command == "export-language") {
    FILE* out = std::fopen(words[1].c_str(), "wb");
    const std::string text = main.LanguageTemplate();
    if (!out || std::fwrite(text.data(), 1, text.size(), out) != text.size() ||
        std::fclose(out) != 0)
      return Fail("\"" + words[1] + "\" could not be written");
    return 0;
  }

  if (command == "exclude") {
    const bool written = app->Exclusions().AddExclusion(words[1]);
    main.Unload();
    if (!written) return Fail("cannot write the exclusion list " + app->Exclusions().FilePath());
    std::printf("Excluded: %s\n", text::Trim(words[1]).c_str());
    return kNothingFound;
  }

  if (mode == 2 || mode == 3) {
    auto attributes = app->Files().Attributes(*chosen);
    bool isFolder = attributes && (*attributes & platform::kAttrDirectory);
    if (!attributes) return Fail("\"" + *chosen + "\" does not exist");
    if (mode == 2 && isFolder) return Fail("\"" + *chosen + "\" is a folder; use scan folder");
    if (mode == 3 && !isFolder) return Fail("\"" + *chosen + "\" is not a folder");
  }

  main.optScan[mode].SetValue(true);
  // Automatic removal, as a scheduled scan with "Delete spyware automatically" ticked runs
  // it (the user's own option is left as it is): the driver ticks every row and removes
  // without a question. The removal takes off the results list exactly the rows of the
  // items it removed; those are counted.
  int removed = 0;
  int removalWatch = 0;
  auto& resultsList = main.lvwPicRemoveListOfSpywareFoundAndToBeRemoved;
  if (args->remove) {
    app->AutoRemoveMode = true;
    app->AllowLargeRemoval = args->force;
    removalWatch = resultsList.SubscribeRows([&](const forms::ListChange& change) {
      if (change.kind == forms::ListChange::Cleared) removed = 0;
      if (change.kind == forms::ListChange::RowRemoved) ++removed;
    });
  }
  const size_t messagesBefore = host->MessagesShown().size();
  main.cmdScanNow_Click();
  if (args->remove) resultsList.UnsubscribeRows(removalWatch);
  const std::string missing = app->Msg("MSG_MISSING");
  for (size_t i = messagesBefore; i < host->MessagesShown().size(); ++i)
    if (host->MessagesShown()[i] == missing) return kCannotRun;  // already shown on stderr

  if (args->remove) {
    PrintProtected(main);
    PrintRows(main);
    PrintProgressRows(main);
    std::printf("Removed: %d\n", removed);
    const auto& failed = app->DeleteFailed().lstProblem;
    for (int i = 0; i < failed.Count(); ++i)
      std::fprintf(stderr, "Could not delete: %s\n", failed.Item(i).text.c_str());
    if (!app->RefusedRemoval.empty())
      std::fprintf(stderr,
                   "Removal refused: the items found make up %s (more than %d%%); nothing was "
                   "removed. Use --force to remove them anyway.\n",
                   app->RefusedRemoval.c_str(), kLargeRemovalPercent);
    const bool allRemoved = failed.Count() == 0 && app->RefusedRemoval.empty();
    const bool incomplete = PrintGaps(*app);
    main.Unload();
    if (incomplete) return kCannotRun;
    return allRemoved ? kNothingFound : kFound;
  }

  const int status = PrintResults(main);
  // Closing the main window records the stopped state, as the desktop program does.
  main.Unload();
  return status;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    return Run(argc, argv);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "quillonet-cli: %s\n", e.what());
  } catch (...) {
    std::fprintf(stderr, "quillonet-cli: unexpected failure\n");
  }
  return kCannotRun;
}
