// Every window the program has, in every shipped language: a caption still showing its
// English text after switching means a translation is missing from the language file.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>

#include "app/FrmMain.h"
#include "app/Translation.h"
#include "app/frmAbout.h"
#include "app/frmLanguage.h"
#include "app/frmQuarantine.h"
#include "app/frmReport.h"
#include "base/Text.h"
#include "forms/ListView.h"
#include "localization/MessageCatalog.h"
#include "removal/Quarantine.h"
#include "results/Finding.h"
#include "results/ItemKind.h"
#include "results/ThreatCategory.h"
#include "support/AppFixture.h"
#include "support/StoredSettings.h"

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
                                                    "details"};

bool NeedsTranslation(const std::string& caption) {
  bool letters = false;
  for (char c : caption)
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')) letters = true;
  return letters && !kSameInEveryLanguage.count(text::ToLower(caption));
}

/// Every translatable text of the window, keyed by where it shows; list entries that name a
/// language are left out (they are no texts of the program).
std::map<std::string, std::string> CaptionsOf(forms::Form& form,
                                              const std::set<std::string>& languages = {}) {
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
    } else if (auto* combo = dynamic_cast<forms::ComboBox*>(control)) {
      for (int item = 0; item < combo->ListCount(); ++item)
        if (!languages.count(combo->List(item)))
          out[where + ".List" + std::to_string(item)] = combo->List(item);
    } else if (auto* picker = dynamic_cast<forms::DTPicker*>(control)) {
      out[where + ".None"] = picker->NoneText();
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

  std::ifstream in(std::string(QUILL_SOURCE_DIR) + "/resources/Localization.txt", std::ios::binary);
  std::stringstream file;
  file << in.rdbuf();
  const auto blocks = ParseLanguageFile(file.str());
  std::set<std::string> names;
  for (const LanguageBlock& block : blocks) names.insert(block.name);
  // The language window is used as the user uses it; the others take the language as they do
  // when they load. The results list shows every type and risk in the language's own words.
  auto apply = [&](forms::Form& form, const std::string& language) {
    if (&form == &app.Language()) {
      const auto& items = app.Language().Combo1.Items();
      const auto at = std::find(items.begin(), items.end(), language) - items.begin();
      return app.Language().Combo1.SetListIndex(static_cast<int>(at));
    }
    ChangeLanguage(app.Catalog(), form, language);
    if (&form != &fixture.Main()) return;
    fixture.Main().ApplyMessageTexts();
    auto& results = fixture.Main().ResultsList();
    results.Clear();
    for (const ThreatCategory& c : ThreatCategories())
      results.Add(c.name, kItemFile, {"C:\\", c.name});
    fixture.Main().FillCategories();
    const LanguageBlock& block = *std::find_if(
        blocks.begin(), blocks.end(), [&](const LanguageBlock& b) { return b.name == language; });
    for (int row = 0; row < results.Count(); ++row) {
      const ThreatCategory& c = ThreatCategories()[static_cast<size_t>(row)];
      const std::string type = detail::FindCaption(block.lines, TypeTextKey(c.name));
      EXPECT_EQ(results.Item(row).SubItem(2), c.name.empty() ? "" : type) << language << c.name;
      EXPECT_EQ(results.Item(row).SubItem(3), detail::FindCaption(block.lines, RiskTextKey(c.risk)))
          << language << ": " << c.risk;
      EXPECT_FALSE(results.Item(row).SubItem(3).empty() || (type.empty() && !c.name.empty()));
      EXPECT_EQ(results.Item(row).SubItem(4),
                detail::FindCaption(block.lines, DetailsTextKey(c.name)))
          << language << ": " << c.name;
    }
  };

  std::vector<forms::Form*> windows;
  std::map<std::string, std::string> english;
  for (forms::Form* form : app.Windows()) {
    if (!form->Loaded()) continue;
    windows.push_back(form);
    apply(*form, "English");
    english.merge(CaptionsOf(*form, names));
  }
  ASSERT_GT(windows.size(), 8u);
  // A web address keeps its own spelling whatever the language does to first letters.
  EXPECT_EQ(app.About().lblWebsite.Caption(), "www.quillonet.example");

  size_t languages = 0;
  for (const LanguageBlock& block : blocks) {
    if (block.name == "English") continue;
    ++languages;
    for (forms::Form* form : windows) {
      apply(*form, block.name);
      for (const auto& [where, caption] : CaptionsOf(*form, names)) {
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
  SaveSetting(fixture.App(), "Settings", "Language", "Deutsch");
  fixture.Start();
  // The home frame and the scan list speak it from the first moment; the results' types do
  // while the scan still runs.
  FrmMain& main = fixture.Main();
  EXPECT_EQ(main.fraHome.Caption(), "Quillonet-Status");
  Finding cookie;
  cookie.kind = FindingKind::Cookie;
  cookie.threatType = "Tracking Cookie";
  cookie.location = "C:\\x@ads.txt";
  main.Findings().Add(cookie);
  main.Findings().Add(LeftAloneFinding(FindingKind::File, FindingState::Protected, "C:\\"));
  Finding process;
  process.kind = FindingKind::RunningProcess;
  process.location = "bad.exe";
  main.Findings().Add(process);
  const auto& rows = main.lvwSpywareFound;
  ASSERT_EQ(rows.Count(), 3);
  EXPECT_EQ(rows.Item(1).text, "GESCHÜTZT");
  EXPECT_EQ(rows.Item(2).text, "Laufender Prozess");
  EXPECT_EQ(rows.Item(2).SubItem(1), "bad.exe wurde beendet");
  EXPECT_EQ(main.ResultsList().Item(0).SubItem(2), "Tracking-Cookie");

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
  QuarantineStore store(RemovalInputsOf(fixture.App()));
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

  // Closed, then a switch while the program runs: it comes back in the new language.
  window.cmdClose.Click();
  frmLanguage& chooser = fixture.App().Language();
  chooser.Load();
  chooser.Combo1.SetListIndex(1);
  ASSERT_EQ(fixture.App().Catalog().CurrentLanguage(), "English");
  fixture.Main().ViewQuarantine();
  EXPECT_EQ(window.Caption(), "Quarantine");
  EXPECT_EQ(window.cmdRestore.Caption(), "Restore");
  EXPECT_EQ(window.lvwQuarantine.Item(0).SubItem(5), "Restored to C:\\Bad\\a.txt");
  EXPECT_EQ(window.lblStatus.Caption(), "1 of 1 restored.");
}

TEST(EveryLanguage, EveryMessageHasATextInEveryLanguage) {
  test::AppFixture fixture;
  fixture.Start();
  const clsLanguages& catalog = fixture.App().Catalog();
  ASSERT_GT(catalog.TakenCount(), 80);
  // Every word the windows look up found a slot.
  for (const auto& texts : {CategoryTexts(), FindingTexts()})
    for (const auto& [key, words] : texts) EXPECT_FALSE(catalog.getMessages(key).empty()) << key;
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
