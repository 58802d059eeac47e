#include "views/ListModel.h"

#include <QHeaderView>

#include "views/Binding.h"

namespace quill::gui {

ListModel::ListModel(forms::ListView& list, IconFor icons, QObject* parent)
    : QAbstractTableModel(parent), list_(list), icons_(std::move(icons)) {
  columns_ = std::max(1, list_.ColumnCount());
  list_.SubscribeRows([this](const forms::ListChange& change) { OnChange(change); });
}

void ListModel::Detach() {
  if (detached_) return;
  beginResetModel();
  detached_ = true;
  endResetModel();
}

int ListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() || detached_ ? 0 : list_.Count();
}

int ListModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : columns_;
}

QVariant ListModel::data(const QModelIndex& index, int role) const {
  // Rows are checked against the list itself: Qt may ask while a change is being announced.
  if (detached_ || !index.isValid() || index.row() >= list_.Count()) return {};
  const auto& item = list_.Item(index.row());
  const int column = index.column();
  switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole: {
      const std::string& text = column == 0 ? item.text : item.SubItem(column);
      return DisplayText(text);
    }
    case Qt::DecorationRole:
      if (column == 0 && icons_ && item.smallIcon > 0) return icons_(item.smallIcon);
      return {};
    case Qt::CheckStateRole:
      if (column == 0 && list_.CheckBoxes()) return item.checked ? Qt::Checked : Qt::Unchecked;
      return {};
    default:
      return {};
  }
}

bool ListModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (detached_ || role != Qt::CheckStateRole || !index.isValid() || index.column() != 0)
    return false;
  if (index.row() >= list_.Count()) return false;
  const bool checked = value.toInt() == Qt::Checked;
  list_.UserCheck(index.row(), checked);
  return true;
}

Qt::ItemFlags ListModel::flags(const QModelIndex& index) const {
  if (detached_ || !index.isValid()) return Qt::NoItemFlags;
  Qt::ItemFlags f = Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
  if (list_.Enabled()) f |= Qt::ItemIsEnabled;
  if (index.column() == 0 && list_.CheckBoxes()) f |= Qt::ItemIsUserCheckable;
  return f;
}

QVariant ListModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (detached_ || orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
  if (section < 0 || section >= list_.ColumnCount()) return {};
  return DisplayText(list_.Column(section + 1).text);
}

void ListModel::OnChange(const forms::ListChange& change) {
  if (detached_) return;
  // The list has already changed when it tells us; each announcement is made whole at once.
  switch (change.kind) {
    case forms::ListChange::RowAdded:
      beginInsertRows({}, change.index, change.index);
      endInsertRows();
      break;
    case forms::ListChange::RowRemoved:
      beginRemoveRows({}, change.index, change.index);
      endRemoveRows();
      break;
    case forms::ListChange::RowChanged:
      emit dataChanged(index(change.index, 0), index(change.index, columns_ - 1));
      break;
    case forms::ListChange::Cleared:
    case forms::ListChange::Reordered:
      beginResetModel();
      endResetModel();
      emit columnsChanged();
      break;
    case forms::ListChange::ColumnsChanged: {
      const int count = std::max(1, list_.ColumnCount());
      if (count != columns_) {
        beginResetModel();
        columns_ = count;
        endResetModel();
      } else {
        emit headerDataChanged(Qt::Horizontal, 0, columns_ - 1);
      }
      emit columnsChanged();
      break;
    }
  }
}

// ---- ListWidget ---------------------------------------------------------------------------------

ListWidget::ListWidget(forms::ListView& list, ListModel::IconFor icons, int twipsPerPixel,
                       QWidget* parent)
    : QTreeView(parent), list_(list), twipsPerPixel_(std::max(1, twipsPerPixel)) {
  model_ = new ListModel(list, std::move(icons), this);
  setModel(model_);
  setRootIsDecorated(false);
  setUniformRowHeights(true);
  setAlternatingRowColors(true);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setAllColumnsShowFocus(true);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setTextElideMode(Qt::ElideMiddle);
  auto* head = header();
  head->setSectionsClickable(true);
  head->setSortIndicatorShown(false);
  head->setStretchLastSection(true);
  head->setHighlightSections(false);

  connect(head, &QHeaderView::sectionClicked, this, [this](int section) {
    list_.UserColumnClick(section);
    ApplyColumns();
  });
  connect(this, &QTreeView::doubleClicked, this, [this](const QModelIndex& index) {
    if (index.isValid()) list_.UserDoubleClick(index.row());
  });
  connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this,
          [this](const QModelIndex& current) {
            if (model_->Detached()) return;
            if (current.isValid() && current.row() < list_.Count() &&
                !list_.Item(current.row()).selected)
              list_.SetSelected(current.row(), true);
          });
  connect(head, &QHeaderView::sectionResized, this, [this](int section, int, int size) {
    if (applying_ || model_->Detached() || section >= list_.ColumnCount()) return;
    // Not the stretched last column: its width follows the window, not the user.
    if (section == list_.ColumnCount() - 1) return;
    applying_ = true;
    list_.SetColumnWidth(section + 1, size * twipsPerPixel_);
    applying_ = false;
  });
  connect(model_, &ListModel::columnsChanged, this, [this] { ApplyColumns(); });
  // Space ticks the current row, as in the platform's check-box lists.
  ApplyColumns();
  list_.Changed().Subscribe([this] {
    setVisible(list_.Visible());
    setEnabled(list_.Enabled());
  });
  setVisible(list_.Visible());
  setEnabled(list_.Enabled());
}

void ListWidget::SetUnsizedWidths(std::vector<int> widths) {
  unsized_ = std::move(widths);
  ApplyColumns();
}

QModelIndex ListWidget::IndexOf(int row, int column) const {
  return model_->index(row, column);
}

void ListWidget::ApplyColumns() {
  if (applying_ || model_->Detached()) return;
  applying_ = true;
  auto* head = header();
  for (int n = 1; n < list_.ColumnCount(); ++n) {
    const int width = list_.Column(n).width;
    const bool unsized =
        width == forms::ColumnHeader{}.width && static_cast<size_t>(n) <= unsized_.size();
    head->resizeSection(n - 1, unsized ? unsized_[static_cast<size_t>(n - 1)]
                                       : std::max(40, width / twipsPerPixel_));
  }
  if (list_.Sorted()) {
    head->setSortIndicatorShown(true);
    head->setSortIndicator(list_.SortKey(), list_.GetSortOrder() == forms::SortOrder::Ascending
                                                ? Qt::AscendingOrder
                                                : Qt::DescendingOrder);
  } else {
    head->setSortIndicatorShown(false);
  }
  applying_ = false;
}

}  // namespace quill::gui
