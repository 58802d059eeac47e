#include "definitions/PathTokens.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <map>

#include "base/Text.h"
#include "platform/posix/PosixFileSystem.h"
#include "platform/posix/PosixShell.h"
#include "platform/posix/WinePrefix.h"
#include "platform/posix/WineRegistry.h"
#include "support/RealWinePrefix.h"
#include "support/TempPrefix.h"
#include "support/TestPlatform.h"

namespace quill {
namespace {

// An older machine: profiles under "Documents and Settings", Start menus inside them.
test::FakeShell ClassicMachine() {
  test::FakeShell shell;
  shell.systemDirectory = "C:\\WINDOWS\\system32";
  shell.windowsDirectory = "C:\\WINDOWS";
  const std::string me = "C:\\Documents and Settings\\me";
  const std::string all = "C:\\Documents and Settings\\All Users";
  shell.folders = {{2, me + "\\Start Menu\\Programs"},
                   {5, me + "\\My Documents"},
                   {6, me + "\\Favorites"},
                   {7, me + "\\Start Menu\\Programs\\Startup"},
                   {8, me + "\\Recent"},
                   {9, me + "\\SendTo"},
                   {11, me + "\\Start Menu"},
                   {16, me + "\\Desktop"},
                   {20, "C:\\WINDOWS\\Fonts"},
                   {21, me + "\\Templates"},
                   {22, all + "\\Start Menu"},
                   {23, all + "\\Start Menu\\Programs"},
                   {25, all + "\\Desktop"},
                   {26, me + "\\Application Data"},
                   {31, all + "\\Favorites"},
                   {32, me + "\\Local Settings\\Temporary Internet Files"},
                   {33, me + "\\Cookies"},
                   {34, me + "\\Local Settings\\History"},
                   {35, all + "\\Application Data"},
                   {36, "C:\\WINDOWS"},
                   {37, "C:\\WINDOWS\\system32"},
                   {38, "C:\\Program Files"},
                   {43, "C:\\Program Files\\Common Files"},
                   {45, all + "\\Templates"},
                   {46, all + "\\Documents"},
                   {29, me + "\\Start Menu\\Programs\\Startup"},
                   {30, all + "\\Start Menu\\Programs\\Startup"}};
  return shell;
}

TEST(PathTokensTest, EveryTokenNamesItsFolder) {
  test::FakeShell shell;
  for (int id : {2,  5,  6,  7,  8,  9,  11, 16, 20, 21, 22, 23, 25, 26,
                 29, 30, 31, 32, 33, 34, 35, 36, 37, 38, 43, 45, 46})
    shell.folders[id] = "X:\\F" + std::to_string(id);
  PathTokens tokens(shell);
  const std::pair<const char*, int> expected[] = {
      {"[startsp]", 29}, {"[appdata]", 26}, {"[comstar]", 30},    {"[comapp]", 35},
      {"[desktop]", 25}, {"[comdocs]", 46}, {"[comfav]", 31},     {"[comprog]", 23},
      {"[comstam]", 22}, {"[comtemp]", 45}, {"[cookies]", 33},    {"[comdesk]", 16},
      {"[favorit]", 6},  {"[fonts]", 20},   {"[history]", 34},    {"[netcach]", 32},
      {"[progs]", 2},    {"[progfil]", 38}, {"[comprogfil]", 43}, {"[personl]", 5},
      {"[recent]", 8},   {"[sendto]", 9},   {"[startup]", 7},     {"[strtmnu]", 11},
      {"[system]", 37},  {"[templat]", 21}, {"[windir]", 36}};
  for (const auto& [token, id] : expected)
    EXPECT_EQ(tokens.ExpandPathTokens(std::string(token) + "a.exe"),
              "X:\\F" + std::to_string(id) + "\\a.exe")
        << token;
  // Every occurrence, in any letter case.
  EXPECT_EQ(tokens.ExpandPathTokens("[APPDATA]x|[AppData]y|[appdata]"),
            "X:\\F26\\x|X:\\F26\\y|X:\\F26\\");
  EXPECT_EQ(tokens.ExpandPathTokens("no tokens [here]"), "no tokens [here]");
}

TEST(PathTokensTest, ProfileTokensMatchExactCaseOnly) {
  test::FakeShell shell = ClassicMachine();
  PathTokens tokens(shell);
  EXPECT_EQ(tokens.ExpandPathTokens("[user]Local Settings\\x"),
            "C:\\Documents and Settings\\me\\Local Settings\\x");
  EXPECT_EQ(tokens.ExpandPathTokens("[alluser]Application Data\\y"),
            "C:\\Documents and Settings\\All Users\\Application Data\\y");
  EXPECT_EQ(tokens.ExpandPathTokens("[USER]x"), "[USER]x");
  EXPECT_EQ(tokens.ExpandPathTokens("[AllUser]x"), "[AllUser]x");
  EXPECT_EQ(tokens.ExpandPathTokens("[user][user]"),
            "C:\\Documents and Settings\\me\\C:\\Documents and Settings\\me\\");
}

TEST(PathTokensTest, UnresolvedFoldersVanishAndSeparatorsCollapse) {
  test::FakeShell shell = ClassicMachine();
  PathTokens tokens(shell);
  EXPECT_EQ(tokens.ExpandPathTokens("[recycle]"), "");
  EXPECT_EQ(tokens.ExpandPathTokens("[recycle]INFO2"), "INFO2");
  std::string windir = tokens.ExpandPathTokens("[windir]\\system32\\bad.dll");
  EXPECT_EQ(windir, "C:\\WINDOWS\\\\system32\\bad.dll");
  EXPECT_EQ(text::ReplaceAll(windir, "\\\\", "\\"), "C:\\WINDOWS\\system32\\bad.dll");
  // A root folder does not get a second separator.
  shell.folders[38] = "D:\\";
  PathTokens fresh(shell);
  EXPECT_EQ(fresh.ExpandPathTokens("[progfil]app"), "D:\\app");
}

TEST(PathTokensTest, FolderHelpers) {
  test::FakeShell shell = ClassicMachine();
  PathTokens tokens(shell);
  EXPECT_EQ(tokens.SpecialFolderPath(26), "C:\\Documents and Settings\\me\\Application Data\\");
  EXPECT_EQ(tokens.SpecialFolderPath(10), "");
  EXPECT_EQ(tokens.SpecialFolderByLocation(10), "");
  EXPECT_EQ(tokens.SpecialFolderByLocation(36), "C:\\WINDOWS\\");
  EXPECT_EQ(tokens.SystemDriveRoot(), "C:\\");
  EXPECT_EQ(tokens.SystemDirectory(), "C:\\WINDOWS\\system32\\");

  // Folders do not move while the program runs: each is asked for once.
  int before = shell.asked;
  tokens.ExpandPathTokens("[appdata][cookies][cookies][recycle]");
  tokens.ExpandPathTokens("[COOKIES][recycle]");
  EXPECT_EQ(shell.asked, before + 1);  // only [cookies] is new

  test::FakeShell empty;
  empty.systemDirectory = "";
  PathTokens none(empty);
  EXPECT_EQ(none.SystemDriveRoot(), "");
  EXPECT_EQ(none.SystemDirectory(), "");
}

TEST(PathTokensTest, RootCodes) {
  test::FakeShell shell;
  PathTokens tokens(shell);
  struct Case {
    const char* code;
    int64_t handle;
    const char* name;
  };
  const Case cases[] = {{"0", 0x80000000LL, "HKEY_CLASSES_ROOT"},
                        {"1", 0x80000001LL, "HKEY_CURRENT_USER"},
                        {"2", 0x80000002LL, "HKEY_LOCAL_MACHINE"},
                        {"3", 0x80000003LL, "HKEY_USERS"},
                        {"4", 0x80000005LL, "HKEY_CURRENT_CONFIG"},
                        {"5", 0x80000006LL, "HKEY_DYN_DATA"},
                        {"x", 0x80000000LL, "HKEY_CLASSES_ROOT"},
                        {"", 0x80000000LL, "HKEY_CLASSES_ROOT"},
                        {" 2", 0x80000002LL, "HKEY_LOCAL_MACHINE"},
                        {"9", -1, ""},
                        {"-1", -1, ""},
                        {"6", -1, ""}};
  for (const Case& c : cases) {
    PathTokens::Root root = tokens.ResolveRootCode(c.code);
    EXPECT_EQ(root.handle, c.handle) << c.code;
    EXPECT_EQ(root.name, c.name) << c.code;
    EXPECT_EQ(root.Valid(), c.handle != -1) << c.code;
    EXPECT_EQ(tokens.CurrentRootName(), c.name) << c.code;
  }
}

// A prefix laid out the way Wine lays out a new one: profiles under C:\users, Start menus
// under AppData.
TEST(PathTokensTest, WinePrefixLayout) {
  test::TempPrefix prefix;
  test::FakeRegistry registry;
  platform::posix::PosixFileSystem files(prefix.Root());
  platform::posix::PosixShell shell(prefix.Root(), registry, files);
  PathTokens tokens(shell);
  const std::string profile = "C:\\users\\" + prefix.User() + "\\";
  EXPECT_EQ(tokens.ExpandPathTokens("[user]"), profile);
  EXPECT_EQ(tokens.ExpandPathTokens("[alluser]"), "C:\\ProgramData\\");
  EXPECT_EQ(tokens.ExpandPathTokens("[appdata]QuillonetDAT"),
            profile + "AppData\\Roaming\\QuillonetDAT");
  EXPECT_EQ(tokens.ExpandPathTokens("[desktop]"), "C:\\users\\Public\\Desktop\\");
  EXPECT_EQ(tokens.ExpandPathTokens("[comdesk]"), profile + "Desktop\\");
  EXPECT_EQ(tokens.ExpandPathTokens("[startsp]x"), "x");
  EXPECT_EQ(tokens.SystemDriveRoot(), "C:\\");
  EXPECT_EQ(tokens.SystemDirectory(), "C:\\windows\\system32\\");
}

// Values of one key as Wine's own reg.exe prints them ("    Name    REG_SZ    Data").
std::map<std::string, std::string> RegQueryValues(const std::string& output,
                                                  const std::string& key) {
  std::map<std::string, std::string> values;
  bool inKey = false;
  for (const std::string& line : text::SplitLines(output)) {
    if (text::StartsWith(line, "HKEY_")) inKey = text::EqualsNoCase(line, key);
    if (!inKey || !text::StartsWith(line, "    ")) continue;
    size_t type = line.find("    REG_");
    if (type == std::string::npos) continue;
    size_t data = line.find("    ", type + 4);
    if (data == std::string::npos) continue;
    values[text::ToLower(line.substr(4, type - 4))] = text::TrimRight(line.substr(data + 4));
  }
  return values;
}

// A prefix made by Wine itself: every token names the folder Wine recorded for it.
TEST(PathTokensRealWine, TokensNameTheFoldersWineRecorded) {
  QUILL_REQUIRE_REAL_WINE();
  namespace fs = std::filesystem;
  fs::path dir = fs::temp_directory_path() / ("quill-tokens-" + std::to_string(::getpid()));
  fs::remove_all(dir);
  std::string root = test::RealWinePrefix::CopyTo(dir.string());
  ASSERT_FALSE(root.empty());

  const std::string shellFolders =
      "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
  std::string output;
  ASSERT_EQ(
      test::RealWinePrefix::RunWine(
          root,
          "wine reg query " + test::RealWinePrefix::ShellQuote("HKCU\\" + shellFolders) +
              "; wine reg query " + test::RealWinePrefix::ShellQuote("HKLM\\" + shellFolders) +
              "; wine cmd /c 'echo ENV;%windir%;%ProgramFiles%;%CommonProgramFiles%;"
              "%USERPROFILE%;%ALLUSERSPROFILE%'",
          &output),
      0)
      << output;
  auto user = RegQueryValues(output, "HKEY_CURRENT_USER\\" + shellFolders);
  auto machine = RegQueryValues(output, "HKEY_LOCAL_MACHINE\\" + shellFolders);
  std::vector<std::string> env;
  for (const std::string& line : text::SplitLines(output))
    if (text::StartsWith(line, "ENV;")) env = text::Split(text::TrimRight(line.substr(4)), ";");
  ASSERT_EQ(env.size(), 5u) << output;
  ASSERT_FALSE(user.empty()) << output;

  platform::posix::WineRegistry registry(root);
  platform::posix::PosixFileSystem files(root);
  platform::posix::PosixShell shell(root, registry, files);
  PathTokens tokens(shell);
  const std::pair<const char*, std::string> expected[] = {
      {"[appdata]", user["appdata"]},
      {"[cookies]", user["cookies"]},
      {"[comdesk]", user["desktop"]},
      {"[favorit]", user["favorites"]},
      {"[fonts]", user["fonts"]},
      {"[history]", user["history"]},
      {"[netcach]", user["cache"]},
      {"[progs]", user["programs"]},
      {"[personl]", user["personal"]},
      {"[recent]", user["recent"]},
      {"[sendto]", user["sendto"]},
      {"[startup]", user["startup"]},
      {"[strtmnu]", user["start menu"]},
      {"[templat]", user["templates"]},
      {"[comapp]", machine["common appdata"]},
      {"[desktop]", machine["common desktop"]},
      {"[comdocs]", machine["common documents"]},
      {"[comfav]", machine["common favorites"]},
      {"[comprog]", machine["common programs"]},
      {"[comstam]", machine["common start menu"]},
      {"[comtemp]", machine["common templates"]},
      {"[windir]", env[0]},
      {"[system]", env[0] + "\\system32"},
      {"[progfil]", env[1]},
      {"[comprogfil]", env[2]},
      {"[user]", env[3]},
      {"[alluser]", env[4]},
  };
  for (const auto& [token, folder] : expected) {
    ASSERT_FALSE(folder.empty()) << token;
    EXPECT_TRUE(text::EqualsNoCase(tokens.ExpandPathTokens(token), folder + "\\"))
        << token << ": " << tokens.ExpandPathTokens(token) << " vs " << folder;
    EXPECT_TRUE(files.Attributes(folder).has_value()) << token << " " << folder;
  }
  // Wine has no Recycle Bin folder and no alternate Startup folders.
  EXPECT_EQ(tokens.ExpandPathTokens("[recycle][startsp][comstar]"), "");
  EXPECT_EQ(tokens.SystemDriveRoot(), "C:\\");
  fs::remove_all(dir);
}

}  // namespace
}  // namespace quill
