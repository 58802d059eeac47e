// The shipped language file carries a complete German group after the generated English one.
// These tests keep the two groups in step (a caption added to the program and regenerated into
// the English group must get its German text as well) and show that choosing a language
// really changes what the user sees, in both directions.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "app/Application.h"
#include "app/FrmMain.h"
#include "app/ProtectionAlerts.h"
#include "app/frmLanguage.h"
#include "app/frmReport.h"
#include "base/Text.h"
#include "localization/MessageCatalog.h"
#include "platform/Registry.h"
#include "protection/Protection.h"
#include "support/AppFixture.h"
#include "support/StoredSettings.h"

namespace quill {
namespace {

constexpr const char* kPlaceholders[] = {"[ProgramName]", "[CompanyName]", "[Website]"};

std::string ShippedFile() {
  std::ifstream in(std::string(QUILL_SOURCE_DIR) + "/resources/Localization.txt", std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

struct Item {
  std::string key;
  std::string text;
};

/// The items of one language block, in file order. A line that is not a well-formed item
/// (two tabs, opening tag, text, matching closing tag) fails the test: the program would
/// silently skip it and show the English text instead.
std::vector<Item> ItemsOf(const LanguageBlock& block) {
  std::vector<Item> items;
  for (const std::string& line : block.lines) {
    // The indent of the closing tag is left over after the last item.
    if (line.find_first_not_of(" \t") == std::string::npos) continue;
    EXPECT_TRUE(text::StartsWith(line, "\t\t<")) << block.name << ": " << line;
    const size_t open = line.find('<');
    const size_t close = line.find('>', open);
    if (open == std::string::npos || close == std::string::npos) {
      ADD_FAILURE() << block.name << ": no item on line: " << line;
      continue;
    }
    Item item;
    item.key = line.substr(open + 1, close - open - 1);
    const std::string endTag = "</" + item.key + ">";
    if (!text::EndsWith(line, endTag)) {
      ADD_FAILURE() << block.name << ": " << item.key << " does not end with " << endTag;
      continue;
    }
    item.text = line.substr(close + 1, line.size() - close - 1 - endTag.size());
    EXPECT_EQ(item.text.find('<'), std::string::npos) << block.name << ": " << item.key;
    items.push_back(std::move(item));
  }
  return items;
}

size_t CountOf(const std::string& s, const std::string& part) {
  size_t n = 0;
  for (size_t at = s.find(part); at != std::string::npos; at = s.find(part, at + part.size())) ++n;
  return n;
}

/// Strict UTF-8: a file saved in a single-byte code page would show broken umlauts.
bool IsUtf8(const std::string& s) {
  for (size_t i = 0; i < s.size();) {
    const auto c = static_cast<unsigned char>(s[i]);
    size_t extra = 0;
    if (c < 0x80)
      extra = 0;
    else if (c >= 0xC2 && c <= 0xDF)
      extra = 1;
    else if (c >= 0xE0 && c <= 0xEF)
      extra = 2;
    else if (c >= 0xF0 && c <= 0xF4)
      extra = 3;
    else
      return false;
    if (i + extra >= s.size() && extra > 0) return false;
    for (size_t k = 1; k <= extra; ++k)
      if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return false;
    i += extra + 1;
  }
  return true;
}

const LanguageBlock* FindBlock(const std::vector<LanguageBlock>& blocks, const std::string& name) {
  auto it = std::find_if(blocks.begin(), blocks.end(),
                         [&](const LanguageBlock& b) { return b.name == name; });
  return it == blocks.end() ? nullptr : &*it;
}

TEST(GermanLanguageFile, FileIsUtf8WithCrLfAndHasEnglishThenGerman) {
  const std::string file = ShippedFile();
  ASSERT_FALSE(file.empty());
  EXPECT_TRUE(IsUtf8(file));
  for (size_t at = file.find('\n'); at != std::string::npos; at = file.find('\n', at + 1))
    ASSERT_TRUE(at > 0 && file[at - 1] == '\r') << "bare line feed at byte " << at;
  EXPECT_EQ(CountOf(file, "\r"), CountOf(file, "\r\n"));

  const auto blocks = ParseLanguageFile(file);
  ASSERT_EQ(blocks.size(), 2u);
  EXPECT_EQ(blocks[0].name, "English");
  EXPECT_EQ(blocks[1].name, "Deutsch");
  // The German group follows the English one and the file still closes properly.
  const size_t german = file.find("<LANGUAGE_GROUP xml:lang=\"de\">\r\n");
  ASSERT_NE(german, std::string::npos);
  EXPECT_GT(german, file.find("</LANGUAGE_GROUP>\r\n"));
  EXPECT_TRUE(text::EndsWith(file, "</LANGUAGE_GROUP>\r\n</XML_DIZ_INFO>\r\n"));
  const size_t items = file.find("<TRANSLATION_ITEMS>", german);
  ASSERT_NE(items, std::string::npos);
  const std::string germanHeader = file.substr(german, items - german);
  EXPECT_NE(germanHeader.find("\t<LANGUAGE_NAME>Deutsch</LANGUAGE_NAME>\r\n"), std::string::npos);
  EXPECT_NE(germanHeader.find("\t<LANGUAGE_DESCRIPTION>"), std::string::npos);
  // The description points translators at the language window's button by its German name.
  const std::string button = "Nach Sprach-Updates suchen";
  EXPECT_NE(germanHeader.find(button), std::string::npos);
}

TEST(GermanLanguageFile, EveryEnglishItemHasItsGermanTextInTheSameOrder) {
  const auto blocks = ParseLanguageFile(ShippedFile());
  const LanguageBlock* englishBlock = FindBlock(blocks, "English");
  const LanguageBlock* germanBlock = FindBlock(blocks, "Deutsch");
  ASSERT_NE(englishBlock, nullptr);
  ASSERT_NE(germanBlock, nullptr);
  const auto english = ItemsOf(*englishBlock);
  const auto german = ItemsOf(*germanBlock);
  ASSERT_GT(english.size(), 200u);
  auto keysOf = [](const std::vector<Item>& list) {
    std::vector<std::string> keys;
    for (const Item& item : list) keys.push_back(item.key);
    return keys;
  };
  ASSERT_EQ(keysOf(german), keysOf(english));

  size_t translated = 0;
  size_t nonEmpty = 0;
  for (size_t i = 0; i < english.size(); ++i) {
    const Item& en = english[i];
    const Item& de = german[i];
    ASSERT_EQ(de.key, en.key) << "item " << i;
    EXPECT_EQ(de.text.empty(), en.text.empty()) << en.key;
    for (const char* placeholder : kPlaceholders)
      EXPECT_EQ(CountOf(de.text, placeholder), CountOf(en.text, placeholder))
          << en.key << " " << placeholder;
    // The process alert glues its message pieces around the program name in brackets.
    EXPECT_EQ(CountOf(de.text, "["), CountOf(en.text, "[")) << en.key;
    EXPECT_EQ(CountOf(de.text, "]"), CountOf(en.text, "]")) << en.key;
    // Pieces joined by the program carry their blanks where the English ones do.
    EXPECT_EQ(text::StartsWith(de.text, " "), text::StartsWith(en.text, " ")) << en.key;
    EXPECT_EQ(text::EndsWith(de.text, " "), text::EndsWith(en.text, " ")) << en.key;
    if (!en.text.empty()) ++nonEmpty;
    if (de.text != en.text) ++translated;
    // Every message is a sentence or phrase the user reads: none may stay English.
    if (text::StartsWith(en.key, "MSG_")) {
      EXPECT_NE(de.text, en.text) << en.key;
    }
  }
  // Numbers, names and "OK" legitimately stay as they are; everything else is German.
  EXPECT_GT(translated * 10, nonEmpty * 8) << translated << " of " << nonEmpty;
}

class GermanLanguageApp : public ::testing::Test {
 protected:
  GermanLanguageApp() : fixture_(Options()) {}

  static test::AppFixture::Options Options() {
    test::AppFixture::Options options;
    options.withLanguageFile = true;
    return options;
  }

  Application& App() { return fixture_.App(); }
  FrmMain& Main() { return fixture_.Main(); }

  void Choose(frmLanguage& window, const std::string& language) {
    const auto& items = window.Combo1.Items();
    auto it = std::find(items.begin(), items.end(), language);
    ASSERT_NE(it, items.end()) << language;
    window.Combo1.SetListIndex(static_cast<int>(it - items.begin()));
  }

  void ExpectGermanMainWindow() {
    FrmMain& main = Main();
    EXPECT_EQ(main.Caption(), "Quillonet von Quillonet Software");
    EXPECT_EQ(main.cmdSettings.Caption(), "Optionen");
    EXPECT_EQ(main.cmdUpdate.Caption(), "Jetzt aktualisieren");
    EXPECT_EQ(main.Command1.Caption(), "Jetzt scannen");
    EXPECT_EQ(main.cmdStop.Caption(), "Abbrechen");
    EXPECT_EQ(main.chkScanRegistry.Caption(), "Windows-Registrierung scannen");
    EXPECT_EQ(main.chkRunAtStartup.Caption(), "Quillonet beim Windows-Start ausführen");
    EXPECT_EQ(main.optScan[1].Caption(), "Vollständiger Systemscan");
    EXPECT_EQ(main.TabStrip1.TabCaption(2), "Proaktiver Schutz");
    EXPECT_EQ(main.lvwPicRemoveListOfSpywareFoundAndToBeRemoved.Column(2).text, "Speicherort");
    EXPECT_EQ(main.mnuFileItem[6].Caption(), "Beenden");
    EXPECT_EQ(main.lblLastScan.Caption(), "Nie");  // before the first scan
    EXPECT_EQ(main.lblLastUpdate.Caption().rfind("Signaturen zuletzt aktualisiert am ", 0), 0u);
    EXPECT_EQ(App().Msg("MSG_STOP"), "Möchten Sie den Scan wirklich abbrechen?");
    EXPECT_EQ(App().Msg("MSG_CAPTION2"), "Willkommen bei Quillonet");
    // Messages are capitalised on the way out, umlauts included.
    EXPECT_EQ(App().Msg("MSG_RESULTS_THANK"), "Übermittelt. Vielen Dank!");
    EXPECT_EQ(App().Msg("MSG_COMPLETE"), "Abgeschlossen");
  }

  void ExpectEnglishMainWindow() {
    FrmMain& main = Main();
    EXPECT_EQ(main.Caption(), "Quillonet by Quillonet Software");
    EXPECT_EQ(main.cmdSettings.Caption(), "Options");
    EXPECT_EQ(main.cmdUpdate.Caption(), "Update Now");
    EXPECT_EQ(main.Command1.Caption(), "Scan Now");
    EXPECT_EQ(main.cmdStop.Caption(), "Stop");
    EXPECT_EQ(main.chkScanRegistry.Caption(), "Scan Windows Registry");
    EXPECT_EQ(main.chkRunAtStartup.Caption(), "Run Quillonet when Windows starts");
    EXPECT_EQ(main.optScan[1].Caption(), "Full System Scan");
    EXPECT_EQ(main.TabStrip1.TabCaption(2), "Proactive Protection");
    EXPECT_EQ(main.lvwPicRemoveListOfSpywareFoundAndToBeRemoved.Column(2).text, "Location");
    EXPECT_EQ(main.mnuFileItem[6].Caption(), "Exit");
    EXPECT_EQ(main.lblLastScan.Caption(), "Never");
    EXPECT_EQ(main.lblLastUpdate.Caption().rfind("Signatures Last Updated On ", 0), 0u);
    EXPECT_EQ(App().Msg("MSG_STOP"), "Are you sure you want to stop the scan?");
    EXPECT_EQ(App().Msg("MSG_CAPTION2"), "Welcome to Quillonet");
    EXPECT_EQ(App().Msg("MSG_RESULTS_THANK"), "Submitted.  Thank you!");
  }

  test::AppFixture fixture_;
};

TEST_F(GermanLanguageApp, TextsThatTheProgramPutsTogetherAreGermanToo) {
  SaveSetting(App(), "Settings", "Language", "Deutsch");
  SaveSetting(App(), "OptionAndSettings", "Homepage", "http://home.example/");
  const char* key = "Software\\Microsoft\\Internet Explorer\\Main";
  App().Registry().CreateKey(platform::RootKey::CurrentUser, key);
  App().Registry().SetValue(platform::RootKey::CurrentUser, key, "Start Page",
                            platform::MakeSz("http://hijack.example/"));
  fixture_.Start();
  EXPECT_EQ(Main().lblLastUpdate.Caption().rfind("Signaturen zuletzt aktualisiert am ", 0), 0u);
  App().Report().Load();
  EXPECT_EQ(App().Report().Caption(), "Protokoll");
  fixture_.Host().Advance(5000);  // the home-page shield's first tick asks
  EXPECT_EQ(App().HomePageAlert().lblHomePageInfo.Caption(),
            "Quillonet hat festgestellt, dass Ihre Startseite geändert wurde.\r\n\r\n"
            "Klicken Sie auf JA, um diese Startseite zu behalten:\r\nhttp://home.example/\r\n\r\n"
            "Klicken Sie auf NEIN, um Ihre Startseite zu ändern in:\r\nhttp://hijack.example/");
}

TEST_F(GermanLanguageApp, StartsInGermanAndSwitchesToEnglishAndBackAtOnce) {
  SaveSetting(App(), "Settings", "Language", "Deutsch");
  fixture_.Start();
  ASSERT_FALSE(App().Ended());
  ExpectGermanMainWindow();
  // The welcome line is written by start-up from the (already German) message.
  EXPECT_EQ(Main().Label22.Caption(), "Willkommen bei Quillonet");

  frmLanguage& window = App().Language();
  window.Load();
  EXPECT_EQ(window.Caption(), "Sprache");
  EXPECT_EQ(window.Label1.Caption(), "Bitte wählen Sie die Sprache für dieses Programm:");
  EXPECT_EQ(window.Combo1.Items(),
            (std::vector<std::string>{"Sprache hier auswählen", "English", "Deutsch"}));
  EXPECT_EQ(window.Combo1.Text(), "Deutsch");

  Choose(window, "English");
  ExpectEnglishMainWindow();
  EXPECT_EQ(window.Caption(), "Language");
  EXPECT_EQ(window.Label1.Caption(), "Please choose the language for this program:");
  EXPECT_EQ(window.cmdUpdate.Caption(), "Check for Language Updates");
  EXPECT_EQ(GetSetting(App(), "Settings", "Language", ""), "English");

  Choose(window, "Deutsch");
  ExpectGermanMainWindow();
  EXPECT_EQ(window.cmdUpdate.Caption(), "Nach Sprach-Updates suchen");
  EXPECT_EQ(GetSetting(App(), "Settings", "Language", ""), "Deutsch");
}

TEST_F(GermanLanguageApp, EnglishSettingKeepsEnglishTextsWithTheGermanGroupPresent) {
  fixture_.Start();
  ASSERT_FALSE(App().Ended());
  ExpectEnglishMainWindow();

  frmLanguage& window = App().Language();
  window.Load();
  EXPECT_EQ(window.Combo1.Text(), "English");
  Choose(window, "Deutsch");
  ExpectGermanMainWindow();
  EXPECT_EQ(window.Caption(), "Sprache");
}

}  // namespace
}  // namespace quill
