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
}

}  // namespace
}  // namespace quill
