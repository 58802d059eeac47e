// quillonet.exe: the desktop program on Windows. The application model runs on the window
// message loop: the splash window counts down, opens the main window, and the program ends
// when the main window unloads.
#include <windows.h>

#include <exception>
#include <memory>

#include "TestDriver.h"
#include "Win32Host.h"
#include "app/Application.h"
#include "app/frmSplash.h"
#include "localization/MessageCatalog.h"
#include "platform/Platform.h"
#include "views/ViewFactory.h"

namespace {

int Run() {
  quill::platform::Platform platform = quill::platform::CreatePlatform({});
  if (!platform.files || !platform.shell || !platform.system || !platform.settings ||
      !platform.registry || !platform.processes || !platform.internet) {
    MessageBoxW(nullptr, L"This computer's services cannot be used.", L"Quillonet", MB_ICONSTOP);
    return 2;
  }
  quill::win::Win32Host host;
  if (!host.Ready()) return 2;
  host.SetTrayIcon(LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1)));
  int status = 0;
  {
    auto app = std::make_unique<quill::Application>(host, platform);
    host.SetViewFactory(quill::win::MakeViewFactory(*app));
    // The input box speaks the program's language: the words its other windows' buttons use.
    host.SetInputButtonWords([&app] {
      auto& catalog = app->Catalog();
      return quill::win::InputButtons{catalog.getCaption("frmLanguage_cmdOK"),
                                      catalog.getCaption("frmDownload_cmdCancel")};
    });
    // Only when a test names a script: it drives the program through its windows.
    auto driver = quill::win::TestDriver::FromEnvironment(
        host, [&app](const std::string& key) { return app->Msg(key); });
    if (driver) driver->Start();
    auto& splash = app->Splash();
    splash.Load();
    splash.Show();
    // A quit asked for before the loop runs (a second copy) would be lost inside it.
    if (!app->Ended() && !host.QuitRequested()) status = host.Run();
    // Windows go first: they hold references into the host and the platform.
    driver.reset();
    app.reset();
  }
  return status;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  try {
    return Run();
  } catch (const std::exception& e) {
    MessageBoxA(nullptr, e.what(), "Quillonet", MB_ICONSTOP);
  } catch (...) {
    MessageBoxW(nullptr, L"Unexpected failure.", L"Quillonet", MB_ICONSTOP);
  }
  return 2;
}
