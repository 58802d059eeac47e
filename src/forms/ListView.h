#pragma once

#include <functional>
#include <string>
#include <vector>

#include "forms/Control.h"

namespace quill::forms {

/// One row of a report-style list: text, sub-items (column 2 on), small-icon number, tick.
struct ListItem {
  std::string text;
  std::vector<std::string> subItems;
  int smallIcon = 0;
  bool checked = false;
  bool selected = false;
  /// What the row shows, by its index in the owner's model (-1: nothing, a row put in as it is).
  int tag = -1;

  /// Sub-item n (1-based, as the lists name them); "" when absent.
  const std::string& SubItem(int n) const;
  void SetSubItem(int n, const std::string& value);
};

struct ColumnHeader {
  std::string text;
  int width = 1400;  // twips
};

enum class SortOrder { Ascending, Descending };

/// What changed in a list, so that a view can update one row instead of all of them.
struct ListChange {
  enum Kind { RowAdded, RowChanged, RowRemoved, Cleared, Reordered, ColumnsChanged } kind;
  int index = -1;  // 0-based row index for row changes
};

/// Report-style list view with check boxes. Rows are 0-based in this interface.
class ListView : public Control {
 public:
  ListView(Form& owner, std::string name, std::vector<std::string> columns = {},
           bool checkBoxes = false);

  // Columns
  int ColumnCount() const { return static_cast<int>(columns_.size()); }
  /// Columns are numbered from 1, as the translation keys number them.
  ColumnHeader& Column(int n) { return columns_.at(static_cast<size_t>(n - 1)); }
  const ColumnHeader& Column(int n) const { return columns_.at(static_cast<size_t>(n - 1)); }
  void SetColumnText(int n, const std::string& text);
  void SetColumnWidth(int n, int width);
  /// Keeps the first `count` columns, or adds columns headed `text` up to `count`.
  void SetColumnCount(int count, const std::string& text = {});
  bool CheckBoxes() const { return checkBoxes_; }

  // Rows
  int Count() const { return static_cast<int>(items_.size()); }
  const ListItem& Item(int index) const { return items_.at(static_cast<size_t>(index)); }
  const std::vector<ListItem>& Items() const { return items_; }
  /// Adds a row and returns its index (when the list is sorted, the sorted position).
  int Add(ListItem item);
  int Add(const std::string& text, int smallIcon = 0, std::vector<std::string> subItems = {});
  void Remove(int index);
  /// Removes every row for which pred is true; keeps the order of the rest.
  void RemoveIf(const std::function<bool(const ListItem&)>& pred);
  void Clear();
  void SetText(int index, const std::string& text);
  void SetSubItem(int index, int n, const std::string& value);
  void SetSmallIcon(int index, int icon);
  /// Changes a tick from code; does not raise the item-check handler.
  void SetChecked(int index, bool checked);
  void SetSelected(int index, bool selected);
  /// A user's click on a row's check box: flips the tick, then raises the item-check handler.
  void UserCheck(int index, bool checked);
  /// A user's click on a column header (0-based column): raises the column-click handler.
  void UserColumnClick(int column);
  /// A user's double-click on a row (0-based): selects it and raises the double-click handler.
  void UserDoubleClick(int index);
  /// The selected row, or -1.
  int SelectedIndex() const;

  // Sorting: the list's own text comparison (case-insensitive, as the common control does).
  bool Sorted() const { return sorted_; }
  void SetSorted(bool sorted);
  int SortKey() const { return sortKey_; }
  void SetSortKey(int key);
  SortOrder GetSortOrder() const { return sortOrder_; }
  void SetSortOrder(SortOrder order);

  void OnItemCheck(std::function<void(int)> handler) { onItemCheck_ = std::move(handler); }
  void OnColumnClick(std::function<void(int)> handler) { onColumnClick_ = std::move(handler); }
  void OnDoubleClick(std::function<void(int)> handler) { onDoubleClick_ = std::move(handler); }

  /// Fine-grained change notifications (the plain Changed() signal fires as well).
  int SubscribeRows(std::function<void(const ListChange&)> slot);
  void UnsubscribeRows(int token);

 private:
  void Resort();
  void Notify(ListChange change);
  std::vector<ColumnHeader> columns_;
  std::vector<ListItem> items_;
  bool checkBoxes_;
  bool sorted_ = false;
  int sortKey_ = 0;
  SortOrder sortOrder_ = SortOrder::Ascending;
  std::function<void(int)> onItemCheck_;
  std::function<void(int)> onColumnClick_;
  std::function<void(int)> onDoubleClick_;
  std::vector<std::pair<int, std::function<void(const ListChange&)>>> rowSlots_;
  int nextRowSlot_ = 1;
};

}  // namespace quill::forms
