#include "definitions/DefinitionSet.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "definitions/DefinitionTestSupport.h"
#include "platform/posix/PosixFileSystem.h"
#include "support/TempPrefix.h"

namespace quill {
namespace {

constexpr const char* kData = "C:\\QuillonetDAT";

class DefinitionSetTest : public ::testing::Test {
 protected:
  DefinitionSetTest() : fs_(prefix_.Root()), tokens_(shell_) {
    prefix_.MakeFolder(kData);
    hooks_.yield = [this] {
      ++yields_;
      if (stopAfterYields_ >= 0 && yields_ >= stopAfterYields_) stop_ = true;
    };
    hooks_.stopRequested = [this] { return stop_; };
    hooks_.loadBegin = [this] { ++loadBegins_; };
    hooks_.loadEnd = [this] { ++loadEnds_; };
  }

  void Write(const std::string& name, const std::string& bytes) {
    ASSERT_TRUE(prefix_.WriteFile(std::string(kData) + "\\" + name, bytes));
  }
  void WriteEncoded(const std::string& name, const std::vector<std::string>& lines) {
    Write(name, test::EncodedFile(lines));
  }
  bool Exists(const std::string& name) {
    return fs_.Attributes(std::string(kData) + "\\" + name).has_value();
  }
  DefinitionSet MakeSet() { return DefinitionSet(fs_, kData, tokens_, hooks_); }

  test::TempPrefix prefix_;
  platform::posix::PosixFileSystem fs_;
  test::FakeShell shell_{test::DefinitionFolders()};
  PathTokens tokens_;
  DefinitionHooks hooks_;
  int yields_ = 0;
  int stopAfterYields_ = -1;
  bool stop_ = false;
  int loadBegins_ = 0;
  int loadEnds_ = 0;
};

TEST_F(DefinitionSetTest, LoadsBothTablesInFileOrder) {
  WriteEncoded("Safety.dat", {"SFILE|sys=v|[system]sys.dll", "SDIR|win=v|[windir]"});
  WriteEncoded("FileDefinition.dat", {"Evil.EXE=Evil Threat|[progfil]Evil|Adware",
                                      "bare.dll=Bare",              // no location, inherits Adware
                                      "sys.dll=Sys|[system]|TYPE",  // protected, but sets the type
                                      "next.dll=Next|C:\\Next\\",   // inherits Spyware
                                      "=NoName|C:\\x|Hijacker",     // nothing to look for
                                      "drv.exe=Drv|[drive]\\Tools"});
  WriteEncoded("DirectoryDefinition.dat", {"Evil Dir=Folder Threat|[progfil]EvilDir\\|Trojan",
                                           "NoBar=Nothing",           // no location: skipped
                                           "Win=Windows|[windir]|x",  // protected
                                           "Root=On Any Drive|[drive]\\EvilRoot"});  // inherits x

  DefinitionSet set = MakeSet();
  ASSERT_TRUE(set.LoadProtectedList());
  set.LoadDefinitionSet();
  EXPECT_EQ(loadBegins_, 1);
  EXPECT_EQ(loadEnds_, 1);
  EXPECT_EQ(yields_ - 2, 10);  // one per definition line (the protected list had two)

  const FileTable& files = set.FileTable();
  ASSERT_EQ(files.Size(), 4u);
  EXPECT_EQ(files.Row(0).folder, "c:\\program files\\evil\\");
  EXPECT_EQ(files.Row(0).name, "evil.exe");
  EXPECT_EQ(files.Row(0).type, "Adware");
  EXPECT_EQ(files.Row(0).threatName, "Evil Threat");
  EXPECT_EQ(files.Row(1).folder, "");
  EXPECT_EQ(files.Row(1).type, "Adware");
  EXPECT_EQ(files.Row(2).folder, "c:\\next\\");
  EXPECT_EQ(files.Row(2).type, "Spyware");
  EXPECT_EQ(files.Row(3).folder, "[drive]\\tools\\");

  const DirectoryTable& folders = set.DirectoryTable();
  ASSERT_EQ(folders.Size(), 2u);
  EXPECT_EQ(folders.Row(0).folder, "c:\\program files\\evildir");
  EXPECT_EQ(folders.Row(0).name, "evil dir");
  EXPECT_EQ(folders.Row(0).type, "Trojan");
  EXPECT_EQ(folders.Row(1).folder, "[drive]\\evilroot");
  EXPECT_EQ(folders.Row(1).type, "x");

  std::vector<uint32_t> rows;
  files.RowsNamed("evil.exe", rows);
  EXPECT_EQ(rows, std::vector<uint32_t>{0});
  folders.RowsForFolder("d:\\evilroot", rows);
  EXPECT_EQ(rows, std::vector<uint32_t>{1});
}

TEST_F(DefinitionSetTest, LoadsOncePerProcessEvenWhenStopped) {
  WriteEncoded("FileDefinition.dat", {"a.exe=A|C:\\a", "b.exe=B|C:\\b", "c.exe=C|C:\\c"});
  WriteEncoded("DirectoryDefinition.dat", {"d=D|C:\\d"});
  stopAfterYields_ = 2;
  DefinitionSet set = MakeSet();
  set.LoadDefinitionSet();
  EXPECT_TRUE(set.TablesCreated());
  EXPECT_EQ(set.FileTable().Size(), 2u);  // rows stored before the stop stay
  EXPECT_EQ(set.DirectoryTable().Size(), 0u);
  EXPECT_EQ(loadBegins_, 1);
  EXPECT_EQ(loadEnds_, 0);  // Pause and Stop stay disabled for the scan page to reset

  stop_ = false;
  stopAfterYields_ = -1;
  set.LoadDefinitionSet();
  EXPECT_EQ(set.FileTable().Size(), 2u);
  EXPECT_EQ(loadBegins_, 1);

  DefinitionSet empty(fs_, "C:\\Nowhere", tokens_, hooks_);
  empty.LoadDefinitionSet();
  EXPECT_EQ(empty.FileTable().Size(), 0u);
  WriteEncoded("FileDefinition.dat", {"late.exe=Late|C:\\late"});
  empty.LoadDefinitionSet();
  EXPECT_EQ(empty.FileTable().Size(), 0u);
}

TEST_F(DefinitionSetTest, RowsBeyondCapacityAreDropped) {
  std::string fileLines;
  for (int i = 0; i < 100003; ++i)
    fileLines += EncodeLine("f" + std::to_string(i) + ".exe=T|C:\\x") + "\r\n";
  Write("FileDefinition.dat", fileLines);
  WriteEncoded("DirectoryDefinition.dat", {"d=D|C:\\d"});
  DefinitionSet set = MakeSet();
  set.LoadDefinitionSet();
  EXPECT_EQ(set.FileTable().Size(), 100001u);
  EXPECT_EQ(set.FileTable().Row(100000).name, "f100000.exe");
  EXPECT_EQ(set.DirectoryTable().Size(), 1u);  // the load went on
  EXPECT_EQ(loadEnds_, 1);
}

TEST_F(DefinitionSetTest, BadInputLoadsWhatIsValid) {
  std::string garbage;
  for (int c = 0; c < 256; ++c) garbage.push_back(static_cast<char>(c));
  std::string bytes = garbage + "\r\n";
  bytes += std::string(1 << 20, '\xA1') + "\r\n";  // an overlong line of "a"
  bytes += EncodeLine("no separators") + "\n";     // LF only
  bytes += EncodeLine("|||||||=====") + "\r\n";
  bytes += EncodeLine("ok.exe=Ok|C:\\ok|Adware");  // no final line end
  Write("FileDefinition.dat", bytes);
  Write("DirectoryDefinition.dat", garbage + "\r\n" + EncodeLine("d=D|C:\\d"));
  Write("Safety.dat", garbage + "\r\n" + EncodeLine("SREG|n=v|") + "\r\n");

  DefinitionSet set = MakeSet();
  EXPECT_TRUE(set.LoadProtectedList());
  set.LoadDefinitionSet();
  const FileTable& files = set.FileTable();
  ASSERT_GE(files.Size(), 2u);
  EXPECT_EQ(files.Row(files.Size() - 1).name, "ok.exe");
  EXPECT_EQ(files.Row(files.Size() - 1).type, "Adware");
  EXPECT_EQ(set.DirectoryTable().Row(set.DirectoryTable().Size() - 1).folder, "c:\\d");
  // In files with CR LF line ends the raw bytes 10 and 13 of the garbage are data.
  EXPECT_EQ(set.CountDefinitions(), 4 + 2);
}

TEST_F(DefinitionSetTest, LinesAreReadInTheWindowsCodePage) {
  // "\xC9" and "\xCC" are stored as the bytes 10 and 13: inside a line of a CR LF file they
  // are letters, not line ends.
  Write("FileDefinition.dat", EncodeLine("caf\xE9.exe=Caf\xC9|C:\\x") + "\r\n" +
                                  EncodeLine("\xCC.exe=I\x80|C:\\y") + "\r\n");
  // Edited by hand on this system: LF alone ends lines.
  Write("DirectoryDefinition.dat", EncodeLine("d=D|C:\\d") + "\n" + EncodeLine("e=E|C:\\e") + "\n");
  const std::string before = *fs_.ReadFile(std::string(kData) + "\\FileDefinition.dat");
  DefinitionSet set = MakeSet();
  set.LoadDefinitionSet();
  ASSERT_EQ(set.FileTable().Size(), 2u);
  EXPECT_EQ(set.FileTable().Row(0).name, "caf\xC3\xA9.exe");
  EXPECT_EQ(set.FileTable().Row(0).threatName, "Caf\xC3\x89");
  EXPECT_EQ(set.FileTable().Row(1).name, "\xC3\x8C.exe");
  EXPECT_EQ(set.FileTable().Row(1).threatName, "I\xE2\x82\xAC");
  ASSERT_EQ(set.DirectoryTable().Size(), 2u);
  EXPECT_EQ(set.DirectoryTable().Row(1).folder, "c:\\e");
  EXPECT_EQ(set.CountDefinitions(), 4);
  EXPECT_EQ(*fs_.ReadFile(std::string(kData) + "\\FileDefinition.dat"), before)
      << "the file stays as stored";
}

TEST_F(DefinitionSetTest, ProtectedListFromSafetyFile) {
  DefinitionSet set = MakeSet();
  EXPECT_TRUE(set.LoadProtectedList());
  EXPECT_TRUE(set.ProtectedList().empty());

  WriteEncoded("Safety.dat", {"SEXE|explorer=v|[windir]explorer.exe", "SREG|run=v|2^Software\\Run",
                              "SDIR|d=v|[drive]Program Files", "other"});
  EXPECT_TRUE(set.LoadProtectedList());
  EXPECT_EQ(
      set.ProtectedList(),
      (std::vector<std::string>{"C:\\windows\\explorer.exe", "HKEY_LOCAL_MACHINE\\Software\\Run",
                                "C:\\Program Files", "C:\\Program Files", ""}));
  EXPECT_TRUE(set.IsProtected("c:\\WINDOWS\\explorer.exe"));
  EXPECT_TRUE(set.IsProtected("E:\\program files\\"));
  EXPECT_FALSE(set.IsProtected("C:\\Program Files\\Evil"));

  // Rebuilt on every call; a stop keeps the entries read so far.
  stopAfterYields_ = yields_ + 1;
  EXPECT_TRUE(set.LoadProtectedList());
  EXPECT_EQ(set.ProtectedList(), (std::vector<std::string>{"C:\\windows\\explorer.exe", ""}));
}

TEST_F(DefinitionSetTest, CountsLinesWithoutDecoding) {
  DefinitionSet set = MakeSet();
  EXPECT_EQ(set.CountDefinitions(), 0);
  Write("BlockedCookies.dat", "a\r\nb\r\n");
  Write("ExeDefinition.dat", "a\nb\nc");
  Write("RegistryDefinition.dat", "x\r\n\r\ny\r\n");
  Write("FileDefinition.dat", "1\r\n2\r\n3\r\n4\r\n");
  Write("DirectoryDefinition.dat", "1\r\n");
  Write("Safety.dat", "1\r\n2\r\n");  // not a counted file
  EXPECT_EQ(set.CountDefinitions(), 2 + 3 + 3 + 5);
  EXPECT_EQ(set.Counts().cookies, 2);
  EXPECT_EQ(set.Counts().executables, 3);
  EXPECT_EQ(set.Counts().registry, 3);
  EXPECT_EQ(set.Counts().filesAndFolders, 5);
  EXPECT_EQ(set.Counts().total, 13);
}

TEST_F(DefinitionSetTest, MissingDefinitionFileRemovesTheSet) {
  for (const char* name :
       {"FileDefinition.dat", "RegistryDefinition.dat", "ExeDefinition.dat", "BlockedCookies.dat",
        "DirectoryDefinition.dat", "date.dat", "Safety.dat"})
    Write(name, "x\r\n");
  DefinitionSet set = MakeSet();
  int shown = 0;
  EXPECT_TRUE(set.DefinitionsPresent([&] { ++shown; }));
  EXPECT_EQ(shown, 0);
  EXPECT_TRUE(Exists("date.dat"));

  ASSERT_TRUE(fs_.DeleteFile(std::string(kData) + "\\ExeDefinition.dat"));
  EXPECT_FALSE(set.DefinitionsPresent([&] { ++shown; }));
  EXPECT_EQ(shown, 1);
  for (const char* name : {"FileDefinition.dat", "RegistryDefinition.dat", "BlockedCookies.dat",
                           "DirectoryDefinition.dat", "date.dat"})
    EXPECT_FALSE(Exists(name)) << name;
  EXPECT_TRUE(Exists("Safety.dat"));
  EXPECT_FALSE(set.DefinitionsPresent(nullptr));
}

TEST_F(DefinitionSetTest, DefinitionDate) {
  DefinitionSet set = MakeSet();
  EXPECT_EQ(set.ReadDefinitionDate(), "3/16/2006 12:00:00 AM");
  Write("date.dat", "a much longer old date text that must go\r\nsecond line\r\n");
  EXPECT_EQ(set.ReadDefinitionDate(), "a much longer old date text that must go");
  EXPECT_TRUE(set.WriteDefinitionDate("5/1/2024 3:04:05 PM"));
  EXPECT_EQ(fs_.ReadFile(std::string(kData) + "\\date.dat"), "5/1/2024 3:04:05 PM\r\n");
  EXPECT_EQ(set.ReadDefinitionDate(), "5/1/2024 3:04:05 PM");
  Write("date.dat", "");
  EXPECT_EQ(set.ReadDefinitionDate(), "3/16/2006 12:00:00 AM");
  DefinitionSet nowhere(fs_, "C:\\missing\\folder", tokens_, hooks_);
  EXPECT_FALSE(nowhere.WriteDefinitionDate("x"));
}

}  // namespace
}  // namespace quill
