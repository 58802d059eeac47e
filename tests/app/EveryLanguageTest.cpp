// Every window the program has, in every shipped language: a caption still showing its
// English text after switching means a translation is missing from the language file.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>

#include "app/FrmMain.h"
#include "app/frmAbout.h"
#include "base/Text.h"
#include "forms/ListView.h"
#include "localization/MessageCatalog.h"
#include "localization/Translation.h"
#include "localization/frmLanguage.h"
#include "removal/Quarantine.h"
#include "removal/frmQuarantine.h"
#include "reports/frmReport.h"
#include "support/AppFixture.h"

namespace quill {
namespace {

// Texts that are the same in English and in the shipped languages (compared in lower case).
const std::set<std::string> kSameInEveryLanguage = {"ok",
                                                    "quillonet",
                                                    "quillonet software",
                                                    "www.quillonet.example",
                                                    "[programname]",
                                                    "scan",
                                                    "version 1.0",
                                                    "status",
                                                    "name",
                                                    "details",
                                                    "live update"};

bool NeedsTranslation(const std::string& caption) {
  bool letters = false;
  for (char c : caption)
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')) letters = true;
  return letters && !kSameInEveryLanguage.count(text::ToLower(caption));
}

/// Every translatable text of the window, keyed by where it shows.
std::map<std::string, std::string> CaptionsOf(forms::Form& form) {
  std::map<std::string, std::string> out;
  out[form.Name() + ".Caption"] = form.Caption();
  for (forms::Control* control : form.Controls()) {
    std::string where = form.Name() + "." + control->Name();
    if (auto index = control->Index()) where += "(" + std::to_string(*index) + ")";
    const std::string& type = control->TypeName();
    if (auto* tabs = dynamic_cast<forms::TabStrip*>(control)) {
      for (int tab = 1; tab <= tabs->TabCount(); ++tab)
        out[where + ".Tab" + std::to_string(tab)] = tabs->TabCaption(tab);
    } else if (auto* list = dynamic_cast<forms::ListView*>(control)) {
      for (int column = 1; column <= list->ColumnCount(); ++column)
        out[where + ".Column" + std::to_string(column)] = list->Column(column).text;
    } else if (type == "Label" || type == "CommandButton" || type == "SkinLabel" ||
               type == "Frame" || type == "CheckBox" || type == "OptionButton" || type == "Menu") {
      out[where] = control->Caption();
    }
  }
  return out;
}

TEST(EveryLanguage, NoWindowKeepsAnEnglishCaption) {
  test::AppFixture::Options options;
  options.withLanguageFile = true;
  test::AppFixture fixture(options);
  fixture.Start();
  Application& app = fixture.App();
  ASSERT_FALSE(app.Ended());
  // Loads every window that has captions, as the language-file export does.
  fixture.Main().LanguageTemplate();
  app.Language().Load();
  app.Report().Load();
  app.About().Load();

  std::vector<forms::Form*> windows;
  std::map<std::string, std::string> english;
  for (forms::Form* form : app.Windows()) {
    if (!form->Loaded()) continue;
    windows.push_back(form);
    app.Catalog().ChangeLanguage(*form, "English");
    english.merge(CaptionsOf(*form));
  }
  ASSERT_GT(windows.size(), 8u);
  // A web address keeps its own spelling whatever the language does to first letters.
  EXPECT_EQ(app.About().lblWebsite.Caption(), "www.quillonet.example");

  std::ifstream in(std::string(QUILL_SOURCE_DIR) + "/resources/Localization.txt", std::ios::binary);
  std::stringstream file;
  file << in.rdbuf();
  size_t languages = 0;
  for (const LanguageBlock& block : ParseLanguageFile(file.str())) {
    if (block.name == "English") continue;
    ++languages;
    for (forms::Form* form : windows) {
      app.Catalog().ChangeLanguage(*form, block.name);
      for (const auto& [where, caption] : CaptionsOf(*form)) {
        if (NeedsTranslation(caption)) {
          EXPECT_NE(caption, english[where]) << block.name << ": " << where;
        }
      }
    }
  }
  EXPECT_GT(languages, 0u);
  EXPECT_EQ(app.About().lblWebsite.Caption(), "www.quillonet.example");
  EXPECT_EQ(fixture.Main().cmdWebsite.Caption(), "www.quillonet.example besuchen");
}

TEST(EveryLanguage, QuarantineWindowOpensInTheChosenLanguage) {
  test::AppFixture::Options options;
  options.withLanguageFile = true;
  test::AppFixture fixture(options);
  fixture.App().SaveSetting("Settings", "Language", "Deutsch");
  fixture.Start();
  frmQuarantine& window = fixture.App().QuarantineWindow();
  window.Load();
  EXPECT_EQ(window.Caption(), "Quarantäne");
  EXPECT_EQ(window.cmdRestore.Caption(), "Wiederherstellen");
  EXPECT_EQ(window.lvwQuarantine.Column(4).text, "Ursprünglicher Ort");
  fixture.App().About().Load();
  EXPECT_EQ(fixture.App().About().Caption(), "Über Quillonet");
  EXPECT_EQ(fixture.App().About().lblWebsite.Caption(), "www.quillonet.example");

  // What it says while it works comes from the same language.
  window.cmdRestore.Click();
  auto boxes = fixture.Host().DialogsOf(test::DialogKind::MsgBox);
  ASSERT_FALSE(boxes.empty());
  EXPECT_EQ(boxes.back().text, "Markieren Sie zuerst die Objekte.");
  ASSERT_TRUE(fixture.Prefix().WriteFile("C:\\Bad\\a.txt", "a"));
  QuarantineStore store(fixture.App());
  store.CreateQuarantineFolder();
  ASSERT_TRUE(store.SaveQuarantineCopy("C:\\Bad\\a.txt", "a.txt"));
  ASSERT_TRUE(fixture.App().Files().DeleteFile("C:\\Bad\\a.txt"));
  window.Refresh();
  ASSERT_EQ(window.lvwQuarantine.Count(), 1);
  EXPECT_EQ(window.lvwQuarantine.Item(0).SubItem(2), "Datei");
  EXPECT_EQ(window.lvwQuarantine.Item(0).SubItem(5), "Gespeichert");
  window.lvwQuarantine.UserCheck(0, true);
  window.cmdRestore.Click();
  EXPECT_EQ(window.lvwQuarantine.Item(0).SubItem(5), "Wiederhergestellt nach C:\\Bad\\a.txt");
  EXPECT_EQ(window.lblStatus.Caption(), "1 von 1 wiederhergestellt.");
}

TEST(EveryLanguage, EveryMessageHasATextInEveryLanguage) {
  test::AppFixture fixture;
  fixture.Start();
  const clsLanguages& catalog = fixture.App().Catalog();
  ASSERT_GT(catalog.TakenCount(), 80);
  std::ifstream in(std::string(QUILL_SOURCE_DIR) + "/resources/Localization.txt", std::ios::binary);
  std::stringstream file;
  file << in.rdbuf();
  for (const LanguageBlock& block : ParseLanguageFile(file.str()))
    for (int slot = 0; slot < catalog.TakenCount(); ++slot) {
      const std::string& key = catalog.Slots()[static_cast<size_t>(slot)].key;
      EXPECT_FALSE(detail::FindCaption(block.lines, key).empty()) << block.name << ": " << key;
    }
}

}  // namespace
}  // namespace quill
