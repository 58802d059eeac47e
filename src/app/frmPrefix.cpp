#include "app/frmPrefix.h"

#include <filesystem>

#include "app/Application.h"
#include "app/FrmMain.h"
#include "platform/PrefixDiscovery.h"

namespace quill {

namespace {

bool SameFolder(const std::string& a, const std::string& b) {
  std::error_code ec;
  return a == b || std::filesystem::equivalent(a, b, ec);
}

}  // namespace

frmPrefix::frmPrefix(Application& app) : Form(app.Host(), "frmPrefix", "Wine Prefix"), app_(app) {
  OnLoad([this] { Form_Load(); });
  cmbPrefix.OnClick([this] { cmbPrefix_Click(); });
  cmdUse.OnClick([this] { cmdUse_Click(); });
  cmdCancel.OnClick([this] { Unload(); });
}

void frmPrefix::Form_Load() {
  ListPrefixes();
}

void frmPrefix::ListPrefixes() {
  lblInfo.SetCaption(app_.brand.programName +
                     " protects one Windows machine at a time: a Wine prefix. Choose the "
                     "one to protect; the program then starts again on it.");
  const std::string& current = app_.Platform().nativePrefix;
  paths_.clear();
  cmbPrefix.Clear();
  int selected = -1;
  for (const auto& found :
       platform::DiscoverPrefixes(platform::PrefixSearchPlaces::OfCurrentUser())) {
    if (SameFolder(found.path, current)) selected = static_cast<int>(paths_.size());
    paths_.push_back(found.path);
    cmbPrefix.AddItem(found.name.empty() ? found.path + " (" + found.source + ")"
                                         : found.name + " (" + found.source + ")");
  }
  // The prefix in use is always offered, even where no known place names it.
  if (selected < 0 && !current.empty()) {
    selected = static_cast<int>(paths_.size());
    paths_.push_back(current);
    cmbPrefix.AddItem(current + " (in use)");
  }
  cmbPrefix.SetListIndex(selected);
  cmbPrefix_Click();
  app_.ApplyCurrentLanguage(*this);
}

void frmPrefix::cmbPrefix_Click() {
  ShowChosenPath();
}

void frmPrefix::ShowChosenPath() {
  const int index = cmbPrefix.ListIndex();
  lblPath.SetCaption(index < 0 ? "" : paths_.at(static_cast<size_t>(index)));
}

void frmPrefix::cmdUse_Click() {
  UseChosenPrefix();
}

void frmPrefix::UseChosenPrefix() {
  const int index = cmbPrefix.ListIndex();
  if (index < 0) return;
  const std::string chosen = paths_.at(static_cast<size_t>(index));
  Unload();
  if (SameFolder(chosen, app_.Platform().nativePrefix)) return;
  app_.nextPrefix = chosen;
  app_.Main().Unload();
}

}  // namespace quill
