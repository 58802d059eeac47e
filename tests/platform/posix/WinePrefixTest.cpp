#include "platform/posix/WinePrefix.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>

#include "support/ScopedEnv.h"
#include "support/TempPrefix.h"

namespace quill::platform::posix {
namespace {

namespace fs = std::filesystem;
using test::ScopedEnv;

class WinePrefixTest : public ::testing::Test {
 protected:
  void SetUp() override {
    base_ = fs::temp_directory_path() /
            ("quill-wp-" + std::to_string(::getpid()) + "-" +
             ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(base_);
    fs::create_directories(base_);
  }
  void TearDown() override { fs::remove_all(base_); }
  fs::path base_;
};

TEST_F(WinePrefixTest, DefaultLayoutHasWinesFolders) {
  std::string root = (base_ / "p").string();
  ASSERT_TRUE(WinePrefix::CreateDefaultLayout(root, "alice"));
  for (const char* folder :
       {"drive_c/users/alice/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/StartUp",
        "drive_c/users/alice/AppData/Local/Microsoft/Windows/INetCache",
        "drive_c/users/alice/AppData/LocalLow", "drive_c/users/alice/Documents",
        "drive_c/users/alice/AppData/Roaming/Microsoft/Windows/SendTo",
        "drive_c/users/Public/Desktop", "drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs",
        "drive_c/windows/system32", "drive_c/windows/Fonts", "drive_c/windows/temp",
        "drive_c/Program Files/Common Files", "drive_c/Program Files (x86)"})
    EXPECT_TRUE(fs::is_directory(fs::path(root) / folder)) << folder;
  EXPECT_EQ(fs::read_symlink(fs::path(root) / "dosdevices/c:"), "../drive_c");
  EXPECT_EQ(fs::read_symlink(fs::path(root) / "dosdevices/z:"), "/");
  // Running it again over an existing prefix keeps what is there.
  fs::path marker = fs::path(root) / "drive_c/users/alice/Documents/keep.txt";
  std::ofstream(marker) << "x";
  EXPECT_TRUE(WinePrefix::CreateDefaultLayout(root, "alice"));
  EXPECT_TRUE(fs::exists(marker));
  EXPECT_FALSE(WinePrefix::CreateDefaultLayout(root, "../escape"));
  EXPECT_EQ(WinePrefix::UserNameOf(root), "alice");  // the only profile there
}

TEST_F(WinePrefixTest, ResolveOrder) {
  ScopedEnv home("HOME", base_.string());
  ScopedEnv data("XDG_DATA_HOME", std::nullopt);
  ScopedEnv wine("WINEPREFIX", std::nullopt);

  // Nothing configured: the program's own prefix, created on first use.
  WinePrefix embedded = WinePrefix::Resolve("");
  EXPECT_EQ(embedded.Root(), (base_ / ".local/share/quillonet/prefix").string());
  EXPECT_TRUE(embedded.Usable());
  EXPECT_TRUE(fs::is_directory(embedded.Root() + "/drive_c/users/" + embedded.UserName()));
  {
    ScopedEnv xdg("XDG_DATA_HOME", (base_ / "xdg").string());
    EXPECT_EQ(WinePrefix::Resolve("").Root(), (base_ / "xdg/quillonet/prefix").string());
  }
  // ~/.wine when it exists (used as found, never re-laid out).
  fs::create_directories(base_ / ".wine");
  EXPECT_EQ(WinePrefix::Resolve("").Root(), (base_ / ".wine").string());
  EXPECT_FALSE(fs::exists(base_ / ".wine/drive_c"));
  {
    ScopedEnv env("WINEPREFIX", (base_ / "fromenv").string());
    EXPECT_EQ(WinePrefix::Resolve("").Root(), (base_ / "fromenv").string());
    // A named folder that is no prefix is never made into one.
    EXPECT_FALSE(fs::exists(base_ / "fromenv"));
    // An explicit folder beats everything; a trailing slash is dropped.
    WinePrefix chosen = WinePrefix::Resolve((base_ / "chosen").string() + "/");
    EXPECT_EQ(chosen.Root(), (base_ / "chosen").string());
    EXPECT_FALSE(chosen.Usable());
    EXPECT_FALSE(fs::exists(base_ / "chosen"));
  }
}

TEST_F(WinePrefixTest, ExistingFolderWithContentIsNotLaidOut) {
  fs::create_directories(base_ / "mine");
  std::ofstream(base_ / "mine/notes.txt") << "x";
  WinePrefix prefix = WinePrefix::Resolve((base_ / "mine").string());
  EXPECT_FALSE(prefix.Usable());
  EXPECT_FALSE(fs::exists(base_ / "mine/drive_c"));
}

TEST(TempPrefixTest, MapsWindowsPathsAndCleansUp) {
  std::string root;
  {
    test::TempPrefix prefix;
    root = prefix.Root();
    ASSERT_TRUE(prefix.WriteFile("C:\\users\\" + prefix.User() + "\\New\\Deep\\f.txt", "x"));
    EXPECT_TRUE(fs::exists(root + "/drive_c/users/" + prefix.User() + "/New/Deep/f.txt"));
    EXPECT_EQ(WinePrefix::UserNameOf(root), prefix.User());
  }
  EXPECT_FALSE(fs::exists(root));
  EXPECT_TRUE(fs::exists("/usr"));  // the Z: link was removed, not followed
}

}  // namespace
}  // namespace quill::platform::posix
