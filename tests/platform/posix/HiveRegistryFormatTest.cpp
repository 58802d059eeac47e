// The hive text format on its own: every value type Wine writes, its escaping and line
// wrapping, and byte-exact round trips of whatever a file holds.
#include <gtest/gtest.h>

#include <string>

#include "platform/posix/Hive.h"
#include "platform/posix/HiveFile.h"

namespace quill::platform::posix::detail {
namespace {

using namespace std::string_literals;

constexpr uint32_t T(RegType t) {
  return static_cast<uint32_t>(t);
}

const std::string kHead =
    "WINE REGISTRY Version 2\n;; All keys relative to REGISTRY\\\\Machine\n\n#arch=win64\n";

TEST(HiveFormat, ReadsEveryValueTypeWineWrites) {
  const std::string text = kHead +
                           "\n[Software\\\\Test] 1700000000\n"
                           "#time=1da0000000000000\n"
                           "@=\"default\"\n"
                           "\"Sz\"=\"C:\\\\dir\\\\\\\"q\\\"\\n\\r\\t\\0end\"\n"
                           "\"Wide\"=\"caf\\xe9 \\x20ac\\xd83d\\xde00\"\n"
                           "\"Expand\"=str(2):\"%SystemRoot%\\\\x\"\n"
                           "\"Multi\"=str(7):\"one\\0two\\0\"\n"
                           "\"Dword\"=dword:0000abcd\n"
                           "\"Bin\"=hex:00,ff,10\n"
                           "\"Empty\"=hex:\n"
                           "\"Qword\"=hex(b):01,02,03,04,05,06,07,08\n"
                           "\"HexSz\"=hex(2):25,00,41,00,25,00,00,00\n"
                           "\"HexMulti\"=hex(7):61,00,00,00,62,00,00,00,00,00\n"
                           "\"Odd\"=hex(100):aa,\\\n"
                           "  bb\n"
                           "\"Octal\"=\"\\001x\\1\"\n";
  const HiveDocument doc = ParseHive(text);
  EXPECT_TRUE(doc.complete);
  EXPECT_EQ(doc.relativeTo, "REGISTRY\\Machine");
  const Hive hive(doc);
  auto q = [&](const std::string& name) { return hive.Query("software\\TEST", name); };
  ASSERT_TRUE(q(""));
  EXPECT_EQ(q("")->data, "default");
  EXPECT_EQ(q("sz")->type, T(RegType::Sz));
  EXPECT_EQ(q("SZ")->data, "C:\\dir\\\"q\"\n\r\t\0end"s);
  EXPECT_EQ(q("Wide")->data, "caf\xC3\xA9 \xE2\x82\xAC\xF0\x9F\x98\x80");
  EXPECT_EQ(q("Expand")->type, T(RegType::ExpandSz));
  EXPECT_EQ(q("Expand")->data, "%SystemRoot%\\x");
  EXPECT_EQ(q("Multi")->type, T(RegType::MultiSz));
  EXPECT_EQ(q("Multi")->data, "one\0two\0"s);
  EXPECT_EQ(q("Dword")->type, T(RegType::Dword));
  EXPECT_EQ(q("Dword")->data, "\xcd\xab\0\0"s);
  EXPECT_EQ(q("Bin")->type, T(RegType::Binary));
  EXPECT_EQ(q("Bin")->data, "\x00\xff\x10"s);
  EXPECT_EQ(q("Empty")->data, "");
  EXPECT_EQ(q("Qword")->type, T(RegType::Qword));
  EXPECT_EQ(q("Qword")->data, "\1\2\3\4\5\6\7\x08"s);
  EXPECT_EQ(q("HexSz")->type, T(RegType::ExpandSz));
  EXPECT_EQ(q("HexSz")->data, "%A%");
  EXPECT_EQ(q("HexMulti")->data, "a\0b\0"s);
  EXPECT_EQ(q("Odd")->type, 0x100u);
  EXPECT_EQ(q("Odd")->data, "\xaa\xbb");
  EXPECT_EQ(q("Octal")->data, "\x01x\x01");
  EXPECT_FALSE(q("Missing"));

  const auto names = hive.ValueNames("Software\\Test");
  ASSERT_TRUE(names);
  ASSERT_EQ(names->size(), 13u);
  EXPECT_EQ((*names)[0], "");
  EXPECT_EQ((*names)[1], "Sz");
  EXPECT_EQ((*names)[12], "Octal");
  EXPECT_EQ(SerializeHive(doc), text);
}

TEST(HiveFormat, KeysImplicitKeysOrderAndEscapedNames) {
  const std::string text = kHead +
                           "\n[B\\\\Child2] 1\n\n[A\\\\x\\[1\\]] 1\n\n[B\\\\Child1\\\\Deep] 1\n"
                           "\n[\\x65e5\\x672c] 1\n\"\\x540d\"=\"v\"\n";
  const Hive hive(ParseHive(text));
  EXPECT_TRUE(hive.Complete());
  EXPECT_TRUE(hive.KeyExists(""));
  EXPECT_TRUE(hive.KeyExists("b"));  // only through its subkeys
  EXPECT_TRUE(hive.KeyExists("b\\child1"));
  EXPECT_TRUE(hive.KeyExists("A\\X[1]"));
  EXPECT_FALSE(hive.KeyExists("B\\Child3"));
  EXPECT_EQ(*hive.SubkeyNames(""),
            (std::vector<std::string>{"B", "A", "\xE6\x97\xA5\xE6\x9C\xAC"}));
  EXPECT_EQ(*hive.SubkeyNames("B"), (std::vector<std::string>{"Child2", "Child1"}));
  EXPECT_EQ(hive.Query("\xE6\x97\xA5\xE6\x9C\xAC", "\xE5\x90\x8D")->data, "v");
  EXPECT_FALSE(hive.SubkeyNames("nope"));
}

TEST(HiveFormat, WritesValuesTheWayWineDoes) {
  // Lines as Wine 8 wrote them into a fresh prefix.
  EXPECT_EQ(FormatValueLine("SymbolicLinkValue",
                            {T(RegType::Link), "\\Registry\\Machine\\Software\\Classes"}),
            "\"SymbolicLinkValue\"=hex(6):5c,00,52,00,65,00,67,00,69,00,73,00,74,00,72,00,79,\\\n"
            "  00,5c,00,4d,00,61,00,63,00,68,00,69,00,6e,00,65,00,5c,00,53,00,6f,00,66,00,\\\n"
            "  74,00,77,00,61,00,72,00,65,00,5c,00,43,00,6c,00,61,00,73,00,73,00,65,00,73,\\\n"
            "  00\n");
  EXPECT_EQ(FormatValueLine("Locale", MakeDword(0)), "\"Locale\"=dword:00000000\n");
  EXPECT_EQ(FormatValueLine("", MakeSz("chm.file")), "@=\"chm.file\"\n");
  EXPECT_EQ(FormatValueLine("a\"b", MakeSz("C:\\x \"y\"\n\t\r\a\x1b")),
            "\"a\\\"b\"=\"C:\\\\x \\\"y\\\"\\n\\t\\r\\a\\e\"\n");
  // Non-ASCII as \x escapes, four digits when a hex digit follows.
  EXPECT_EQ(FormatValueLine("n", MakeSz("\xC3\xA9"
                                        "a\xC3\xA9!\xF0\x9F\x98\x80")),
            "\"n\"=\"\\x00e9a\\xe9!\\xd83d\\xde00\"\n");
  // Control characters without a C escape are octal, three digits before an octal digit.
  EXPECT_EQ(FormatValueLine("n", MakeSz("\x01"
                                        "7\x02x")),
            "\"n\"=\"\\0017\\2x\"\n");
  EXPECT_EQ(FormatValueLine("m", {T(RegType::MultiSz), "a\0b\0"s}), "\"m\"=str(7):\"a\\0b\\0\"\n");
  EXPECT_EQ(FormatValueLine("m", {T(RegType::MultiSz), "a\0b"s}), "\"m\"=str(7):\"a\\0b\\0\"\n");
  EXPECT_EQ(FormatValueLine("e", {T(RegType::ExpandSz), "%x%"}), "\"e\"=str(2):\"%x%\"\n");
  EXPECT_EQ(FormatValueLine("b", {T(RegType::Binary), ""}), "\"b\"=hex:\n");
  EXPECT_EQ(FormatValueLine("d", {T(RegType::Dword), "\1\2"}), "\"d\"=hex(4):01,02\n");
  EXPECT_EQ(FormatKeyText("Software\\A[1]\\\xC3\xA9"), "[Software\\\\A\\[1\\]\\\\\\xe9]");
  EXPECT_EQ(NewHivePreamble("REGISTRY\\User\\S-1-5-21-0-0-0-1000"),
            "WINE REGISTRY Version 2\n;; All keys relative to "
            "REGISTRY\\\\User\\\\S-1-5-21-0-0-0-1000\n\n#arch=win64\n");
}

TEST(HiveFormat, EveryTypeSurvivesAWriteAndARead) {
  std::string allBytes;
  for (int i = 0; i < 256; ++i) allBytes += static_cast<char>(i);
  const std::vector<std::pair<std::string, RegValue>> values = {
      {"sz", MakeSz("plain \\ \" [x] \x01\x7f\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80 end")},
      {"sz with zero",
       {T(RegType::Sz),
        "a\0"
        "0b"s}},
      {"", MakeSz("")},
      {"expand", {T(RegType::ExpandSz), "%PATH%;x"}},
      {"multi", {T(RegType::MultiSz), "one\0\0three\0"s}},
      {"dword", MakeDword(0xDEADBEEF)},
      {"binary", {T(RegType::Binary), allBytes}},
      {"qword", {T(RegType::Qword), "\xff\0\1\2\3\4\5\6"s}},
      {"none", {T(RegType::None), "\0\1"s}},
      {"big type", {0xFFFFFFFFu, "x"}},
      {"link", {T(RegType::Link), "\\Registry\\Machine\\Software"}},
  };
  std::string text = kHead + "\n[K] 1\n";
  for (const auto& [name, value] : values) text += FormatValueLine(name, value);
  const Hive hive(ParseHive(text));
  ASSERT_TRUE(hive.Complete());
  for (const auto& [name, value] : values) {
    SCOPED_TRACE(name);
    const auto read = hive.Query("K", name);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->type, value.type);
    EXPECT_EQ(read->data, value.data);
  }
  // Wrapped hex lines never pass Wine's width.
  for (const std::string& line : {text}) {
    size_t start = 0;
    while (start < line.size()) {
      size_t end = line.find('\n', start);
      EXPECT_LE(end - start, 80u);
      start = end + 1;
    }
  }
}

TEST(HiveFormat, DamagedFilesAreReadAsFarAsTheyGoAndKeptWhole) {
  const std::vector<std::string> damaged = {
      kHead + "\n[A] 1\n\"ok\"=\"1\"\n\"bad\"=\"unterminated\n\"ok2\"=dword:00000002\n",
      kHead + "\n[A] 1\n\"ok\"=\"1\"\n\"bad\"=\"trailing \\",
      kHead + "\n[A] 1\n\"ok\"=\"1\"\n\"bad\"=weird:12\n\"ok2\"=dword:00000002\n",
      kHead + "\n[A] 1\n\"ok\"=\"1\"\n\"bad\"=hex:01,02,\\\n",
      kHead + "\n[A] 1\n\"ok\"=\"1\"\n\"bad\"=hex:0g\n\"ok2\"=dword:00000002\n",
      kHead + "\n[A] 1\n\"ok\"=\"1\"\n\"bad\"=dword:123456789\n\"ok2\"=dword:00000002\n",
      kHead + "\n[A] 1\n\"ok\"=\"1\"\ngarbage line\n\"ok2\"=dword:00000002\n",
      kHead + "\n[A] 1\n\"ok\"=\"1\"\n\"ok2\"=dword:00000002\n[Broken\\\\Key\n\"x\"=\"y\"\n",
      kHead + "\n[A] 1\n\"ok\"=\"1\"\n\"ok2\"=dword:00000002\n\x00\xff\xfe\x01\x80\n"s,
  };
  for (const std::string& text : damaged) {
    SCOPED_TRACE(text);
    const HiveDocument doc = ParseHive(text);
    EXPECT_FALSE(doc.complete);
    EXPECT_EQ(SerializeHive(doc), text);
    const Hive hive(doc);
    EXPECT_EQ(hive.Query("A", "ok")->data, "1");
    EXPECT_FALSE(hive.Query("A", "bad"));
    EXPECT_FALSE(hive.KeyExists("Broken"));
    EXPECT_FALSE(hive.Query("A", "x"));
  }
  // Not a hive at all.
  for (const std::string& text : {"REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\A]\n\"x\"=\"y\"\n"s,
                                  "\x7f"
                                  "ELF\x02\x01\x01\0\0\0"s,
                                  "\"x\"=\"y\"\n"s}) {
    const HiveDocument doc = ParseHive(text);
    EXPECT_FALSE(doc.complete);
    EXPECT_TRUE(doc.blocks.empty());
    EXPECT_EQ(SerializeHive(doc), text);
  }
}

TEST(HiveFormat, RandomBytesNeverCrashTheReader) {
  uint32_t seed = 12345;
  auto next = [&] {
    seed = seed * 1103515245u + 12345u;
    return static_cast<char>((seed >> 16) & 0xFF);
  };
  const std::string alphabet = "[]\\\"@=:,#;\nhexdwordstr(27)0123456789abcdef \x80\xff";
  for (int round = 0; round < 300; ++round) {
    std::string text = kHead;
    const int length = 50 + round * 3;
    for (int i = 0; i < length; ++i) {
      const char c = next();
      text += (c & 1) ? alphabet[static_cast<unsigned char>(c) % alphabet.size()] : c;
    }
    const HiveDocument doc = ParseHive(text);
    EXPECT_EQ(SerializeHive(doc), text);
    const Hive hive(doc);
    for (const HiveBlock& block : doc.blocks) {
      hive.ValueNames(block.path);
      hive.SubkeyNames(block.path);
    }
  }
}

TEST(HiveEdits, ChangeOnlyTheTouchedBlockAndKeepTheRestByteForByte) {
  const std::string before = kHead +
                             "\n[A] 1600000000\n#time=1d000000000000\n\"x\"=\"1\"\n\"y\"=\"2\"\n"
                             "\n[C\\\\D] 1600000000\n#time=1d000000000000\n\"z\"=hex:01\n"
                             "\n[E] 1600000000\n#time=1d000000000000\n;comment\n\"w\"=\"w\"\n";
  Hive hive(ParseHive(before));
  const HiveTime now{1700000000, 0x1da1234567890abULL};
  EXPECT_FALSE(hive.SetValue("a", "X", MakeSz("1"), now));  // unchanged: nothing to write
  EXPECT_EQ(hive.Text(), before);

  ASSERT_TRUE(hive.SetValue("a", "X", MakeSz("one"), now));
  ASSERT_TRUE(hive.SetValue("a", "new", MakeDword(7), now));
  EXPECT_EQ(hive.Text(), kHead +
                             "\n[A] 1700000000\n#time=1da1234567890ab\n\"x\"=\"one\"\n\"y\"=\"2\"\n"
                             "\"new\"=dword:00000007\n"
                             "\n[C\\\\D] 1600000000\n#time=1d000000000000\n\"z\"=hex:01\n"
                             "\n[E] 1600000000\n#time=1d000000000000\n;comment\n\"w\"=\"w\"\n");

  // A new key goes where Wine's sorted order puts it; its parent C stays implicit.
  ASSERT_TRUE(hive.CreateKey("c\\b", now));
  ASSERT_TRUE(hive.CreateKey("Z", now));
  EXPECT_FALSE(hive.CreateKey("z", now));
  ASSERT_TRUE(hive.DeleteValue("E", "W", now));
  EXPECT_EQ(hive.Text(), kHead +
                             "\n[A] 1700000000\n#time=1da1234567890ab\n\"x\"=\"one\"\n\"y\"=\"2\"\n"
                             "\"new\"=dword:00000007\n"
                             "\n[C\\\\b] 1700000000\n#time=1da1234567890ab\n"
                             "\n[C\\\\D] 1600000000\n#time=1d000000000000\n\"z\"=hex:01\n"
                             "\n[E] 1700000000\n#time=1da1234567890ab\n;comment\n"
                             "\n[Z] 1700000000\n#time=1da1234567890ab\n");
  EXPECT_EQ(*hive.SubkeyNames("C"), (std::vector<std::string>{"b", "D"}));

  // Deleting the last subkey of an implicit key keeps that key.
  ASSERT_TRUE(hive.DeleteTree("C\\B", now));
  ASSERT_TRUE(hive.DeleteTree("c\\d", now));
  EXPECT_TRUE(hive.KeyExists("C"));
  EXPECT_FALSE(hive.KeyExists("C\\D"));
  EXPECT_EQ(hive.SubkeyNames("C")->size(), 0u);
  ASSERT_TRUE(hive.DeleteTree("C", now));
  EXPECT_EQ(*hive.SubkeyNames(""), (std::vector<std::string>{"A", "E", "Z"}));

  // A value on an implicit key gives it a block of its own, before its subkeys.
  Hive implicitHive(ParseHive(kHead + "\n[P\\\\Q] 1\n\"v\"=\"1\"\n"));
  ASSERT_TRUE(implicitHive.SetValue("p", "v", MakeSz("2"), now));
  EXPECT_EQ(implicitHive.Text(), kHead +
                                     "\n[P] 1700000000\n#time=1da1234567890ab\n\"v\"=\"2\"\n"
                                     "\n[P\\\\Q] 1\n\"v\"=\"1\"\n");
}

TEST(HiveEdits, FileWithoutFinalLineEndStaysWellFormed) {
  Hive hive(ParseHive(kHead + "\n[A] 1\n\"x\"=\"1\""));
  const HiveTime now{5, 6};
  ASSERT_TRUE(hive.SetValue("A", "y", MakeSz("2"), now));
  ASSERT_TRUE(hive.CreateKey("B", now));
  const Hive again(ParseHive(hive.Text()));
  EXPECT_TRUE(again.Complete());
  EXPECT_EQ(again.Query("A", "x")->data, "1");
  EXPECT_EQ(again.Query("A", "y")->data, "2");
  EXPECT_TRUE(again.KeyExists("B"));
}

}  // namespace
}  // namespace quill::platform::posix::detail
