// The desktop program driven through its widgets, as a user drives it.
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionViewItem>
#include <QSystemTrayIcon>
#include <QTabBar>
#include <QTest>
#include <set>

#include "GuiFixture.h"
#include "app/frmAbout.h"
#include "app/frmLanguage.h"
#include "app/frmReport.h"
#include "support/StoredSettings.h"
#include "views/AboutView.h"
#include "views/ElidedLabel.h"
#include "views/LanguageView.h"
#include "views/ListModel.h"
#include "views/ReportView.h"

namespace quill::test {

namespace {

std::string Text(const QModelIndex& index) {
  return index.data(::Qt::DisplayRole).toString().toStdString();
}

// A button's caption as shown, without the mnemonic marker.
std::string Shown(const QAbstractButton* button) {
  return button->text().remove('&').toStdString();
}

void ClickHeader(gui::ListWidget* list, int section) {
  auto* header = list->header();
  const int x = header->sectionViewportPosition(section) + header->sectionSize(section) / 2;
  QTest::mouseClick(header->viewport(), ::Qt::LeftButton, {}, QPoint(x, header->height() / 2));
}

// Check boxes and option buttons stretch across their row; their box is at the left.
void ClickNearLeft(QAbstractButton* button) {
  QTest::mouseClick(button, ::Qt::LeftButton, {}, QPoint(8, button->height() / 2));
}

// Clicks the check box drawn in a row, where the style puts it.
void ClickCheckBox(gui::ListWidget* list, int row) {
  const QModelIndex index = list->IndexOf(row, 0);
  QStyleOptionViewItem option;
  option.initFrom(list);
  option.rect = list->visualRect(index);
  option.features |= QStyleOptionViewItem::HasCheckIndicator | QStyleOptionViewItem::HasDisplay |
                     QStyleOptionViewItem::HasDecoration;
  option.decorationSize = list->iconSize().isValid() ? list->iconSize() : QSize(16, 16);
  option.text = index.data().toString();
  option.widget = list;
  const QRect box =
      list->style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, list);
  QTest::mouseClick(list->viewport(), ::Qt::LeftButton, {}, box.center());
}

}  // namespace

class MainWindowTest : public GuiFixture {};

TEST_F(MainWindowTest, ScanFillsBothListsThenRepairRemovesTheTickedItemsAndTheLogShowsIt) {
  WriteStarterDefinitions();
  Plant();
  Start();
  std::string documents = App().Tokens().ExpandPathTokens("[personl]");
  if (!documents.empty() && documents.back() != '\\') documents += '\\';
  const std::string testFile = documents + "quillonet-testfile.txt";

  Click("cmdScan");
  EXPECT_EQ(View().ShownPage(), 1);
  Click("optScan", 0);
  Click("cmdScanNow");
  if (Main().Scan().ScanStartedAt.empty())
    GTEST_SKIP() << "the scan driver is not part of this build";

  // Both lists fill, and the widgets show exactly the model's rows.
  auto& progress = Main().lvwSpywareFound;
  auto& results = Main().lvwPicRemoveListOfSpywareFoundAndToBeRemoved;
  ASSERT_GE(results.Count(), 3) << "file, folder and registry hits expected";
  EXPECT_EQ(View().ScanList()->Model()->rowCount(), progress.Count());
  EXPECT_EQ(View().ResultsList()->Model()->rowCount(), results.Count());
  for (int row = 0; row < results.Count(); ++row)
    EXPECT_EQ(Text(View().ResultsList()->IndexOf(row)), results.Item(row).text);
  EXPECT_FALSE(View().ScanList()->IndexOf(0).data(::Qt::DecorationRole).isNull())
      << "rows carry their kind's icon";
  EXPECT_TRUE(Widget<QPushButton>("cmdRemove")->isVisible());
  EXPECT_TRUE(Widget<QPushButton>("cmdScanNow")->isEnabled());
  EXPECT_FALSE(Widget<QPushButton>("cmdStop")->isEnabled());

  // Continue to the results; sort by the first column one way, then the other.
  Click("cmdRemove");
  EXPECT_EQ(View().ShownPage(), 2);
  ClickHeader(View().ResultsList(), 0);
  ASSERT_TRUE(results.Sorted());
  const auto firstOrder = results.GetSortOrder();
  const std::string firstTop = Text(View().ResultsList()->IndexOf(0));
  ClickHeader(View().ResultsList(), 0);
  EXPECT_NE(results.GetSortOrder(), firstOrder);
  EXPECT_NE(Text(View().ResultsList()->IndexOf(0)), firstTop);
  for (int row = 0; row < results.Count(); ++row)
    EXPECT_EQ(Text(View().ResultsList()->IndexOf(row)), results.Item(row).text);
  EXPECT_EQ(View().ResultsList()->header()->sortIndicatorSection(), 0);

  // A double-click browses the row's folder.
  const size_t startedBefore = Started().size();
  const QRect rowRect = View().ResultsList()->visualRect(View().ResultsList()->IndexOf(0, 1));
  QTest::mouseClick(View().ResultsList()->viewport(), ::Qt::LeftButton, {}, rowRect.center());
  QTest::mouseDClick(View().ResultsList()->viewport(), ::Qt::LeftButton, {}, rowRect.center());
  ASSERT_EQ(Started().size(), startedBefore + 1);
  EXPECT_TRUE(Started().back().find("explorer.exe") != std::string::npos ||
              Started().back().find("regedit.exe") != std::string::npos)
      << Started().back();

  // Tick the rows with the mouse.
  for (int row = 0; row < results.Count(); ++row) ClickCheckBox(View().ResultsList(), row);
  for (int row = 0; row < results.Count(); ++row)
    EXPECT_TRUE(results.Item(row).checked) << results.Item(row).text;
  EXPECT_EQ(View().ResultsList()->IndexOf(0).data(::Qt::CheckStateRole).toInt(), ::Qt::Checked);

  ASSERT_TRUE(Exists(testFile));
  const size_t asked = MessagesShown().size();
  Click("Command4");
  EXPECT_GT(MessagesShown().size(), asked) << "removal asks before it acts";
  EXPECT_FALSE(Exists(testFile));
  EXPECT_FALSE(Exists(App().Tokens().ExpandPathTokens("[progfil]") + "\\QuillonetTestFolder"));

  // "Log File" shows the report in its window; OK closes it.
  std::string shown;
  bool closed = false;
  WhenIdle([&] {
    auto* view = qobject_cast<gui::ReportView*>(Host().ViewOf(App().Report()));
    if (!view || !view->isVisible()) return false;
    shown = view->Report()->toPlainText().toStdString();
    QTest::mouseClick(view->OkButton(), ::Qt::LeftButton);
    closed = true;
    return true;
  });
  Click("cmdLog");
  EXPECT_TRUE(closed);
  EXPECT_NE(shown.find("Scan Report"), std::string::npos) << shown;
  EXPECT_NE(shown.find("quillonet-testfile.txt"), std::string::npos) << shown;
  EXPECT_FALSE(App().Report().Visible());
}

TEST_F(MainWindowTest, StopDuringAScanEndsItAsCancelled) {
  WriteStarterDefinitions();
  Plant();
  Start();
  Click("cmdScan");
  bool pressed = false;
  WhenIdle([&] {
    auto* stop = Widget<QPushButton>("cmdStop");
    if (!Main().ScanInProgress()) return true;
    if (!stop->isEnabled()) return false;
    Answer(forms::MsgBoxResult::Yes);
    QTest::mouseClick(stop, ::Qt::LeftButton);
    pressed = true;
    return true;
  });
  Click("cmdScanNow");
  if (Main().Scan().ScanStartedAt.empty())
    GTEST_SKIP() << "the scan driver is not part of this build";
  ASSERT_TRUE(pressed) << "the scan never yielded while Stop was enabled";
  EXPECT_TRUE(Main().Scan().StopRequested);
  EXPECT_EQ(Main().lblStatus[0].Caption(), "Scanning was cancelled.");
  auto* status = Widget<gui::ElidedLabel>("lblStatus", 0);
  EXPECT_EQ(status->fullText().toStdString(), "Scanning was cancelled.");
  EXPECT_TRUE(Widget<QPushButton>("cmdScanNow")->isEnabled());
}

TEST_F(MainWindowTest, LanguageSwitchRepaintsTheWholeWindow) {
  const std::string file =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<XML_DIZ_INFO>\r\n"
      "<LANGUAGE_GROUP xml:lang=\"en\">\r\n\t<LANGUAGE_NAME>English</LANGUAGE_NAME>\r\n"
      "\t<TRANSLATION_ITEMS>\r\n\t\t<FRMMAIN_CMDSCANNOW>Start</FRMMAIN_CMDSCANNOW>\r\n"
      "\t</TRANSLATION_ITEMS>\r\n</LANGUAGE_GROUP>\r\n"
      "<LANGUAGE_GROUP xml:lang=\"de\">\r\n\t<LANGUAGE_NAME>Deutsch</LANGUAGE_NAME>\r\n"
      "\t<TRANSLATION_ITEMS>\r\n"
      "\t\t<FRMMAIN_CMDSCANNOW>Suche starten</FRMMAIN_CMDSCANNOW>\r\n"
      "\t\t<FRMMAIN_CMDSTATUS>Übersicht</FRMMAIN_CMDSTATUS>\r\n"
      "\t\t<FRMMAIN_CHKMAKELOG>Bericht speichern</FRMMAIN_CHKMAKELOG>\r\n"
      "\t\t<FRMMAIN_TABSTRIP1_TABS2>Schutz</FRMMAIN_TABSTRIP1_TABS2>\r\n"
      "\t\t<FRMMAIN_MNUFILE0>Datei</FRMMAIN_MNUFILE0>\r\n"
      "\t\t<FRMMAIN_LVWSPYWAREFOUND_COL1>Fund</FRMMAIN_LVWSPYWAREFOUND_COL1>\r\n"
      "\t</TRANSLATION_ITEMS>\r\n</LANGUAGE_GROUP>\r\n</XML_DIZ_INFO>\r\n";
  WriteLanguageFile(file);
  Start();
  auto* start = Widget<QPushButton>("cmdScanNow");
  EXPECT_EQ(Shown(start), "Start");
  // Message boxes speak the language too, their standard buttons included.
  auto buttons = [this] {
    Host().MsgBox("?", forms::MsgBoxButtons::YesNoCancel, forms::MsgBoxIcon::Question, "");
    return Host().Messages().back().buttonTexts;
  };
  EXPECT_EQ(buttons(), (std::vector<std::string>{"&Yes", "&No", "Cancel"}));

  bool chosen = false;
  WhenIdle([&] {
    auto* view = qobject_cast<gui::LanguageView*>(Host().ViewOf(App().Language()));
    if (!view || !view->isVisible()) return false;
    const int german = view->Languages()->findText("Deutsch");
    if (german < 0) return false;
    // Keyboard choice in the closed drop-down, as a user would make it.
    view->Languages()->setFocus();
    while (view->Languages()->currentIndex() < german)
      QTest::keyClick(view->Languages(), ::Qt::Key_Down);
    QTest::mouseClick(view->OkButton(), ::Qt::LeftButton);
    chosen = true;
    return true;
  });
  QAction* change = View().ActionFor("mnuLanguagesItem", 0);
  ASSERT_NE(change, nullptr);
  change->trigger();
  ASSERT_TRUE(chosen);

  EXPECT_EQ(Shown(start), "Suche starten");
  EXPECT_EQ(buttons(), (std::vector<std::string>{"&Ja", "&Nein", "Abbrechen"}));
  EXPECT_EQ(Shown(Widget<QPushButton>("cmdStatus")), "Übersicht");
  EXPECT_EQ(Shown(Widget<QCheckBox>("chkMakeLog")), "Bericht speichern");
  EXPECT_EQ(View().OptionTabs()->tabText(1).toStdString(), "Schutz");
  EXPECT_EQ(View().Menus()->actions().at(0)->text().remove('&').toStdString(), "Datei");
  EXPECT_EQ(View()
                .ScanList()
                ->model()
                ->headerData(0, ::Qt::Horizontal, ::Qt::DisplayRole)
                .toString()
                .toStdString(),
            "Fund");
}

TEST_F(MainWindowTest, MenuBarHoldsEveryEntryAndDisablesThoseNotBuiltYet) {
  Start();
  std::vector<std::string> top;
  for (QAction* a : View().Menus()->actions())
    if (a->isVisible()) top.push_back(a->text().remove('&').toStdString());
  EXPECT_EQ(top, (std::vector<std::string>{"File", "Settings", "Quarantine", "Languages", "Help",
                                           "About"}));
  QMenu* file = View().Menus()->actions().at(0)->menu();
  ASSERT_NE(file, nullptr);
  std::vector<std::string> entries;
  for (QAction* a : file->actions())
    entries.push_back(a->isSeparator() ? "-" : a->text().remove('&').toStdString());
  EXPECT_EQ(entries,
            (std::vector<std::string>{"Scan Now", "Scan Results", "View Log", "Run Live Update",
                                      "Minimize to Tray", "-", "Exit"}));
  // Mnemonics within one menu are unique.
  std::set<QChar> letters;
  for (QAction* a : file->actions()) {
    const int amp = a->text().indexOf('&');
    if (amp < 0 || a->isSeparator()) continue;
    EXPECT_TRUE(letters.insert(a->text().at(amp + 1).toLower()).second) << a->text().toStdString();
  }
  EXPECT_TRUE(View().ActionFor("mnuFileItem", 3)->isEnabled()) << "Run Live Update";
  EXPECT_FALSE(View().ActionFor("mnuFileItem", 1)->isEnabled()) << "Scan Results has no action";
  EXPECT_TRUE(View().ActionFor("mnuFileItem", 0)->isEnabled());

  // Settings > Schedule shows the Options page on its third tab.
  View().ActionFor("mnuSettingsItem", 2)->trigger();
  EXPECT_EQ(View().ShownPage(), 3);
  EXPECT_EQ(View().OptionTabs()->currentIndex(), 2);
  EXPECT_EQ(Main().TabStrip1.SelectedTab(), 3);

  // Settings > Scan Options, then File > Scan Now: the scan page.
  View().ActionFor("mnuFileItem", 0)->trigger();
  EXPECT_EQ(View().ShownPage(), 1);
}

TEST_F(MainWindowTest, OptionControlsSaveTheirSettingsAndFollowTheModel) {
  Start();
  Click("cmdSettings");
  EXPECT_EQ(View().ShownPage(), 3);
  auto* makeLog = Widget<QCheckBox>("chkMakeLog");
  ASSERT_TRUE(makeLog->isChecked());
  ClickNearLeft(makeLog);
  EXPECT_EQ(Main().chkMakeLog.Value(), 0);
  EXPECT_FALSE(makeLog->isChecked());
  EXPECT_EQ(GetSetting(App(), "OptionAndSettings", "chkMakeLog", "?"), "0");

  // The scan extent: "Complete System Scan" shows the drive list, "Quick Scan" hides it.
  auto* drives = View().WidgetFor("lvwHardDrives");
  ASSERT_NE(drives, nullptr);
  EXPECT_FALSE(drives->isVisible());
  ClickNearLeft(Widget<QRadioButton>("optScanAllSelectedHardDrive"));
  EXPECT_TRUE(Main().optScanAllSelectedHardDrive.Value());
  EXPECT_FALSE(Widget<QRadioButton>("optScanOnlyKnownSoftwares")->isChecked());
  EXPECT_TRUE(drives->isVisible());
  EXPECT_EQ(GetSetting(App(), "OptionAndSettings", "optScanAllSelectedHardDrive", "?"), "True");
  // Clicking the chosen button again keeps it chosen: the model decides, not Qt.
  ClickNearLeft(Widget<QRadioButton>("optScanAllSelectedHardDrive"));
  EXPECT_TRUE(Widget<QRadioButton>("optScanAllSelectedHardDrive")->isChecked());

  // The two shield groups do not exclude each other, although they share the page.
  ClickNearLeft(Widget<QRadioButton>("optMemorySheildOff"));
  EXPECT_TRUE(Widget<QRadioButton>("optIEHomePageSheildOn")->isChecked());
  EXPECT_TRUE(Widget<QRadioButton>("optMemorySheildOff")->isChecked());
  EXPECT_FALSE(Main().tmrMemoryInspected.IsEnabled());

  // A tab click selects the model's tab.
  QTest::mouseClick(View().OptionTabs(), ::Qt::LeftButton, {},
                    View().OptionTabs()->tabRect(3).center());
  EXPECT_EQ(Main().TabStrip1.SelectedTab(), 4);
  EXPECT_TRUE(Widget<QCheckBox>("chkAutomaticUpdate")->isVisible());
}

TEST_F(MainWindowTest, MinimizeWithoutANotificationAreaKeepsTheWindowInTheTaskBar) {
  Start();
  QWidget* view = Host().ViewOf(Main());
  Click("Command5");
  EXPECT_FALSE(Main().Visible());
  EXPECT_TRUE(Host().HasTrayIcon(Main()));
  if (QSystemTrayIcon::isSystemTrayAvailable()) {
    EXPECT_FALSE(view->isVisible());
  } else {
    // No tray to come back from: the window stays reachable, minimized.
    EXPECT_TRUE(view->isVisible());
  }
  // A double-click on the icon (mouse message 515) brings the window back.
  Main().MouseMove(515 * Host().Screen().twipsPerPixelX, 0);
  EXPECT_TRUE(Main().Visible());
  EXPECT_TRUE(view->isVisible());
  EXPECT_FALSE(view->isMinimized());
}

TEST_F(MainWindowTest, ClosingTheMainWindowEndsTheProgramAndAboutOpensModally) {
  Start();
  bool seen = false;
  WhenIdle([&] {
    auto* view = qobject_cast<gui::AboutView*>(Host().ViewOf(App().About()));
    if (!view || !view->isVisible()) return false;
    seen = view->windowTitle().contains("Quillonet");
    QTest::mouseClick(view->OkButton(), ::Qt::LeftButton);
    return true;
  });
  View().ActionFor("mnuAboutItem", 0)->trigger();
  EXPECT_TRUE(seen);
  EXPECT_FALSE(App().About().Loaded());

  Host().ViewOf(Main())->close();
  EXPECT_TRUE(App().Ended());
  EXPECT_TRUE(Host().QuitRequested());
  EXPECT_FALSE(Host().ViewOf(Main())->isVisible());
  EXPECT_EQ(GetSetting(App(), "OptionAndSettings", "STATUS", ""), "STOPPED");
}

}  // namespace quill::test
