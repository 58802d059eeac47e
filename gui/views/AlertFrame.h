#pragma once

class QPushButton;
class QVBoxLayout;
class QWidget;

namespace quill::gui {

/// The shape both shield alerts share: the shield beside a text column, and two answer buttons
/// at the bottom right, the first one the default. Returns the text column to fill.
QVBoxLayout* BuildAlertFrame(QWidget& window, QPushButton* first, QPushButton* second);

}  // namespace quill::gui
