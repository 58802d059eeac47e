// quillonet-screenshots: renders every window of the desktop program to PNG files for the
// documentation. A tool of the source tree, never installed: the shipped program has no such
// mode. The clock stands still, so a scan's times (and with them the pictures) come out the
// same on every run.
#include <QApplication>
#include <QString>
#include <chrono>
#include <cstdio>
#include <string>

#include "Desktop.h"
#include "QtHost.h"
#include "Screenshots.h"
#include "app/Application.h"
#include "views/Style.h"

namespace {

constexpr const char* kUsage =
    "Usage: quillonet-screenshots FOLDER [--prefix DIR]\n"
    "\n"
    "Renders every window of the desktop program to PNG files in FOLDER, on the Wine prefix\n"
    "DIR (else $WINEPREFIX, ~/.wine when it exists, else the program's own default prefix).\n";

/// The desktop host with a clock that stands at 12/1/2026 10:00:00 AM UTC.
class StillClockHost : public quill::gui::QtHost {
 public:
  std::chrono::system_clock::time_point Now() override {
    return std::chrono::system_clock::time_point(std::chrono::seconds(1796119200));
  }
};

int Run(int argc, char** argv) {
  QString folder;
  std::string prefix;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--prefix" && i + 1 < argc) {
      prefix = argv[++i];
    } else if (folder.isEmpty() && !a.empty() && a[0] != '-') {
      folder = QString::fromLocal8Bit(argv[i]);
    } else {
      std::fprintf(stderr, "%s", kUsage);
      return 2;
    }
  }
  if (folder.isEmpty()) {
    std::fprintf(stderr, "%s", kUsage);
    return 2;
  }

  QApplication qapp(argc, argv);
  QApplication::setQuitOnLastWindowClosed(false);
  quill::gui::ApplyStyle(qapp);
  quill::platform::Platform platform;
  if (!quill::gui::OpenMachine(prefix, platform)) {
    std::fprintf(stderr, "quillonet-screenshots: the Wine prefix cannot be used\n");
    return 2;
  }

  StillClockHost host;
  int written = -1;
  {
    auto app = quill::gui::MakeDesktopModel(host, platform);
    written = quill::gui::TakeScreenshots(*app, host, folder);
    app.reset();
  }
  host.RemoveAllTrayIcons();
  if (written < 0) {
    std::fprintf(stderr, "quillonet-screenshots: the program did not start\n");
    return 2;
  }
  std::printf("%d pictures written to %s\n", written, folder.toLocal8Bit().constData());
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    return Run(argc, argv);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "quillonet-screenshots: %s\n", e.what());
  }
  return 2;
}
