#pragma once

#include <QAbstractTableModel>
#include <QIcon>
#include <QTreeView>
#include <functional>
#include <vector>

#include "forms/ListView.h"

namespace quill::gui {

/// A Qt table over a list view's rows. The model's fine-grained change notifications become
/// row insertions, removals and changes, so a scan that adds thousands of rows repaints one
/// row at a time. The tick of a check-box list is column 0's check state; ticking calls the
/// list's UserCheck.
class ListModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  /// Icon of a row by its small-icon number.
  using IconFor = std::function<QIcon(int)>;
  ListModel(forms::ListView& list, IconFor icons, QObject* parent = nullptr);

  forms::ListView& List() { return list_; }
  /// The list is being destroyed: from now on the table is empty and never reads it again.
  void Detach();
  bool Detached() const { return detached_; }

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role) override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

 signals:
  /// Column texts, widths or the sort state changed.
  void columnsChanged();

 private:
  void OnChange(const forms::ListChange& change);
  forms::ListView& list_;
  IconFor icons_;
  int columns_ = 1;
  bool detached_ = false;
};

/// The widget of a list view: a flat, sortable table bound to a ListModel. A click on a
/// column header calls the list's UserColumnClick (the model sorts), a double-click its
/// UserDoubleClick, the current row becomes the list's selected row, and resizing a column
/// stores its width in the list.
class ListWidget : public QTreeView {
  Q_OBJECT

 public:
  ListWidget(forms::ListView& list, ListModel::IconFor icons, int twipsPerPixel,
             QWidget* parent = nullptr);
  ListModel* Model() const { return model_; }
  /// Screen rectangle-free helpers for tests: the visual row of a model row.
  QModelIndex IndexOf(int row, int column = 0) const;
  /// Pixel widths for the columns whose stored width is still the list's default.
  void SetUnsizedWidths(std::vector<int> widths);

 private:
  void ApplyColumns();
  ListModel* model_;
  forms::ListView& list_;
  int twipsPerPixel_;
  bool applying_ = false;
  std::vector<int> unsized_;
};

}  // namespace quill::gui
