#include "core/Settings.h"

#include <gtest/gtest.h>

#include "support/TestPlatform.h"

namespace quill::settings {
namespace {

class SettingsTest : public ::testing::Test {
 protected:
  // What every earlier version wrote, by section and key.
  void Plant(const char* section, const std::string& key, const std::string& text) {
    backing_.Save("Quillonet", section, key, text);
  }
  std::string Raw(const char* section, const std::string& key) {
    return backing_.Get("Quillonet", section, key, "<absent>");
  }
  test::FakeSettingsStore backing_;
  Store store_{backing_, "Quillonet"};
};

TEST_F(SettingsTest, TextsStoredByEarlierVersionsReadBackAndMissingKeysGiveTheirDefaults) {
  EXPECT_TRUE(Read(store_, ShowHelp));
  EXPECT_TRUE(Read(store_, AutomaticUpdate));
  EXPECT_FALSE(ReadIfStored(store_, AutomaticUpdate).has_value());
  EXPECT_FALSE(Read(store_, Minimized));
  EXPECT_TRUE(Read(store_, Drive("D")));
  EXPECT_EQ(Read(store_, FoundColumnWidth(4)), 1400);
  EXPECT_EQ(Read(store_, Language), "English");
  EXPECT_EQ(Read(store_, ScheduleTime), "Null");
  EXPECT_EQ(Read(store_, RemovedTotal), 0);

  Plant(kGeneral, "showHelp", "0");
  Plant(kGeneral, "Max", "1");
  Plant(kGeneral, "Minimized", "Yes");
  Plant(kGeneral, "Language", "Deutsch");
  Plant(kGeneral, "lblDefRemoved", "12");
  Plant(kGeneral, "FoundCol23", "2100");
  Plant(kGeneral, "lblLastScan", "3/4/2025 1:02:03 PM");
  Plant(kOptions, "chkAutomaticUpdate", "0");
  Plant(kOptions, "optMemorySheildOn", "False");
  Plant(kOptions, "Day", "3");
  Plant(kDrives, "C", "False");
  EXPECT_FALSE(Read(store_, ShowHelp));
  EXPECT_TRUE(Read(store_, Maximized));
  EXPECT_TRUE(Read(store_, Minimized));
  EXPECT_EQ(Read(store_, Language), "Deutsch");
  EXPECT_EQ(Read(store_, RemovedTotal), 12);
  EXPECT_EQ(Read(store_, FoundColumnWidth(3)), 2100);
  EXPECT_EQ(Read(store_, LastScan), "3/4/2025 1:02:03 PM");
  EXPECT_EQ(ReadIfStored(store_, AutomaticUpdate), false);
  EXPECT_FALSE(Read(store_, MemoryShieldOn));
  EXPECT_EQ(ReadIfStored(store_, ScheduleDay), 3);
  EXPECT_FALSE(Read(store_, Drive("C")));
}

TEST_F(SettingsTest, EachFormWritesTheTextsEarlierVersionsWroteAndReadsThemBack) {
  Write(store_, Minimized, true);
  Write(store_, Running, false);
  Write(store_, ShowUpdated, false);
  Write(store_, Restart, true);
  Write(store_, SweepMemory, false);
  Write(store_, Drive("E:"), false);
  Write(store_, FoundColumnWidth(2), 1500);
  Write(store_, RemovedTotal, 7);
  Write(store_, ScheduleDate, "5/6/2025");
  EXPECT_EQ(Raw(kGeneral, "Minimized"), "Yes");
  EXPECT_EQ(Raw(kOptions, "STATUS"), "STOPPED");
  EXPECT_EQ(Raw(kOptions, "SHOW"), "false");
  EXPECT_EQ(Raw(kOptions, "RESTART"), "True");
  EXPECT_EQ(Raw(kOptions, "chkSweepMemory"), "0");
  EXPECT_EQ(Raw(kDrives, "E:"), "False");
  EXPECT_EQ(Raw(kGeneral, "FoundCol22"), "1500");
  EXPECT_EQ(Raw(kGeneral, "lblDefRemoved"), "7");
  EXPECT_EQ(Raw(kOptions, "Date"), "5/6/2025");
  Write(Store(backing_, "Quillonet2"), CompanionFile("Quill Soft"), "C:\\Q\\Q.exe");
  EXPECT_EQ(backing_.Get("Quillonet2", "Quill Soft", "File", ""), "C:\\Q\\Q.exe");
  EXPECT_TRUE(Read(store_, Minimized));
  EXPECT_FALSE(Read(store_, Running));
  EXPECT_FALSE(Read(store_, ShowUpdated));
  EXPECT_TRUE(Read(store_, Restart));
  EXPECT_FALSE(Read(store_, SweepMemory));
  EXPECT_EQ(Read(store_, FoundColumnWidth(2)), 1500);

  // The odd texts a hand-edited file may hold: word flags take "1"/"0", check boxes only 1,
  // "Yes" is exact; an empty text is a stored value, not a missing key.
  Plant(kOptions, "optIEHomePageSheildOn", "0");
  Plant(kOptions, "chkMakeLog", "True");
  Plant(kOptions, "chkScanCookies", " 1 ");
  Plant(kGeneral, "Minimized", "yes");
  Plant(kOptions, "Homepage", "");
  EXPECT_FALSE(Read(store_, HomePageShieldOn));
  EXPECT_FALSE(Read(store_, MakeLog));
  EXPECT_TRUE(Read(store_, ScanCookies));
  EXPECT_FALSE(Read(store_, Minimized));
  EXPECT_EQ(ReadIfStored(store_, Homepage), "");
}

TEST_F(SettingsTest, WriteIfChangedLeavesAnEqualStoredTextAlone) {
  WriteIfChanged(store_, AutomaticScan, true);
  WriteIfChanged(store_, AutomaticScan, true);
  WriteIfChanged(store_, ScheduleDay, 3);
  WriteIfChanged(store_, ScheduleDay, 3);
  EXPECT_EQ(backing_.saves, 2);
  WriteIfChanged(store_, AutomaticScan, false);
  EXPECT_EQ(Raw(kOptions, "chkAutomaticScanYesOrNo"), "0");
  EXPECT_EQ(backing_.saves, 3);
}

}  // namespace
}  // namespace quill::settings
