#include "platform/PrefixDiscovery.h"

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace quill::platform {
namespace {

namespace fs = std::filesystem;

class PrefixDiscoveryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    home_ = fs::temp_directory_path() / ("quill-home-" + std::to_string(::getpid()));
    fs::remove_all(home_);
    fs::create_directories(home_);
    places_.home = home_.string();
  }
  void TearDown() override { fs::remove_all(home_); }

  // A folder as Wine leaves it: hives, drive C: and its mapping; `hives` false makes a
  // look-alike.
  std::string Prefix(const std::string& relative, bool hives = true) {
    fs::create_directories(home_ / relative / "drive_c");
    fs::create_directories(home_ / relative / "dosdevices");
    fs::create_directory_symlink("../drive_c", home_ / relative / "dosdevices" / "c:");
    if (hives)
      for (const char* hive : {"system.reg", "user.reg"}) Write(relative + "/" + hive, "");
    return (home_ / relative).string();
  }
  void Write(const std::string& relative, const std::string& bytes) {
    fs::create_directories((home_ / relative).parent_path());
    std::ofstream(home_ / relative) << bytes;
  }
  std::vector<std::string> Found() {
    std::vector<std::string> lines;
    for (const auto& p : DiscoverPrefixes(places_))
      lines.push_back(p.source + " " + p.name + " " + p.path.substr(home_.string().size()));
    return lines;
  }

  fs::path home_;
  PrefixSearchPlaces places_;
};

TEST_F(PrefixDiscoveryTest, FindsEveryKindOfPrefixOnceAndOnlyRealOnes) {
  places_.winePrefix = Prefix("custom");
  Prefix(".wine");
  Prefix(".local/share/wineprefixes/office");
  Prefix(".local/share/wineprefixes/looks-like", false);
  fs::create_directories(home_ / ".local/share/wineprefixes/empty");
  // Hives and a drive_c folder but no drive C: mapping: nothing could scan it.
  fs::remove_all(fs::path(Prefix(".local/share/wineprefixes/unmapped")) / "dosdevices");
  Prefix(".local/share/bottles/bottles/Gaming");
  Prefix("Games/one");
  Write(".config/lutris/games/one-1700000000.yml",
        "game:\n  exe: x.exe\n  prefix: '~/Games/one'\nwine:\n  version: lutris\n");
  Write(".config/lutris/games/native-1700000001.yml", "game:\n  exe: /usr/bin/true\n");
  Write(".config/lutris/games/other-1.yml", "system:\n  prefix: /etc\n");
  Prefix(".local/share/Steam/steamapps/compatdata/100/pfx");
  Prefix("lib2/steamapps/compatdata/200/pfx");
  Prefix("lib2/steamapps/compatdata/300/pfx", false);
  Write(".local/share/Steam/steamapps/libraryfolders.vdf",
        "\"libraryfolders\"\n{\n\t\"0\"\n\t{\n\t\t\"path\"\t\t\"" + home_.string() +
            "/.local/share/Steam\"\n\t}\n\t\"1\"\n\t{\n\t\t\"path\"\t\t\"" + home_.string() +
            "/lib2\"\n\t\t\"apps\" { \"200\" \"1\" }\n\t}\n}\n");
  fs::create_directories(home_ / ".steam");
  fs::create_directory_symlink(home_ / ".local/share/Steam", home_ / ".steam/steam");
  Prefix(".PlayOnLinux/wineprefix/Office2010");
  fs::create_directories(home_ / ".local/share/quillonet/prefix/drive_c");
  fs::create_directories(home_ / ".local/share/quillonet/prefix/dosdevices");
  fs::create_directory_symlink("../drive_c", home_ / ".local/share/quillonet/prefix/dosdevices/c:");

  const std::vector<std::string> expected = {
      "WINEPREFIX  /custom",
      "wine  /.wine",
      "wineprefixes office /.local/share/wineprefixes/office",
      "bottles Gaming /.local/share/bottles/bottles/Gaming",
      "lutris one /Games/one",
      "steam 100 /.local/share/Steam/steamapps/compatdata/100/pfx",
      "steam 200 /lib2/steamapps/compatdata/200/pfx",
      "playonlinux Office2010 /.PlayOnLinux/wineprefix/Office2010",
      "default  /.local/share/quillonet/prefix",
  };
  EXPECT_EQ(Found(), expected);

  // $WINEPREFIX naming a prefix another source has: listed once, as the first source found it.
  places_.winePrefix = (home_ / ".wine").string();
  EXPECT_EQ(Found().front(), "WINEPREFIX  /.wine");
  EXPECT_EQ(Found().size(), expected.size() - 1);
}

TEST_F(PrefixDiscoveryTest, CreatesNothingAndSurvivesHostileFiles) {
  Write(".config/lutris/games/bad-1.yml", std::string(3 << 20, 'x'));
  Write(".local/share/Steam/steamapps/libraryfolders.vdf", "\"path\" \"unterminated\\");
  // A pipe where a library list belongs would block a plain read for ever.
  fs::create_directories(home_ / ".local/share/Steam/config");
  ASSERT_EQ(::mkfifo((home_ / ".local/share/Steam/config/libraryfolders.vdf").c_str(), 0600), 0);
  places_.winePrefix = "/nonexistent/prefix";
  EXPECT_TRUE(Found().empty());
  EXPECT_FALSE(fs::exists(home_ / ".wine"));
  EXPECT_FALSE(fs::exists(home_ / ".local/share/quillonet"));
}

}  // namespace
}  // namespace quill::platform
