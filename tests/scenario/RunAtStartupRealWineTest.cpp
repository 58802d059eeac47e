// The start entry as Wine itself uses it: Wine's simulated restart (`wineboot` without
// options) runs the Run key's entries, and the one the Options page writes must start the
// program, with the prefix it protects, until the box is cleared.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

#include "app/Application.h"
#include "app/FrmMain.h"
#include "platform/posix/PosixSystem.h"
#include "support/RealWinePrefix.h"
#include "support/TestHost.h"
#include "support/TestPlatform.h"

namespace quill::test {
namespace {

namespace fs = std::filesystem;

TEST(RunAtStartupRealWine, WinesRestartStartsTheProgramUntilTheBoxIsCleared) {
  QUILL_REQUIRE_REAL_WINE();
  // Blanks in both paths: the entry must quote what Wine would otherwise split.
  const fs::path dir = MakeTempFolder("run at startup");
  const std::string prefix = RealWinePrefix::CopyTo(dir.string());
  ASSERT_FALSE(prefix.empty());
  // Stands in for the desktop program: notes each start's arguments beside itself.
  const fs::path program = dir / "program files" / "quillonet";
  const fs::path started = dir / "program files" / "started";
  fs::create_directories(program.parent_path());
  std::ofstream(program) << "#!/bin/sh\nprintf '%s|' \"$@\" >>\"$(dirname \"$0\")/started\"\n";
  fs::permissions(program, fs::perms::owner_exec, fs::perm_options::add);

  {
    TestHost host;
    auto platform = MakeTestPlatform(prefix, MakeTempFolder("settings"), (dir / "program").string(),
                                     std::make_shared<std::vector<std::string>>());
    platform.system = std::make_unique<platform::posix::PosixSystem>(
        prefix, *platform.files, (dir / "program").string(), program.string());
    Application app(host, platform);
    MarkNotFirstRun(app);
    app.Main().Load();
    app.Main().chkRunAtStartup.UserToggle();
    ASSERT_EQ(app.Main().chkRunAtStartup.Value(), 1);

    std::string out;
    ASSERT_EQ(RealWinePrefix::RunWine(prefix, "wine wineboot", &out), 0) << out;
    std::stringstream seen;
    seen << std::ifstream(started).rdbuf();
    EXPECT_EQ(seen.str(), "--prefix|" + fs::canonical(prefix).string() + "|");

    app.Main().chkRunAtStartup.UserToggle();
    fs::remove(started);
    ASSERT_EQ(RealWinePrefix::RunWine(prefix, "wine wineboot", &out), 0) << out;
    EXPECT_FALSE(fs::exists(started));
  }
  RealWinePrefix::RunWine(prefix, "wineserver -k 2>/dev/null; true");
  std::error_code ec;
  fs::remove_all(dir, ec);
}

}  // namespace
}  // namespace quill::test
