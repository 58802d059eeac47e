#include "platform/posix/IniSettingsStore.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace quill::platform::posix {
namespace {

namespace fs = std::filesystem;

class IniSettingsStoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "quill-ini-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    root_ = pattern;
    folder_ = (fs::path(root_) / "config" / "quillonet").string();
  }
  void TearDown() override { fs::remove_all(root_); }

  std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream all;
    all << in.rdbuf();
    return all.str();
  }
  void WriteText(const std::string& path, const std::string& text) {
    fs::create_directories(fs::path(path).parent_path());
    std::ofstream(path, std::ios::binary) << text;
  }

  std::string root_;
  std::string folder_;
};

TEST_F(IniSettingsStoreTest, ValuesRoundTripWithDefaultsAndCaseInsensitiveNames) {
  IniSettingsStore store(folder_);
  EXPECT_EQ(store.Get("Quillonet", "Settings", "chkAutoDel", "0"), "0") << "absent: default";
  EXPECT_FALSE(fs::exists(folder_)) << "reading creates nothing";

  ASSERT_TRUE(store.Save("Quillonet", "Settings", "chkAutoDel", "1"));
  EXPECT_EQ(store.FileFor("Quillonet"), folder_ + "/Quillonet.ini");
  EXPECT_EQ(store.Get("Quillonet", "Settings", "chkAutoDel", "0"), "1");
  EXPECT_EQ(store.Get("quillonet", "SETTINGS", "CHKAUTODEL", "0"), "1");
  EXPECT_EQ(store.Get("Quillonet", "OptionAndSettings", "chkAutoDel", "x"), "x");
  EXPECT_EQ(store.Get("Other", "Settings", "chkAutoDel", "x"), "x");

  // A second save under another spelling changes the same entry.
  ASSERT_TRUE(store.Save("Quillonet", "settings", "ChkAutoDel", "0"));
  EXPECT_EQ(ReadText(store.FileFor("Quillonet")), "[Settings]\nchkAutoDel=0\n");

  // A new store instance (the next run) reads what was saved.
  IniSettingsStore next(folder_);
  EXPECT_EQ(next.Get("Quillonet", "Settings", "chkAutoDel", "1"), "0");
  EXPECT_EQ(next.Get("Quillonet", "Settings", "missing", ""), "");
}

TEST_F(IniSettingsStoreTest, AnyStringRoundTrips) {
  IniSettingsStore store(folder_);
  const std::string odd[] = {
      "line one\r\nline two\nthree\r",
      "C:\\new\\table\\x41",
      "\\",
      "  padded  ",
      "key=value; [not a section]",
      std::string("nul\0inside", 10),
      "\xC3\xA9t\xC3\xA9 \x7F\x01",
      "",
  };
  int n = 0;
  for (const std::string& value : odd) {
    std::string key = "k" + std::to_string(n++);
    ASSERT_TRUE(store.Save("App", "Drives", key, value));
  }
  // Odd names too: they must not turn into other sections or entries.
  ASSERT_TRUE(store.Save("App", "[Weird]=\nSection", " a=b ", "v1"));
  ASSERT_TRUE(store.Save("App", "Drives", ";comment-like", "v2"));

  IniSettingsStore reader(folder_);
  n = 0;
  for (const std::string& value : odd) {
    std::string key = "k" + std::to_string(n++);
    EXPECT_EQ(reader.Get("App", "Drives", key, "default"), value) << key;
  }
  EXPECT_EQ(reader.Get("App", "[Weird]=\nSection", " a=b ", ""), "v1");
  EXPECT_EQ(reader.Get("App", "Drives", ";comment-like", ""), "v2");
  EXPECT_EQ(reader.Get("App", "Drives", "a", "none"), "none");
}

TEST_F(IniSettingsStoreTest, SaveKeepsEveryOtherLineAndReplacesTheFileAtomically) {
  IniSettingsStore store(folder_);
  std::string path = store.FileFor("Quillonet");
  WriteText(path,
            "; written by hand\r\n"
            "[Settings]\r\n"
            "chkAutoDel=0\r\n"
            "Unknown=keep me\r\n"
            "\r\n"
            "[Drives]\r\n"
            "C:\\=1\r\n"
            "\r\n"
            "[OptionAndSettings]\r\n"
            "# another comment\r\n");
  // A reader that opened the file before the save keeps seeing the old text whole: the save
  // wrote a new file and renamed it over the old one instead of rewriting in place.
  std::ifstream earlyReader(path, std::ios::binary);
  ASSERT_TRUE(earlyReader.is_open());
  const std::string original = ReadText(path);

  ASSERT_TRUE(store.Save("Quillonet", "SETTINGS", "CHKAUTODEL", "1"));
  ASSERT_TRUE(store.Save("Quillonet", "Settings", "optMemorySheildOn", "True"));
  ASSERT_TRUE(store.Save("Quillonet", "Scheduler", "Time", "10:00"));
  EXPECT_EQ(ReadText(path),
            "; written by hand\n"
            "[Settings]\n"
            "chkAutoDel=1\n"
            "Unknown=keep me\n"
            "optMemorySheildOn=True\n"
            "\n"
            "[Drives]\n"
            "C:\\=1\n"
            "\n"
            "[OptionAndSettings]\n"
            "# another comment\n"
            "\n"
            "[Scheduler]\n"
            "Time=10:00\n");
  // A hand-written Windows path keeps its backslash.
  EXPECT_EQ(store.Get("Quillonet", "Drives", "C:\\", ""), "1");

  std::stringstream old;
  old << earlyReader.rdbuf();
  EXPECT_EQ(old.str(), original);
  struct stat after {};
  ASSERT_EQ(::stat(path.c_str(), &after), 0);
  EXPECT_EQ(after.st_mode & 0777, 0600u);
  int files = 0;
  for (const auto& entry : fs::directory_iterator(folder_)) {
    (void)entry;
    ++files;
  }
  EXPECT_EQ(files, 1) << "no temporary file left behind";
}

TEST_F(IniSettingsStoreTest, ReadsSeeChangesMadeByOthers) {
  IniSettingsStore store(folder_);
  IniSettingsStore other(folder_);
  ASSERT_TRUE(store.Save("Quillonet", "Settings", "tmr", "1"));
  EXPECT_EQ(store.Get("Quillonet", "Settings", "tmr", ""), "1");
  // Same length, written by another store (another process): still seen.
  ASSERT_TRUE(other.Save("Quillonet", "Settings", "tmr", "2"));
  EXPECT_EQ(store.Get("Quillonet", "Settings", "tmr", ""), "2");
  // Removed file: defaults again.
  fs::remove(store.FileFor("Quillonet"));
  EXPECT_EQ(store.Get("Quillonet", "Settings", "tmr", "gone"), "gone");
  // Edited in place.
  WriteText(store.FileFor("Quillonet"), "[settings]\ntmr=edited\n");
  EXPECT_EQ(store.Get("Quillonet", "Settings", "tmr", ""), "edited");
}

TEST_F(IniSettingsStoreTest, ApplicationNamesStayInsideTheFolderAndFailuresAreReported) {
  IniSettingsStore store(folder_);
  std::string file = store.FileFor("../../evil/name");
  EXPECT_EQ(fs::path(file).parent_path().string(), folder_);
  ASSERT_TRUE(store.Save("../../evil/name", "S", "k", "v"));
  EXPECT_EQ(store.Get("../../evil/name", "S", "k", ""), "v");
  EXPECT_FALSE(fs::exists(fs::path(root_) / "evil"));

  // The folder cannot be made: a file stands in its place.
  std::string blocked = root_ + "/blocked";
  WriteText(blocked, "x");
  IniSettingsStore cannot(blocked + "/quillonet");
  EXPECT_FALSE(cannot.Save("Quillonet", "Settings", "k", "v"));
  EXPECT_EQ(cannot.Get("Quillonet", "Settings", "k", "default"), "default");
}

}  // namespace
}  // namespace quill::platform::posix
