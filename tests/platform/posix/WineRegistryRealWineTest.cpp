// Our view of the registry against Wine's own, on a real prefix made by wineboot.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include "base/Text.h"
#include "platform/posix/Hive.h"
#include "platform/posix/HiveFile.h"
#include "platform/posix/WineRegistry.h"
#include "platform/posix/WineServer.h"
#include "support/RealWinePrefix.h"

namespace quill::platform::posix {
namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;
using quill::test::RealWinePrefix;

constexpr uint32_t T(RegType t) {
  return static_cast<uint32_t>(t);
}

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

// `reg query` output with CRs removed and runs of blanks folded to one space.
std::string Folded(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '\r') continue;
    if ((c == ' ' || c == '\t') && !out.empty() && out.back() == ' ') continue;
    out += c == '\t' ? ' ' : c;
  }
  return out;
}

class RealWineRegistryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    QUILL_REQUIRE_REAL_WINE();
    dir_ = fs::temp_directory_path() / ("quill-realwine-" + std::to_string(std::random_device{}()));
    fs::create_directories(dir_);
    prefix_ = RealWinePrefix::CopyTo(dir_.string());
    ASSERT_FALSE(prefix_.empty()) << "could not copy the prefix";
  }
  void TearDown() override {
    if (dir_.empty()) return;
    if (!prefix_.empty()) RealWinePrefix::RunWine(prefix_, "wineserver -k 2>/dev/null; true");
    std::error_code ec;
    fs::remove_all(dir_, ec);
  }

  fs::path dir_;
  std::string prefix_;
};

TEST_F(RealWineRegistryTest, ValuesWineAddsAreReadBack) {
  std::string out;
  const int status = RealWinePrefix::RunWine(
      prefix_,
      "set -e\n"
      "k='HKCU\\Software\\Quill Added'\n"
      "wine reg add \"$k\" /v Text /t REG_SZ /d 'hello \"w\\orld\" caf\xC3\xA9' /f\n"
      "wine reg add \"$k\" /v Count /t REG_DWORD /d 305419896 /f\n"
      "wine reg add \"$k\" /v List /t REG_MULTI_SZ /d 'a\\0b' /f\n"
      "wine reg add \"$k\" /v Path /t REG_EXPAND_SZ /d '%SystemRoot%\\x' /f\n"
      "wine reg add \"$k\" /v Blob /t REG_BINARY /d 0102ff /f\n"
      "wine reg add \"$k\\Sub\" /ve /d 'default' /f\n"
      "wine reg add 'HKLM\\Software\\Quill Added' /v Machine /d yes /f\n",
      &out);
  ASSERT_EQ(status, 0) << out;
  WineRegistry reg(prefix_);
  const std::string key = "Software\\Quill Added";
  EXPECT_EQ(reg.QueryValue(RootKey::CurrentUser, key, "Text")->data,
            "hello \"w\\orld\" caf\xC3\xA9");
  EXPECT_EQ(reg.QueryValue(RootKey::CurrentUser, key, "Count")->data, MakeDword(305419896).data);
  const auto list = reg.QueryValue(RootKey::CurrentUser, key, "List");
  EXPECT_EQ(list->type, T(RegType::MultiSz));
  EXPECT_EQ(list->data, "a\0b\0"s);
  EXPECT_EQ(reg.QueryValue(RootKey::CurrentUser, key, "Path")->type, T(RegType::ExpandSz));
  EXPECT_EQ(reg.QueryValue(RootKey::CurrentUser, key, "Path")->data, "%SystemRoot%\\x");
  EXPECT_EQ(reg.QueryValue(RootKey::CurrentUser, key, "Blob")->data, "\x01\x02\xff");
  EXPECT_EQ(reg.QueryValue(RootKey::CurrentUser, key + "\\Sub", "")->data, "default");
  EXPECT_EQ(reg.QueryValue(RootKey::LocalMachine, key, "Machine")->data, "yes");
  // Keys of a real prefix the scanner relies on.
  EXPECT_EQ(
      reg.OpenKey(RootKey::LocalMachine, "Software\\Microsoft\\Windows\\CurrentVersion", kKeyRead),
      RegStatus::Ok);
  EXPECT_EQ(reg.OpenKey(RootKey::ClassesRoot, "CLSID", kKeyRead), RegStatus::Ok);
  EXPECT_TRUE(reg.QueryValue(
      RootKey::CurrentUser, "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders",
      "AppData"));
  EXPECT_EQ(reg.OpenKey(RootKey::Users, ".Default\\Software", kKeyRead), RegStatus::Ok);
}

TEST_F(RealWineRegistryTest, ValuesWeWriteAreSeenByWine) {
  std::string out;
  ASSERT_EQ(RealWinePrefix::RunWine(
                prefix_, "wine reg add 'HKCU\\Software\\Quill Doomed\\Deep' /v x /d 1 /f", &out),
            0)
      << out;
  {
    WineRegistry reg(prefix_);
    const std::string key = "Software\\Quill Ours";
    ASSERT_EQ(reg.CreateKey(RootKey::CurrentUser, key + "\\Sub"), RegStatus::Ok);
    ASSERT_EQ(reg.SetValue(RootKey::CurrentUser, key, "Text", MakeSz("say \"hi\" \\ caf\xC3\xA9")),
              RegStatus::Ok);
    ASSERT_EQ(reg.SetValue(RootKey::CurrentUser, key, "Count", MakeDword(0x2a)), RegStatus::Ok);
    ASSERT_EQ(reg.SetValue(RootKey::CurrentUser, key, "List", {T(RegType::MultiSz), "a\0b\0"s}),
              RegStatus::Ok);
    ASSERT_EQ(reg.SetValue(RootKey::CurrentUser, key, "Path", {T(RegType::ExpandSz), "%TEMP%\\q"}),
              RegStatus::Ok);
    ASSERT_EQ(reg.SetValue(RootKey::CurrentUser, key, "Blob", {T(RegType::Binary), "\x01\xab"}),
              RegStatus::Ok);
    ASSERT_EQ(reg.CreateKey(RootKey::LocalMachine, "Software\\Quill Ours"), RegStatus::Ok);
    ASSERT_EQ(reg.SetValue(RootKey::ClassesRoot, ".quill", "", MakeSz("quillfile")),
              RegStatus::NotFound);
    ASSERT_EQ(reg.CreateKey(RootKey::ClassesRoot, ".quill"), RegStatus::Ok);
    ASSERT_EQ(reg.SetValue(RootKey::ClassesRoot, ".quill", "", MakeSz("quillfile")), RegStatus::Ok);
    // Something to remove, as a removal would.
    ASSERT_EQ(reg.DeleteKeyTree(RootKey::CurrentUser, "Software\\Quill Doomed"), RegStatus::Ok);
  }
  ASSERT_EQ(RealWinePrefix::RunWine(
                prefix_,
                "wine reg query 'HKCU\\Software\\Quill Ours'\n"
                "echo \"== hkcr $(wine reg query 'HKCR\\.quill' /ve)\"\n"
                "wine reg query 'HKLM\\Software\\Quill Ours' >/dev/null 2>&1; echo \"== hklm $?\"\n"
                "wine reg query 'HKCU\\Software\\Quill Doomed' >/dev/null 2>&1; "
                "echo \"== doomed $?\"\n",
                &out),
            0)
      << out;
  const std::string folded = Folded(out);
  // (reg prints through the console code page, so only the ASCII part is compared.)
  EXPECT_NE(folded.find(" Text REG_SZ say \"hi\" \\ caf"), std::string::npos) << folded;
  EXPECT_NE(folded.find(" Count REG_DWORD 0x2a\n"), std::string::npos) << folded;
  EXPECT_NE(folded.find(" List REG_MULTI_SZ a\\0b\n"), std::string::npos) << folded;
  EXPECT_NE(folded.find(" Path REG_EXPAND_SZ %TEMP%\\q\n"), std::string::npos) << folded;
  EXPECT_NE(folded.find(" Blob REG_BINARY 01AB\n"), std::string::npos) << folded;
  EXPECT_NE(folded.find("HKEY_CURRENT_USER\\Software\\Quill Ours\\Sub"), std::string::npos)
      << folded;
  EXPECT_NE(folded.find("REG_SZ quillfile"), std::string::npos) << folded;
  EXPECT_NE(folded.find("== hklm 0\n"), std::string::npos) << folded;
  EXPECT_EQ(folded.find("== doomed 0\n"), std::string::npos) << folded;
  EXPECT_NE(folded.find("== doomed "), std::string::npos) << folded;
}

TEST_F(RealWineRegistryTest, RealHivesAreReadCompletelyAndRewrittenByteForByte) {
  for (const char* name : {"system.reg", "user.reg", "userdef.reg"}) {
    SCOPED_TRACE(name);
    const std::string text = ReadFile(fs::path(prefix_) / name);
    ASSERT_FALSE(text.empty());
    const detail::Hive hive(detail::ParseHive(text));
    EXPECT_TRUE(hive.Complete());
    EXPECT_EQ(hive.Text(), text);
    // Our writer produces exactly Wine's line for every value it reads back (text types that
    // Wine had to store as hex because they lacked their terminating zero excepted).
    size_t values = 0;
    for (const detail::HiveBlock& block : hive.Document().blocks) {
      EXPECT_EQ(detail::FormatKeyText(block.path),
                block.lines[0].raw.substr(0, block.keyTextLength));
      for (const detail::HiveLine& line : block.lines) {
        if (line.kind != detail::HiveLine::Kind::Value) continue;
        const uint32_t t = line.value.type;
        const bool text = t == 1 || t == 2 || t == 7;
        if (text && line.raw.find("=hex(") != std::string::npos) continue;
        ++values;
        EXPECT_EQ(detail::FormatValueLine(line.name, line.value), line.raw);
      }
    }
    EXPECT_GT(values, 10u);
  }

  // A set to the current content writes nothing; a change and its undoing leave every line
  // but the key's timestamps as they were.
  const fs::path file = fs::path(prefix_) / "system.reg";
  const std::string before = ReadFile(file);
  struct stat st0 = {};
  ASSERT_EQ(::stat(file.c_str(), &st0), 0);
  WineRegistry reg(prefix_);
  const std::string key = "Software\\Microsoft\\Windows NT\\CurrentVersion";
  const auto current = reg.QueryValue(RootKey::LocalMachine, key, "CurrentVersion");
  ASSERT_TRUE(current);
  ASSERT_EQ(reg.SetValue(RootKey::LocalMachine, key, "CurrentVersion", *current), RegStatus::Ok);
  struct stat st1 = {};
  ASSERT_EQ(::stat(file.c_str(), &st1), 0);
  EXPECT_EQ(st1.st_ino, st0.st_ino);
  EXPECT_EQ(ReadFile(file), before);

  ASSERT_EQ(reg.SetValue(RootKey::LocalMachine, key, "Quill", MakeSz("x")), RegStatus::Ok);
  ASSERT_EQ(reg.DeleteValue(RootKey::LocalMachine, key, "Quill"), RegStatus::Ok);
  const std::string after = ReadFile(file);
  const std::vector<std::string> a = text::SplitLines(before);
  const std::vector<std::string> b = text::SplitLines(after);
  ASSERT_EQ(a.size(), b.size());
  size_t differing = 0;
  for (size_t i = 0; i < a.size(); ++i) {
    if (a[i] == b[i]) continue;
    ++differing;
    EXPECT_TRUE(
        text::StartsWith(b[i], "[Software\\\\Microsoft\\\\Windows NT\\\\CurrentVersion] ") ||
        text::StartsWith(b[i], "#time="))
        << b[i];
  }
  EXPECT_LE(differing, 2u);
}

TEST_F(RealWineRegistryTest, RunningWineServerBlocksWrites) {
  std::string out;
  ASSERT_EQ(RealWinePrefix::RunWine(prefix_, "wineserver -p", &out, false), 0) << out;
  EXPECT_TRUE(WineServerRunning(prefix_));
  const std::string before = ReadFile(fs::path(prefix_) / "user.reg");
  {
    WineRegistry reg(prefix_);
    EXPECT_EQ(reg.CreateKey(RootKey::CurrentUser, "Software\\Quill Blocked"),
              RegStatus::AccessDenied);
    EXPECT_EQ(reg.OpenKey(RootKey::CurrentUser, "Software", kKeyAllAccess),
              RegStatus::AccessDenied);
    EXPECT_EQ(reg.OpenKey(RootKey::CurrentUser, "Software", kKeyRead), RegStatus::Ok);
  }
  EXPECT_EQ(ReadFile(fs::path(prefix_) / "user.reg"), before);
  ASSERT_EQ(RealWinePrefix::RunWine(prefix_, "wineserver -k", &out), 0) << out;
  EXPECT_FALSE(WineServerRunning(prefix_));
  WineRegistry reg(prefix_);
  EXPECT_EQ(reg.CreateKey(RootKey::CurrentUser, "Software\\Quill Blocked"), RegStatus::Ok);
}

}  // namespace
}  // namespace quill::platform::posix
