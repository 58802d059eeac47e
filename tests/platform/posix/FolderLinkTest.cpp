// Linked folders and the host's pseudo file systems as a listing shows them.
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/posix/PosixFileSystem.h"
#include "support/TempPrefix.h"

namespace quill::platform::posix {
namespace {

const DirEntry* Find(const std::vector<DirEntry>& entries, const std::string& name) {
  for (const auto& e : entries)
    if (e.name == name) return &e;
  return nullptr;
}

TEST(FolderLinks, ALinkedFolderIsListedAsAReparsePointAndItsTargetAsAFolder) {
  test::TempPrefix prefix;
  PosixFileSystem fs(prefix.Root());
  ASSERT_TRUE(prefix.MakeFolder("C:\\data\\real"));
  ASSERT_TRUE(prefix.WriteFile("C:\\data\\real\\a.txt", "x"));
  std::filesystem::create_directory_symlink(prefix.Native("C:\\data\\real"),
                                            prefix.Native("C:\\data") + "/loop");
  auto entries = fs.List("C:\\data");
  ASSERT_TRUE(entries);
  const DirEntry* real = Find(*entries, "real");
  const DirEntry* loop = Find(*entries, "loop");
  ASSERT_TRUE(real && loop);
  EXPECT_EQ(real->attributes, kAttrDirectory);
  EXPECT_EQ(loop->attributes, kAttrDirectory | kAttrReparsePoint);
  // The link still leads somewhere when named directly.
  EXPECT_TRUE(fs.List("C:\\data\\loop\\"));
}

TEST(FolderLinks, HostPseudoFileSystemsAreSystemFoldersOnDriveZ) {
  test::TempPrefix prefix;
  PosixFileSystem fs(prefix.Root());
  auto entries = fs.List("Z:\\");
  ASSERT_TRUE(entries);
  const DirEntry* proc = Find(*entries, "proc");
  ASSERT_NE(proc, nullptr);
  EXPECT_TRUE(proc->attributes & kAttrSystem);
  const DirEntry* tmp = Find(*entries, "tmp");
  ASSERT_NE(tmp, nullptr);
  EXPECT_FALSE(tmp->attributes & kAttrSystem);
}

}  // namespace
}  // namespace quill::platform::posix
