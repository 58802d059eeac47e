#include "localization/MessageCatalog.h"

#include <gtest/gtest.h>

#include <random>
#include <set>

#include "localization/LanguageFiles.h"
#include "support/TestPlatform.h"

namespace quill {
namespace {

using namespace std::string_literals;

using testing::Item;
using testing::LanguageFile;
using testing::LanguageGroup;

constexpr const char* kFolder = "C:\\Program Files\\Quillonet";
constexpr const char* kFile = "C:\\Program Files\\Quillonet\\Localization.txt";

class MessageCatalogTest : public ::testing::Test {
 protected:
  MessageCatalogTest() : catalog(files, std::string(kFolder) + "\\", brand) {
    brand.programName = "Quillonet";
    brand.companyName = "Quillonet Software";
    brand.website = "www.quillonet.example";
    files.AddFolder(kFolder);
  }
  void WriteFile(const std::string& text) { files.Put(kFile, text); }

  test::FakeFileSystem files;
  BrandProfile brand;
  clsLanguages catalog;
};

TEST_F(MessageCatalogTest, BuiltInMessagesFillSlotsInTableOrder) {
  catalog.LoadBuiltInMessages();
  ASSERT_EQ(catalog.TakenCount(), 107);
  const auto& slots = catalog.Slots();
  EXPECT_EQ(slots[0].key, "MSG_THANK1");
  EXPECT_EQ(slots[30].key, "MSG_FOUND1");
  EXPECT_EQ(slots[56].key, "MSG_CAPTION");
  EXPECT_EQ(slots[56].text, "[ProgramName] by [CompanyName]");
  EXPECT_EQ(slots[71].key, "MSG_FALSE_POS5");
  EXPECT_EQ(slots[72].key, "MSG_UPDATE_FAILED");
  EXPECT_EQ(slots[86].key, "MSG_QUARANTINE_FAILED");
  EXPECT_EQ(slots[90].key, "MSG_LAST_UPDATED");
  EXPECT_EQ(slots[101].key, "MSG_CHOOSE_LANGUAGE");
  EXPECT_EQ(slots[105].key, "MSG_APPLYING_UPDATES");
  EXPECT_EQ(slots[106].key, "MSG_REASON");
  EXPECT_FALSE(slots[107].taken);

  std::set<std::string> keys;
  for (int i = 0; i < 107; ++i) keys.insert(slots[static_cast<size_t>(i)].key);
  EXPECT_EQ(keys.size(), 107u);

  // Texts exactly as shipped, odd spellings included.
  EXPECT_EQ(catalog.getMessages("MSG_CAPTION"), "Quillonet by Quillonet Software");
  EXPECT_EQ(catalog.getMessages("MSG_COOKIES_FINISHED"), "Finished Inpecting Cookies");
  EXPECT_EQ(catalog.getMessages("MSG_FOUND2"), "] using you system memory. Click YES to stop [");
  EXPECT_NE(catalog.getMessages("MSG_FALSE_POS").find("susptected false positives.  Are"),
            std::string::npos);
  EXPECT_EQ(catalog.getMessages("MSG_PAUSED"), "Quillonet has been paused.  Click OK to resume.");
  EXPECT_EQ(catalog.getMessages("MSG_WEBSITE"), "Visit www.quillonet.example");
  EXPECT_EQ(catalog.getMessages("MSG_NOTSELECED"), "Not Selected");
  EXPECT_EQ(catalog.getMessages("MSG_NOTSELECTED"), "");
  // These two come only from a language file.
  EXPECT_EQ(catalog.getMessages("MSG_DOWNLOADED"), "");
  EXPECT_EQ(catalog.getMessages("MSG_TITLELANGUAGE"), "");
}

TEST_F(MessageCatalogTest, GetMessagesCapitalisesSubstitutesAndIgnoresKeyCase) {
  catalog.LoadBuiltInMessages();
  EXPECT_EQ(catalog.getMessages("MSG_COMPLETE"), "Complete");
  EXPECT_EQ(catalog.getMessages("msg_complete"), "Complete");
  EXPECT_EQ(catalog.Slots()[66].text, "complete");  // the stored text stays as it was
  catalog.setMessage("MSG_X", "[programname] and [COMPANYNAME] at [WebSite]");
  EXPECT_EQ(catalog.getMessages("MSG_X"),
            "Quillonet and Quillonet Software at www.quillonet.example");
  catalog.setMessage("MSG_ACCENT", "\xC3\xA9tat");  // "état"
  EXPECT_EQ(catalog.getMessages("MSG_ACCENT"), "\xC3\x89tat");
  EXPECT_EQ(catalog.getMessages("MSG_NOPE"), "");
  EXPECT_EQ(catalog.getMessages(""), "");
}

TEST_F(MessageCatalogTest, SetMessageKeepsExistingKeysAndStopsAtCapacity) {
  catalog.LoadBuiltInMessages();
  catalog.setMessage("msg_sure", "Replaced?");
  EXPECT_EQ(catalog.getMessages("MSG_SURE"), "Are you sure?");
  EXPECT_EQ(catalog.TakenCount(), 107);

  for (int i = 0; i < 201; ++i) catalog.setMessage("MSG_EXTRA" + std::to_string(i), "extra");
  EXPECT_EQ(catalog.TakenCount(), 201);
  EXPECT_EQ(catalog.getMessages("MSG_EXTRA0"), "Extra");
  EXPECT_EQ(catalog.getMessages("MSG_EXTRA93"), "Extra");  // slot 200, the last one
  EXPECT_EQ(catalog.getMessages("MSG_EXTRA94"), "");
  EXPECT_EQ(catalog.getMessages("MSG_EXTRA200"), "");
  catalog.setMessage("MSG_LATE", "late");
  EXPECT_EQ(catalog.getMessages("MSG_LATE"), "");
  EXPECT_EQ(catalog.getMessages("MSG_THANK1"), "Thank you for using Quillonet!");
}

TEST_F(MessageCatalogTest, CaptionNeedsMoreThanTwoCharactersBeforeTheFirstBracket) {
  // A one-letter key at the very start of a line is never an item.
  WriteFile(
      LanguageFile({"<LANGUAGE_GROUP><LANGUAGE_NAME>Bare</LANGUAGE_NAME>"
                    "<TRANSLATION_ITEMS>\r\n<A>one</A>\r\n<AB>two</AB>\r\n"
                    "</TRANSLATION_ITEMS></LANGUAGE_GROUP>\r\n",
                    LanguageGroup("Tabbed", {Item("A", "one")})}));
  catalog.LoadLanguage("Bare");
  EXPECT_EQ(catalog.getCaption("A"), "");
  EXPECT_EQ(catalog.getCaption("AB"), "Two");
  catalog.LoadLanguage("Tabbed");
  EXPECT_EQ(catalog.getCaption("A"), "One");
  EXPECT_EQ(catalog.getCaption("a"), "One");
}

TEST_F(MessageCatalogTest, CaptionTagsIgnoreCaseAndTextIsFinished) {
  WriteFile(LanguageFile(
      {LanguageGroup("Test", {"<frmMain_cmdScan>scan [ProgramName]</FRMMAIN_CMDSCAN>",
                              Item("MSG_SURE", "bist du sicher, [companyname]?"), Item("EMPTY", ""),
                              "<BROKEN>no closing tag", Item("BROKEN", "later duplicate"),
                              Item("LBL_TAGS", "a <b>bold</b> word")})}));
  catalog.LoadLanguage("test");
  EXPECT_EQ(catalog.CurrentLanguage(), "test");
  EXPECT_EQ(catalog.getCaption("FRMMAIN_CMDSCAN"), "Scan Quillonet");
  EXPECT_EQ(catalog.getCaption("msg_sure"), "Bist du sicher, Quillonet Software?");
  EXPECT_EQ(catalog.getCaption("EMPTY"), "");
  EXPECT_EQ(catalog.getCaption("LBL_TAGS"), "A <b>bold</b> word");
  // The first item with the key decides; a malformed one gives nothing.
  EXPECT_EQ(catalog.getCaption("BROKEN"), "");
  EXPECT_EQ(catalog.getCaption("MISSING"), "");
}

TEST_F(MessageCatalogTest, FirstMatchingBlockWinsAndUnknownNamesKeepTheLines) {
  WriteFile(LanguageFile({LanguageGroup("english", {Item("K", "first")}),
                          LanguageGroup("English", {Item("K", "second")}),
                          LanguageGroup("Deutsch", {Item("K", "dritte")})}));
  catalog.LoadLanguage("ENGLISH");
  EXPECT_EQ(catalog.getCaption("K"), "First");
  catalog.LoadLanguage("Deutsch");
  EXPECT_EQ(catalog.getCaption("K"), "Dritte");
  catalog.LoadLanguage("Klingon");
  EXPECT_EQ(catalog.CurrentLanguage(), "Klingon");
  EXPECT_EQ(catalog.getCaption("K"), "Dritte");
  EXPECT_EQ(catalog.LanguageNames(), (std::vector<std::string>{"english", "English", "Deutsch"}));
}

TEST_F(MessageCatalogTest, NoLanguageFileMeansNoTranslations) {
  catalog.LoadLanguage("English");
  EXPECT_TRUE(catalog.TranslationLines().empty());
  EXPECT_EQ(catalog.getCaption("K"), "");
  EXPECT_TRUE(catalog.LanguageNames().empty());
  // A folder named like the language file is not the file.
  files.AddFolder(kFile);
  EXPECT_TRUE(catalog.LanguageNames().empty());
}

TEST_F(MessageCatalogTest, LineFeedOnlyFilesAndByteOrderMarksRead) {
  std::string text = LanguageFile({LanguageGroup("Français", {Item("K", "élan")})});
  std::string lf;
  for (char c : text)
    if (c != '\r') lf += c;
  WriteFile("\xEF\xBB\xBF" + lf);
  catalog.LoadLanguage("FRANÇAIS");  // only ASCII letters fold
  EXPECT_EQ(catalog.getCaption("K"), "");
  catalog.LoadLanguage("Français");
  EXPECT_EQ(catalog.getCaption("K"), "Élan");
  for (const std::string& line : catalog.TranslationLines())
    EXPECT_EQ(line.find('\r'), std::string::npos);
}

TEST_F(MessageCatalogTest, FilePathHelpers) {
  WriteFile("x");
  EXPECT_TRUE(catalog.LangFileExists(kFile));
  EXPECT_TRUE(catalog.LangFileExists("c:\\PROGRAM FILES\\quillonet\\LOCALIZATION.TXT"));
  EXPECT_FALSE(catalog.LangFileExists(kFolder));
  EXPECT_FALSE(catalog.LangFileExists(std::string(kFolder) + "\\"));
  EXPECT_FALSE(catalog.LangFileExists(std::string(kFolder) + "\\*.txt"));
  EXPECT_FALSE(catalog.LangFileExists(std::string(kFolder) + "\\Other.txt"));
  EXPECT_FALSE(catalog.LangFileExists(""));
  EXPECT_EQ(catalog.LanguageFilePath(), kFile);

  EXPECT_EQ(clsLanguages::LangTrimPath(kFile), "Localization.txt");
  EXPECT_EQ(clsLanguages::LangTrimPath("Localization.txt"), "Localization.txt");
  EXPECT_EQ(clsLanguages::LangTrimPath("C:\\folder\\"), "");
  EXPECT_EQ(clsLanguages::LangTrimPath(""), "");
}

// Files written by hand or cut short by a failed copy: read what can be read, never crash.
TEST(LanguageFileParsing, BrokenFilesAreReadAsFarAsTheyAreValid) {
  // The middle block lacks its closing tag: it ends where the next one begins.
  auto blocks = ParseLanguageFile(
      "<LANGUAGE_GROUP><LANGUAGE_NAME>A</LANGUAGE_NAME><TRANSLATION_ITEMS>\r\n\t\t<K>a</K>\r\n"
      "</TRANSLATION_ITEMS></LANGUAGE_GROUP>"
      "<LANGUAGE_GROUP><LANGUAGE_NAME>B</LANGUAGE_NAME><TRANSLATION_ITEMS>\r\n\t\t<K>b</K>\r\n"
      "<language_group lang=\"c\"><LANGUAGE_NAME>C</LANGUAGE_NAME>\r\n"
      "<TRANSLATION_ITEMS>\r\n\t\t<K>c</K>");
  ASSERT_EQ(blocks.size(), 3u);
  EXPECT_EQ(blocks[0].name, "A");
  EXPECT_EQ(blocks[0].lines, (std::vector<std::string>{"", "\t\t<K>a</K>", ""}));
  EXPECT_EQ(blocks[1].name, "B");
  EXPECT_EQ(blocks[1].lines, (std::vector<std::string>{"", "\t\t<K>b</K>", ""}));
  EXPECT_EQ(blocks[2].name, "C");
  EXPECT_EQ(blocks[2].lines, (std::vector<std::string>{"", "\t\t<K>c</K>"}));

  // A name without its closing tag runs to the end of its line; other elements whose names
  // begin like the group tag are not groups.
  blocks = ParseLanguageFile(
      "<LANGUAGE_GROUPS>junk</LANGUAGE_GROUPS>\n<LANGUAGE_GROUP>\n<LANGUAGE_NAME>Dansk\n"
      "<TRANSLATION_ITEMS>\n</TRANSLATION_ITEMS>\n</LANGUAGE_GROUP>");
  ASSERT_EQ(blocks.size(), 1u);
  EXPECT_EQ(blocks[0].name, "Dansk");
  EXPECT_EQ(blocks[0].lines, (std::vector<std::string>{"", ""}));

  // Tags outside any group, and groups without names or items.
  EXPECT_TRUE(ParseLanguageFile("<TRANSLATION_ITEMS>\n\t\t<K>x</K>\n</TRANSLATION_ITEMS>").empty());
  blocks = ParseLanguageFile("<LANGUAGE_GROUP></LANGUAGE_GROUP><LANGUAGE_GROUP");
  ASSERT_EQ(blocks.size(), 2u);
  EXPECT_EQ(blocks[0].name, "");
  EXPECT_TRUE(blocks[1].lines.empty());

  // Binary bytes (NUL included) inside a block are just text.
  const std::string binary =
      "<LANGUAGE_GROUP><LANGUAGE_NAME>Bin\0ary</LANGUAGE_NAME><TRANSLATION_ITEMS>\n\xFF\xFE\0\n"
      "\t\t<K>v\0</K>\n</TRANSLATION_ITEMS></LANGUAGE_GROUP>"s;
  blocks = ParseLanguageFile(binary);
  ASSERT_EQ(blocks.size(), 1u);
  EXPECT_EQ(blocks[0].name, std::string("Bin\0ary", 7));
  EXPECT_EQ(detail::FindCaption(blocks[0].lines, "K"), std::string("v\0", 2));
}

TEST(LanguageFileParsing, EveryTruncationAndRandomDamageIsSafe) {
  const std::string good = LanguageFile(
      {LanguageGroup("One", {Item("A_B", "x"), Item("C_D", "y")}), LanguageGroup("Two", {})});
  for (size_t n = 0; n <= good.size(); ++n) {
    const auto blocks = ParseLanguageFile(std::string_view(good).substr(0, n));
    for (const auto& block : blocks) detail::FindCaption(block.lines, "A_B");
  }
  std::mt19937 random(12345);
  for (int round = 0; round < 300; ++round) {
    std::string damaged = good;
    for (int hits = 0; hits < 6; ++hits) {
      const size_t at = random() % damaged.size();
      damaged[at] = static_cast<char>(random() % 256);
    }
    for (const auto& block : ParseLanguageFile(damaged)) {
      EXPECT_LE(block.name.size(), damaged.size());
      detail::FindCaption(block.lines, "C_D");
    }
  }
}

}  // namespace
}  // namespace quill
