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
#include "app/UpdateWindows.h"
#include "app/frmAbout.h"
#include "app/frmSplash.h"
#include "definitions/frmDownload.h"
#include "localization/frmLanguage.h"
#include "protection/Protection.h"
#include "protection/ProtectionAlerts.h"
#include "removal/frmDelete.h"
#include "reports/frmReport.h"
#include "shell/clsTray.h"
#include "shell/frmMenuPopUp.h"
#include "shell/frmSignatureUpdated.h"

namespace quill::gui {

namespace {

void Settle(QtHost& host, int ms = 60) {
  QElapsedTimer clock;
  clock.start();
  while (clock.elapsed() < ms) host.ProcessEventsNow();
}

}  // namespace

int TakeScreenshots(Application& app, QtHost& host, const QString& folder) {
  QDir().mkpath(folder);
  int written = 0;
  auto shoot = [&](forms::Form& form, const char* name) {
    Settle(host);
    QWidget* view = host.ViewOf(form);
    if (!view || !view->isVisible()) return;
    if (view->grab().save(QDir(folder).filePath(QString::fromUtf8(name) + ".png"))) ++written;
  };

  // Questions get the answer that keeps the tour going: yes to removal, no to the rest.
  host.SetMessageHook([](const QtHost::Message& m) -> std::optional<forms::MsgBoxResult> {
    return QtHost::AgreeableAnswer(m.buttons);
  });
  // No first-run questions in the pictures.
  const auto& id = app.Identity();
  if (app.GetSetting("Settings", "Language", "").empty())
    app.SaveSetting("Settings", "Language", "English");
  app.Platform().settings->Save(id.productName, "Settings", "FirstTime", "Yes");
  app.Platform().settings->Save(id.productName, "Settings", "showHelp", "0");

  auto& splash = app.Splash();
  splash.Load();
  splash.Show();
  shoot(splash, "splash");
  QElapsedTimer clock;
  clock.start();
  auto& main = app.Main();
  while (!app.Ended() && !main.Visible() && clock.elapsed() < 10000) host.ProcessEventsNow();
  if (app.Ended() || !main.Visible()) return -1;
  if (QWidget* view = host.ViewOf(main)) view->resize(1120, 740);

  main.cmdStatus.Click();
  shoot(main, "home");
  main.cmdScan.Click();
  main.optScan[0].UserSelect();
  shoot(main, "scan-idle");
  main.cmdScanNow.Click();
  shoot(main, "scan");
  main.cmdResults.Click();
  auto& results = main.lvwPicRemoveListOfSpywareFoundAndToBeRemoved;
  for (int row = 0; row < results.Count() && row < 2; ++row) results.UserCheck(row, true);
  shoot(main, "results");
  main.cmdSettings.Click();
  const char* tabs[] = {"options-scan", "options-protection", "options-schedule", "options-update"};
  for (int tab = 1; tab <= 4; ++tab) {
    main.TabStrip1.SelectTab(tab);
    shoot(main, tabs[tab - 1]);
  }
  main.TabStrip1.SelectTab(1);
  main.cmdStatus.Click();

  auto& language = app.Language();
  language.Load();
  language.Show();
  shoot(language, "language");
  language.Unload();

  auto& report = app.Report();
  report.Load();
  report.Show();
  shoot(report, "report");
  report.Unload();

  auto& failed = app.DeleteFailed();
  failed.lstProblem.Clear();
  failed.lstProblem.Add("C:\\Program Files\\QuillonetTestFolder\\quillonet-testapp.exe");
  failed.Show();
  shoot(failed, "delete-failed");
  failed.Hide();
  failed.lstProblem.Clear();

  auto& about = app.About();
  about.Load();
  about.Show();
  shoot(about, "about");
  about.Unload();

  // Live Update's windows, as a run shows them: the download window a few blinks in, and
  // the notice at rest.
  UpdateWindows updates(app);
  updates.OpenDownloadWindow();
  auto& download = app.Download();
  download.txtStatus.SetText("Downloaded 18432 bytes.");
  for (int blink = 0; blink < 3; ++blink) download.tmrBlink.Fire();
  shoot(download, "download");
  updates.CloseDownloadWindow();
  updates.ShowNotification(app.Msg("MSG_UPDATED_DEFS"));
  auto& notice = app.SignatureUpdated();
  while (notice.tmrPopupSignatureUpdate.IsEnabled()) notice.tmrPopupSignatureUpdate.Fire();
  shoot(notice, "notification");
  notice.Unload();

  // The shields' alerts, shown without waiting for an answer.
  auto& homeAlert = main.Shields().HomePageAlert();
  homeAlert.Load();
  homeAlert.lblHomePageInfo.SetCaption(
      app.brand.programName +
      " has detected that your Homepage has been changed.\r\n\r\nClick YES to keep your "
      "homepage as:\r\nhttp://www.quillonet.example/\r\n\r\nClick No to change your homepage "
      "to:\r\nhttp://search.toolbar.example/?src=hijack");
  homeAlert.Show();
  shoot(homeAlert, "home-page-alert");
  homeAlert.Unload();
  auto& processAlert = main.Shields().ProcessAlert();
  processAlert.Load();
  processAlert.lblAlertFileName.SetCaption("SPYAGENT.EXE");
  processAlert.lblAlertCompanyName.SetCaption(app.Msg("MSG_NOCOMPANY") + " SPYAGENT.EXE");
  processAlert.Show();
  shoot(processAlert, "process-alert");
  processAlert.Unload();

  // The tray menu, at rest above the task bar, with the window in the tray.
  main.MinimizeToTray();
  clsTray::Instance(app).ShowMenu();
  auto& menu = app.MenuPopUp();
  while (menu.tmrMenuPopup.IsEnabled()) menu.tmrMenuPopup.Fire();
  shoot(menu, "tray-menu");
  menu.Unload();

  main.Unload();
  return written;
}

}  // namespace quill::gui
