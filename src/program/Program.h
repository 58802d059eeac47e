#pragma once

#include <memory>
#include <string>
#include <vector>

#include "core/ProgramContext.h"
#include "definitions/PathTokens.h"

namespace quill {

class clsLanguages;
class DefinitionSet;
struct DefinitionHooks;
class ExclusionList;
class LiveUpdate;
class ProtectedFloor;

/// The program without its windows: the context every subsystem shares, with the tables,
/// lists and engines that live until the process ends. The command line runs on it as it is;
/// the desktop program's application object adds the windows.
class Program : public ProgramContext {
 public:
  Program(forms::Host& host, platform::Platform& platform);
  ~Program() override;

  PathTokens& Tokens() override { return tokens_; }
  clsLanguages& Catalog() override { return *catalog_; }
  DefinitionSet& Definitions() override;
  ExclusionList& Exclusions() override { return *exclusions_; }
  ProtectedFloor& Floor() override;
  void RefreshFloor() override;
  /// The Live Update engine: one per process, so that only one run goes at a time.
  LiveUpdate& Updater() { return *updater_; }

  std::string Msg(const std::string& key) override;

  /// Ends the program: the host leaves its event loop.
  void End();
  bool Ended() const { return ended_; }

 protected:
  /// What the definition tables do while they load and search: by default they only keep the
  /// event loop going. Asked once, when the tables are first used.
  virtual DefinitionHooks MakeDefinitionHooks();

 private:
  PathTokens tokens_;
  std::unique_ptr<clsLanguages> catalog_;
  std::unique_ptr<DefinitionSet> definitions_;
  std::unique_ptr<ExclusionList> exclusions_;
  std::unique_ptr<ProtectedFloor> floor_;
  std::unique_ptr<LiveUpdate> updater_;
  bool ended_ = false;
};

}  // namespace quill
