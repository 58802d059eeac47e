#include "Screenshots.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QPixmap>
#include <QWidget>

#include "QtHost.h"
#include "app/Application.h"
#include "app/FrmMain.h"
#include "app/MachineSettingsStore.h"
#include "app/ProtectionAlerts.h"
#include "app/UpdateWindows.h"
#include "app/clsTray.h"
#include "app/frmAbout.h"
#include "app/frmDelete.h"
#include "app/frmDownload.h"
#include "app/frmLanguage.h"
#include "app/frmMenuPopUp.h"
#include "app/frmReport.h"
#include "app/frmSignatureUpdated.h"
#include "app/frmSplash.h"
#include "core/Settings.h"
#include "protection/Protection.h"

namespace quill::gui {

namespace {

void Settle(QtHost& host, int ms = 60) {
  QElapsedTimer clock;
  clock.start();
  while (clock.elapsed() < ms) host.ProcessEventsNow();
}

// Walks the program's windows in the order a user meets them, saving each one's picture.
class Tour {
 public:
  Tour(Application& app, QtHost& host, const QString& folder)
      : app_(app), host_(host), folder_(folder) {}

  int Written() const { return written_; }

  void Shoot(forms::Form& form, const char* name) {
    Settle(host_);
    QWidget* view = host_.ViewOf(form);
    if (!view || !view->isVisible()) return;
    if (view->grab().save(QDir(folder_).filePath(QString::fromUtf8(name) + ".png"))) ++written_;
  }

  // The splash, then the main window once start-up has shown it.
  bool Start() {
    auto& splash = app_.Splash();
    splash.Load();
    splash.Show();
    Shoot(splash, "splash");
    QElapsedTimer clock;
    clock.start();
    auto& main = app_.Main();
    while (!app_.Ended() && !main.Visible() && clock.elapsed() < 10000) host_.ProcessEventsNow();
    if (app_.Ended() || !main.Visible()) return false;
    if (QWidget* view = host_.ViewOf(main)) view->resize(1120, 740);
    return true;
  }

  void MainPages() {
    auto& main = app_.Main();
    main.cmdStatus.Click();
    Shoot(main, "home");
    main.cmdScan.Click();
    main.optScan[0].UserSelect();
    Shoot(main, "scan-idle");
    main.cmdScanNow.Click();
    Shoot(main, "scan");
    main.cmdResults.Click();
    auto& results = main.lvwPicRemoveListOfSpywareFoundAndToBeRemoved;
    for (int row = 0; row < results.Count() && row < 2; ++row) results.UserCheck(row, true);
    Shoot(main, "results");
    main.cmdSettings.Click();
    const char* tabs[] = {"options-scan", "options-protection", "options-schedule",
                          "options-update"};
    for (int tab = 1; tab <= 4; ++tab) {
      main.TabStrip1.SelectTab(tab);
      Shoot(main, tabs[tab - 1]);
    }
    main.TabStrip1.SelectTab(1);
    main.cmdStatus.Click();
  }

  // A window that loads, shows, is pictured and unloads again.
  template <class Window>
  void Dialog(Window& window, const char* name) {
    window.Load();
    window.Show();
    Shoot(window, name);
    window.Unload();
  }

  void Dialogs() {
    Dialog(app_.Language(), "language");
    Dialog(app_.Report(), "report");
    auto& failed = app_.DeleteFailed();
    failed.lstProblem.Clear();
    failed.lstProblem.Add("C:\\Program Files\\QuillonetTestFolder\\quillonet-testapp.exe");
    failed.Show();
    Shoot(failed, "delete-failed");
    failed.Hide();
    failed.lstProblem.Clear();
    Dialog(app_.About(), "about");
  }

  // Live Update's windows, as a run shows them: the download window a few blinks in, and
  // the notice at rest.
  void UpdateWindowsShown() {
    UpdateWindows updates(app_);
    updates.OpenDownloadWindow();
    auto& download = app_.Download();
    download.txtStatus.SetText("Downloaded 18432 bytes.");
    for (int blink = 0; blink < 3; ++blink) download.tmrBlink.Fire();
    Shoot(download, "download");
    updates.CloseDownloadWindow();
    updates.ShowNotification(app_.Msg("MSG_UPDATED_DEFS"));
    auto& notice = app_.SignatureUpdated();
    while (notice.tmrPopupSignatureUpdate.IsEnabled()) notice.tmrPopupSignatureUpdate.Fire();
    Shoot(notice, "notification");
    notice.Unload();
  }

  // The shields' alerts, shown without waiting for an answer.
  void Alerts() {
    auto& homeAlert = app_.HomePageAlert();
    homeAlert.Load();
    homeAlert.lblHomePageInfo.SetCaption(
        app_.brand.programName +
        " has detected that your Homepage has been changed.\r\n\r\nClick YES to keep your "
        "homepage as:\r\nhttp://www.quillonet.example/\r\n\r\nClick No to change your "
        "homepage to:\r\nhttp://search.toolbar.example/?src=hijack");
    homeAlert.Show();
    Shoot(homeAlert, "home-page-alert");
    homeAlert.Unload();
    auto& processAlert = app_.ProcessAlert();
    processAlert.Load();
    processAlert.lblAlertFileName.SetCaption("SPYAGENT.EXE");
    processAlert.lblAlertCompanyName.SetCaption(app_.Msg("MSG_NOCOMPANY") + " SPYAGENT.EXE");
    processAlert.Show();
    Shoot(processAlert, "process-alert");
    processAlert.Unload();
  }

  // The tray menu, at rest above the task bar, with the window in the tray.
  void TrayMenu() {
    app_.Main().MinimizeToTray();
    app_.Tray().ShowMenu();
    auto& menu = app_.MenuPopUp();
    while (menu.tmrMenuPopup.IsEnabled()) menu.tmrMenuPopup.Fire();
    Shoot(menu, "tray-menu");
    menu.Unload();
  }

 private:
  Application& app_;
  QtHost& host_;
  QString folder_;
  int written_ = 0;
};

}  // namespace

int TakeScreenshots(Application& app, QtHost& host, const QString& folder) {
  QDir().mkpath(folder);
  // Questions get the answer that keeps the tour going: yes to removal, no to the rest.
  host.SetMessageHook([](const QtHost::Message& m) -> std::optional<forms::MsgBoxResult> {
    return QtHost::AgreeableAnswer(m.buttons);
  });
  // No first-run questions in the pictures.
  const settings::Store& store = app.Settings();
  if (settings::ReadIfStored(store, settings::Language).value_or("").empty())
    settings::Write(store, settings::Language, "English");
  settings::Write(store, settings::FirstTime, "Yes");
  settings::Write(store, settings::ShowHelp, false);

  Tour tour(app, host, folder);
  if (!tour.Start()) return -1;
  tour.MainPages();
  tour.Dialogs();
  tour.UpdateWindowsShown();
  tour.Alerts();
  tour.TrayMenu();
  app.Main().Unload();
  return tour.Written();
}

}  // namespace quill::gui
