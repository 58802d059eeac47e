// Writing, copying and deleting never go through a link, even one swapped in while they run.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdio.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <thread>

#include "platform/posix/PosixFileSystem.h"
#include "platform/posix/WinePrefix.h"
#include "support/ReadNative.h"
#include "support/TempPrefix.h"

namespace quill::platform::posix {
namespace {

namespace fs = std::filesystem;

using test::Slurp;

// Every entry below a host folder with its bytes, links not followed.
std::map<std::string, std::string> Snapshot(const fs::path& root) {
  std::map<std::string, std::string> rows;
  std::error_code ec;
  for (auto it = fs::recursive_directory_iterator(root, ec);
       !ec && it != fs::recursive_directory_iterator(); it.increment(ec))
    rows[it->path().lexically_relative(root).string()] =
        it->is_symlink() ? "->" : (it->is_directory() ? "/" : Slurp(it->path()));
  return rows;
}

// A prefix, and a host folder beside it that nothing may change.
class NoFollow : public ::testing::Test {
 protected:
  NoFollow() {
    std::string pattern = fs::temp_directory_path().string() + "/quill-victim-XXXXXX";
    host_ = ::mkdtemp(pattern.data());
    fs::create_directories(host_ / "inner");
    std::ofstream(host_ / "victim.txt") << "secret";
    std::ofstream(host_ / "inner" / "deep.txt") << "deep secret";
    before_ = Snapshot(host_);
  }
  ~NoFollow() override { fs::remove_all(host_); }

  std::string Native(const std::string& windows) { return prefix_.Native(windows); }
  // Fills C:\tree\x with files and a subfolder; C:\tree\y links to the host folder.
  void MakeTree() {
    for (int i = 0; i < 8; ++i) prefix_.WriteFile("C:\\tree\\x\\f" + std::to_string(i), "t");
    prefix_.WriteFile("C:\\tree\\x\\sub\\g", "t");
    fs::create_directory_symlink(host_, Native("C:\\tree") + "/y");
  }

  // When the walk reaches `entry`, C:\tree\x moves to C:\<moved> and a link to the host
  // folder takes its name.
  void SwapXForALinkAt(const std::string& entry, const std::string& moved) {
    files_.treeEntryHook = [this, entry, moved](const std::string& name) {
      if (name != entry) return;
      fs::rename(Native("C:\\tree\\x"), Native("C:\\") + "/" + moved);
      fs::create_directory_symlink(host_, Native("C:\\tree") + "/x");
    };
  }

  test::TempPrefix prefix_;
  PosixFileSystem files_{prefix_.Root()};
  fs::path host_;
  std::map<std::string, std::string> before_;
};

TEST_F(NoFollow, ALinkAtThePathIsNeitherWrittenNorCopiedThrough) {
  ASSERT_TRUE(prefix_.WriteFile("C:\\q\\own.txt", "own"));
  const std::string q = Native("C:\\q");
  fs::create_symlink(host_ / "victim.txt", q + "/log.txt");
  fs::create_symlink(host_ / "planted.txt", q + "/dangling.txt");
  fs::create_hard_link(host_ / "victim.txt", q + "/hard.txt");
  EXPECT_FALSE(files_.WriteFile("C:\\q\\log.txt", "x"));
  EXPECT_FALSE(files_.AppendFile("C:\\q\\LOG.txt", "x"));
  EXPECT_FALSE(files_.ReplaceFile("C:\\q\\log.txt", "x"));
  EXPECT_FALSE(files_.CreateNewFile("C:\\q\\dangling.txt", "x"));
  EXPECT_FALSE(files_.CopyFile("C:\\q\\own.txt", "C:\\q\\dangling.txt", false));
  EXPECT_FALSE(files_.CopyFile("C:\\q\\log.txt", "C:\\q\\copy.txt", true));
  EXPECT_FALSE(files_.SetAttributes("C:\\q\\log.txt", kAttrReadOnly));
  // Another hard link keeps its bytes: appending fails, a rewrite makes a file of its own.
  EXPECT_FALSE(files_.AppendFile("C:\\q\\hard.txt", "x"));
  EXPECT_TRUE(files_.WriteFile("C:\\q\\hard.txt", "rewritten"));
  EXPECT_FALSE(files_.CreateNewFile("C:\\q\\OWN.txt", "x"));
  EXPECT_TRUE(files_.DeleteFile("C:\\q\\log.txt") && files_.DeleteFile("C:\\q\\dangling.txt"));
  EXPECT_EQ(Snapshot(q).size(), 2u);  // own, and hard as a file of its own
  EXPECT_EQ(Snapshot(host_), before_);
}

TEST_F(NoFollow, LinksInATreeAndAFolderSwappedForALinkMidWayAreMetAsLinks) {
  // Links inside are copied as links; a link is not copied as a tree.
  MakeTree();
  EXPECT_TRUE(files_.CopyFolder("C:\\tree", "C:\\copy", false));
  EXPECT_TRUE(fs::is_symlink(Native("C:\\copy\\y")));
  EXPECT_FALSE(files_.CopyFolder("C:\\tree\\y", "C:\\copy2", false));
  EXPECT_TRUE(files_.DeleteFolder("C:\\copy", true));
  // Swapped while its entries are being removed: the walk stays in the folder it opened, and
  // the link left at its name makes the call fail.
  SwapXForALinkAt("f3", "moved");
  EXPECT_FALSE(files_.DeleteFolder("C:\\tree", true));
  EXPECT_EQ(Snapshot(host_), before_);
  EXPECT_TRUE(fs::is_symlink(Native("C:\\tree") + "/x"));
}

TEST_F(NoFollow, ThePrefixsOwnFilesAreNeverWrittenCopiedOrDeletedByAnyPath) {
  // A prefix inside the host folder, with a link in its drive leading back to the prefix.
  const std::string root = (host_ / "pfx").string(), z = "Z:" + root;
  ASSERT_TRUE(WinePrefix::CreateDefaultLayout(root, "me"));
  std::ofstream(root + "/system.reg") << "hive";
  fs::create_directory_symlink("..", root + "/drive_c/up");
  PosixFileSystem files(root);
  const auto prefixBefore = Snapshot(root);
  EXPECT_FALSE(files.WriteFile(z + "/system.reg", "x"));
  EXPECT_FALSE(files.DeleteFile("C:\\up\\system.reg") || files.CreateNewFile("C:\\up\\x.reg", ""));
  EXPECT_FALSE(files.DeleteFolder("c:\\UP\\dosdevices", true));
  EXPECT_FALSE(files.CopyFolder("C:\\up\\drive_c", "C:\\copy", false));
  EXPECT_FALSE(files.DeleteFolder("Z:" + host_.string(), true));  // holds the prefix
  EXPECT_EQ(Snapshot(root), prefixBefore);
  EXPECT_EQ(Slurp(root + "/system.reg"), "hive");
}

TEST_F(NoFollow, ARealRaceNeverReachesTheHostFolder) {
  // A thread keeps exchanging C:\tree\x (a folder) with C:\tree\y (a link to the host
  // folder) while the tree is deleted and copied; bounded by a number of exchanges.
  std::atomic<int> exchanges{0};
  for (int round = 0; round < 60 && exchanges < 4000; ++round) {
    fs::remove_all(Native("C:\\tree"));
    fs::remove_all(Native("C:\\copy"));
    MakeTree();
    const std::string tree = Native("C:\\tree");
    std::atomic<bool> done{false};
    std::thread swapper([&] {
      for (int i = 0; i < 200 && !done; ++i, ++exchanges)
        if (::renameat2(AT_FDCWD, (tree + "/x").c_str(), AT_FDCWD, (tree + "/y").c_str(),
                        RENAME_EXCHANGE) != 0)
          break;
    });
    files_.CopyFolder("C:\\tree", "C:\\copy", false);
    files_.DeleteFolder("C:\\tree", true);
    done = true;
    swapper.join();
    ASSERT_EQ(Snapshot(host_), before_) << "round " << round;
    for (const auto& row : Snapshot(Native("C:\\copy")))  // never read through the link
      ASSERT_EQ(row.second.find("secret"), std::string::npos) << row.first;
  }
  EXPECT_GT(exchanges.load(), 0);
}

}  // namespace
}  // namespace quill::platform::posix
