// The registry export format, the manifest and restoring from the quarantine.
#include "removal/QuarantineRestore.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include "base/Sha256.h"
#include "base/Text.h"
#include "removal/Quarantine.h"
#include "removal/RegistryExport.h"
#include "removal/RemovalTestSupport.h"

namespace quill {
namespace {

using namespace std::string_literals;
using platform::RegValue;
using test::AppFixture;

RegValue Typed(platform::RegType type, std::string data) {
  return {static_cast<uint32_t>(type), std::move(data)};
}

TEST(RegistryExportFormat, EveryTypeReadsBackAndOnlyFilesNeedingItAreUtf16) {
  using T = platform::RegType;
  const std::vector<RegExportKey> keys = {
      {"HKEY_CURRENT_USER\\Software\\Bad",
       {{"", platform::MakeSz("default \"q\" \\x")},
        {"Lines", platform::MakeSz("one\r\ntwo")},
        {"Zero", platform::MakeSz("a\0b"s)},
        {"Path", Typed(T::ExpandSz, "%SystemRoot%\\x")},
        {"List", Typed(T::MultiSz, "a\0b\0"s)},
        {"Count", platform::MakeDword(0x12345678)},
        {"Short", Typed(T::Dword, "\x01\x02"s)},
        {"Big", Typed(T::Qword, "\xcb\x04\xfb\x71\x1f\x01\x00\x00"s)},
        {"Blob", Typed(T::Binary, std::string(100, '\xAB'))},
        {"None", Typed(T::None, "")},
        {"Odd", RegValue{0x20000, "\x00\x01"s}},
        {"Name\nwith break", platform::MakeSz("x")}}},
      {"HKEY_CURRENT_USER\\Software\\Bad\\Empty", {}}};
  const std::string ascii = FormatRegExport(keys);
  EXPECT_NE(ascii.find("\r\n@=\"default \\\"q\\\" \\\\x\"\r\n"), std::string::npos) << ascii;
  EXPECT_NE(ascii.find("\r\n\"Lines\"=hex(1):6f,00,6e,00,65,00,0d,00,0a,00,74,00,77,00,6f,00,"
                       "00,00\r\n"),
            std::string::npos);
  EXPECT_NE(ascii.find("\r\n\"Count\"=dword:12345678\r\n"), std::string::npos);
  EXPECT_NE(ascii.find("\r\n\"Big\"=hex(b):cb,04,fb,71,1f,01,00,00\r\n"), std::string::npos);
  EXPECT_NE(ascii.find("\r\n\"List\"=hex(7):61,00,00,00,62,00,00,00,00,00\r\n"), std::string::npos);
  EXPECT_NE(ascii.find("\r\n\"Odd\"=hex(20000):00,01\r\n"), std::string::npos);
  EXPECT_NE(ascii.find(",\\\r\n  ab,"), std::string::npos) << "long data is wrapped";
  EXPECT_TRUE(text::EndsWith(ascii, "\r\n\r\n[HKEY_CURRENT_USER\\Software\\Bad\\Empty]\r\n"));
  auto back = ParseRegExport(ascii);
  ASSERT_TRUE(back);
  ASSERT_EQ(back->size(), keys.size());
  for (size_t k = 0; k < keys.size(); ++k) {
    EXPECT_EQ((*back)[k].key, keys[k].key);
    ASSERT_EQ((*back)[k].values.size(), keys[k].values.size());
    for (size_t v = 0; v < keys[k].values.size(); ++v) {
      EXPECT_EQ((*back)[k].values[v].first, keys[k].values[v].first);
      EXPECT_EQ((*back)[k].values[v].second.type, keys[k].values[v].second.type) << v;
      EXPECT_EQ((*back)[k].values[v].second.data, keys[k].values[v].second.data) << v;
    }
  }

  // Outside ASCII: UTF-16LE with a byte-order mark, read back the same.
  const std::vector<RegExportKey> wide = {{"HKEY_CURRENT_USER\\Software\\Caf\xC3\xA9",
                                           {{"Na\xC3\xAFve", platform::MakeSz("\xE2\x82\xAC")}}}};
  const std::string utf16 = FormatRegExport(wide);
  EXPECT_EQ(utf16.substr(0, 4), "\xFF\xFEW\0"s);
  auto wideBack = ParseRegExport(utf16);
  ASSERT_TRUE(wideBack);
  EXPECT_EQ((*wideBack)[0].key, wide[0].key);
  EXPECT_EQ((*wideBack)[0].values[0].first, "Na\xC3\xAFve");
  EXPECT_EQ((*wideBack)[0].values[0].second.data, "\xE2\x82\xAC");

  // Only what we write is read: deletions and other headers are refused.
  EXPECT_FALSE(
      ParseRegExport("Windows Registry Editor Version 5.00\r\n\r\n[-HKEY_CURRENT_USER\\X]\r\n"));
  EXPECT_FALSE(ParseRegExport("REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\X]\r\n"));
  EXPECT_FALSE(ParseRegExport(
      "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\X]\r\n\"a\"=-\r\n"));
}

TEST(Sha256Digest, KnownAnswers) {
  EXPECT_EQ(Sha256::Hex(""), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
  EXPECT_EQ(Sha256::Hex("abc"), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
  EXPECT_EQ(Sha256::Hex("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq"),
            "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
  EXPECT_EQ(Sha256::Hex(std::string(1000000, 'a')),
            "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
}

class QuarantineRestoreTest : public ::testing::Test {
 protected:
  void SetUp() override { test::StartAt(f); }
  std::string Cookie(const std::string& name) {
    return "C:\\users\\" + f.Prefix().User() + "\\Cookies\\" + name;
  }
  std::vector<QuarantineItem> Items() {
    return QuarantineRestore(In()).Items().value_or(std::vector<QuarantineItem>{});
  }
  /// The quarantine's inputs as the program holds them now.
  RemovalInputs In() { return RemovalInputsOf(f.App()); }
  AppFixture f;
};

TEST_F(QuarantineRestoreTest, ManifestLinesReadBackAndUnreadableLinesAreKept) {
  QuarantineItem item;
  item.id = 7;
  item.time = "2024-03-05 14:07:09";
  item.kind = QuarantineKind::Cookie;
  item.original = "C:\\a\tb\\c\r\nd.txt";
  item.copy = "c (2).txt";
  item.size = 12;
  item.sha256 = Sha256::Hex("x");
  const std::string line = QuarantineManifest::FormatLine(item);
  EXPECT_EQ(line.find_first_of("\r\n"), std::string::npos);
  auto back = QuarantineManifest::ParseLine(line);
  ASSERT_TRUE(back);
  EXPECT_EQ(QuarantineManifest::FormatLine(*back), line);
  EXPECT_EQ(back->original, item.original);
  EXPECT_FALSE(QuarantineManifest::ParseLine("1\tx\tfile\tsaved\tC:\\\\a"));

  QuarantineStore store(In());
  store.CreateQuarantineFolder();
  QuarantineManifest manifest = store.Manifest();
  ASSERT_TRUE(f.App().Files().WriteFile(manifest.Path(), "# hand edit\r\nnot an item\r\n"));
  ASSERT_TRUE(manifest.Add(item));
  ASSERT_TRUE(manifest.Add(item));
  EXPECT_EQ(item.id, 2);
  auto text = f.App().Files().ReadFile(manifest.Path());
  ASSERT_TRUE(text);
  EXPECT_NE(text->find("\r\nnot an item\r\n"), std::string::npos);
  EXPECT_EQ(manifest.Load()->size(), 2u);
}

TEST_F(QuarantineRestoreTest, FilesFoldersAndCookiesComeBackWithoutReplacingAnything) {
  auto& prefix = f.Prefix();
  ASSERT_TRUE(prefix.WriteFile("C:\\One\\same.txt", "from one"));
  ASSERT_TRUE(prefix.WriteFile("C:\\Two\\same.txt", "from two"));
  ASSERT_TRUE(prefix.WriteFile("C:\\Tree\\sub\\deep.txt", "deep"));
  ASSERT_TRUE(prefix.WriteFile(Cookie("user@ads[1].txt"), "cookie"));
  test::AddFileHit(f.Main(), "C:\\One\\same.txt", "One");
  test::AddFileHit(f.Main(), "C:\\Two\\same.txt", "Two");
  test::AddFileHit(f.Main(), "C:\\Tree", "Tree", true);
  test::AddCookieHit(f.Main(), Cookie("user@ads[1].txt"));
  f.Main().cmdSelectAll_Click();
  test::RepairNow(f);
  for (const char* gone : {"C:\\One\\same.txt", "C:\\Two\\same.txt", "C:\\Tree"})
    ASSERT_FALSE(test::Exists(f, gone)) << gone;
  const auto items = Items();
  ASSERT_EQ(items.size(), 4u);
  EXPECT_EQ(items[1].copy, "same (2).txt");
  EXPECT_EQ(items[2].kind, QuarantineKind::Folder);
  EXPECT_EQ(items[3].kind, QuarantineKind::Cookie);
  EXPECT_EQ(items[0].sha256, Sha256::Hex("from one"));

  // The user made a new file where the first one was: it stays, the old one comes beside it.
  ASSERT_TRUE(prefix.WriteFile("C:\\One\\same.txt", "newer"));
  QuarantineRestore restore(In());
  const auto outcomes = restore.RestoreAll();
  ASSERT_EQ(outcomes.size(), 4u);
  for (const auto& o : outcomes) EXPECT_TRUE(o.done) << o.message;
  EXPECT_NE(outcomes[0].message.find("as C:\\One\\same (2).txt"), std::string::npos)
      << outcomes[0].message;
  EXPECT_EQ(test::Read(f, "C:\\One\\same.txt"), "newer");
  EXPECT_EQ(test::Read(f, "C:\\One\\same (2).txt"), "from one");
  EXPECT_EQ(test::Read(f, "C:\\Two\\same.txt"), "from two");
  EXPECT_EQ(test::Read(f, "C:\\Tree\\sub\\deep.txt"), "deep");
  EXPECT_EQ(test::Read(f, Cookie("user@ads[1].txt")), "cookie");
  EXPECT_EQ(Items()[0].restoredTo, "C:\\One\\same (2).txt");

  // Once back, an item is not put back twice; a deleted item leaves the quarantine.
  EXPECT_FALSE(restore.Restore({2})[0].done);
  EXPECT_FALSE(restore.Restore({99})[0].done);
  EXPECT_TRUE(restore.Delete(2).done);
  EXPECT_FALSE(test::Exists(f, QuarantineStore(In()).QuarantineFolder() + "\\same (2).txt"));
  EXPECT_EQ(Items().size(), 3u);
}

TEST_F(QuarantineRestoreTest, ACopyChangedInTheQuarantineIsNotPutBack) {
  ASSERT_TRUE(f.Prefix().WriteFile("C:\\Bad\\tool.txt", "original"));
  test::AddFileHit(f.Main(), "C:\\Bad\\tool.txt", "Tool");
  f.Main().cmdSelectAll_Click();
  test::RepairNow(f);
  const std::string copy = QuarantineStore(In()).QuarantineFolder() + "\\tool.txt";
  ASSERT_TRUE(f.App().Files().WriteFile(copy, "tampered"));
  const auto outcome = QuarantineRestore(In()).Restore({1})[0];
  EXPECT_FALSE(outcome.done);
  EXPECT_NE(outcome.message.find("changed"), std::string::npos) << outcome.message;
  EXPECT_FALSE(test::Exists(f, "C:\\Bad\\tool.txt"));
  EXPECT_TRUE(Items()[0].restoredTo.empty());
}

TEST_F(QuarantineRestoreTest, DeleteOfACopyNameClimbingOutOfTheQuarantineIsRefused) {
  ASSERT_TRUE(f.Prefix().WriteFile("C:\\Bad\\tool.txt", "original"));
  ASSERT_TRUE(f.Prefix().WriteFile("C:\\Victim\\keep.txt", "victim"));
  test::AddFileHit(f.Main(), "C:\\Bad\\tool.txt", "Tool");
  f.Main().cmdSelectAll_Click();
  test::RepairNow(f);
  QuarantineItem climbing = Items()[0];
  climbing.copy = "..\\..\\..\\..\\..\\..\\Victim\\keep.txt";
  ASSERT_TRUE(QuarantineStore(In()).Manifest().Update(climbing));
  const auto refused = QuarantineRestore(In()).Delete(1);
  EXPECT_NE(refused.message.find("is not a plain name inside the quarantine"), std::string::npos)
      << refused.message;
  EXPECT_EQ(test::Read(f, "C:\\Victim\\keep.txt"), "victim");
}

// A removal killed halfway: every original that is gone has a manifest entry whose copy
// holds its bytes, and the manifest reads completely.
TEST_F(QuarantineRestoreTest, ManifestSurvivesARemovalKilledHalfway) {
  const std::vector<std::string> paths = {"C:\\Bad\\a.txt", "C:\\Bad\\b.txt", "C:\\Bad\\c.txt"};
  for (const auto& p : paths) {
    ASSERT_TRUE(f.Prefix().WriteFile(p, "bytes of " + p));
    test::AddFileHit(f.Main(), p, p);
  }
  f.Main().cmdSelectAll_Click();
  // The gathering pause takes 20,001 yields; each file then takes eight more.
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    f.Host().AtDoEvents(20001 + 12, [] { ::_exit(0); });
    test::RepairNow(f);
    ::_exit(1);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the removal was not cut short";
  const auto items = QuarantineRestore(In()).Items();
  ASSERT_TRUE(items);
  int gone = 0;
  for (const auto& p : paths) {
    if (test::Exists(f, p)) continue;
    ++gone;
    auto it = std::find_if(items->begin(), items->end(),
                           [&](const QuarantineItem& i) { return i.original == p; });
    ASSERT_NE(it, items->end()) << p;
    EXPECT_EQ(test::Read(f, QuarantineStore(In()).QuarantineFolder() + "\\" + it->copy),
              "bytes of " + p);
  }
  EXPECT_GE(gone, 1);
  EXPECT_LT(gone, 3);
  for (const auto& o : QuarantineRestore(In()).RestoreAll()) EXPECT_TRUE(o.done) << o.message;
  for (const auto& p : paths) EXPECT_EQ(test::Read(f, p), "bytes of " + p);
}

}  // namespace
}  // namespace quill
