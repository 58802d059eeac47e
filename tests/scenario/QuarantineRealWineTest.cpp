// Removal and restore on a real prefix, checked with Wine's own registry tools: the exports
// bring back every value when Wine imports them, and so does our restore; a restore is
// refused, and writes nothing, while a wineserver holds the registry.
#include <gtest/gtest.h>

#include <filesystem>
#include <random>

#include "platform/posix/WineRegistry.h"
#include "support/CliRunner.h"
#include "support/RealWinePrefix.h"

namespace quill::test {
namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;

constexpr const char* kKey = "HKCU\\Software\\QuillonetTest";

class QuarantineRealWine : public ::testing::Test {
 protected:
  void SetUp() override {
    QUILL_REQUIRE_REAL_WINE();
    dir_ = fs::temp_directory_path() / ("quill-qwine-" + std::to_string(std::random_device{}()));
    fs::create_directories(dir_);
    prefix_ = RealWinePrefix::CopyTo(dir_.string());
    ASSERT_FALSE(prefix_.empty());
  }
  void TearDown() override {
    if (dir_.empty()) return;
    if (!prefix_.empty()) RealWinePrefix::RunWine(prefix_, "wineserver -k 2>/dev/null; true");
    std::error_code ec;
    fs::remove_all(dir_, ec);
  }

  CliRunner::Outcome Cli(std::vector<std::string> args) {
    args.insert(args.begin(), {"--prefix", prefix_});
    return cli_.Run(args);
  }
  std::string Wine(const std::string& command, int expected = 0) {
    std::string out;
    EXPECT_EQ(RealWinePrefix::RunWine(prefix_, command, &out), expected) << command << "\n" << out;
    return out;
  }
  // What Wine sees of the key: `reg query` output, and `reg export` (UTF-16, exact for text
  // outside ASCII, which the console output cannot show).
  std::string Query() {
    const fs::path file = dir_ / "snapshot.reg";
    std::error_code ec;
    fs::remove(file, ec);
    const std::string shown =
        Wine(std::string("wine reg query '") + kKey + "' /s && wine reg export '" + kKey + "' " +
             RealWinePrefix::ShellQuote(file.string()) + " /y >/dev/null");
    return shown + CliRunner::ReadAll(file);
  }
  void RemoveWithScan() {
    const auto o = Cli({"scan", "smart", "--remove"});
    ASSERT_EQ(o.status, 0) << o.out << o.err;
    Wine(std::string("wine reg query '") + kKey + "'", 1);
  }

  fs::path dir_;
  std::string prefix_;
  CliRunner cli_;
};

TEST_F(QuarantineRealWine, ExportsAndRestoreBringBackEveryValueAndRestoreWaitsForTheServer) {
  // A key the starter definitions name, holding every kind of value, a default value,
  // subkeys (one empty), text outside ASCII and text with a line break.
  Wine(std::string("set -e\nk='") + kKey +
       "'\n"
       "wine reg add \"$k\" /v TestValue /d 'test data' /f\n"
       "wine reg add \"$k\" /ve /d 'the default' /f\n"
       "wine reg add \"$k\" /v Count /t REG_DWORD /d 305419896 /f\n"
       "wine reg add \"$k\" /v Big /t REG_QWORD /d 1234567890123 /f\n"
       "wine reg add \"$k\" /v List /t REG_MULTI_SZ /d 'a\\0b\\0caf\xC3\xA9' /f\n"
       "wine reg add \"$k\" /v Path /t REG_EXPAND_SZ /d '%SystemRoot%\\x' /f\n"
       "wine reg add \"$k\" /v Blob /t REG_BINARY /d 0102ff /f\n"
       "wine reg add \"$k\" /v Lines /d \"$(printf 'line one\\r\\nline two')\" /f\n"
       "wine reg add \"$k\" /v 'Na\xC3\xAFve' /d 'Gr\xC3\xBC\xC3\x9F\x65 \"q\" \\x' /f\n"
       "wine reg add \"$k\\Sub\\Deep\" /v s /d 'sub text' /f\n"
       "wine reg add \"$k\\Sub\" /v N /t REG_NONE /f\n"
       "wine reg add \"$k\\Empty\" /f\n");
  {
    platform::posix::WineRegistry reg(prefix_);
    ASSERT_EQ(reg.SetValue(platform::RootKey::CurrentUser, "Software\\QuillonetTest\\Sub", "Odd",
                           {0x20000, "\x01\x02"}),
              platform::RegStatus::Ok);
  }
  const std::string before = Query();
  ASSERT_NE(before.find("line two"), std::string::npos) << before;
  ASSERT_NE(before.find("N\0a\0\xEF\0v\0e\0"s), std::string::npos) << before;
  ASSERT_EQ(
      Cli({"stage-definitions", std::string(QUILL_SOURCE_DIR) + "/resources/definitions"}).status,
      0);

  // Wine's importer reads our exports back to exactly what was there.
  RemoveWithScan();
  Wine(
      "for f in \"$WINEPREFIX\"/drive_c/users/*/AppData/Roaming/QuillonetDAT/quarantine/*.reg; do "
      "wine reg import \"$f\" || exit 1; done");
  EXPECT_EQ(Query(), before);

  // Removed again; while a wineserver serves the prefix the restore is refused and writes
  // nothing.
  RemoveWithScan();
  const auto listed = Cli({"quarantine", "list"});
  ASSERT_EQ(listed.status, 0) << listed.err;
  const auto rows = text::SplitLines(listed.out);
  ASSERT_GE(rows.size(), 4u) << listed.out;
  std::string out;
  ASSERT_EQ(RealWinePrefix::RunWine(prefix_, "wineserver -p", &out, false), 0) << out;
  const std::string hive = CliRunner::ReadAll(fs::path(prefix_) / "user.reg");
  auto refused = Cli({"quarantine", "restore", "--all"});
  EXPECT_EQ(refused.status, 1);
  EXPECT_NE(refused.err.find("wineserver"), std::string::npos) << refused.out << refused.err;
  EXPECT_EQ(CliRunner::ReadAll(fs::path(prefix_) / "user.reg"), hive);
  Wine("wineserver -k");
  EXPECT_EQ(Cli({"quarantine", "list"}).out.find("restored to HKEY"), std::string::npos);

  // With the server gone, the restore command brings it all back.
  auto restored = Cli({"quarantine", "restore", "--all"});
  EXPECT_EQ(restored.status, 0) << restored.out << restored.err;
  EXPECT_EQ(Query(), before);
  EXPECT_EQ(Cli({"quarantine", "restore", "1"}).status, 1);
  EXPECT_EQ(Cli({"quarantine", "restore", "x"}).status, 2);
  EXPECT_EQ(Cli({"quarantine", "restore"}).status, 2);
}

}  // namespace
}  // namespace quill::test
