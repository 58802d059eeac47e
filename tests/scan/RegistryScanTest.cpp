#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/Application.h"
#include "app/FrmMain.h"
#include "definitions/DefinitionSet.h"
#include "definitions/ExclusionList.h"
#include "platform/Registry.h"
#include "scan/RegistryScan.h"
#include "scan/ScanInputs.h"
#include "support/AppFixture.h"

namespace quill {
namespace {

using platform::RootKey;

class RegistryScanTest : public ::testing::Test {
 protected:
  void SetUp() override { fx_.Start(); }

  platform::Registry& Reg() { return fx_.App().Registry(); }
  FrmMain& Main() { return fx_.Main(); }
  Application& App() { return fx_.App(); }

  void SetValue(RootKey root, const std::string& key, const std::string& name,
                const platform::RegValue& value) {
    ASSERT_EQ(Reg().CreateKey(root, key), platform::RegStatus::Ok) << key;
    ASSERT_EQ(Reg().SetValue(root, key, name, value), platform::RegStatus::Ok) << name;
  }

  /// Runs the stage over these definitions as a scan does.
  void Scan(const std::vector<std::string>& lines) {
    fx_.WriteDefinitions("RegistryDefinition.dat", lines);
    App().Definitions().CountDefinitions();
    App().Definitions().LoadProtectedList();
    Main().Scan().counters.Reset();
    Main().Scan().StopRequested = false;
    Main().Scan().StageLabel = "Registry: ";
    Main().Scan().running = true;
    RegistryScanStage(ScanInputsOf(App()), Main());
  }

  const forms::ListView& Progress() { return Main().lvwSpywareFound; }
  const forms::ListView& Results() { return Main().lvwPicRemoveListOfSpywareFoundAndToBeRemoved; }
  std::vector<Finding> Pending() { return fx_.Pending(); }
  static uint32_t Root(RootKey root) { return static_cast<uint32_t>(root); }

  test::AppFixture fx_;
};

TEST_F(RegistryScanTest, OnlyTextAndNumberValuesCountAndLocationsJoinWithoutSeparator) {
  const std::string key = "Software\\QuillReg";
  SetValue(RootKey::CurrentUser, key, "Str", platform::MakeSz("text"));
  SetValue(RootKey::CurrentUser, key, "Num", platform::MakeDword(7));
  SetValue(RootKey::CurrentUser, key, "Exp", {2, "%windir%"});
  SetValue(RootKey::CurrentUser, key, "Bin", {3, std::string("\x01\x02\x00", 3)});
  SetValue(RootKey::CurrentUser, key, "Multi", {7, std::string("a\0b\0", 4)});

  Scan({"1^Software\\QuillReg^Str=Str Threat", "1^Software\\QuillReg^Num=Num Threat",
        "1^Software\\QuillReg^Exp=Exp Threat", "1^Software\\QuillReg^Bin=Bin Threat",
        "1^Software\\QuillReg^Multi=Multi Threat", "1^Software\\QuillReg^Absent=Gone Threat"});

  EXPECT_EQ(Main().Scan().counters.RegistryInspected, 6);
  EXPECT_EQ(Main().Scan().counters.TracesFound, 3);
  EXPECT_EQ(Main().lbltracesFound.Caption(), "3");
  ASSERT_EQ(Results().Count(), 3);
  ASSERT_EQ(Progress().Count(), 3);
  ASSERT_EQ(Pending().size(), 3u);
  const std::vector<std::string> names{"Str Threat", "Num Threat", "Exp Threat"};
  const std::vector<std::string> values{"Str", "Num", "Exp"};
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(Results().Item(i).text, names[static_cast<size_t>(i)]);
    EXPECT_EQ(Results().Item(i).smallIcon, kItemRegistry);
    EXPECT_EQ(Results().Item(i).SubItem(1),
              "HKEY_CURRENT_USER\\Software\\QuillReg" + values[static_cast<size_t>(i)]);
    EXPECT_EQ(Progress().Item(i).text, names[static_cast<size_t>(i)]);
    EXPECT_EQ(Progress().Item(i).smallIcon, kItemRegistry);
    EXPECT_EQ(Pending()[i].rootHandle, Root(RootKey::CurrentUser));
    EXPECT_EQ(Pending()[i].keyPath, key);
    EXPECT_EQ(Pending()[i].valueName, values[static_cast<size_t>(i)]);
    EXPECT_EQ(Pending()[i].threat, names[static_cast<size_t>(i)]);
  }
}

TEST_F(RegistryScanTest, RootCodesEmptyRootsAndDamagedLinesAreHandledLineByLine) {
  ASSERT_EQ(Reg().CreateKey(RootKey::CurrentConfig, "Software\\QuillConfig"),
            platform::RegStatus::Ok);
  ASSERT_EQ(Reg().CreateKey(RootKey::LocalMachine, "Software\\QuillMachine"),
            platform::RegStatus::Ok);

  Scan({"4^Software\\QuillConfig^=Config Threat",    // HKEY_CURRENT_CONFIG
        "6^Software\\QuillConfig^=Root Six",         // no such root: skipped, not counted
        " ^Software\\QuillConfig^=No Root",          // empty root: skipped, not counted
        "2^Software\\QuillMachine^ Machine Threat",  // no "=": damaged
        "2^Software\\QuillMachine=Two Fields",       // one "^" only: damaged
        "2^^=Whole Root",                            // a whole root is never a target
        std::string("\x01\xff\x80garbage^^^===", 15), "2^Software\\QuillMachine^=Machine Threat"});

  EXPECT_EQ(Main().Scan().counters.RegistryInspected, 2);
  ASSERT_EQ(Results().Count(), 2);
  EXPECT_EQ(Results().Item(0).text, "Config Threat");
  EXPECT_EQ(Results().Item(0).SubItem(1), "HKEY_CURRENT_CONFIG\\Software\\QuillConfig");
  EXPECT_EQ(Pending()[0].rootHandle, Root(RootKey::CurrentConfig));
  EXPECT_EQ(Pending()[0].valueName, "");
  EXPECT_EQ(Results().Item(1).text, "Machine Threat");
  EXPECT_EQ(Results().Item(1).SubItem(1), "HKEY_LOCAL_MACHINE\\Software\\QuillMachine");
  EXPECT_EQ(Pending()[1].rootHandle, Root(RootKey::LocalMachine));
}

TEST_F(RegistryScanTest, EmptyNamesTypesAndExclusions) {
  SetValue(RootKey::CurrentUser, "Software\\QuillA", "Silent", platform::MakeSz("x"));
  SetValue(RootKey::CurrentUser, "Software\\QuillB", "Typed", platform::MakeSz("x"));
  SetValue(RootKey::CurrentUser, "Software\\QuillC", "Kept", platform::MakeSz("x"));
  ASSERT_EQ(Reg().CreateKey(RootKey::CurrentUser, "Software\\QuillD"), platform::RegStatus::Ok);
  App().Exclusions().AddExclusion("hkey_current_user\\software\\quillc");

  Scan({"1^Software\\QuillA^Silent=   ", "1^Software\\QuillB^Typed=Typed Threat|Adware",
        "1^Software\\QuillC^Kept=Kept Threat", "1^Software\\QuillD^="});

  // The nameless value: it waits for removal and counts on the traces label, but has no row.
  ASSERT_EQ(Pending().size(), 3u);
  EXPECT_EQ(Pending()[0].keyPath, "Software\\QuillA");
  EXPECT_EQ(Pending()[0].valueName, "Silent");
  EXPECT_EQ(Main().lbltracesFound.Caption(), "3");
  EXPECT_EQ(Main().Scan().counters.TracesFound, 2);

  // The type after "|" goes to the results list's Type column.
  ASSERT_EQ(Results().Count(), 2);
  EXPECT_EQ(Results().Item(0).text, "Typed Threat");
  EXPECT_EQ(Results().Item(0).SubItem(2), "Adware");
  EXPECT_EQ(Pending()[1].threat, "Typed Threat");

  // A value excluded by its key: one "EXCLUDED" row and nothing else.
  ASSERT_EQ(Progress().Count(), 3);
  EXPECT_EQ(Progress().Item(0).text, "Typed Threat");
  EXPECT_EQ(Progress().Item(1).text, "EXCLUDED");
  EXPECT_EQ(Progress().Item(1).smallIcon, kItemExcluded);
  EXPECT_EQ(Progress().Item(1).SubItem(1), "HKEY_CURRENT_USER\\Software\\QuillCKept");

  // The nameless key: "RegKey " + key path in the progress list, the key path as the result.
  EXPECT_EQ(Progress().Item(2).text, "RegKey Software\\QuillD");
  EXPECT_EQ(Progress().Item(2).smallIcon, 0);
  EXPECT_EQ(Progress().Item(2).SubItem(1), "HKEY_CURRENT_USER\\Software\\QuillD");
  EXPECT_EQ(Results().Item(1).text, "Software\\QuillD");
  EXPECT_EQ(Results().Item(1).smallIcon, kItemRegistry);
  EXPECT_EQ(Pending()[2].keyPath, "Software\\QuillD");
}

TEST_F(RegistryScanTest, ProtectedKeysAreNotReportedAndStopEndsBeforeTheNextLine) {
  ASSERT_EQ(Reg().CreateKey(RootKey::CurrentUser, "Software\\QuillE"), platform::RegStatus::Ok);
  ASSERT_EQ(Reg().CreateKey(RootKey::CurrentUser, "Software\\QuillF"), platform::RegStatus::Ok);
  ASSERT_EQ(Reg().CreateKey(RootKey::CurrentUser, "Software"), platform::RegStatus::Ok);
  fx_.WriteDefinitions("Safety.dat", {"SREG|UserSoftware=Software|1^Software"});
  // The first hit asks to stop: the second key is never looked at.
  fx_.Host().EveryDoEvents([this] {
    if (Results().Count() > 0) Main().Scan().StopRequested = true;
  });

  Scan({"1^Software^=Software Itself", "1^Software\\QuillE^=First", "1^Software\\QuillF^=Second"});

  ASSERT_EQ(Results().Count(), 1);
  EXPECT_EQ(Results().Item(0).text, "First");
  EXPECT_EQ(Main().Scan().counters.RegistryInspected, 2);
}

TEST_F(RegistryScanTest, MissingDefinitionFileCountsNothing) {
  fx_.WriteDefinitions("RegistryDefinition.dat", {});
  ASSERT_TRUE(App().Files().DeleteFile(App().DataFile("RegistryDefinition.dat")));
  Main().Scan().counters.Reset();
  RegistryScanStage(ScanInputsOf(App()), Main());
  EXPECT_EQ(Main().Scan().counters.RegistryInspected, 0);
  EXPECT_EQ(Progress().Count(), 0);
}

TEST(RegistryExistence, KeysAndValuesOpenWithTheScannersRights) {
  test::AppFixture fx;
  auto& reg = fx.App().Registry();
  ASSERT_EQ(reg.CreateKey(RootKey::CurrentUser, "Software\\QuillG"), platform::RegStatus::Ok);
  ASSERT_EQ(reg.SetValue(RootKey::CurrentUser, "Software\\QuillG", "", platform::MakeSz("d")),
            platform::RegStatus::Ok);
  EXPECT_TRUE(KeyExists(reg, RootKey::CurrentUser, "Software\\QuillG"));
  EXPECT_TRUE(KeyExists(reg, RootKey::CurrentUser, "software\\quillg"));
  EXPECT_FALSE(KeyExists(reg, RootKey::CurrentUser, "Software\\QuillG\\Below"));
  EXPECT_TRUE(ValueExists(reg, RootKey::CurrentUser, "Software\\QuillG", ""));
  EXPECT_FALSE(ValueExists(reg, RootKey::CurrentUser, "Software\\QuillG", "Other"));
  EXPECT_FALSE(ValueExists(reg, RootKey::CurrentUser, "Software\\Absent", ""));
}

}  // namespace
}  // namespace quill
