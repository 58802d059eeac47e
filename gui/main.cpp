// quillonet: the desktop program. The application model runs on Qt's event loop: the splash
// window counts down, opens the main window, and the program ends when the main window
// unloads.
#include <QApplication>
#include <QProcess>
#include <QStringList>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "Desktop.h"
#include "QtHost.h"
#include "app/Application.h"
#include "app/LanguageExport.h"
#include "app/frmSplash.h"
#include "platform/Platform.h"
#include "views/Style.h"

namespace {

constexpr const char* kUsage =
    "Usage: quillonet [--prefix DIR] [--export-language FILE] [Qt options]\n"
    "\n"
    "Protects the Windows machine given by a Wine prefix: DIR, else $WINEPREFIX, else\n"
    "~/.wine when it exists, else the program's own default prefix.\n"
    "\n"
    "  --prefix DIR         the Wine prefix to protect\n"
    "  --export-language FILE\n"
    "                       write FILE as an English language file with every caption of\n"
    "                       every window and every message (the template for a\n"
    "                       translation), then end\n"
    "  --help               show this text\n";

struct Arguments {
  std::string prefix;
  std::string exportLanguage;
  bool help = false;
  std::vector<char*> qtArgs;
};

// Our options are taken out; the rest (-platform, -style, ...) goes to Qt.
bool Parse(int argc, char** argv, Arguments& args, std::string& error) {
  args.qtArgs.push_back(argv[0]);
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    auto value = [&](const char* option) -> const char* {
      if (i + 1 >= argc) {
        error = std::string(option) + " needs a value";
        return nullptr;
      }
      return argv[++i];
    };
    if (a == "--help" || a == "-h") {
      args.help = true;
    } else if (a == "--prefix") {
      const char* v = value("--prefix");
      if (!v) return false;
      args.prefix = v;
    } else if (a.rfind("--prefix=", 0) == 0) {
      args.prefix = a.substr(9);
    } else if (a == "--export-language") {
      const char* v = value("--export-language");
      if (!v) return false;
      args.exportLanguage = v;
    } else {
      args.qtArgs.push_back(argv[i]);
    }
  }
  args.qtArgs.push_back(nullptr);
  return true;
}

// "--export-language FILE": the exit status.
int ExportLanguage(quill::Application& app, const std::string& file) {
  const auto text = quill::ExportedLanguageFile(app);
  if (!text) {
    std::fprintf(stderr, "quillonet: another copy of the program is running\n");
    return 2;
  }
  std::FILE* out = std::fopen(file.c_str(), "wb");
  const bool written = out && std::fwrite(text->data(), 1, text->size(), out) == text->size();
  if ((out && std::fclose(out) != 0) || !written) {
    std::fprintf(stderr, "quillonet: \"%s\" could not be written\n", file.c_str());
    return 2;
  }
  return 0;
}

// A start of this program on the prefix the user chose, with the same Qt options.
struct Restart {
  QString program;
  QStringList args;
};

// Runs the program; fills `restart` when the user chose another prefix to protect.
int Run(int argc, char** argv, Restart& restart) {
  Arguments args;
  std::string error;
  if (!Parse(argc, argv, args, error)) {
    std::fprintf(stderr, "quillonet: %s\n%s", error.c_str(), kUsage);
    return 2;
  }
  if (args.help) {
    std::printf("%s", kUsage);
    return 0;
  }

  int qtArgc = static_cast<int>(args.qtArgs.size()) - 1;
  QApplication qapp(qtArgc, args.qtArgs.data());
  // The main window goes to the notification area and comes back: closing the last visible
  // window is not the end of the program, the main window's unload is.
  QApplication::setQuitOnLastWindowClosed(false);
  quill::gui::ApplyStyle(qapp);

  quill::platform::Platform platform;
  if (!quill::gui::OpenMachine(args.prefix, platform)) {
    std::fprintf(stderr, "quillonet: the Wine prefix cannot be used\n");
    return 2;
  }

  quill::gui::QtHost host;
  // For tests and benchmarks that watch the running program: its ticks and shown windows.
  if (const char* log = std::getenv("QUILLONET_EVENT_LOG"); log && *log && !host.SetEventLog(log))
    std::fprintf(stderr, "quillonet: cannot write the event log %s\n", log);
  int status = 0;
  {
    auto app = quill::gui::MakeDesktopModel(host, platform);
    if (!args.exportLanguage.empty()) {
      status = ExportLanguage(*app, args.exportLanguage);
    } else {
      auto& splash = app->Splash();
      splash.Load();
      splash.Show();
      // A quit asked for before the loop runs (a second copy) would be lost inside it.
      if (!app->Ended() && !host.QuitRequested()) status = QApplication::exec();
    }
    if (!app->nextPrefix.empty()) {
      restart.program = QCoreApplication::applicationFilePath();
      for (size_t i = 1; i + 1 < args.qtArgs.size(); ++i) restart.args << args.qtArgs[i];
      restart.args << "--prefix" << QString::fromStdString(app->nextPrefix);
    }
    // Windows go first: they hold references into the host and the platform.
    app.reset();
  }
  host.RemoveAllTrayIcons();
  return status;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    Restart restart;
    const int status = Run(argc, argv, restart);
    // The machine is released (its lock with it) before the program starts on the other one.
    if (!restart.program.isEmpty() && !QProcess::startDetached(restart.program, restart.args)) {
      std::fprintf(stderr, "quillonet: cannot start again on the chosen prefix\n");
      return 2;
    }
    return status;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "quillonet: %s\n", e.what());
  } catch (...) {
    std::fprintf(stderr, "quillonet: unexpected failure\n");
  }
  return 2;
}
