// The results list of the main window: category filling, sorting, ticks passed on to the
// pending findings, and browsing to the items found.
#include <exception>

#include "app/Application.h"
#include "app/FrmMain.h"
#include "base/Text.h"
#include "platform/Registry.h"
#include "results/CategoryWords.h"
#include "results/Finding.h"

namespace quill {

std::string FrmMain::EnglishType(const std::string& shown) {
  return quill::EnglishType(app_.Messages(), shown);
}

std::string FrmMain::TypeWords(const std::string& type) {
  return quill::TypeWords(app_.Messages(), type);
}

void FrmMain::FillCategories() {
  auto& results = lvwPicRemoveListOfSpywareFoundAndToBeRemoved;
  const MessageLookup msg = app_.Messages();
  for (int i = 0; i < results.Count(); ++i) {
    CategoryWords words;
    if (!CategoryWordsOf(msg, results.Item(i).SubItem(2), words)) continue;
    if (!words.type.empty()) results.SetSubItem(i, 2, words.type);
    results.SetSubItem(i, 3, words.risk);
    results.SetSubItem(i, 4, words.details);
  }
  // The findings carry the words their rows show, for the report and the command line.
  for (const auto& row : results.Items()) {
    if (!findings_.Contains(row.tag)) continue;
    Finding& finding = findings_.At(row.tag);
    finding.threatType = row.SubItem(2);
    finding.risk = row.SubItem(3);
    finding.details = row.SubItem(4);
  }
}

std::vector<std::string> FrmMain::ResultTypesInEnglish() {
  std::vector<std::string> types;
  for (const auto& row : lvwPicRemoveListOfSpywareFoundAndToBeRemoved.Items())
    types.push_back(EnglishType(row.SubItem(2)));
  return types;
}

void FrmMain::RefillCategories(const std::vector<std::string>& englishTypes) {
  auto& results = lvwPicRemoveListOfSpywareFoundAndToBeRemoved;
  bool filled = false;
  for (int i = 0; i < results.Count() && i < static_cast<int>(englishTypes.size()); ++i) {
    filled = filled || !results.Item(i).SubItem(3).empty();
    results.SetSubItem(i, 2, TypeWords(englishTypes[static_cast<size_t>(i)]));
  }
  if (filled) FillCategories();
}

bool FrmMain::EnhListView_SortColumns(forms::ListView& list, int column, bool showErrors) {
  if (list.Count() == 0) return true;
  try {
    if (!list.Sorted()) list.SetSorted(true);
    list.SetSortKey(column);
    list.SetSortOrder(list.GetSortOrder() == forms::SortOrder::Ascending
                          ? forms::SortOrder::Descending
                          : forms::SortOrder::Ascending);
    return true;
  } catch (const std::exception& e) {
    if (showErrors)
      GetHost().MsgBox(std::string("Error") + "0" + "\t" + e.what(), forms::MsgBoxButtons::OkOnly,
                       forms::MsgBoxIcon::Information,
                       "Error in Function : EnhListView_SortColumns");
    return false;
  }
}

void FrmMain::lvwPicRemoveListOfSpywareFoundAndToBeRemoved_ItemCheck(int row) {
  PropagateCheck(row);
}

void FrmMain::PropagateCheck(int row) {
  const auto& item = lvwPicRemoveListOfSpywareFoundAndToBeRemoved.Item(row);
  findings_.TickWith(item.tag, item.checked);
  ShowPendingFindings();
}

bool FrmMain::BrowseRow(int row, bool minimized) {
  if (row < 0 || row >= lvwPicRemoveListOfSpywareFoundAndToBeRemoved.Count()) return false;
  const auto& item = lvwPicRemoveListOfSpywareFoundAndToBeRemoved.Item(row);
  auto& shell = app_.Shell();
  if (item.smallIcon == kItemRegistry)
    return shell.Execute("regedit.exe", platform::ShowStyle::MinimizedFocus);
  std::string folder = item.SubItem(1);
  if (!text::EndsWith(folder, "\\")) folder = text::UpToLastBackslash(folder);
  return shell.Execute("explorer.exe " + folder, minimized ? platform::ShowStyle::MinimizedFocus
                                                           : platform::ShowStyle::NormalFocus);
}

void FrmMain::lvwPicRemoveListOfSpywareFoundAndToBeRemoved_DblClick(int row) {
  BrowseRow(row, false);
}

void FrmMain::cmdSelectAll_Click() {
  TickAllResults();
}

void FrmMain::TickAllResults() {
  auto& results = lvwPicRemoveListOfSpywareFoundAndToBeRemoved;
  for (int i = 0; i < results.Count(); ++i) {
    if (results.Item(i).checked) continue;
    results.SetChecked(i, true);
    findings_.TickWith(results.Item(i).tag, true);
  }
  ShowPendingFindings();
}

void FrmMain::cmdBrowse_Click() {
  BrowseTickedRows();
}

void FrmMain::BrowseTickedRows() {
  auto& results = lvwPicRemoveListOfSpywareFoundAndToBeRemoved;
  int opened = 0;
  bool agreed = false;
  for (int i = 0; i < results.Count(); ++i) {
    if (!results.Item(i).checked) continue;
    BrowseRow(i, true);
    ++opened;
    if (opened < 6 || agreed) continue;
    auto answer = GetHost().MsgBox(
        "You have selected to browse more than 5 items at a time.  This can slow down your "
        "computer.  Are you sure you want to continue?",
        forms::MsgBoxButtons::OkCancel, forms::MsgBoxIcon::None, app_.brand.programName);
    if (answer != forms::MsgBoxResult::Ok) return;
    agreed = true;
  }
}

void FrmMain::BumpTracesLabel(int n) {
  lbltracesFound.SetCaption(std::to_string(text::Val(lbltracesFound.Caption()) + n));
}

// The hidden list of its kind shows a pending finding, ticked as it is.
void FrmMain::ShowPending(int index) {
  const Finding& finding = findings_.At(index);
  forms::ListItem row;
  row.text = finding.location;
  row.checked = finding.ticked;
  row.tag = index;
  if (finding.kind == FindingKind::Cookie) {
    lvwCookiesToDelete.Add(std::move(row));
  } else if (finding.IsRegistry()) {
    row.text = platform::RootHandleText(static_cast<platform::RootKey>(finding.rootHandle));
    row.subItems = {finding.keyPath, finding.valueName, finding.threat};
    lvwRegistryToBeDeleted.Add(std::move(row));
  } else {
    row.subItems = {finding.threat};
    lvwFilesToBeDeleted.Add(std::move(row));
  }
}

void FrmMain::ShowPendingFindings() {
  for (auto* list : {&lvwFilesToBeDeleted, &lvwRegistryToBeDeleted, &lvwCookiesToDelete})
    list->Clear();
  for (int i = 0; i < findings_.Count(); ++i)
    if (findings_.At(i).pending) ShowPending(i);
}

void FrmMain::ShowFinding(int index) {
  const Finding& finding = findings_.At(index);
  if (finding.pending) {
    ShowPending(index);
    if (finding.kind != FindingKind::Cookie) BumpTracesLabel();
  }
  // A value no threat is named for is removed with the rest, but shown nowhere.
  const bool shown = finding.kind != FindingKind::RegistryValue ||
                     finding.state != FindingState::Found || finding.Listed();
  if (shown) {
    // The list's own words and sentences in the user's language; names as they are.
    const std::string textKey = finding.ProgressTextKey();
    const std::string detailKey = finding.ProgressDetailKey();
    const std::string text = textKey.empty()
                                 ? finding.ProgressText()
                                 : Words(app_.Messages(), textKey, finding.ProgressText());
    const std::string sentence = detailKey.empty() ? std::string() : app_.Msg(detailKey);
    const std::string detail = sentence.empty()
                                   ? finding.ProgressDetail()
                                   : text::ReplaceAll(sentence, "[Program]", finding.location);
    lvwSpywareFound.Add(text, finding.ProgressIcon(), {detail});
  }
  if (!finding.Listed()) return;
  forms::ListItem row;
  row.text = finding.name;
  row.smallIcon = finding.ResultIcon();
  row.subItems = {finding.location};
  if (!finding.threatType.empty()) row.subItems.push_back(TypeWords(finding.threatType));
  row.tag = index;
  lvwPicRemoveListOfSpywareFoundAndToBeRemoved.Add(std::move(row));
}

std::vector<int> FrmMain::ShownFindings() const {
  std::vector<int> shown;
  for (const auto& row : lvwPicRemoveListOfSpywareFoundAndToBeRemoved.Items())
    if (findings_.Contains(row.tag)) shown.push_back(row.tag);
  return shown;
}

void FrmMain::SetShownState(const std::function<bool(const forms::ListItem&)>& pred,
                            FindingState state) {
  for (const auto& row : lvwPicRemoveListOfSpywareFoundAndToBeRemoved.Items())
    if (findings_.Contains(row.tag) && pred(row)) findings_.At(row.tag).state = state;
}

}  // namespace quill
