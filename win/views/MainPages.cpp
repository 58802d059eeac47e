// The main window's navigation bar and pages, each child placed at 96 dots per inch in a pane
// of 760 x 600 and bound to its control of the main form.
#include "views/MainWindow.h"

#include <commctrl.h>
#include <shellapi.h>

#include "Fonts.h"
#include "Win32Host.h"
#include "app/FrmMain.h"

namespace quill::win {

namespace {

// A small icon for a row kind. The shell's stock icon where the shell gives one (some versions
// of Wine answer with no icon at all), else the icon the shell shows for such a file or
// folder, else a system icon.
HICON KindIcon(SHSTOCKICONID id, const wchar_t* likeFile, DWORD attributes, const wchar_t* system) {
  SHSTOCKICONINFO stock{};
  stock.cbSize = sizeof stock;
  if (SUCCEEDED(SHGetStockIconInfo(id, SHGSI_ICON | SHGSI_SMALLICON, &stock)) && stock.hIcon)
    return stock.hIcon;
  SHFILEINFOW shell{};
  if (likeFile &&
      SHGetFileInfoW(likeFile, attributes, &shell, sizeof shell,
                     SHGFI_USEFILEATTRIBUTES | SHGFI_ICON | SHGFI_SMALLICON) &&
      shell.hIcon)
    return shell.hIcon;
  const int size = GetSystemMetrics(SM_CXSMICON);
  return static_cast<HICON>(LoadImageW(nullptr, system, IMAGE_ICON, size, size, 0));
}

// The rows' pictures by kind number: cookie, registry, file, folder, excluded.
HIMAGELIST RowIcons() {
  static const HIMAGELIST icons = [] {
    const int size = GetSystemMetrics(SM_CXSMICON);
    HIMAGELIST list = ImageList_Create(size, size, ILC_COLOR32 | ILC_MASK, 5, 0);
    const HICON kinds[] = {
        KindIcon(SIID_INTERNET, L"cookie.htm", FILE_ATTRIBUTE_NORMAL, IDI_INFORMATION),
        KindIcon(SIID_SETTINGS, L"entry.reg", FILE_ATTRIBUTE_NORMAL, IDI_APPLICATION),
        KindIcon(SIID_DOCNOASSOC, L"file", FILE_ATTRIBUTE_NORMAL, IDI_APPLICATION),
        KindIcon(SIID_FOLDER, L"folder", FILE_ATTRIBUTE_DIRECTORY, IDI_APPLICATION),
        KindIcon(SIID_WARNING, nullptr, 0, IDI_WARNING)};
    for (HICON icon : kinds) {
      // Every kind keeps its place in the list, even with the shared application icon.
      ImageList_AddIcon(list, icon ? icon : LoadIconW(nullptr, IDI_APPLICATION));
      if (icon) DestroyIcon(icon);
    }
    return list;
  }();
  return icons;
}

}  // namespace

HWND MainWindow::PageTitle(Pane& page, forms::Control& frame) {
  HWND title = page.binder->Label(frame);
  SetFont(title, HeadingFont());
  // The frame's visibility turns the page; its title stays on it.
  ShowWindow(title, SW_SHOWNA);
  frame.Changed().Subscribe([title] { ShowWindow(title, SW_SHOWNA); });
  return title;
}

void MainWindow::BuildSidebar(Pane& bar, const std::string& programName) {
  Binder& b = *bar.binder;
  HWND name =
      CreateWindowExW(0, L"STATIC", W(programName).c_str(), WS_CHILD | WS_VISIBLE | SS_NOPREFIX, 0,
                      0, 0, 0, bar.window, nullptr, GetModuleHandleW(nullptr), nullptr);
  SetFont(name, HeadingFont());
  Put(bar, name, 12, 14, 186, 32);
  int y = 64;
  for (forms::CommandButton* c :
       {&form_.cmdStatus, &form_.cmdScan, &form_.cmdResults, &form_.cmdSettings}) {
    Put(bar, b.Button(*c), 12, y, 186, 34);
    // The number of traces found, in a badge at the end of the Results button.
    if (c == &form_.cmdResults)
      Put(bar, b.Badge(form_.lblRemovePicSoftwareFound), 12 + 186 - 38, y + 8, 32, 18);
    y += 40;
  }
  y += 10;
  for (forms::CommandButton* c : {&form_.cmdUpdate, &form_.cmdLog}) {
    Put(bar, b.Button(*c), 12, y, 186, 30);
    y += 34;
  }
  y = 490;
  for (forms::CommandButton* c : {&form_.cmdHijack, &form_.cmdWebsite, &form_.Command5}) {
    Put(bar, b.Button(*c), 12, y, 186, 30, kBottom);
    y += 34;
  }
}

void MainWindow::BuildHome(Pane& page) {
  Binder& b = *page.binder;
  Put(page, PageTitle(page, form_.fraHome), 28, 18, 704, 34, kWide);
  HWND picture = b.Label(form_.PicStartUp, SS_ICON);
  SendMessageW(picture, STM_SETICON, reinterpret_cast<WPARAM>(ProgramIcon(Px(48))), 0);
  Put(page, picture, 28, 70, 48, 48);
  Put(page, b.Label(form_.Label22), 96, 66, 636, 74, kWide);
  const std::pair<forms::Label*, forms::Label*> rows[] = {
      {&form_.Label1, &form_.lblDefCount},     {&form_.Label3, &form_.lblDefVersion},
      {&form_.Label2, &form_.lblVersion},      {&form_.Label5, &form_.lblLastScan},
      {&form_.Label6, &form_.lblLastFullScan}, {&form_.Label4, &form_.lblDefRemoved}};
  int r = 0;
  for (const auto& [caption, value] : rows) {
    const int x = 28 + (r % 2) * 360, y = 160 + (r / 2) * 56;
    Put(page, b.Label(*caption), x, y, 340, 20);
    HWND figure = b.Label(*value);
    SetFont(figure, BoldFont());
    Put(page, figure, x, y + 20, 340, 24);
    ++r;
  }
  Put(page, b.Button(form_.Command1, true), 28, 340, 180, 34);
}

void MainWindow::BuildScan(Pane& page) {
  Binder& b = *page.binder;
  Put(page, PageTitle(page, form_.fraScan), 28, 18, 704, 34, kWide);
  forms::CommandButton* shortcuts[] = {&form_.Command3, &form_.cmdMainScan1, &form_.Command6,
                                       &form_.Command7};
  for (int i = 0; i < form_.optScan.Count() && i < 4; ++i) {
    Put(page, b.Option(form_.optScan[i], i == 0), 28 + i * 180, 62, 170, 22);
    Put(page, b.Button(*shortcuts[i]), 28 + i * 180, 90, 170, 28);
  }
  int x = 28;
  for (forms::CommandButton* c : {&form_.cmdScanNow, &form_.cmdPause, &form_.cmdStop}) {
    Put(page, b.Button(*c, c == &form_.cmdScanNow), x, 132, 120, 30);
    x += 128;
  }
  Put(page, b.Button(form_.cmdRemove), 592, 132, 140, 30, kRight);
  HWND stage = b.Label(form_.lblPercentageCompleted);
  SetFont(stage, BoldFont());
  Put(page, stage, 28, 174, 704, 20, kWide);
  for (int i = 0; i < 2; ++i)
    Put(page, b.Label(form_.lblStatus[i], SS_LEFT | SS_NOPREFIX | SS_PATHELLIPSIS), 28,
        196 + i * 18, 704, 18, kWide);
  const std::pair<forms::Label*, forms::ProgressBar*> bars[] = {{&form_.Label7, &form_.pb1},
                                                                {&form_.Label8, &form_.pb2}};
  int y = 238;
  for (const auto& [caption, bar] : bars) {
    Put(page, b.Label(*caption), 28, y, 100, 20);
    Put(page, b.Progress(*bar), 130, y, 602, 18, kWide);
    y += 24;
  }
  Put(page, b.Progress(form_.pbgMain), 130, y, 602, 18, kWide);
  const std::pair<forms::Label*, forms::Label*> counters[] = {
      {&form_.Label9, &form_.lblMemoryInspected},
      {&form_.Label10, &form_.lblRegistryInspected},
      {&form_.Label11, &form_.lblFilesFolderInspected},
      {&form_.Label12, &form_.lblTotalNoOfRunningItems},
      {&form_.Label13, &form_.lblSoftwareFound}};
  int r = 0;
  for (const auto& [caption, value] : counters) {
    const int cx = 28 + (r % 3) * 240, cy = 316 + (r / 3) * 22;
    HWND arrow = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, page.window,
                                 nullptr, GetModuleHandleW(nullptr), nullptr);
    SetFont(arrow, MessageFont());
    stageMarkers_.push_back({caption, arrow});
    Put(page, arrow, cx, cy, 16, 20);
    Put(page, b.Label(*caption), cx + 18, cy, 150, 20);
    Put(page, b.Label(*value), cx + 170, cy, 64, 20);
    ++r;
  }
  Put(page, b.List(form_.lvwSpywareFound, RowIcons(), {280}), 28, 366, 704, 214, kWide | kTall);
}

void MainWindow::BuildResults(Pane& page) {
  Binder& b = *page.binder;
  Put(page, PageTitle(page, form_.frmResults), 28, 18, 400, 34, kWide);
  Put(page, b.Label(form_.Label14, SS_RIGHT | SS_NOPREFIX), 440, 28, 200, 20, kRight);
  HWND traces = b.Label(form_.lbltracesFound);
  SetFont(traces, HeadingFont());
  Put(page, traces, 650, 18, 82, 34, kRight);
  HWND caption = b.Label(form_.Label26);
  SetFont(caption, BoldFont());
  Put(page, caption, 28, 60, 200, 20);
  Put(page, b.Label(form_.Label15), 236, 60, 496, 36, kWide);
  Put(page,
      b.List(form_.lvwPicRemoveListOfSpywareFoundAndToBeRemoved, RowIcons(), {200, 270, 110, 90}),
      28, 100, 704, 330, kWide | kTall);
  Put(page, b.Label(form_.lblDeletingCaption), 28, 440, 120, 20, kBottom);
  Put(page, b.Progress(form_.pgbDeleteSpywaresFound), 150, 440, 520, 18, kBottom | kWide);
  Put(page, b.Label(form_.lblDeletingPercentageCompleted), 680, 440, 52, 20, kBottom | kRight);
  int x = 28;
  for (forms::CommandButton* c :
       {&form_.cmdSelectAll, &form_.cmdBrowse, &form_.cmdExclude, &form_.cmdFalsePos}) {
    Put(page, b.Button(*c), x, 470, 112, 28, kBottom);
    x += 118;
  }
  Put(page, b.Button(form_.Command4, true), 592, 470, 140, 28, kBottom | kRight);
  Put(page, b.Label(form_.Label16), 28, 508, 150, 34, kBottom);
  Put(page, b.Text(form_.txtFilename), 180, 514, 440, 24, kBottom | kWide);
  Put(page, b.Button(form_.cmdSubmit), 632, 513, 100, 26, kBottom | kRight);
}

void MainWindow::BuildOptions(Pane& page) {
  Put(page, PageTitle(page, form_.fraOptions), 28, 18, 704, 34, kWide);
  tabs_ = CreateWindowExW(0, WC_TABCONTROLW, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, 0, 0, 0,
                          0, page.window, nullptr, GetModuleHandleW(nullptr), nullptr);
  SetFont(tabs_, MessageFont());
  Put(page, tabs_, 28, 60, 704, 520, kWide | kTall);
  auto tab = [this, &page]() -> Pane& {
    Pane& pane = NewPane(page.window);
    tabPanes_.push_back(pane.window);
    SetWindowPos(pane.window, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    return pane;
  };
  auto checks = [](Pane& pane, std::initializer_list<forms::CheckBox*> boxes, int x, int y) {
    for (forms::CheckBox* c : boxes) {
      MainWindow::Slot slot{pane.binder->Check(*c), {x, y, x + 370, y + 22}, kFixed};
      pane.slots.push_back(slot);
      y += 30;
    }
  };
  Pane& scan = tab();
  // The longest caption ("Send anonymous data ...") takes the wider half; the scan extent's
  // two choices stand one above the other.
  Put(scan, scan.binder->Group(form_.Frame1), 12, 12, 400, 230);
  checks(scan,
         {&form_.chkSweepMemory, &form_.chkScanRegistry, &form_.chkScanCookies, &form_.chkMakeLog,
          &form_.chkSendData, &form_.chkRunAtStartup},
         24, 36);
  Put(scan, scan.binder->Group(form_.Frame2), 424, 12, 260, 230, kWide);
  Put(scan, scan.binder->Option(form_.optScanOnlyKnownSoftwares, true), 436, 36, 236, 22);
  Put(scan, scan.binder->Option(form_.optScanAllSelectedHardDrive, false), 436, 62, 236, 22);
  Put(scan, scan.binder->List(form_.lvwHardDrives), 436, 92, 236, 138, kWide);

  Pane& shields = tab();
  Put(shields, shields.binder->Group(form_.Frame3), 12, 12, 672, 160, kWide);
  checks(shields, {&form_.chkHomePage}, 24, 36);
  Put(shields, shields.binder->Option(form_.optIEHomePageSheildOn, true), 24, 64, 120, 22);
  Put(shields, shields.binder->Option(form_.optIEHomePageSheildOff, false), 150, 64, 120, 22);
  Put(shields, shields.binder->Option(form_.optAlwaysnotifybeforerestoring, true), 48, 94, 600, 22);
  Put(shields, shields.binder->Option(form_.optRestoredefaultwithoutnotification, false), 48, 122,
      600, 22);
  Put(shields, shields.binder->Group(form_.Frame4), 12, 184, 672, 110, kWide);
  checks(shields, {&form_.chkAutoProtect}, 24, 208);
  Put(shields, shields.binder->Option(form_.optMemorySheildOn, true), 24, 238, 120, 22);
  Put(shields, shields.binder->Option(form_.optMemorySheildOff, false), 150, 238, 120, 22);

  Pane& schedule = tab();
  Binder& s = *schedule.binder;
  Put(schedule, s.Group(form_.Frame5), 12, 12, 672, 260, kWide);
  checks(schedule, {&form_.chkAutomaticScanYesOrNo}, 24, 36);
  Put(schedule, s.Label(form_.Label17), 24, 72, 120, 20);
  Put(schedule, s.Combo(form_.cmbDays), 150, 68, 180, 200);
  Put(schedule, s.Label(form_.Label18), 24, 104, 120, 20);
  Put(schedule, s.Picker(form_.dtpScheduleDate), 150, 100, 180, 24);
  Put(schedule, s.Label(form_.Label19), 24, 136, 120, 20);
  Put(schedule, s.Picker(form_.dtpScheduleTime), 150, 132, 180, 24);
  checks(schedule, {&form_.chkAutoDel}, 24, 170);
  Put(schedule, s.Button(form_.CmdProceed), 24, 206, 140, 28);
  Put(schedule, s.Button(form_.cmdDefaultSetting), 172, 206, 180, 28);

  Pane& update = tab();
  Put(update, update.binder->Group(form_.Frame6), 12, 12, 672, 150, kWide);
  checks(update, {&form_.chkAutomaticUpdate}, 24, 36);
  Put(update, update.binder->Label(form_.lblLastUpdate), 24, 68, 620, 20);
  Put(update, update.binder->Button(form_.cmdLiveUpdate), 24, 98, 200, 28);
}

}  // namespace quill::win
