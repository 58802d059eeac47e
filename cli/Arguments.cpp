#include "Arguments.h"

#include <algorithm>
#include <cstdio>

#include "JsonOutput.h"
#include "base/Text.h"

namespace quill::cli {

const char* const kUsage =
    "Usage:\n"
    "  quillonet-cli [--prefix DIR] [--yes] [--json] scan [smart | full | file PATH |\n"
    "                folder PATH] [--remove [--force]]\n"
    "  quillonet-cli [--yes] [--json] scan [smart | full] --all-prefixes [--remove [--force]]\n"
    "  quillonet-cli [--prefix DIR] [--json] update\n"
    "  quillonet-cli [--json] prefixes\n"
    "  quillonet-cli [--prefix DIR] report\n"
    "  quillonet-cli [--prefix DIR] exclude TEXT\n"
    "  quillonet-cli [--prefix DIR] stage-definitions FOLDER\n"
    "  quillonet-cli [--prefix DIR] [--json] quarantine list\n"
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
    "            With --all-prefixes, every prefix \"prefixes\" lists is scanned in turn\n"
    "            (and cleaned with --remove): each one's output follows a line \"Prefix:\n"
    "            PATH\", then one \"Summary:\" line per prefix gives its outcome. The exit\n"
    "            status is the worst of them.\n"
    "  prefixes  Lists the Wine prefixes of the user, one per line with the fields folder,\n"
    "            where it was found (WINEPREFIX, wine, wineprefixes, bottles, lutris, steam,\n"
    "            playonlinux, default) and its name there, separated by tabs. Only folders\n"
    "            that hold the registry hives and drive C: are listed; nothing is created.\n"
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
    "  --all-prefixes  every prefix \"prefixes\" lists (scan only)\n"
    "  --json        one JSON document on standard output instead of the lines (scan,\n"
    "                update, prefixes, quarantine list); its form is cli-json-schema.json\n"
    "                in the program's data folder\n"

    "  --help        show this text\n"
    "\n"
    "Exit status: 0 nothing found, 1 something found, 2 the command could not run or the\n"
    "scan did not complete.\n"
    "With --remove: 0 everything found was removed, 1 some item stayed (it could not\n"
    "be removed, or the removal was refused as too large).\n"
    "quarantine restore: 0 everything asked for was restored, 1 some item was not, 2 bad\n"
    "arguments.\n";

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
    } else if (!optionsEnded && a == "--all-prefixes") {
      args.allPrefixes = true;
    } else if (!optionsEnded && a == "--json") {
      args.json = true;

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

namespace {

std::string CheckScan(const std::vector<std::string>& words, ScanRequest& scan) {
  const std::string kind = words.size() > 1 ? words[1] : "smart";
  const bool needsPath = kind == "file" || kind == "folder";
  const size_t wanted = needsPath ? 3 : std::min<size_t>(words.size(), 2);
  if (kind == "smart")
    scan.mode = ScanMode::Smart;
  else if (kind == "full")
    scan.mode = ScanMode::Full;
  else if (kind == "file")
    scan.mode = ScanMode::File;
  else if (kind == "folder")
    scan.mode = ScanMode::Folder;
  else
    return "unknown scan mode \"" + kind + "\" (smart, full, file PATH, folder PATH)";
  if (words.size() < wanted) return "scan " + kind + " needs a PATH";
  if (words.size() > wanted) return "too many arguments";
  if (needsPath) scan.path = words[2];
  return {};
}

std::string CheckWords(const Arguments& args, ScanRequest& scan) {
  const auto& words = args.words;
  const std::string& command = words[0];
  if (command == "scan") return CheckScan(words, scan);
  if (command == "report" || command == "update" || command == "prefixes")
    return words.size() != 1 ? command + " takes no arguments" : "";
  if (command == "exclude") return words.size() != 2 ? "exclude needs exactly one TEXT" : "";
  if (command == "stage-definitions")
    return words.size() != 2 ? "stage-definitions needs exactly one FOLDER" : "";
  if (command == "quarantine") {
    const std::string sub = words.size() > 1 ? words[1] : "";
    if (sub == "list" && (words.size() != 2 || args.all))
      return "quarantine list takes no arguments";
    if (sub == "restore" && (words.size() > 2) == args.all)
      return "quarantine restore needs item numbers or --all";
    if (sub != "list" && sub != "restore") return "quarantine needs list or restore";
    return {};
  }
  return "unknown command \"" + command + "\"";
}

}  // namespace

std::string CheckCommand(const Arguments& args, ScanRequest& scan) {
  std::string problem = CheckWords(args, scan);
  if (!problem.empty()) return problem;
  const std::string& command = args.words[0];
  if (args.remove && command != "scan") return "--remove goes with scan only";
  if (args.force && !args.remove) return "--force goes with scan --remove only";
  if (args.all && command != "quarantine") return "--all goes with quarantine restore only";
  const bool jsonCommand = command == "scan" || command == "update" || command == "prefixes" ||
                           (command == "quarantine" && args.words[1] == "list");
  if (args.json && !jsonCommand)
    return "--json goes with scan, update, prefixes and quarantine list only";
  if (args.allPrefixes && command != "scan") return "--all-prefixes goes with scan only";
  if (args.allPrefixes && !args.prefix.empty())
    return "--all-prefixes and --prefix exclude each other";
  if (args.allPrefixes && !scan.path.empty())
    return "--all-prefixes goes with scan smart or scan full only";
  return {};
}

int Fail(const std::string& message) {
  std::fprintf(stderr, "quillonet-cli: %s\n", message.c_str());
  json_output::AddError(message);
  return kCannotRun;
}

}  // namespace quill::cli
