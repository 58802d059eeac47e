// quillonet.exe: the desktop program on Windows. The application model runs on the window
// message loop: the splash window counts down, opens the main window, and the program ends
// when the main window unloads.
#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include <cstdio>
#include <exception>
#include <memory>
#include <string>

#include "TestDriver.h"
#include "Win32Host.h"
#include "app/Application.h"
#include "app/LanguageExport.h"
#include "app/frmSplash.h"
#include "localization/MessageCatalog.h"
#include "platform/Platform.h"
#include "views/ViewFactory.h"

namespace {

// "--export-language FILE": the file, or "" when the program starts as usual.
std::wstring ExportLanguageFile() {
  int count = 0;
  LPWSTR* words = CommandLineToArgvW(GetCommandLineW(), &count);
  std::wstring file;
  if (words && count == 3 && std::wstring(words[1]) == L"--export-language") file = words[2];
  LocalFree(words);
  return file;
}

// Writes the language file; the exit status.
int ExportLanguage(quill::Application& app, const std::wstring& file) {
  const auto text = quill::ExportedLanguageFile(app);
  if (!text) {
    MessageBoxW(nullptr, L"Another copy of the program is running.", L"Quillonet", MB_ICONSTOP);
    return 2;
  }
  std::FILE* out = _wfopen(file.c_str(), L"wb");
  const bool written = out && std::fwrite(text->data(), 1, text->size(), out) == text->size();
  if ((out && std::fclose(out) != 0) || !written) {
    MessageBoxW(nullptr, (L"\"" + file + L"\" could not be written.").c_str(), L"Quillonet",
                MB_ICONSTOP);
    return 2;
  }
  return 0;
}

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
    if (const std::wstring file = ExportLanguageFile(); !file.empty()) {
      status = ExportLanguage(*app, file);
    } else {
      auto& splash = app->Splash();
      splash.Load();
      splash.Show();
      // A quit asked for before the loop runs (a second copy) would be lost inside it.
      if (!app->Ended() && !host.QuitRequested()) status = host.Run();
    }
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
