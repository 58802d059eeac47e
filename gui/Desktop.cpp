#include "Desktop.h"

#include <QApplication>
#include <QString>

#include "QtHost.h"
#include "app/Application.h"
#include "localization/MessageCatalog.h"
#include "views/Artwork.h"
#include "views/ViewFactory.h"

namespace quill::gui {

bool OpenMachine(const std::string& prefix, platform::Platform& platform) {
  platform::PlatformOptions options;
  options.prefix = prefix;
  platform = platform::CreatePlatform(options);
  return platform.files && platform.shell && platform.system && platform.settings &&
         platform.registry && platform.processes && platform.internet;
}

std::unique_ptr<Application> MakeDesktopModel(QtHost& host, platform::Platform& platform) {
  host.SetFileSystem(platform.files.get());
  host.SetTrayIcon(artwork::AppIcon());
  auto app = std::make_unique<Application>(host, platform);
  host.SetViewFactory(MakeViewFactory(*app));
  FollowProgramLanguage(host, *app);
  QApplication::setApplicationName(QString::fromUtf8(app->Identity().productName.c_str()));
  return app;
}

void FollowProgramLanguage(QtHost& host, Application& app) {
  host.SetLanguageSource([&app] { return app.Catalog().CurrentLanguageCode(); });
}

}  // namespace quill::gui
