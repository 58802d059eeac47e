#include "program/Program.h"

#include "core/Settings.h"
#include "definitions/DefinitionSet.h"
#include "definitions/ExclusionList.h"
#include "definitions/LiveUpdate.h"
#include "definitions/ProtectedFloor.h"
#include "localization/MessageCatalog.h"

namespace quill {

Program::Program(forms::Host& host, platform::Platform& platform)
    : ProgramContext(host, platform), tokens_(*platform.shell) {
  catalog_ = std::make_unique<clsLanguages>(Files(), Identity().programFolder, brand);
  exclusions_ = std::make_unique<ExclusionList>(
      Files(), [this] { return dataFolder; }, [this] { Host().DoEvents(); });
  updater_ = std::make_unique<LiveUpdate>(*this);
}

Program::~Program() = default;

DefinitionHooks Program::MakeDefinitionHooks() {
  DefinitionHooks hooks;
  hooks.yield = [this] { Host().DoEvents(); };
  return hooks;
}

DefinitionSet& Program::Definitions() {
  // Made on first use, once start-up has fixed the data folder.
  if (!definitions_)
    definitions_ =
        std::make_unique<DefinitionSet>(Files(), dataFolder, tokens_, MakeDefinitionHooks());
  return *definitions_;
}

ProtectedFloor& Program::Floor() {
  if (!floor_) {
    floor_ = std::make_unique<ProtectedFloor>(Files(), Shell());
    RefreshFloor();
  }
  return *floor_;
}

void Program::RefreshFloor() {
  if (!floor_) floor_ = std::make_unique<ProtectedFloor>(Files(), Shell());
  floor_->Refresh(dataFolder, Identity().programFolder);
}

std::string Program::Msg(const std::string& key) {
  return catalog_->getMessages(key);
}

void Program::End() {
  ended_ = true;
  Host().Quit();
}

}  // namespace quill
