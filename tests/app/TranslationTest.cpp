#include "app/Translation.h"

#include <gtest/gtest.h>

#include <map>

#include "forms/ListView.h"
#include "localization/LanguageFiles.h"
#include "support/TestHost.h"
#include "support/TestPlatform.h"

namespace quill {
namespace {

using testing::Item;
using testing::LanguageFile;
using testing::LanguageGroup;

constexpr const char* kFolder = "C:\\Program Files\\Quillonet";
constexpr const char* kFile = "C:\\Program Files\\Quillonet\\Localization.txt";

/// A window with one control of every kind the translation walk knows, plus a few it skips.
class SampleMain : public forms::Form {
 public:
  explicit SampleMain(forms::Host& host)
      : forms::Form(host, "FrmMain", "Quillonet"),
        cmdScan(*this, "cmdScan", "Scan"),
        lblStatus(*this, "lblStatus", "Ready"),
        Frame1(*this, "Frame1", "Options"),
        chkAutoDel(*this, "chkAutoDel", "Remove automatically"),
        lblSkin(*this, "lblSkin", "Skinned"),
        TabStrip1(*this, "TabStrip1", {"Home", "Scan", "Options"}),
        lvwSpywareFound(*this, "lvwSpywareFound", {"Threat", "Location", "Type"}, true),
        optScan(*this, "optScan", {"Smart Scan", "Full Scan"}),
        optLone(*this, "optLone", "Lone option"),
        mnuFile(*this, "mnuFile", "&File"),
        mnuLanguage(*this, "mnuLanguage", {"English", "Deutsch"}),
        txtPath(*this, "txtPath", "C:\\"),
        fakeTabs(*this, "fakeTabs", "TabStrip", {}, "not really tabs"),
        odd(*this, "lblOdd", "LABEL", {}, "odd") {}

  forms::CommandButton cmdScan;
  forms::Label lblStatus;
  forms::Frame Frame1;
  forms::CheckBox chkAutoDel;
  forms::SkinLabel lblSkin;
  forms::TabStrip TabStrip1;
  forms::ListView lvwSpywareFound;
  forms::ControlArray<forms::OptionButton> optScan;
  forms::OptionButton optLone;
  forms::Menu mnuFile;
  forms::ControlArray<forms::Menu> mnuLanguage;
  forms::TextBox txtPath;
  // Claims to be a tab strip without being one: the walk must skip it, not stop.
  forms::Control fakeTabs;
  // A type name in another letter case, as a multiple-document parent reports them.
  forms::Control odd;
};

/// Every visible text of the window, by a readable name.
std::map<std::string, std::string> Texts(const SampleMain& f) {
  std::map<std::string, std::string> t;
  t["caption"] = f.Caption();
  for (const forms::Control* c : f.Controls())
    t[c->Name() + (c->Index() ? std::to_string(*c->Index()) : "")] = c->Caption();
  for (int i = 1; i <= f.TabStrip1.TabCount(); ++i)
    t["tab" + std::to_string(i)] = f.TabStrip1.TabCaption(i);
  for (int i = 1; i <= f.lvwSpywareFound.ColumnCount(); ++i)
    t["col" + std::to_string(i)] = f.lvwSpywareFound.Column(i).text;
  return t;
}

class TranslationTest : public ::testing::Test {
 protected:
  TranslationTest() : catalog(files, kFolder, brand), form(host) {
    brand.programName = "Quillonet";
    brand.companyName = "Quillonet Software";
    brand.website = "www.quillonet.example";
    files.AddFolder(kFolder);
    catalog.LoadBuiltInMessages();
  }
  void WriteFile(const std::vector<std::string>& groups) { files.Put(kFile, LanguageFile(groups)); }

  test::FakeFileSystem files;
  BrandProfile brand;
  clsLanguages catalog;
  test::TestHost host;
  SampleMain form;
};

TEST_F(TranslationTest, OneTranslatedControlChangesOnlyThatControl) {
  WriteFile({LanguageGroup("Deutsch", {Item("FRMMAIN_CMDSCAN", "Suchen")})});
  auto before = Texts(form);
  ChangeLanguage(catalog, form, "Deutsch");
  auto after = Texts(form);
  EXPECT_EQ(after["cmdScan"], "Suchen");
  after["cmdScan"] = before["cmdScan"];
  EXPECT_EQ(after, before);
  EXPECT_EQ(catalog.getMessages("MSG_SURE"), "Are you sure?");
}

TEST_F(TranslationTest, EveryKindOfControlFindsItsKey) {
  WriteFile({LanguageGroup("Deutsch", {Item("FRMMAIN_LBLSTATUS", "Bereit"),
                                       Item("frmmain_frame1", "Optionen"),
                                       Item("FRMMAIN_CHKAUTODEL", "Automatisch entfernen"),
                                       Item("FRMMAIN_LBLSKIN", "Haut"),
                                       Item("FRMMAIN_TABSTRIP1_TABS0", "nie"),
                                       Item("FRMMAIN_TABSTRIP1_TABS1", "Start"),
                                       Item("FRMMAIN_TABSTRIP1_TABS2", "Suche"),
                                       Item("FRMMAIN_TABSTRIP1_TABS3", "Optionen"),
                                       Item("FRMMAIN_TABSTRIP1_TABS4", "nie"),
                                       Item("FRMMAIN_LVWSPYWAREFOUND_COL1", "Bedrohung"),
                                       Item("FRMMAIN_LVWSPYWAREFOUND_COL3", "Art"),
                                       Item("FRMMAIN_OPTSCAN0", "Schnell"),
                                       Item("FRMMAIN_OPTSCAN1", "Voll"),
                                       Item("FRMMAIN_OPTLONE", "Allein"),
                                       Item("FRMMAIN_MNUFILE0", "&Datei"),
                                       Item("FRMMAIN_MNULANGUAGE1", "Deutsch!"),
                                       Item("FRMMAIN_TXTPATH", "nie"),
                                       Item("FRMMAIN_FAKETABS", "nie"),
                                       Item("FRMMAIN_LBLODD", "seltsam"),
                                       Item("FRMMAIN_CAPTION", "[ProgramName] auf Deutsch"),
                                       Item("FRMMAIN_CMDSCAN", "")})});
  ChangeLanguage(catalog, form, "Deutsch");
  EXPECT_EQ(form.lblStatus.Caption(), "Bereit");
  EXPECT_EQ(form.Frame1.Caption(), "Optionen");
  EXPECT_EQ(form.chkAutoDel.Caption(), "Automatisch entfernen");
  EXPECT_EQ(form.lblSkin.Caption(), "Haut");
  EXPECT_EQ(form.TabStrip1.TabCaption(1), "Start");
  EXPECT_EQ(form.TabStrip1.TabCaption(2), "Suche");
  EXPECT_EQ(form.TabStrip1.TabCaption(3), "Optionen");
  EXPECT_EQ(form.lvwSpywareFound.Column(1).text, "Bedrohung");
  EXPECT_EQ(form.lvwSpywareFound.Column(2).text, "Location");
  EXPECT_EQ(form.lvwSpywareFound.Column(3).text, "Art");
  EXPECT_EQ(form.optScan[0].Caption(), "Schnell");
  EXPECT_EQ(form.optScan[1].Caption(), "Voll");
  EXPECT_EQ(form.optLone.Caption(), "Allein");
  EXPECT_EQ(form.mnuFile.Caption(), "&Datei");
  EXPECT_EQ(form.mnuLanguage[0].Caption(), "English");
  EXPECT_EQ(form.mnuLanguage[1].Caption(), "Deutsch!");
  EXPECT_EQ(form.Caption(), "Quillonet auf Deutsch");
  // Not translatable, skipped, or in another letter case for the ordinary walk.
  EXPECT_EQ(form.txtPath.Text(), "C:\\");
  EXPECT_EQ(form.txtPath.Caption(), "");
  EXPECT_EQ(form.fakeTabs.Caption(), "not really tabs");
  EXPECT_EQ(form.odd.Caption(), "odd");
  // An empty translation does not blank the button.
  EXPECT_EQ(form.cmdScan.Caption(), "Scan");

  ChangeLanguageMDI(catalog, form, "Deutsch");
  EXPECT_EQ(form.odd.Caption(), "Seltsam");
}

TEST_F(TranslationTest, AbsentLanguageReappliesThePreviousLines) {
  WriteFile({LanguageGroup("Deutsch", {Item("FRMMAIN_CMDSCAN", "Suchen")})});
  ChangeLanguage(catalog, form, "Deutsch");
  form.cmdScan.SetCaption("Scan");
  ChangeLanguage(catalog, form, "Klingon");
  EXPECT_EQ(form.cmdScan.Caption(), "Suchen");
}

TEST_F(TranslationTest, LanguagesWithoutLinesFallBackToEnglish) {
  WriteFile(
      {"<LANGUAGE_GROUP><LANGUAGE_NAME>Tiny</LANGUAGE_NAME><TRANSLATION_ITEMS>"
       "\t\t<FRMMAIN_CMDSCAN>Tiny</FRMMAIN_CMDSCAN></TRANSLATION_ITEMS></LANGUAGE_GROUP>",
       LanguageGroup("English", {Item("FRMMAIN_CMDSCAN", "Scan now")})});
  ChangeLanguage(catalog, form, "Tiny");
  EXPECT_EQ(form.cmdScan.Caption(), "Scan now");
  EXPECT_EQ(catalog.CurrentLanguage(), "English");

  // Without any file nothing changes at all.
  files.DeleteFile(kFile);
  auto before = Texts(form);
  clsLanguages fresh(files, kFolder, brand);
  fresh.LoadBuiltInMessages();
  ChangeLanguage(fresh, form, "Deutsch");
  EXPECT_EQ(Texts(form), before);
  EXPECT_EQ(fresh.getMessages("MSG_SURE"), "Are you sure?");
}

TEST_F(TranslationTest, MessagesTakeTheLanguageTextWithPlaceholdersSubstituted) {
  WriteFile({LanguageGroup("Deutsch", {Item("MSG_SURE", "sind Sie sicher, [programname]?"),
                                       Item("MSG_STOP", ""), Item("MSG_BRANDNEW", "neu")})});
  ChangeLanguage(catalog, form, "Deutsch");
  EXPECT_EQ(catalog.getMessages("MSG_SURE"), "Sind Sie sicher, Quillonet?");
  // The slot keeps the text as written: a text starting with "[Website]" is not capitalised
  // once filled in ("Www.").
  EXPECT_EQ(catalog.Slots()[6].text, "sind Sie sicher, [programname]?");
  EXPECT_EQ(catalog.getMessages("MSG_STOP"), "Are you sure you want to stop the scan?");
  // Keys are never added by a language.
  EXPECT_EQ(catalog.getMessages("MSG_BRANDNEW"), "");
  EXPECT_EQ(catalog.TakenCount(), 107);

  // A language without the key keeps the text the key had.
  WriteFile({LanguageGroup("Deutsch", {Item("MSG_SURE", "sicher?")}),
             LanguageGroup("Dansk", {Item("MSG_STOP", "stop?")})});
  ChangeLanguage(catalog, form, "Dansk");
  EXPECT_EQ(catalog.getMessages("MSG_SURE"), "Sind Sie sicher, Quillonet?");
  EXPECT_EQ(catalog.getMessages("MSG_STOP"), "Stop?");
  WriteFile({LanguageGroup("Deutsch", {Item("MSG_WEBSITE", "[Website] besuchen")})});
  ChangeLanguage(catalog, form, "Deutsch");
  EXPECT_EQ(catalog.getMessages("MSG_WEBSITE"), catalog.Brand().website + " besuchen");
}

constexpr const char* kHeader =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
    "<XML_DIZ_INFO>\r\n"
    "\t<LOCALIZATION_FILE_INFO>\r\n"
    "\t\t<LOCALIZATION_FILE_VERSION>1.0</LOCALIZATION_FILE_VERSION>\r\n"
    "\t</LOCALIZATION_FILE_INFO>\r\n"
    "<LANGUAGE_GROUP xml:lang=\"en\">\r\n"
    "\t<LANGUAGE_NAME>English</LANGUAGE_NAME>\r\n"
    "\t<LANGUAGE_DESCRIPTION>";

TEST_F(TranslationTest, GeneratedFileHasTheHeaderItemsAndTrailer) {
  form.lblStatus.SetCaption("two\r\nlines");
  ASSERT_TRUE(makeLocalizationFile(catalog, {&form}));
  const std::string file = files.Get(kFile).value_or("");
  ASSERT_EQ(file.substr(0, std::string(kHeader).size()), kHeader);
  EXPECT_NE(file.find("Check for Language Updates"), std::string::npos);
  EXPECT_NE(file.find("</LANGUAGE_DESCRIPTION>\r\n\t<TRANSLATION_ITEMS>\r\n"
                      "\t\t<FRMMAIN_CMDSCAN>Scan</FRMMAIN_CMDSCAN>\r\n"
                      "\t\t<FRMMAIN_LBLSTATUS>two lines</FRMMAIN_LBLSTATUS>\r\n"),
            std::string::npos);
  EXPECT_NE(
      file.find("\t\t<FRMMAIN_LBLSKIN>Skinned</FRMMAIN_LBLSKIN>\r\n"
                "\t\t<FRMMAIN_TABSTRIP1_TABS1>Home</FRMMAIN_TABSTRIP1_TABS1>\r\n"
                "\t\t<FRMMAIN_TABSTRIP1_TABS2>Scan</FRMMAIN_TABSTRIP1_TABS2>\r\n"
                "\t\t<FRMMAIN_TABSTRIP1_TABS3>Options</FRMMAIN_TABSTRIP1_TABS3>\r\n"
                "\t\t<FRMMAIN_LVWSPYWAREFOUND_COL1>Threat</FRMMAIN_LVWSPYWAREFOUND_COL1>\r\n"),
      std::string::npos);
  // Option buttons and menu items outside a control array get the keys the translation walk
  // looks up; controls without a caption to translate have no line.
  EXPECT_NE(file.find("\t\t<FRMMAIN_OPTSCAN1>Full Scan</FRMMAIN_OPTSCAN1>\r\n"
                      "\t\t<FRMMAIN_OPTLONE>Lone option</FRMMAIN_OPTLONE>\r\n"
                      "\t\t<FRMMAIN_MNUFILE0>&File</FRMMAIN_MNUFILE0>\r\n"
                      "\t\t<FRMMAIN_MNULANGUAGE0>English</FRMMAIN_MNULANGUAGE0>\r\n"
                      "\t\t<FRMMAIN_MNULANGUAGE1>Deutsch</FRMMAIN_MNULANGUAGE1>\r\n"
                      "\t\t<FRMMAIN_CAPTION>Quillonet</FRMMAIN_CAPTION>\r\n"
                      "\t\t<MSG_THANK1>Thank you for using [ProgramName]!</MSG_THANK1>\r\n"),
            std::string::npos);
  EXPECT_EQ(file.find("TXTPATH"), std::string::npos);
  EXPECT_EQ(file.find("FAKETABS"), std::string::npos);
  const std::string trailer =
      "\t\t<MSG_REASON>Reason</MSG_REASON>\r\n"
      "\t</TRANSLATION_ITEMS>\r\n</LANGUAGE_GROUP>\r\n</XML_DIZ_INFO>\r\n";
  ASSERT_GE(file.size(), trailer.size());
  EXPECT_EQ(file.substr(file.size() - trailer.size()), trailer);
}

TEST_F(TranslationTest, GeneratedFileIsStableAndReadsBackAsEnglish) {
  ASSERT_TRUE(makeLocalizationFile(catalog, {&form}));
  const std::string first = files.Get(kFile).value_or("");
  ASSERT_TRUE(makeLocalizationFile(catalog, {&form}));
  EXPECT_EQ(files.Get(kFile).value_or("x"), first);

  // The template restores every caption it holds.
  const auto original = Texts(form);
  form.cmdScan.SetCaption("changed");
  form.TabStrip1.SetTabCaption(2, "changed");
  form.lvwSpywareFound.SetColumnText(3, "changed");
  form.optScan[1].SetCaption("changed");
  form.mnuLanguage[0].SetCaption("changed");
  form.SetCaption("changed");
  ChangeLanguage(catalog, form, "English");
  EXPECT_EQ(Texts(form), original);
  EXPECT_EQ(catalog.getMessages("MSG_CAPTION"), "Quillonet by Quillonet Software");
  EXPECT_EQ(catalog.LanguageNames(), std::vector<std::string>{"English"});
}

TEST_F(TranslationTest, GeneratorReportsAFailedWrite) {
  files.failWrites = true;
  EXPECT_FALSE(makeLocalizationFile(catalog, {&form}));
}

}  // namespace
}  // namespace quill
