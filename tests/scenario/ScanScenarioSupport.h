#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/Application.h"
#include "app/FrmMain.h"
#include "support/AppFixture.h"

namespace quill::test {

/// A started program on a temporary prefix with definitions of the test's choosing.
class ScanScenario : public ::testing::Test {
 protected:
  AppFixture fx;

  FrmMain& Main() { return fx.Main(); }
  Application& App() { return fx.App(); }
  TestHost& Host() { return fx.Host(); }

  /// Writes the five definition files (the ones not given are empty) and an empty
  /// protected list.
  void WriteDefinitions(const std::vector<std::string>& fileLines,
                        const std::vector<std::string>& folderLines = {}) {
    fx.WriteDefinitions("FileDefinition.dat", fileLines);
    fx.WriteDefinitions("DirectoryDefinition.dat", folderLines);
    fx.WriteDefinitions("RegistryDefinition.dat", {});
    fx.WriteDefinitions("ExeDefinition.dat", {});
    fx.WriteDefinitions("BlockedCookies.dat", {});
    fx.WriteDefinitions("Safety.dat", {});
  }

  /// Drive D: of the prefix, a folder inside it.
  std::string MapDriveD() {
    std::string target = fx.Prefix().Root() + "/drive_d";
    std::error_code ec;
    std::filesystem::create_directories(target, ec);
    std::filesystem::create_directory_symlink(target, fx.Prefix().Root() + "/dosdevices/d:", ec);
    return target;
  }

  /// Z: points at the whole host; a full scan in a test must not walk it.
  void UnmapDriveZ() {
    std::error_code ec;
    std::filesystem::remove(fx.Prefix().Root() + "/dosdevices/z:", ec);
  }

  void Plant(const std::string& windowsPath, const std::string& bytes = "x") {
    ASSERT_TRUE(fx.Prefix().WriteFile(windowsPath, bytes)) << windowsPath;
  }

  void Start() {
    fx.Start();
    ASSERT_TRUE(Main().Loaded());
  }

  /// Selects a mode and presses Start.
  void Scan(int mode) {
    Main().optScan[mode].SetValue(true);
    Main().cmdScanNow_Click();
  }
  void ScanFolder(const std::string& folder) {
    Host().QueueFolder(folder);
    Scan(3);
  }

  const forms::ListView& Results() { return Main().lvwPicRemoveListOfSpywareFoundAndToBeRemoved; }

  static std::vector<std::string> Names(std::vector<std::string> names) { return names; }

  /// The findings listed for removal, in the order found.
  std::vector<Finding> Listed() {
    std::vector<Finding> listed;
    for (const Finding& f : Main().Findings().Items())
      if (f.Listed()) listed.push_back(f);
    return listed;
  }
  std::vector<std::string> ResultNames() {
    std::vector<std::string> names;
    for (const Finding& f : Listed()) names.push_back(f.name);
    return names;
  }
};

}  // namespace quill::test
