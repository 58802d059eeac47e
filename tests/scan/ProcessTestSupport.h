#pragma once

#include <algorithm>
#include <cstdint>
#include <memory>
#include <optional>
#include <set>
#include <vector>

#include "platform/Platform.h"
#include "platform/Processes.h"
#include "platform/System.h"

namespace quill::test {

/// The machine's real process list narrowed to the children a test started, so that other
/// programs starting and ending on the machine cannot change what a test sees, and a test
/// can never stop a process it does not own.
class OnlyTheseProcesses : public platform::Processes {
 public:
  explicit OnlyTheseProcesses(std::unique_ptr<platform::Processes> real) : real_(std::move(real)) {}

  /// Replaces the platform's process service with a narrowed one; returns it.
  static OnlyTheseProcesses& Install(platform::Platform& platform) {
    auto narrowed = std::make_unique<OnlyTheseProcesses>(std::move(platform.processes));
    auto& ref = *narrowed;
    platform.processes = std::move(narrowed);
    return ref;
  }

  void Allow(uint32_t pid) { allowed_.insert(pid); }
  /// The list as the system gives it, minus everything not allowed.
  std::optional<std::vector<platform::ProcessInfo>> Enumerate() override {
    if (failing_) return std::nullopt;
    auto all = real_->Enumerate();
    if (!all) return all;
    std::vector<platform::ProcessInfo> kept;
    for (auto& info : *all)
      if (allowed_.count(info.pid) != 0) kept.push_back(std::move(info));
    return kept;
  }
  bool Terminate(uint32_t pid, uint32_t exitCode) override {
    return allowed_.count(pid) != 0 && real_->Terminate(pid, exitCode);
  }
  bool WaitForExit(uint32_t pid, int timeoutMs) override {
    return real_->WaitForExit(pid, timeoutMs);
  }
  /// Makes the list unreadable, as when the system refuses it.
  void SetFailing(bool failing) { failing_ = failing; }

 private:
  std::unique_ptr<platform::Processes> real_;
  std::set<uint32_t> allowed_;
  bool failing_ = false;
};

/// The real system service with the platform family reported as another one.
class SystemOfFamily : public platform::System {
 public:
  SystemOfFamily(std::unique_ptr<platform::System> real, int platformId)
      : real_(std::move(real)), platformId_(platformId) {}
  static void Install(platform::Platform& platform, int platformId) {
    platform.system = std::make_unique<SystemOfFamily>(std::move(platform.system), platformId);
  }

  platform::OsVersion Version() override {
    auto v = real_->Version();
    v.platformId = platformId_;
    return v;
  }
  platform::ProgramIdentity Identity() override { return real_->Identity(); }
  bool AcquireSingleInstance() override { return real_->AcquireSingleInstance(); }
  bool HasSystemRestore() override { return real_->HasSystemRestore(); }
  std::optional<int64_t> BeginRestorePoint(const std::string& description, int type) override {
    return real_->BeginRestorePoint(description, type);
  }
  bool EndRestorePoint(int64_t sequence) override { return real_->EndRestorePoint(sequence); }
  bool CallLibraryRegistration(const std::string& path, bool unregister) override {
    return real_->CallLibraryRegistration(path, unregister);
  }

 private:
  std::unique_ptr<platform::System> real_;
  int platformId_;
};

}  // namespace quill::test
