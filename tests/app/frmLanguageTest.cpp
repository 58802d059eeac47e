#include "app/frmLanguage.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "app/Translation.h"
#include "core/UpdateServer.h"
#include "localization/LanguageFiles.h"
#include "platform/posix/CurlInternet.h"
#include "platform/posix/IniSettingsStore.h"
#include "platform/posix/PosixFileSystem.h"
#include "support/LocalHttpServer.h"
#include "support/TempPrefix.h"
#include "support/TestHost.h"
#include "support/TestPlatform.h"

namespace quill {
namespace {

using testing::Item;
using testing::LanguageFile;
using testing::LanguageGroup;

constexpr const char* kFolder = "C:\\Program Files\\Quillonet";
constexpr const char* kFile = "C:\\Program Files\\Quillonet\\Localization.txt";
constexpr const char* kLanguagePath = "/Languages/0/Localization.txt";

/// The part of the main window the language window translates.
class MiniMain : public forms::Form {
 public:
  explicit MiniMain(forms::Host& host)
      : forms::Form(host, "FrmMain", "Quillonet"), cmdScan(*this, "cmdScan", "Scan") {}
  forms::CommandButton cmdScan;
};

class LanguageWindowTest : public ::testing::Test {
 protected:
  LanguageWindowTest()
      : files(prefix.Root()),
        internet(5, 5),
        settings(prefix.Root() + "/settings"),
        catalog(files, kFolder, brand),
        main(host),
        window(host, catalog, internet, shell, settings,
               [this](const std::string& language) { ChangeLanguage(catalog, main, language); }) {
    brand.programName = "Quillonet";
    brand.companyName = "Quillonet Software";
    brand.website = "www.quillonet.example";
    prefix.MakeFolder(kFolder);
    server.Serve(kLanguagePath, "");
    server.Start();
    setenv("QUILLONET_UPDATE_SERVER", (server.Base() + "/").c_str(), 1);
    catalog.LoadBuiltInMessages();
  }
  ~LanguageWindowTest() override { unsetenv("QUILLONET_UPDATE_SERVER"); }

  std::string FileOnDisk() { return files.ReadFile(kFile).value_or("<none>"); }
  std::string StoredLanguage() {
    platform::posix::IniSettingsStore reread(prefix.Root() + "/settings");
    return reread.Get("Quillonet", "Settings", "Language", "<unset>");
  }

  test::TempPrefix prefix;
  platform::posix::PosixFileSystem files;
  platform::posix::CurlInternet internet;
  platform::posix::IniSettingsStore settings;
  test::FakeShell shell;
  test::LocalHttpServer server;
  BrandProfile brand;
  clsLanguages catalog;
  test::TestHost host;
  MiniMain main;
  frmLanguage window;
};

const std::string kTwoLanguages = LanguageFile(
    {LanguageGroup("English", {Item("FRMMAIN_CMDSCAN", "Scan"), Item("MSG_SURE", "Are you sure?"),
                               Item("FRMLANGUAGE_CMDOK", "OK")}),
     LanguageGroup("Deutsch", {Item("FRMMAIN_CMDSCAN", "Suchen"), Item("MSG_SURE", "Sicher?"),
                               Item("FRMLANGUAGE_CMDOK", "Gut"),
                               Item("MSG_TITLELANGUAGE", "sprache von [ProgramName]"),
                               Item("MSG_DOWNLOADED", "neue Sprachdatei geladen")})});

TEST_F(LanguageWindowTest, LoadTranslatesItselfAndListsTheFileLanguages) {
  ASSERT_TRUE(files.WriteFile(kFile, kTwoLanguages));
  ChangeLanguage(catalog, main, "Deutsch");
  window.Load();
  EXPECT_EQ(window.cmdOK.Caption(), "Gut");
  EXPECT_EQ(window.Caption(), "Sprache von Quillonet");
  EXPECT_EQ(window.Combo1.Items(),
            (std::vector<std::string>{"Choose Language Here", "English", "Deutsch"}));
  // Nothing stored yet: the drop-down shows the default.
  EXPECT_EQ(window.Combo1.Text(), "English");
  EXPECT_EQ(StoredLanguage(), "<unset>");
}

TEST_F(LanguageWindowTest, ChoosingALanguageStoresItAndTranslatesBothWindows) {
  ASSERT_TRUE(files.WriteFile(kFile, kTwoLanguages));
  settings.Save("Quillonet", "Settings", "Language", "English");
  window.Load();
  EXPECT_EQ(window.Combo1.Text(), "English");
  EXPECT_EQ(main.cmdScan.Caption(), "Scan");

  window.Combo1.SetListIndex(2);
  EXPECT_EQ(StoredLanguage(), "Deutsch");
  EXPECT_EQ(main.cmdScan.Caption(), "Suchen");
  EXPECT_EQ(window.cmdOK.Caption(), "Gut");
  EXPECT_EQ(catalog.getMessages("MSG_SURE"), "Sicher?");

  // The prompt entry changes nothing.
  window.Combo1.SetListIndex(0);
  EXPECT_EQ(StoredLanguage(), "Deutsch");
  EXPECT_EQ(main.cmdScan.Caption(), "Suchen");
  EXPECT_TRUE(host.HandlerFailures().empty());
}

TEST_F(LanguageWindowTest, UpdateReplacesTheFileWithTheServersLanguageFile) {
  ASSERT_TRUE(files.WriteFile(kFile, kTwoLanguages));
  window.Load();
  const std::string fresh =
      LanguageFile({LanguageGroup("English", {Item("FRMMAIN_CMDSCAN", "Scan")}),
                    LanguageGroup("Suomi", {Item("FRMMAIN_CMDSCAN", "Etsi")})});
  server.Serve(kLanguagePath, "\xEF\xBB\xBF junk before the file " + fresh);
  window.cmdUpdate.Click();
  EXPECT_EQ(server.Targets().size(), 1u);
  EXPECT_EQ(FileOnDisk(), fresh + "\r\n");
  EXPECT_FALSE(files.Attributes(std::string(kFile) + ".new").has_value());
  EXPECT_EQ(window.Combo1.Items(),
            (std::vector<std::string>{"Choose Language Here", "English", "Suomi"}));
  auto boxes = host.DialogsOf(test::DialogKind::MsgBox);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].title, "Quillonet");
  EXPECT_EQ(boxes[0].buttons, forms::MsgBoxButtons::OkOnly);
  EXPECT_FALSE(boxes[0].text.empty());

  // The new file's languages are usable at once.
  window.Combo1.SetListIndex(2);
  EXPECT_EQ(main.cmdScan.Caption(), "Etsi");
}

TEST_F(LanguageWindowTest, UpdateShowsTheDownloadNoticeOfTheLanguage) {
  ASSERT_TRUE(files.WriteFile(kFile, kTwoLanguages));
  ChangeLanguage(catalog, main, "Deutsch");
  window.Load();
  server.Serve(kLanguagePath, kTwoLanguages);
  window.cmdUpdate.Click();
  auto boxes = host.DialogsOf(test::DialogKind::MsgBox);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, "Neue Sprachdatei geladen");
}

TEST_F(LanguageWindowTest, BadAnswersLeaveTheFileAlone) {
  ASSERT_TRUE(files.WriteFile(kFile, kTwoLanguages));
  window.Load();
  server.Serve(kLanguagePath, "<html><body>Not found</body></html>", 404);
  window.cmdUpdate.Click();
  // Cut short: the items never end.
  server.Serve(kLanguagePath, kTwoLanguages.substr(0, kTwoLanguages.find("</TRANSLATION_ITEMS>")));
  window.cmdUpdate.Click();
  server.Serve(kLanguagePath, "");
  window.cmdUpdate.Click();
  EXPECT_EQ(server.Targets().size(), 3u);
  server.Stop();
  window.cmdUpdate.Click();
  EXPECT_EQ(FileOnDisk(), kTwoLanguages);
  EXPECT_TRUE(host.DialogsOf(test::DialogKind::MsgBox).empty());
  EXPECT_EQ(window.Combo1.ListCount(), 3);
}

TEST_F(LanguageWindowTest, TranslateOpensAnExistingFileAndOkCloses) {
  window.Load();
  window.cmdTranslate.Click();
  EXPECT_TRUE(shell.started->empty());
  EXPECT_EQ(window.Combo1.Items(), std::vector<std::string>{"Choose Language Here"});

  ASSERT_TRUE(files.WriteFile(kFile, kTwoLanguages));
  window.cmdTranslate.Click();
  EXPECT_EQ(*shell.started, std::vector<std::string>{"open " + std::string(kFile)});
  EXPECT_EQ(shell.styles, std::vector{platform::ShowStyle::NormalFocus});

  window.Show();
  ASSERT_TRUE(window.Visible());
  window.cmdOK.Click();
  EXPECT_FALSE(window.Visible());
  EXPECT_FALSE(window.Loaded());
}

TEST(UpdateServer, EnvironmentOverridesTheDefault) {
  unsetenv("QUILLONET_UPDATE_SERVER");
  EXPECT_EQ(UpdateServerBase(), "http://update.quillonet.example");
  setenv("QUILLONET_UPDATE_SERVER", "", 1);
  EXPECT_EQ(UpdateServerBase(), "http://update.quillonet.example");
  setenv("QUILLONET_UPDATE_SERVER", "http://127.0.0.1:8080//", 1);
  EXPECT_EQ(UpdateServerBase(), "http://127.0.0.1:8080");
  unsetenv("QUILLONET_UPDATE_SERVER");
}

}  // namespace
}  // namespace quill
