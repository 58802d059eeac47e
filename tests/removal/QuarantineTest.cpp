// The quarantine store: saved copies under free names, the log records and registry exports.
#include "removal/Quarantine.h"

#include <gtest/gtest.h>

#include "removal/RemovalTestSupport.h"

namespace quill {
namespace {

using test::AppFixture;

class QuarantineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::StartAt(f);
    store.CreateQuarantineFolder();
    q = store.QuarantineFolder();
  }
  AppFixture f;
  QuarantineStore store{RemovalInputsOf(f.App())};
  std::string q;
};

TEST_F(QuarantineTest, FolderIsInTheDataFolderAndCreatingItTwiceIsHarmless) {
  EXPECT_EQ(q, f.DataFolder() + "\\quarantine");
  store.CreateQuarantineFolder();
  EXPECT_TRUE(test::Exists(f, q));
}

TEST_F(QuarantineTest, SameNameFromAnotherFolderGoesUnderAFreeNameAndNothingIsOverwritten) {
  ASSERT_TRUE(f.Prefix().WriteFile("C:\\A\\dup.txt", "first"));
  ASSERT_TRUE(f.Prefix().WriteFile("C:\\B\\DUP.txt", "second"));
  ASSERT_TRUE(f.Prefix().WriteFile("C:\\C\\dup.txt", "third"));
  ASSERT_TRUE(f.Prefix().WriteFile("C:\\D\\README", "no extension"));
  ASSERT_TRUE(f.Prefix().WriteFile("C:\\E\\README", "again"));

  EXPECT_EQ(store.SaveQuarantineCopy("C:\\A\\dup.txt", "dup.txt"), "dup.txt");
  // Names compare without regard to case, as the protected machine's file system does.
  EXPECT_EQ(store.SaveQuarantineCopy("C:\\B\\DUP.txt", "DUP.txt"), "DUP (2).txt");
  EXPECT_EQ(store.SaveQuarantineCopy("C:\\C\\dup.txt", "dup.txt"), "dup (3).txt");
  EXPECT_EQ(store.SaveQuarantineCopy("C:\\D\\README", "README"), "README");
  EXPECT_EQ(store.SaveQuarantineCopy("C:\\E\\README", "README"), "README (2)");

  EXPECT_EQ(test::Read(f, q + "\\dup.txt"), "first");
  EXPECT_EQ(test::Read(f, q + "\\dup (2).txt"), "second");
  EXPECT_EQ(test::Read(f, q + "\\dup (3).txt"), "third");
  EXPECT_EQ(test::Read(f, q + "\\README (2)"), "again");
}

TEST_F(QuarantineTest, CopyThatCannotBeMadeLeavesNothingBehind) {
  EXPECT_FALSE(store.SaveQuarantineCopy("C:\\nowhere\\gone.exe", "gone.exe"));
  EXPECT_FALSE(test::Exists(f, q + "\\gone.exe"));
  // A folder is not a file copy.
  ASSERT_TRUE(f.Prefix().MakeFolder("C:\\Dir"));
  EXPECT_FALSE(store.SaveQuarantineCopy("C:\\Dir", "Dir"));
}

TEST_F(QuarantineTest, FoldersGoUnderAFreeFolderNameInsteadOfMerging) {
  ASSERT_TRUE(f.Prefix().WriteFile("C:\\One\\Bad\\a.txt", "one-a"));
  ASSERT_TRUE(f.Prefix().WriteFile("C:\\One\\Bad\\sub\\b.txt", "one-b"));
  ASSERT_TRUE(f.Prefix().WriteFile("C:\\Two\\Bad\\a.txt", "two-a"));

  EXPECT_EQ(store.SaveQuarantineFolder("C:\\One\\Bad\\"), "Bad");
  EXPECT_EQ(store.SaveQuarantineFolder("C:\\Two\\Bad"), "Bad (2)");
  EXPECT_EQ(test::Read(f, q + "\\Bad\\a.txt"), "one-a");
  EXPECT_EQ(test::Read(f, q + "\\Bad\\sub\\b.txt"), "one-b");
  EXPECT_EQ(test::Read(f, q + "\\Bad (2)\\a.txt"), "two-a");
  EXPECT_FALSE(store.SaveQuarantineFolder("C:\\Missing"));
}

TEST_F(QuarantineTest, RecordsAreByteExactAndOnlyWrittenWhileRecording) {
  const std::string log = store.LogPath();
  EXPECT_EQ(log, q + "\\QuarantineLog.txt");

  store.SetLogging(false);
  EXPECT_FALSE(store.LogQuarantinedFile("C:\\x\\a.exe", "a.exe"));
  EXPECT_FALSE(store.LogRemovedRegistryEntry("HKEY_CURRENT_USER\\Software\\X", "V"));
  EXPECT_FALSE(test::Exists(f, log));

  store.SetLogging(true);
  EXPECT_TRUE(store.LogQuarantinedFile("C:\\x\\a.exe", "a.exe"));
  EXPECT_TRUE(store.LogRemovedRegistryEntry("HKEY_CURRENT_USER\\Software\\X", "V"));
  EXPECT_TRUE(store.LogRemovedRegistryEntry("-2147483646\\Software\\Y", "All Values"));
  EXPECT_EQ(test::Read(f, log),
            "3/5/2024 2:07:09 PM - File: a.exe\r\n - Location: C:\\x\\a.exe\r\n\r\n\r\n"
            "3/5/2024 2:07:09 PM - Key: HKEY_CURRENT_USER\\Software\\X\r\nValue: V\r\n\r\n\r\n"
            "3/5/2024 2:07:09 PM - Key: -2147483646\\Software\\Y\r\nValue: All Values\r\n"
            "\r\n\r\n");

  // At exactly midnight the general date form has no time part.
  f.Host().SetNow(datetime::LocalDateTime{2024, 12, 31, 0, 0, 0});
  f.App().Files().DeleteFile(log);
  store.LogQuarantinedFile("C:\\b.txt", "b.txt");
  EXPECT_EQ(test::Read(f, log), "12/31/2024 - File: b.txt\r\n - Location: C:\\b.txt\r\n\r\n\r\n");
}

TEST_F(QuarantineTest, LogThatCannotBeOpenedGetsNoRecordAndNoFailure) {
  ASSERT_TRUE(f.Prefix().MakeFolder(store.LogPath()));
  store.SetLogging(true);
  EXPECT_FALSE(store.LogQuarantinedFile("C:\\x\\a.exe", "a.exe"));
}

TEST_F(QuarantineTest, EscapingDoublesBackslashesThenEscapesQuotes) {
  EXPECT_EQ(EscapeRegText("\\\""), "\\\\\\\"");
  EXPECT_EQ(EscapeRegText("C:\\a \"b\""), "C:\\\\a \\\"b\\\"");
  EXPECT_EQ(EscapeRegText("plain"), "plain");
}

TEST_F(QuarantineTest, ExportHasTheFormatAndNeverTouchesAnExistingFile) {
  const std::string key = "HKEY_CURRENT_USER\\Software\\Run";
  EXPECT_TRUE(store.ExportRegistryEntry(key + "\\Bad:Value/x", key,
                                        RegistryValueText{"Bad:Value/x", "C:\\bad \"1\".exe"}));
  const std::string first = q + "\\HKEY_CURRENT_USERSoftwareRunBadValuex.reg";
  EXPECT_EQ(test::Read(f, first),
            "Windows Registry Editor Version 5.00\r\n\r\n"
            "[HKEY_CURRENT_USER\\Software\\Run]\r\n"
            "\"Bad:Value/x\"=\"C:\\\\bad \\\"1\\\".exe\"\r\n");

  // The same value removed again later: the first export stays as it was, the new data is
  // kept beside it.
  EXPECT_TRUE(store.ExportRegistryEntry(key + "\\Bad:Value/x", key,
                                        RegistryValueText{"Bad:Value/x", "second"}));
  EXPECT_EQ(test::Read(f, first)->find("second"), std::string::npos);
  EXPECT_EQ(test::Read(f, q + "\\HKEY_CURRENT_USERSoftwareRunBadValuex (2).reg"),
            "Windows Registry Editor Version 5.00\r\n\r\n"
            "[HKEY_CURRENT_USER\\Software\\Run]\r\n\"Bad:Value/x\"=\"second\"\r\n");

  // A key without a value line: written once, never repeated or appended to.
  const std::string keyOnly = "HKEY_LOCAL_MACHINE\\Software\\Bad";
  EXPECT_TRUE(store.ExportRegistryEntry(keyOnly, keyOnly, std::nullopt));
  const std::string keyFile = q + "\\HKEY_LOCAL_MACHINESoftwareBad.reg";
  const std::string keyExport =
      "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\Bad]\r\n";
  EXPECT_EQ(test::Read(f, keyFile), keyExport);
  EXPECT_TRUE(store.ExportRegistryEntry(keyOnly, keyOnly, std::nullopt));
  EXPECT_EQ(test::Read(f, keyFile), keyExport);
  EXPECT_FALSE(test::Exists(f, q + "\\HKEY_LOCAL_MACHINESoftwareBad (2).reg"));
}

TEST(QuarantineBadInput, QuarantineFolderThatIsAFileTakesNoCopyAndNoExport) {
  AppFixture f;
  test::StartAt(f);
  QuarantineStore store(RemovalInputsOf(f.App()));
  ASSERT_TRUE(f.Prefix().WriteFile(store.QuarantineFolder(), "not a folder"));
  store.CreateQuarantineFolder();
  ASSERT_TRUE(f.Prefix().WriteFile("C:\\x\\a.txt", "a"));
  EXPECT_FALSE(store.SaveQuarantineCopy("C:\\x\\a.txt", "a.txt"));
  ASSERT_TRUE(f.Prefix().WriteFile("C:\\x\\dir\\b.txt", "b"));
  EXPECT_FALSE(store.SaveQuarantineFolder("C:\\x\\dir"));
  EXPECT_FALSE(store.ExportRegistryEntry("k\\v", "k", RegistryValueText{"v", "d"}));
  EXPECT_EQ(test::Read(f, store.QuarantineFolder()), "not a folder");
}

}  // namespace
}  // namespace quill
