// The Windows backend makes new files new and holds a tree while it deletes it.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/WinApi.h"

namespace quill::platform::win32 {
namespace {

TEST(Win32NoFollow, NewFilesAreNewAndATreeIsHeldWhileItGoes) {
  Win32FileSystem files;
  const std::string dir = std::filesystem::temp_directory_path().string() + "QuillHold";
  files.DeleteFolder(dir, true);
  ASSERT_TRUE(files.CreateFolder(dir) && files.CreateFolder(dir + "\\x"));
  EXPECT_TRUE(files.CreateNewFile(dir + "\\x\\new.txt", "one"));
  EXPECT_FALSE(files.CreateNewFile(dir + "\\x\\NEW.txt", "two"));
  EXPECT_FALSE(files.CopyFile(dir + "\\x\\new.txt", dir + "\\x\\New.txt", false));  // itself
  EXPECT_FALSE(files.CopyFolder(dir, dir + "\\x\\inside", true));
  EXPECT_EQ(files.ReadFile(dir + "\\x\\new.txt"), "one");
  // Moving a folder away mid-way (to put a link in its place) fails while it is held.
  bool moved = false;
  files.treeEntryHook = [&](const std::string& name) {
    if (name == "new.txt") moved = MoveFileA((dir + "\\x").c_str(), (dir + "\\moved").c_str());
  };
  EXPECT_TRUE(files.DeleteFolder(dir, true));
  EXPECT_FALSE(moved);
  EXPECT_EQ(files.Locate("C:\\windows").kind, PlaceKind::Machine);
  EXPECT_EQ(files.Locate("\\\\server\\share\\x").kind, PlaceKind::Host);
}

}  // namespace
}  // namespace quill::platform::win32
