#include "platform/Platform.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "support/ScopedEnv.h"
#include "support/TempPrefix.h"

namespace quill::platform {
namespace {

namespace fs = std::filesystem;

TEST(PosixPlatform, FactoryBuildsTheWholeBackendOnTheChosenPrefix) {
  test::TempPrefix prefix;
  ASSERT_FALSE(prefix.Root().empty());
  std::string settingsFolder = prefix.Root() + "-settings";
  std::string programFolder = prefix.Root() + "/program";
  fs::create_directories(programFolder);

  PlatformOptions options;
  options.prefix = prefix.Root();
  options.settingsFolder = settingsFolder;
  options.programFolder = programFolder;
  {
    Platform platform = CreatePlatform(options);
    ASSERT_TRUE(platform.registry && platform.files && platform.processes && platform.shell &&
                platform.internet && platform.system && platform.settings);
    EXPECT_EQ(fs::canonical(platform.nativePrefix), fs::canonical(prefix.Root()));

    // The pieces work together: this program runs natively, so it is no program of the
    // machine; its file is still seen through the prefix's z: drive.
    auto list = platform.processes->Enumerate();
    ASSERT_TRUE(list.has_value());
    auto self = std::find_if(list->begin(), list->end(), [](const ProcessInfo& p) {
      return p.pid == static_cast<uint32_t>(::getpid());
    });
    EXPECT_EQ(self, list->end());
    const std::string exe = fs::canonical("/proc/self/exe").string();
    EXPECT_EQ(platform.files->NativePath(platform.files->FromNativePath(exe)), exe);

    std::string folder = platform.system->Identity().programFolder;
    EXPECT_EQ(platform.files->NativePath(folder), fs::canonical(programFolder).string());

    ASSERT_TRUE(platform.settings->Save("Quillonet", "Settings", "chkAutoDel", "1"));
    EXPECT_TRUE(fs::exists(settingsFolder + "/Quillonet.ini"));
  }
  fs::remove_all(settingsFolder);
}

TEST(PosixPlatform, ProgramFilesAreReadOnAPrefixWithoutZ) {
  test::TempPrefix prefix;
  fs::remove(prefix.Root() + "/dosdevices/z:");
  const std::string programFolder = prefix.Root() + "-program";
  fs::create_directories(programFolder + "/sub");
  { std::ofstream(programFolder + "/Localization.txt") << "[English]"; }
  { std::ofstream(prefix.Root() + "-secret.txt") << "host"; }
  PlatformOptions options;
  options.prefix = prefix.Root();
  options.settingsFolder = prefix.Root() + "-settings";
  options.programFolder = programFolder;
  {
    Platform platform = CreatePlatform(options);
    const std::string folder = platform.system->Identity().programFolder;
    EXPECT_EQ(folder.substr(0, 3), "Z:\\");
    EXPECT_EQ(platform.files->ReadFile(folder + "\\Localization.txt"), "[English]");
    auto entries = platform.files->List(folder);
    ASSERT_TRUE(entries.has_value());
    EXPECT_EQ(entries->size(), 2u);
    // Only the program's folder is reachable that way, and no removal may touch it.
    const std::string secret = fs::path(prefix.Root() + "-secret.txt").filename().string();
    EXPECT_FALSE(platform.files->ReadFile(folder + "\\..\\" + secret));
    EXPECT_FALSE(platform.files->ReadFile("Z:\\etc\\hostname"));
    EXPECT_EQ(platform.files->Locate(folder + "\\Localization.txt").kind, PlaceKind::Unknown);
  }
  fs::remove_all(programFolder);
  fs::remove(prefix.Root() + "-secret.txt");
  fs::remove_all(prefix.Root() + "-settings");
}

TEST(PosixPlatform, SettingsGoUnderTheUserConfigurationFolderByDefault) {
  test::TempPrefix prefix;
  std::string config = prefix.Root() + "-config";
  {
    test::ScopedEnv configHome("XDG_CONFIG_HOME", config);
    PlatformOptions options;
    options.prefix = prefix.Root();
    Platform platform = CreatePlatform(options);
    EXPECT_TRUE(platform.settings->Save("Quillonet", "Settings", "k", "v"));
  }

  EXPECT_TRUE(fs::exists(config + "/quillonet/Quillonet.ini"));
  fs::remove_all(config);
}

}  // namespace
}  // namespace quill::platform
