#pragma once

#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/Application.h"
#include "app/FrmMain.h"
#include "platform/Registry.h"
#include "platform/System.h"
#include "support/AppFixture.h"
#include "support/TestPlatform.h"

namespace quill::test {

/// The fixture's system services with System Restore switched on and a chosen version
/// (2.5.1 to begin with), so the restore-point steps can be watched on a machine that has none.
inline FakeSystem& InstallRestoreCapableSystem(AppFixture& f) {
  auto& system = FakeSystem::Install(f.Platform());
  system.version = platform::OsVersion{2, 5, 1};
  system.hasRestore = true;
  return system;
}

/// A started program with a fixed clock (3/5/2024 2:07:09 PM).
inline void StartAt(AppFixture& f) {
  f.Host().SetNow(datetime::LocalDateTime{2024, 3, 5, 14, 7, 9});
  f.Start();
}

inline constexpr const char* kStamp = "3/5/2024 2:07:09 PM";

/// A file or folder hit in all the lists the scanners fill (results row text = threat name;
/// every file of one threat follows its tick).
inline void AddFileHit(FrmMain& main, const std::string& path, const std::string& threat,
                       bool folder = false) {
  Finding hit;
  hit.kind = folder ? FindingKind::Folder : FindingKind::File;
  hit.name = hit.threat = threat;
  hit.location = path;
  hit.threatType = "Adware";
  main.Findings().Add(hit);
}

/// A registry hit: a value, or the whole key when valueName is empty.
inline void AddRegistryHit(FrmMain& main, platform::RootKey root, const std::string& keyPath,
                           const std::string& valueName, const std::string& threat) {
  Finding hit;
  hit.kind = valueName.empty() ? FindingKind::RegistryKey : FindingKind::RegistryValue;
  hit.name = hit.threat = threat;
  hit.location =
      platform::RootName(root) + "\\" + keyPath + (valueName.empty() ? "" : "\\" + valueName);
  hit.rootHandle = static_cast<uint32_t>(root);
  hit.keyPath = keyPath;
  hit.valueName = valueName;
  hit.threatType = "Adware";
  main.Findings().Add(hit);
}

/// A cookie hit.
inline void AddCookieHit(FrmMain& main, const std::string& path) {
  Finding hit;
  hit.kind = FindingKind::Cookie;
  hit.name = "Cookie: " + path.substr(path.rfind('\\') + 1);
  hit.location = path;
  hit.threatType = "Tracking Cookie";
  main.Findings().Add(hit);
}

/// "Repair Now" answered Yes.
inline void RepairNow(AppFixture& f) {
  f.Host().QueueMsgBox(forms::MsgBoxResult::Yes);
  f.Main().Command4_Click();
}

/// The whole file at a Windows path, or empty when it cannot be read.
inline std::optional<std::string> Read(AppFixture& f, const std::string& path) {
  return f.App().Files().ReadFile(path);
}

inline bool Exists(AppFixture& f, const std::string& path) {
  return f.App().Files().Attributes(path).has_value();
}

/// The file record the quarantine log holds for one saved file.
inline std::string FileRecord(const std::string& savedName, const std::string& location) {
  return std::string(kStamp) + " - File: " + savedName + "\r\n - Location: " + location +
         "\r\n\r\n\r\n";
}

inline std::string RegistryRecord(const std::string& key, const std::string& value) {
  return std::string(kStamp) + " - Key: " + key + "\r\nValue: " + value + "\r\n\r\n\r\n";
}

}  // namespace quill::test
