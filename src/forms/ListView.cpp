#include "forms/ListView.h"

#include <algorithm>
#include <numeric>

#include "base/Text.h"
#include "forms/Form.h"

namespace quill::forms {

const std::string& ListItem::SubItem(int n) const {
  static const std::string empty;
  if (n < 1 || static_cast<size_t>(n) > subItems.size()) return empty;
  return subItems[static_cast<size_t>(n - 1)];
}

void ListItem::SetSubItem(int n, const std::string& value) {
  if (n < 1) return;
  if (subItems.size() < static_cast<size_t>(n)) subItems.resize(static_cast<size_t>(n));
  subItems[static_cast<size_t>(n - 1)] = value;
}

namespace {

const std::string& SortText(const ListItem& item, int key) {
  return key <= 0 ? item.text : item.SubItem(key);
}

}  // namespace

ListView::ListView(Form& owner, std::string name, std::vector<std::string> columns, bool checkBoxes)
    : Control(owner, std::move(name), "ListView", {}, {}), checkBoxes_(checkBoxes) {
  for (auto& column : columns) columns_.push_back({std::move(column)});
}

void ListView::SetColumnText(int n, const std::string& text) {
  if (n < 1 || n > ColumnCount()) return;
  auto& column = columns_[static_cast<size_t>(n - 1)];
  if (column.text == text) return;
  column.text = text;
  Notify({ListChange::ColumnsChanged});
}

void ListView::SetColumnWidth(int n, int width) {
  if (n < 1 || n > ColumnCount()) return;
  auto& column = columns_[static_cast<size_t>(n - 1)];
  if (column.width == width) return;
  column.width = width;
  Notify({ListChange::ColumnsChanged});
}

void ListView::SetColumnCount(int count, const std::string& text) {
  if (count < 0 || count == ColumnCount()) return;
  columns_.resize(static_cast<size_t>(count), ColumnHeader{text});
  Notify({ListChange::ColumnsChanged});
}

int ListView::Add(ListItem item) {
  size_t pos = items_.size();
  if (sorted_) {
    // After every row that sorts equal, so that rows of the same key keep their order of
    // arrival, as a stable re-sort would leave them. Binary search: the results list is long.
    const std::string key = text::ToLower(SortText(item, sortKey_));
    const bool ascending = sortOrder_ == SortOrder::Ascending;
    auto it = std::upper_bound(items_.begin(), items_.end(), key,
                               [&](const std::string& k, const ListItem& row) {
                                 const std::string rowKey = text::ToLower(SortText(row, sortKey_));
                                 return ascending ? k < rowKey : rowKey < k;
                               });
    pos = static_cast<size_t>(it - items_.begin());
  }
  if (item.selected) {
    for (auto& row : items_) row.selected = false;
  }
  items_.insert(items_.begin() + static_cast<std::ptrdiff_t>(pos), std::move(item));
  const int index = static_cast<int>(pos);
  Notify({ListChange::RowAdded, index});
  return index;
}

int ListView::Add(const std::string& text, int smallIcon, std::vector<std::string> subItems) {
  ListItem item;
  item.text = text;
  item.smallIcon = smallIcon;
  item.subItems = std::move(subItems);
  return Add(std::move(item));
}

void ListView::Remove(int index) {
  if (index < 0 || index >= Count()) return;
  items_.erase(items_.begin() + index);
  Notify({ListChange::RowRemoved, index});
}

void ListView::RemoveIf(const std::function<bool(const ListItem&)>& pred) {
  std::vector<int> removed;
  std::vector<ListItem> kept;
  kept.reserve(items_.size());
  for (size_t i = 0; i < items_.size(); ++i) {
    if (pred(items_[i]))
      removed.push_back(static_cast<int>(i));
    else
      kept.push_back(std::move(items_[i]));
  }
  items_ = std::move(kept);
  // Highest first, so that a view removing its rows one by one stays in step.
  for (auto it = removed.rbegin(); it != removed.rend(); ++it)
    Notify({ListChange::RowRemoved, *it});
}

void ListView::Clear() {
  items_.clear();
  Notify({ListChange::Cleared});
}

void ListView::SetText(int index, const std::string& text) {
  if (index < 0 || index >= Count()) return;
  auto& row = items_[static_cast<size_t>(index)];
  if (row.text == text) return;
  row.text = text;
  Notify({ListChange::RowChanged, index});
}

void ListView::SetSubItem(int index, int n, const std::string& value) {
  if (index < 0 || index >= Count() || n < 1) return;
  auto& row = items_[static_cast<size_t>(index)];
  if (row.SubItem(n) == value && static_cast<size_t>(n) <= row.subItems.size()) return;
  row.SetSubItem(n, value);
  Notify({ListChange::RowChanged, index});
}

void ListView::SetSmallIcon(int index, int icon) {
  if (index < 0 || index >= Count()) return;
  auto& row = items_[static_cast<size_t>(index)];
  if (row.smallIcon == icon) return;
  row.smallIcon = icon;
  Notify({ListChange::RowChanged, index});
}

void ListView::SetChecked(int index, bool checked) {
  if (index < 0 || index >= Count()) return;
  auto& row = items_[static_cast<size_t>(index)];
  if (row.checked == checked) return;
  row.checked = checked;
  Notify({ListChange::RowChanged, index});
}

void ListView::SetSelected(int index, bool selected) {
  if (index < 0 || index >= Count()) return;
  // One row at a time is selected, as in a single-selection list.
  for (int i = 0; i < Count(); ++i) {
    auto& row = items_[static_cast<size_t>(i)];
    const bool want = i == index ? selected : (selected ? false : row.selected);
    if (row.selected == want) continue;
    row.selected = want;
    Notify({ListChange::RowChanged, i});
  }
}

void ListView::UserCheck(int index, bool checked) {
  if (!Enabled() || index < 0 || index >= Count()) return;
  if (items_[static_cast<size_t>(index)].checked == checked) return;
  SetChecked(index, checked);
  if (!onItemCheck_) return;
  auto handler = onItemCheck_;
  RunHandler(&Owner().GetHost(), (Owner().Name() + "." + Name() + " ItemCheck").c_str(),
             [&handler, index] { handler(index); });
}

void ListView::UserColumnClick(int column) {
  if (!Enabled() || column < 0 || column >= std::max(ColumnCount(), 1)) return;
  if (!onColumnClick_) return;
  auto handler = onColumnClick_;
  RunHandler(&Owner().GetHost(), (Owner().Name() + "." + Name() + " ColumnClick").c_str(),
             [&handler, column] { handler(column); });
}

void ListView::UserDoubleClick(int index) {
  if (!Enabled() || index < 0 || index >= Count()) return;
  SetSelected(index, true);
  if (!onDoubleClick_) return;
  auto handler = onDoubleClick_;
  RunHandler(&Owner().GetHost(), (Owner().Name() + "." + Name() + " DblClick").c_str(),
             [&handler, index] { handler(index); });
}

int ListView::SelectedIndex() const {
  for (int i = 0; i < Count(); ++i) {
    if (items_[static_cast<size_t>(i)].selected) return i;
  }
  return -1;
}

void ListView::SetSorted(bool sorted) {
  if (sorted == sorted_) return;
  sorted_ = sorted;
  Resort();
}

void ListView::SetSortKey(int key) {
  if (key < 0) key = 0;
  if (key == sortKey_) return;
  sortKey_ = key;
  Resort();
}

void ListView::SetSortOrder(SortOrder order) {
  if (order == sortOrder_) return;
  sortOrder_ = order;
  Resort();
}

int ListView::SubscribeRows(std::function<void(const ListChange&)> slot) {
  rowSlots_.emplace_back(nextRowSlot_, std::move(slot));
  return nextRowSlot_++;
}

void ListView::UnsubscribeRows(int token) {
  std::erase_if(rowSlots_, [token](const auto& s) { return s.first == token; });
}

void ListView::Resort() {
  if (!sorted_ || items_.size() < 2) {
    NotifyChanged();
    return;
  }
  // Fold each key once rather than in every comparison: the results list can be long.
  std::vector<std::string> keys;
  keys.reserve(items_.size());
  for (const auto& row : items_) keys.push_back(text::ToLower(SortText(row, sortKey_)));
  std::vector<size_t> order(items_.size());
  std::iota(order.begin(), order.end(), size_t{0});
  const bool ascending = sortOrder_ == SortOrder::Ascending;
  std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
    return ascending ? keys[a] < keys[b] : keys[b] < keys[a];
  });
  std::vector<ListItem> sortedRows;
  sortedRows.reserve(items_.size());
  for (size_t i : order) sortedRows.push_back(std::move(items_[i]));
  items_ = std::move(sortedRows);
  Notify({ListChange::Reordered});
}

void ListView::Notify(ListChange change) {
  auto slots = rowSlots_;
  for (const auto& slot : slots) slot.second(change);
  NotifyChanged();
}

}  // namespace quill::forms
