// The same machine seen by both builds: one real Wine prefix with files, folders, registry
// values of every type, cookies and a running Windows program; the Linux program
// (`--prefix`) and the Windows program (under Wine in that prefix) must print the same rows,
// write the same report and, on two copies of the prefix, leave the same files, hives and
// quarantine after a removal. Live Update through each build's own HTTP client and
// signature check ends in the same definitions.
//
// Run by the Windows build's tests, with QUILL_WINDOWS_CLI naming quillonet-cli.exe.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <regex>
#include <string>
#include <vector>

#include "base/Text.h"
#include "definitions/DefinitionCodec.h"
#include "platform/posix/WinePrefix.h"
#include "support/CliRunner.h"
#include "support/DefServer.h"
#include "support/RealWinePrefix.h"
#include "support/TestPlatform.h"

namespace quill::test {
namespace {

namespace fs = std::filesystem;

// Running programs: one with a short name, one whose name is longer than the 15 characters
// some process lists keep.
constexpr const char* kPrograms[] = {"C:\\Program Files\\QuillCross\\QuillCross.exe",
                                     "C:\\Program Files\\QuillCross\\QuillCrossLongRunner.exe"};
constexpr const char* kDataFolder = "\\AppData\\Roaming\\QuillonetDAT";

struct Outcome {
  int status = -1;
  std::string out, err;
};

// The Windows program's console lines end in CR LF.
std::string Unix(std::string text) {
  return text::ReplaceAll(text, "\r\n", "\n");
}

// Dates and times as the report and the quarantine write them, each replaced by "<time>".
std::string WithoutTimes(const std::string& text) {
  static const std::regex time(
      R"(\d{1,4}[/.-]\d{1,2}[/.-]\d{1,4}([ T]+\d{1,2}:\d{2}(:\d{2})?( ?[AP]M)?)?|\d{1,2}:\d{2}(:\d{2})?( ?[AP]M)?)");
  return std::regex_replace(text, time, "<time>");
}

// Lines present in one text but not the other, for a readable failure.
std::string Difference(const std::string& onLinux, const std::string& onWindows) {
  auto lines = [](const std::string& text) {
    std::vector<std::string> v = text::SplitLines(text);
    std::sort(v.begin(), v.end());
    return v;
  };
  const auto a = lines(onLinux), b = lines(onWindows);
  std::vector<std::string> onlyA, onlyB;
  std::set_difference(a.begin(), a.end(), b.begin(), b.end(), std::back_inserter(onlyA));
  std::set_difference(b.begin(), b.end(), a.begin(), a.end(), std::back_inserter(onlyB));
  std::string shown;
  for (const auto& l : onlyA) shown += "  linux only:   " + l + "\n";
  for (const auto& l : onlyB) shown += "  windows only: " + l + "\n";
  return shown;
}

#define EXPECT_SAME(onLinux, onWindows) \
  EXPECT_EQ(onLinux, onWindows) << "differences:\n" << Difference(onLinux, onWindows)

class CrossBackend : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    const char* exe = std::getenv("QUILL_WINDOWS_CLI");
    exe_ = exe ? exe : "";
    if (exe_.empty() || !fs::exists(exe_) || RealWinePrefix::Get().empty()) return;
    base_ = MakeTempFolder("crossbackend");
    master_ = RealWinePrefix::CopyTo(base_ + "/master");
    if (master_.empty()) return;
    user_ = platform::posix::WinePrefix::UserNameOf(master_);
    Plant();
    // The copies for the removal and the update, taken before either program has run.
    for (const char* name : {"remove-linux", "remove-windows", "update-linux", "update-windows"})
      copies_[name] = RealWinePrefix::CopyTo(base_ + "/" + name, master_);
  }
  static void TearDownTestSuite() {
    if (base_.empty()) return;
    for (const auto& entry : fs::directory_iterator(base_))
      if (fs::exists(entry.path() / "prefix" / "system.reg"))
        RealWinePrefix::RunWine((entry.path() / "prefix").string(), "wineserver -k 2>/dev/null");
    std::error_code ec;
    fs::remove_all(base_, ec);
  }

  void SetUp() override {
    QUILL_REQUIRE_REAL_WINE();
    ASSERT_FALSE(exe_.empty()) << "QUILL_WINDOWS_CLI names no quillonet-cli.exe";
    ASSERT_TRUE(fs::exists(exe_)) << exe_;
    ASSERT_FALSE(master_.empty());
  }

  static std::string Native(const std::string& prefix, const std::string& windowsPath) {
    std::string rest = text::ReplaceAll(windowsPath.substr(3), "\\", "/");
    return prefix + "/drive_c/" + rest;
  }
  static std::string Profile() { return "C:\\users\\" + user_; }
  static void Write(const std::string& windowsPath, const std::string& bytes) {
    const fs::path path = Native(master_, windowsPath);
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
  }
  static int Wine(const std::string& prefix, const std::string& command,
                  std::string* output = nullptr) {
    return RealWinePrefix::RunWine(prefix, command, output);
  }

  // The machine: what the definitions name, and things of the same kind they do not name.
  static void Plant() {
    // Wine links profile folders to the home folder, which every copy would share: here
    // they are folders of the prefix.
    const fs::path profile = Native(master_, Profile());
    for (auto it = fs::recursive_directory_iterator(profile);
         it != fs::recursive_directory_iterator(); ++it) {
      if (!it->is_symlink()) continue;
      fs::remove(it->path());
      fs::create_directory(it->path());
    }
    Write("C:\\windows\\QuillCross.dll", "dll");
    Write("C:\\windows\\quillcross-clean.dll", "clean");
    Write(Profile() + "\\Documents\\quillcross-doc.txt", "doc");
    Write(Profile() + "\\AppData\\Roaming\\QuillCross\\settings.ini", "[x]\r\ny=1\r\n");
    Write("C:\\Program Files\\QuillCross Data\\one.txt", "1");
    Write("C:\\Program Files\\QuillCross Data\\Nested\\two.bin", std::string("\0\1\2", 3));
    Write("C:\\Program Files\\QuillCross\\readme.txt", "readme");
    Write("C:\\Program Files\\QuillCross\\Sub\\QuillCross.dll", "another dll of the name");
    for (const char* program : kPrograms)
      fs::copy_file(master_ + "/drive_c/windows/system32/ping.exe", Native(master_, program));
    // Long program names match on the name alone, unless the maker is the system's.
    Write(Profile() + "\\Downloads\\quillcross-helper-tool.exe", "not a real program");
    fs::copy_file(master_ + "/drive_c/windows/system32/ping.exe",
                  Native(master_, Profile() + "\\Downloads\\quillcross-system-tool.exe"));
    // Cookies where the machine keeps them: one blocked, one not.
    std::string cookies;
    Wine(master_,
         "wine reg query 'HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell "
         "Folders' /v Cookies",
         &cookies);
    const size_t at = cookies.find("C:\\");
    cookiesFolder_ = at == std::string::npos
                         ? Profile() + "\\AppData\\Roaming\\Microsoft\\Windows\\Cookies"
                         : text::Trim(cookies.substr(at, cookies.find_first_of("\r\n", at) - at));
    Write(cookiesFolder_ + "\\" + user_ + "@quillcross[1].txt",
          "id\n42\nads.quillcross.example/\n1536\n");
    Write(cookiesFolder_ + "\\" + user_ + "@harmless[1].txt", "id\n1\nharmless.example/\n1536\n");

    // Registry values of every type, a whole key with subkeys, a machine-wide value.
    const std::string reg =
        "Windows Registry Editor Version 5.00\r\n\r\n"
        "[HKEY_CURRENT_USER\\Software\\QuillCross]\r\n"
        "@=\"default text\"\r\n"
        "\"Text\"=\"C:\\\\Program Files\\\\QuillCross\"\r\n"
        "\"Expand\"=hex(2):25,00,77,00,69,00,6e,00,64,00,69,00,72,00,25,00,00,00\r\n"
        "\"List\"=hex(7):61,00,00,00,62,00,00,00,00,00\r\n"
        "\"Number\"=dword:12345678\r\n"
        "\"Large\"=hex(b):01,02,03,04,05,06,07,08\r\n"
        "\"Bytes\"=hex:00,01,ff\r\n"
        "\"Nothing\"=hex(0):\r\n"
        "\"Keep\"=\"stays\"\r\n\r\n"
        "[HKEY_CURRENT_USER\\Software\\QuillCross\\Tree]\r\n"
        "\"Leaf\"=dword:00000001\r\n\r\n"
        "[HKEY_CURRENT_USER\\Software\\QuillCross\\Tree\\Deeper]\r\n"
        "\"Words\"=hex(7):78,00,00,00,00,00\r\n\r\n"
        "[HKEY_CURRENT_USER\\Software\\QuillCross\\Tree\\Empty]\r\n\r\n"
        "[HKEY_LOCAL_MACHINE\\Software\\QuillCross]\r\n"
        "\"Machine\"=\"wide\"\r\n"
        "\"Keep\"=dword:00000000\r\n\r\n";
    std::ofstream(base_ + "/plant.reg", std::ios::binary) << reg;
    std::string out;
    EXPECT_EQ(
        Wine(master_,
             "wine regedit /s " + RealWinePrefix::ShellQuote(WindowsPath(base_ + "/plant.reg")),
             &out),
        0)
        << out;

    // Our own definitions for each kind, staged by the program into the prefix.
    const std::string folder = base_ + "/definitions";
    fs::create_directories(folder);
    auto write = [&](const char* name, const std::vector<std::string>& lines) {
      std::ofstream file(folder + "/" + name, std::ios::binary);
      for (const auto& line : lines) file << EncodeLine(line) << "\r\n";
    };
    write("FileDefinition.dat",
          {"quillcross.dll=Quill Cross Library|[windir]|Adware",
           "quillcross-doc.txt=Quill Cross Document|[personl]|Spyware",
           "settings.ini=Quill Cross Settings|[appdata]QuillCross|Adware",
           "absent.txt=Quill Absent|[windir]|Adware",
           "quillcross-helper-tool.exe=Quill Cross Helper|[progfil]X|Adware",
           "quillcross-system-tool.exe=Quill Cross System|[progfil]X|Adware"});
    write("DirectoryDefinition.dat",
          {"QuillCrossData=Quill Cross Data|[progfil]QuillCross Data|Adware"});
    write("RegistryDefinition.dat", {"1^Software\\QuillCross^Text=Quill Cross Text|Adware",
                                     "1^Software\\QuillCross^Expand=Quill Cross Expand|Adware",
                                     "1^Software\\QuillCross^List=Quill Cross List|Adware",
                                     "1^Software\\QuillCross^Number=Quill Cross Number|Adware",
                                     "1^Software\\QuillCross^Large=Quill Cross Large|Adware",
                                     "1^Software\\QuillCross^Bytes=Quill Cross Bytes|Adware",
                                     "1^Software\\QuillCross^Nothing=Quill Cross Nothing|Adware",
                                     "1^Software\\QuillCross\\Tree^=Quill Cross Tree|Adware",
                                     "2^Software\\QuillCross^Machine=Quill Cross Machine|Adware",
                                     "1^Software\\QuillCross^Missing=Quill Cross Missing|Adware"});
    write("ExeDefinition.dat", {"quillcross.exe=Quill Cross Program|[progfil]QuillCross",
                                "quillcrosslongrunner.exe=Quill Cross Runner|[progfil]QuillCross"});
    write("BlockedCookies.dat", {"quillcross.example"});
    write("Safety.dat", {"SDIR|Windows=Windows folder|[windir]"});
    CliRunner cli;
    const auto staged = cli.Run({"--prefix", master_, "stage-definitions", folder});
    EXPECT_EQ(staged.status, 0) << staged.out << staged.err;
  }

  // Starts the planted programs in the prefix and waits until Wine runs both.
  static void StartPrograms(const std::string& prefix) {
    std::string script;
    for (const char* program : kPrograms)
      script += "wine '" + std::string(program) + "' -n 600 127.0.0.1 >/dev/null 2>&1 &\n";
    script +=
        "for i in $(seq 100); do [ \"$(wine tasklist 2>/dev/null | grep -ci quillcross)\" = 2 ] "
        "&& break; sleep 0.2; done";
    RealWinePrefix::RunWine(prefix, script, nullptr, false);
  }

  Outcome Linux(const std::string& prefix, std::vector<std::string> args) {
    args.insert(args.begin(), {"--prefix", prefix});
    const CliRunner::Outcome o = cli_.Run(args);
    return {o.status, o.out, o.err};
  }

  // quillonet-cli.exe under Wine in the prefix; returns once the prefix's wineserver has
  // ended (its hives are saved then).
  Outcome Windows(const std::string& prefix, const std::vector<std::string>& args,
                  const std::string& env = "") {
    const fs::path out = cli_.Work() / "win.out", err = cli_.Work() / "win.err";
    std::string command = env + " wine " + RealWinePrefix::ShellQuote(exe_);
    for (const auto& a : args) command += " " + RealWinePrefix::ShellQuote(a);
    command += " >" + RealWinePrefix::ShellQuote(out.string()) + " 2>" +
               RealWinePrefix::ShellQuote(err.string());
    Outcome o;
    // The planted programs, if the scan left them running, would keep the wineserver up.
    o.status = RealWinePrefix::RunWine(
        prefix, "QUILLONET_UPDATE_SERVER=http://127.0.0.1:9 QUILLONET_PROGRAM_DIR=" +
                    RealWinePrefix::ShellQuote(WindowsPath((cli_.Work() / "program").string())) +
                    " " + command +
                    "\nstatus=$?\n"
                    "for p in quillcross quillcrosslongrunner; do\n"
                    "  wine taskkill /f /im $p.exe >/dev/null 2>&1\n"
                    "done\n"
                    "exit $status");
    o.out = Unix(CliRunner::ReadAll(out));
    // Wine's own notes on its standard error (e.g. that the volume behind Z: has no label)
    // are not the program's.
    for (const auto& line : text::SplitLines(Unix(CliRunner::ReadAll(err))))
      if (!text::StartsWith(line, "wine: ") && !line.empty()) o.err += line + "\n";
    return o;
  }

  static std::string WindowsPath(const std::string& hostPath) {
    return "Z:" + text::ReplaceAll(hostPath, "/", "\\");
  }
  static void StopWine(const std::string& prefix) { Wine(prefix, "wineserver -k 2>/dev/null"); }

  // Every file, folder and link under drive_c: path, kind, size and content.
  static std::string Files(const std::string& prefix) {
    std::vector<std::string> rows;
    const fs::path root = fs::path(prefix) / "drive_c";
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(root, ec);
         !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
      const std::string rel = it->path().lexically_relative(root).string();
      const fs::file_status status = it->symlink_status(ec);
      if (fs::is_symlink(status)) {
        rows.push_back(rel + " -> " + fs::read_symlink(it->path(), ec).string());
        it.disable_recursion_pending();
      } else if (fs::is_directory(status)) {
        rows.push_back(rel + "/");
      } else if (it->path().filename() == "Scan_Log.txt") {
        rows.push_back(rel);  // compared on its own
      } else if (it->file_size(ec) > (1u << 20)) {
        rows.push_back(rel + " " + std::to_string(it->file_size(ec)));  // Wine's own
      } else {
        const std::string bytes = CliRunner::ReadAll(it->path());
        rows.push_back(rel + " " + std::to_string(bytes.size()) + " " +
                       std::to_string(std::hash<std::string>{}(WithoutTimes(bytes))));
      }
    }
    std::sort(rows.begin(), rows.end());
    std::string text;
    for (const auto& r : rows) text += r + "\n";
    return text;
  }

  // What Wine's own tools show of the keys the definitions touch.
  std::string Hives(const std::string& prefix) {
    const fs::path user = cli_.Work() / "user.reg", machine = cli_.Work() / "machine.reg";
    std::error_code ec;
    fs::remove(user, ec);
    fs::remove(machine, ec);
    std::string shown;
    Wine(prefix,
         "for k in HKCU HKLM; do wine reg query \"$k\\Software\\QuillCross\" /s; done\n"
         "wine reg export 'HKCU\\Software\\QuillCross' " +
             RealWinePrefix::ShellQuote(user.string()) +
             " /y >/dev/null\n"
             "wine reg export 'HKLM\\Software\\QuillCross' " +
             RealWinePrefix::ShellQuote(machine.string()) + " /y >/dev/null",
         &shown);
    return Unix(shown + CliRunner::ReadAll(user) + CliRunner::ReadAll(machine));
  }

  std::string DataFile(const std::string& prefix, const std::string& name) {
    return CliRunner::ReadAll(Native(prefix, Profile() + kDataFolder + "\\" + name));
  }

  static std::string exe_, base_, master_, user_, cookiesFolder_;
  static std::map<std::string, std::string> copies_;
  CliRunner cli_;
};

std::string CrossBackend::exe_, CrossBackend::base_, CrossBackend::master_, CrossBackend::user_,
    CrossBackend::cookiesFolder_;
std::map<std::string, std::string> CrossBackend::copies_;

// How many running programs a scan inspected: the Windows program counts itself, and Wine
// starts and ends helper programs of its own at times of its choosing.
std::string WithoutProcessCount(const std::string& report) {
  static const std::regex count(R"(Processes inspected: [1-9]\d*)");
  return std::regex_replace(report, count, "Processes inspected: <some>");
}

// Running programs come in the order the system lists them, which differs: their rows are
// compared in a fixed order, in their places.
std::string ProgramsSorted(const std::string& text) {
  std::vector<std::string> lines = text::SplitLines(text);
  std::vector<size_t> at;
  std::vector<std::string> programs;
  for (size_t i = 0; i < lines.size(); ++i)
    if (lines[i].find("Running Application") != std::string::npos) {
      at.push_back(i);
      programs.push_back(lines[i]);
    }
  std::sort(programs.begin(), programs.end());
  for (size_t k = 0; k < at.size(); ++k) lines[at[k]] = programs[k];
  std::string joined;
  for (const auto& line : lines) joined += line + "\n";
  return joined;
}

TEST_F(CrossBackend, BothBuildsFindTheSameItemsAndWriteTheSameReport) {
  StartPrograms(master_);
  const Outcome linuxScan = Linux(master_, {"scan", "smart"});
  const Outcome linuxReport = Linux(master_, {"report"});
  StopWine(master_);
  StartPrograms(master_);
  const Outcome windowsScan = Windows(master_, {"scan", "smart"});
  const Outcome windowsReport = Windows(master_, {"report"});

  EXPECT_EQ(linuxScan.status, 1) << linuxScan.out << linuxScan.err;
  EXPECT_EQ(windowsScan.status, linuxScan.status) << windowsScan.out << windowsScan.err;
  EXPECT_SAME(ProgramsSorted(linuxScan.out), ProgramsSorted(windowsScan.out));
  EXPECT_SAME(linuxScan.err, windowsScan.err);
  for (const char* found :
       {"Quill Cross Library", "Quill Cross Document", "Quill Cross Settings", "Quill Cross Data",
        "Quill Cross Text", "Quill Cross Expand", "Quill Cross Number", "Quill Cross Tree",
        "Quill Cross Machine", "QUILLCROSS.EXE was stopped", "QUILLCROSSLONGRUNNER.EXE was stopped",
        "@quillcross[1].txt"})
    EXPECT_NE(linuxScan.out.find(found), std::string::npos) << found << "\n" << linuxScan.out;
  // Only text and number values count; the long names are not in a smart scan's places.
  for (const char* absent : {"List", "Large", "Bytes", "Nothing", "Missing", "Helper", "@harmless"})
    EXPECT_EQ(linuxScan.out.find(absent), std::string::npos) << absent << "\n" << linuxScan.out;
  EXPECT_SAME(ProgramsSorted(WithoutProcessCount(WithoutTimes(linuxReport.out))),
              ProgramsSorted(WithoutProcessCount(WithoutTimes(windowsReport.out))));

  const std::string folder = Profile();
  const Outcome linuxFolder = Linux(master_, {"scan", "folder", folder});
  const Outcome windowsFolder = Windows(master_, {"scan", "folder", folder});
  EXPECT_EQ(linuxFolder.status, 1) << linuxFolder.out << linuxFolder.err;
  EXPECT_EQ(windowsFolder.status, linuxFolder.status) << windowsFolder.err;
  EXPECT_SAME(linuxFolder.out, windowsFolder.out);
  for (const char* found : {"Quill Cross Document", "Quill Cross Settings", "Quill Cross Helper"})
    EXPECT_NE(linuxFolder.out.find(found), std::string::npos) << found << "\n" << linuxFolder.out;
  EXPECT_EQ(linuxFolder.out.find("Quill Cross System"), std::string::npos) << linuxFolder.out;
}

TEST_F(CrossBackend, ARemovalLeavesTheSameFilesHivesAndQuarantine) {
  const std::string a = copies_["remove-linux"], b = copies_["remove-windows"];
  ASSERT_FALSE(a.empty());
  ASSERT_FALSE(b.empty());
  const std::string before = Files(a);
  ASSERT_EQ(before, Files(b));

  const Outcome onLinux = Linux(a, {"scan", "smart", "--remove"});
  const Outcome onWindows = Windows(b, {"scan", "smart", "--remove"});
  EXPECT_EQ(onLinux.status, 0) << onLinux.out << onLinux.err;
  EXPECT_EQ(onWindows.status, onLinux.status) << onWindows.out << onWindows.err;
  EXPECT_SAME(onLinux.out, onWindows.out);
  EXPECT_SAME(onLinux.err, onWindows.err);

  const std::string linuxFiles = Files(a);
  EXPECT_NE(linuxFiles, before);
  EXPECT_SAME(linuxFiles, Files(b));
  const std::string linuxHives = Hives(a);
  EXPECT_NE(linuxHives.find("Keep"), std::string::npos) << linuxHives;
  EXPECT_SAME(linuxHives, Hives(b));
  for (const char* name : {"Quarantine\\QuarantineManifest.txt", "Quarantine\\QuarantineLog.txt"})
    EXPECT_SAME(WithoutTimes(DataFile(a, name)), WithoutTimes(DataFile(b, name)));
  const Outcome linuxList = Linux(a, {"quarantine", "list"});
  const Outcome windowsList = Windows(b, {"quarantine", "list"});
  EXPECT_SAME(WithoutTimes(linuxList.out), WithoutTimes(windowsList.out));
}

TEST_F(CrossBackend, LiveUpdateEndsInTheSameDefinitionsAndRefusesAForeignSignature) {
  DefServer server;
  ASSERT_TRUE(server.Publish("20260101-000000", {{"FILE", {"a.txt=A|[windir]|Adware"}}}));
  ASSERT_TRUE(
      server.Publish("20260301-000000", {{"FILE", {"b.txt=B|[windir]|Adware"}},
                                         {"EXE", {"c.exe=C|[progfil]C"}},
                                         {"REG", {"1^Software\\QuillUpdate^=Update Key|Adware"}},
                                         {"COOK", {"update.example"}}}));
  ASSERT_TRUE(server.Start());
  const std::string a = copies_["update-linux"], b = copies_["update-windows"];
  ASSERT_FALSE(a.empty());
  ASSERT_FALSE(b.empty());
  const std::string key = server.PublicKeyPath().string();
  const std::string windowsKey = WindowsPath(key);
  auto files = [&](const std::string& prefix) {
    std::string all;
    for (const char* name : {"FileDefinition.dat", "ExeDefinition.dat", "RegistryDefinition.dat",
                             "BlockedCookies.dat", "DirectoryDefinition.dat", "date.dat"})
      all += std::string(name) + ":\n" + DataFile(prefix, name);
    return all;
  };
  auto update = [&](const std::string& keyPath, const std::string& windowsKeyPath) {
    cli_.SetEnv("QUILLONET_UPDATE_SERVER", server.BaseUrl());
    cli_.SetEnv("QUILLONET_UPDATE_KEY", keyPath);
    const Outcome onLinux = Linux(a, {"update"});
    const Outcome onWindows =
        Windows(b, {"update"},
                "QUILLONET_UPDATE_SERVER=" + server.BaseUrl() +
                    " QUILLONET_UPDATE_KEY=" + RealWinePrefix::ShellQuote(windowsKeyPath));
    EXPECT_EQ(onWindows.status, onLinux.status) << onLinux.out << onLinux.err << onWindows.err;
    EXPECT_SAME(onLinux.out, onWindows.out);
    EXPECT_SAME(files(a), files(b));
    return onLinux;
  };

  // A key that is not the server's: every reply is refused and nothing changes (the first
  // run takes over the staged definitions, as every start does).
  const fs::path otherKey = server.Root() / "other.pem";
  std::ofstream(otherKey) << "-----BEGIN PUBLIC KEY-----\n"
                             "MFkwEwYHKoZIzj0CAQYIKoZIzj0DAQcDQgAEw7XH4RI8+gSB0Pp7jpZUtLDoskSL\n"
                             "9x0ebO119s1mjsIaZ6lh1x6MQEeDsoE9E6GuDlFWVL7ZzwOwrz1v4XVmHw==\n"
                             "-----END PUBLIC KEY-----\n";
  EXPECT_EQ(update(otherKey.string(), WindowsPath(otherKey.string())).status, 2);
  const std::string before = files(a);
  const Outcome refused = update(otherKey.string(), WindowsPath(otherKey.string()));
  EXPECT_EQ(refused.status, 2) << refused.out;
  EXPECT_TRUE(text::StartsWith(refused.out, "The update could not be completed.")) << refused.out;
  EXPECT_EQ(files(a), before);

  Outcome updated = update(key, windowsKey);
  EXPECT_EQ(updated.status, 0) << updated.out;
  EXPECT_NE(files(a), before);
  EXPECT_NE(DataFile(a, "FileDefinition.dat").find(EncodeLine("b.txt=B|[windir]|Adware")),
            std::string::npos);
  const std::string after = files(a);
  Outcome again = update(key, windowsKey);
  EXPECT_EQ(again.status, 0) << again.out;
  EXPECT_EQ(again.out, "You are using the most recent Quillonet definitions. Changes: 0\n");
  EXPECT_EQ(files(a), after);
}

}  // namespace
}  // namespace quill::test
