#include "platform/posix/PosixFileSystem.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "support/ReadNative.h"
#include "support/TempPrefix.h"

namespace quill::platform::posix {
namespace {

namespace fs = std::filesystem;

using test::Slurp;

class PosixFileSystemTest : public ::testing::Test {
 protected:
  test::TempPrefix prefix_;
  PosixFileSystem files_{prefix_.Root()};
};

TEST_F(PosixFileSystemTest, ResolvesComponentsWithoutRegardToCase) {
  ASSERT_TRUE(prefix_.WriteFile("C:\\Program Files\\Tool\\Run.EXE", "MZ"));
  EXPECT_EQ(files_.ReadFile("c:\\program files\\TOOL\\run.exe").value_or("?"), "MZ");
  EXPECT_EQ(files_.ReadFile("C:/Program Files/tool/RUN.exe").value_or("?"), "MZ");
  EXPECT_EQ(files_.ResolveCase("c:\\PROGRAM FILES\\tool\\run.exe").value_or(""),
            "C:\\Program Files\\Tool\\Run.EXE");
  EXPECT_EQ(files_.ResolveCase("c:\\").value_or(""), "C:\\");
  EXPECT_EQ(files_.FileSize("C:\\program files\\tool\\run.exe").value_or(0), 2u);

  // With two spellings on disk the exact one wins, like Wine.
  ASSERT_TRUE(prefix_.WriteFile("C:\\Mixed\\a.txt", "lower"));
  std::ofstream(prefix_.Root() + "/drive_c/Mixed/A.TXT") << "upper";
  EXPECT_EQ(files_.ReadFile("C:\\mixed\\A.TXT").value_or(""), "upper");
  EXPECT_EQ(files_.ReadFile("C:\\mixed\\a.txt").value_or(""), "lower");
}

TEST_F(PosixFileSystemTest, DotDotStopsAtTheDriveRoot) {
  ASSERT_TRUE(prefix_.WriteFile("C:\\top.txt", "top"));
  ASSERT_TRUE(prefix_.MakeFolder("C:\\a\\b"));
  EXPECT_EQ(files_.ReadFile("C:\\a\\b\\..\\..\\top.txt").value_or(""), "top");
  EXPECT_EQ(files_.ReadFile("C:\\..\\..\\..\\top.txt").value_or(""), "top");
  EXPECT_EQ(files_.ReadFile("C:\\a\\.\\.\\..\\top.txt").value_or(""), "top");
  // The prefix itself (one level above drive_c) is out of reach through C:.
  EXPECT_FALSE(files_.Attributes("C:\\..\\dosdevices").has_value());
  EXPECT_EQ(files_.NativePath("C:\\..\\..\\etc"), prefix_.Native("C:\\etc"));
}

TEST_F(PosixFileSystemTest, MalformedAndUnmappedPathsAreAbsent) {
  ASSERT_TRUE(prefix_.WriteFile("C:\\a\\b.txt", "x"));
  for (const char* path :
       {"C:\\a\\\\b.txt", "Q:\\a\\b.txt", "a\\b.txt", "\\a\\b.txt", "C:a\\b.txt",
        "\\\\server\\share\\a", "", "C:\\a\\b.txt:stream", "C:\\a\\*.txt", "1:\\a"}) {
    EXPECT_FALSE(files_.Attributes(path).has_value()) << path;
    EXPECT_FALSE(files_.ReadFile(path).has_value()) << path;
    EXPECT_FALSE(files_.WriteFile(path, "y")) << path;
    EXPECT_EQ(files_.NativePath(path), "") << path;
  }
  EXPECT_FALSE(files_.Attributes(std::string("C:\\a\0\\b.txt", 11)).has_value());
  // A trailing separator still names the folder; the long-path form names the same file.
  EXPECT_TRUE(files_.Attributes("C:\\a\\").has_value());
  EXPECT_EQ(files_.ReadFile("\\\\?\\C:\\a\\b.txt").value_or(""), "x");
  // Z: is the whole host.
  EXPECT_TRUE(files_.Attributes("Z:\\").has_value());
  EXPECT_EQ(files_.NativePath("Z:\\tmp"), "/tmp");
}

TEST_F(PosixFileSystemTest, AttributesFollowWine) {
  ASSERT_TRUE(prefix_.WriteFile("C:\\d\\plain.txt", "x"));
  ASSERT_TRUE(prefix_.WriteFile("C:\\d\\.hidden", "x"));
  ASSERT_TRUE(prefix_.WriteFile("C:\\d\\locked.txt", "x"));
  ASSERT_TRUE(prefix_.MakeFolder("C:\\d\\.dotdir"));
  ::chmod(prefix_.Native("C:\\d\\locked.txt").c_str(), 0444);

  EXPECT_EQ(files_.Attributes("C:\\d").value_or(0), kAttrDirectory);
  EXPECT_EQ(files_.Attributes("C:\\d\\plain.txt").value_or(0), kAttrArchive);
  EXPECT_EQ(files_.Attributes("C:\\d\\.hidden").value_or(0), kAttrArchive | kAttrHidden);
  EXPECT_EQ(files_.Attributes("C:\\d\\locked.txt").value_or(0), kAttrArchive | kAttrReadOnly);
  EXPECT_EQ(files_.Attributes("C:\\d\\.dotdir").value_or(0), kAttrDirectory | kAttrHidden);

  auto list = files_.List("c:\\D");
  ASSERT_TRUE(list.has_value());
  std::vector<std::string> names;
  for (const auto& e : *list) names.push_back(e.name);
  EXPECT_EQ(names, (std::vector<std::string>{".dotdir", ".hidden", "locked.txt", "plain.txt"}));
  EXPECT_EQ((*list)[2].attributes, kAttrArchive | kAttrReadOnly);
  EXPECT_EQ((*list)[3].size, 1u);
  EXPECT_FALSE(files_.List("C:\\d\\plain.txt").has_value());

  // Read-only is honoured on writes and deletes, as Windows does, even for the superuser.
  EXPECT_FALSE(files_.WriteFile("C:\\d\\locked.txt", "y"));
  EXPECT_FALSE(files_.DeleteFile("C:\\d\\locked.txt"));
  EXPECT_TRUE(files_.SetAttributes("C:\\d\\locked.txt", kAttrArchive));
  EXPECT_EQ(files_.Attributes("C:\\d\\locked.txt").value_or(0), kAttrArchive);
  EXPECT_TRUE(files_.SetAttributes("C:\\d\\plain.txt", kAttrArchive | kAttrReadOnly));
  EXPECT_EQ(files_.Attributes("C:\\d\\plain.txt").value_or(0), kAttrArchive | kAttrReadOnly);
  EXPECT_TRUE(files_.SetAttributes("C:\\d\\plain.txt", 0));
  EXPECT_TRUE(files_.DeleteFile("C:\\d\\PLAIN.txt"));
  EXPECT_FALSE(files_.Attributes("C:\\d\\plain.txt").has_value());
}

TEST_F(PosixFileSystemTest, HiddenAndSystemBitsAreKeptWhereWineKeepsThem) {
  ASSERT_TRUE(prefix_.WriteFile("C:\\d\\boot.ini", "x"));
  if (!files_.SetAttributes("C:\\d\\boot.ini", kAttrArchive | kAttrHidden | kAttrSystem))
    GTEST_SKIP() << "this file system keeps no extended attributes";
  EXPECT_EQ(files_.Attributes("C:\\d\\BOOT.INI").value_or(0),
            kAttrArchive | kAttrHidden | kAttrSystem);
  char stored[16] = {};
  ASSERT_GT(::getxattr(prefix_.Native("C:\\d\\boot.ini").c_str(), "user.DOSATTRIB", stored,
                       sizeof(stored) - 1),
            0);
  EXPECT_STREQ(stored, "0x6");
  // A listing reads the same bits, for files and folders alike.
  ASSERT_TRUE(prefix_.MakeFolder("C:\\d\\secret"));
  ASSERT_TRUE(prefix_.WriteFile("C:\\d\\plain.txt", "x"));
  ASSERT_TRUE(files_.SetAttributes("C:\\d\\secret", kAttrDirectory | kAttrHidden));
  auto listing = files_.List("C:\\D");
  ASSERT_TRUE(listing.has_value());
  std::vector<std::pair<std::string, uint32_t>> seen;
  for (const auto& entry : *listing) seen.emplace_back(entry.name, entry.attributes);
  EXPECT_EQ(seen, (std::vector<std::pair<std::string, uint32_t>>{
                      {"boot.ini", kAttrArchive | kAttrHidden | kAttrSystem},
                      {"plain.txt", kAttrArchive},
                      {"secret", kAttrDirectory | kAttrHidden}}));
  EXPECT_TRUE(files_.SetAttributes("C:\\d\\boot.ini", kAttrArchive));
  EXPECT_EQ(files_.Attributes("C:\\d\\boot.ini").value_or(0), kAttrArchive);
}

TEST_F(PosixFileSystemTest, WritesAppendsAndCopiesBytesAsGiven) {
  EXPECT_TRUE(files_.WriteFile("C:\\log.txt", "one\r\n"));
  EXPECT_TRUE(files_.AppendFile("c:\\LOG.TXT", "two\r\n"));
  EXPECT_TRUE(files_.AppendFile("C:\\new.txt", "fresh"));
  EXPECT_EQ(Slurp(prefix_.Native("C:\\log.txt")), "one\r\ntwo\r\n");
  EXPECT_EQ(files_.ReadFile("C:\\new.txt").value_or(""), "fresh");
  EXPECT_FALSE(files_.WriteFile("C:\\missing\\x.txt", "no parent"));
  EXPECT_FALSE(files_.WriteFile("C:\\windows", "a folder"));

  EXPECT_TRUE(files_.CopyFile("C:\\log.txt", "C:\\copy.txt", true));
  EXPECT_FALSE(files_.CopyFile("C:\\log.txt", "C:\\COPY.txt", true));
  EXPECT_FALSE(files_.CopyFile("C:\\log.txt", "C:\\Log.txt", false));  // itself
  EXPECT_EQ(files_.ReadFile("C:\\log.txt").value_or(""), "one\r\ntwo\r\n");
  EXPECT_TRUE(files_.CopyFile("C:\\new.txt", "C:\\copy.txt", false));
  EXPECT_EQ(files_.ReadFile("C:\\copy.txt").value_or(""), "fresh");
  EXPECT_FALSE(files_.CopyFile("C:\\windows", "C:\\w2", false));
}

TEST_F(PosixFileSystemTest, CopiesAndDeletesWholeTrees) {
  ASSERT_TRUE(prefix_.WriteFile("C:\\src\\a.txt", "a"));
  ASSERT_TRUE(prefix_.WriteFile("C:\\src\\sub\\deep\\b.txt", "b"));
  ASSERT_TRUE(prefix_.WriteFile("C:\\src\\sub\\ro.txt", "ro"));
  ASSERT_TRUE(files_.SetAttributes("C:\\src\\sub\\ro.txt", kAttrArchive | kAttrReadOnly));

  EXPECT_TRUE(files_.CopyFolder("C:\\SRC", "C:\\dst", false));
  EXPECT_EQ(files_.ReadFile("C:\\dst\\sub\\deep\\b.txt").value_or(""), "b");
  EXPECT_EQ(files_.Attributes("C:\\dst\\sub\\ro.txt").value_or(0), kAttrArchive | kAttrReadOnly);
  // Without overwrite the destination is made new: an existing one fails the copy untouched.
  ASSERT_TRUE(prefix_.WriteFile("C:\\src\\later.txt", "later"));
  EXPECT_FALSE(files_.CopyFolder("C:\\src", "C:\\dst", false));
  EXPECT_FALSE(files_.Attributes("C:\\dst\\later.txt").has_value());
  // With overwrite it is merged into, except for the read-only file there.
  EXPECT_FALSE(files_.CopyFolder("C:\\src", "C:\\dst", true));
  EXPECT_EQ(files_.ReadFile("C:\\dst\\later.txt").value_or(""), "later");
  // A tree cannot be copied into itself.
  EXPECT_FALSE(files_.CopyFolder("C:\\src", "C:\\src\\sub\\again", true));
  EXPECT_FALSE(files_.Attributes("C:\\src\\sub\\again").has_value());

  // Without force a read-only file keeps its folder; with force everything goes.
  EXPECT_FALSE(files_.DeleteFolder("C:\\dst", false));
  EXPECT_TRUE(files_.Attributes("C:\\dst\\sub\\ro.txt").has_value());
  EXPECT_FALSE(files_.Attributes("C:\\dst\\a.txt").has_value());
  EXPECT_TRUE(files_.DeleteFolder("c:\\DST", true));
  EXPECT_FALSE(files_.Attributes("C:\\dst").has_value());
  EXPECT_FALSE(files_.DeleteFolder("C:\\", true));
  EXPECT_FALSE(files_.DeleteFolder("C:\\src\\a.txt", true));
}

TEST_F(PosixFileSystemTest, DeletingALinkedFolderKeepsItsTarget) {
  ASSERT_TRUE(prefix_.WriteFile("C:\\keep\\precious.txt", "p"));
  ASSERT_TRUE(prefix_.MakeFolder("C:\\tree"));
  fs::create_directory_symlink(prefix_.Native("C:\\keep"), prefix_.Native("C:\\tree\\link"));
  EXPECT_TRUE(files_.DeleteFolder("C:\\tree", true));
  EXPECT_EQ(files_.ReadFile("C:\\keep\\precious.txt").value_or(""), "p");
}

TEST_F(PosixFileSystemTest, RenamesAndCreatesFolders) {
  EXPECT_TRUE(files_.CreateFolder("C:\\NewDir"));
  EXPECT_FALSE(files_.CreateFolder("c:\\newdir"));
  EXPECT_FALSE(files_.CreateFolder("C:\\no\\such"));
  ASSERT_TRUE(files_.WriteFile("C:\\NewDir\\f.txt", "f"));
  ASSERT_TRUE(files_.WriteFile("C:\\other.txt", "o"));
  EXPECT_FALSE(files_.Rename("C:\\other.txt", "C:\\newdir\\F.TXT"));  // never replaces
  EXPECT_TRUE(files_.Rename("C:\\other.txt", "C:\\newdir\\moved.txt"));
  EXPECT_EQ(files_.ReadFile("C:\\NewDir\\moved.txt").value_or(""), "o");
  EXPECT_TRUE(files_.Rename("C:\\newdir\\f.txt", "C:\\newdir\\F.TXT"));  // case only
  EXPECT_EQ(files_.ResolveCase("C:\\newdir\\f.txt").value_or(""), "C:\\NewDir\\F.TXT");
  EXPECT_FALSE(files_.Rename("C:\\absent.txt", "C:\\x.txt"));
}

TEST_F(PosixFileSystemTest, NativeAndWindowsPathsRoundTrip) {
  ASSERT_TRUE(prefix_.WriteFile("C:\\Users\\Round Trip\\f.txt", "x"));
  std::string native = files_.NativePath("c:\\users\\round trip\\F.TXT");
  EXPECT_EQ(native,
            fs::canonical(prefix_.Root() + "/drive_c").string() + "/users/Round Trip/f.txt");
  EXPECT_EQ(files_.FromNativePath(native), "C:\\users\\Round Trip\\f.txt");
  EXPECT_EQ(files_.FromNativePath(prefix_.Root() + "/drive_c"), "C:\\");
  // Paths outside drive_c are reached through Z:, and a path through a link maps by target.
  EXPECT_EQ(files_.FromNativePath("/usr/bin"), "Z:\\usr\\bin");
  EXPECT_EQ(files_.FromNativePath(prefix_.Root() + "/dosdevices/c:/users"), "C:\\users");
  EXPECT_EQ(files_.FromNativePath("relative/path"), "");
  // Missing tails map as written.
  EXPECT_EQ(files_.NativePath("C:\\USERS\\nobody\\x"),
            fs::canonical(prefix_.Root() + "/drive_c").string() + "/users/nobody/x");

  // Another drive mapped deeper than Z: wins for its own folder.
  fs::create_directory_symlink(prefix_.Root() + "/drive_c/users",
                               prefix_.Root() + "/dosdevices/d:");
  EXPECT_EQ(files_.FromNativePath(native), "D:\\Round Trip\\f.txt");
  EXPECT_EQ(files_.ReadFile("d:\\round trip\\f.txt").value_or(""), "x");
}

TEST_F(PosixFileSystemTest, ADriveMappedElsewhereIsFollowedAtOnce) {
  const std::string first = prefix_.Root() + "/first";
  const std::string second = prefix_.Root() + "/second";
  fs::create_directories(first);
  fs::create_directories(second);
  std::ofstream(first + "/one.txt") << "1";
  std::ofstream(second + "/two.txt") << "2";
  const std::string link = prefix_.Root() + "/dosdevices/e:";
  fs::create_directory_symlink(first, link);
  EXPECT_EQ(files_.ReadFile("E:\\one.txt").value_or(""), "1");

  // The link now leads to another folder.
  fs::remove(link);
  fs::create_directory_symlink(second, link);
  EXPECT_FALSE(files_.Attributes("E:\\one.txt").has_value());
  EXPECT_EQ(files_.ReadFile("E:\\two.txt").value_or(""), "2");
  EXPECT_EQ(files_.DriveRoot('e'), fs::canonical(second).string());

  // The folder it leads to was moved away and another took its place.
  fs::rename(second, prefix_.Root() + "/moved");
  EXPECT_FALSE(files_.List("E:\\").has_value());
  fs::create_directories(second);
  std::ofstream(second + "/three.txt") << "3";
  EXPECT_EQ(files_.ReadFile("E:\\three.txt").value_or(""), "3");
  EXPECT_FALSE(files_.Attributes("E:\\two.txt").has_value());
}

}  // namespace
}  // namespace quill::platform::posix
