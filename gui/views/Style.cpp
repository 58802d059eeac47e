#include "views/Style.h"

#include <QApplication>
#include <QPalette>
#include <QStyleFactory>

#include "views/Artwork.h"

namespace quill::gui {

namespace {

constexpr const char* kStyleSheet = R"(
QWidget#mainWindow, QScrollArea > QWidget > QWidget { background: #f3f5f7; }
QStackedWidget#pages { background: #f3f5f7; }
QFrame#sidebar { background: #1d3547; }
QFrame#sidebar QLabel#brandName { color: #ffffff; font-size: 14pt; font-weight: 600; }
QFrame#sidebarLine { background: #35536a; }
QPushButton[nav="true"] {
  color: #dce7ef; background: transparent; border: none; border-radius: 6px;
  text-align: left; padding: 9px 14px; font-size: 10.5pt;
}
QPushButton[nav="true"]:hover { background: #284761; }
QPushButton[nav="true"]:checked { background: #2a8c82; color: #ffffff; }
QPushButton[nav="true"]:disabled { color: #6f8798; background: transparent; border: none; }
QPushButton[nav="true"]:focus { outline: none; border: 1px dotted #5fb8ae; }
QLabel[badge="true"] {
  background: #c0603a; color: white; border-radius: 9px; padding: 1px 7px;
  font-size: 9pt; font-weight: 600;
}
QLabel[pageTitle="true"] { font-size: 17pt; font-weight: 600; color: #1d3547; }
QLabel[lead="true"] { font-size: 11pt; color: #2c3e4c; }
QLabel[muted="true"] { color: #5f6f7c; }
QLabel[section="true"] { font-weight: 600; color: #1d3547; }
QLabel[figure="true"] { font-size: 12.5pt; font-weight: 600; color: #1d3547; }
QLabel[counter="true"] { font-size: 11pt; font-weight: 600; color: #1d3547; }
QLabel[bigFigure="true"] { font-size: 17pt; font-weight: 700; color: #c0603a; }
QLabel[stage="true"] { font-size: 11pt; font-weight: 600; color: #1f6d65; }
QLabel[link="true"] { color: #1f6d65; }
QLabel#stageMarker { color: #2a8c82; }
QFrame#card { background: #ffffff; border: 1px solid #dbe2e8; border-radius: 8px; }
QGroupBox {
  background: #ffffff; border: 1px solid #dbe2e8; border-radius: 8px;
  margin-top: 14px; padding: 14px 12px 10px 12px; font-weight: 600; color: #1d3547;
}
QGroupBox::title { subcontrol-origin: margin; left: 12px; padding: 0 4px; }
QGroupBox QCheckBox, QGroupBox QRadioButton, QGroupBox QLabel { font-weight: normal; color: #22313d; }
QPushButton {
  background: #ffffff; border: 1px solid #b9c5cf; border-radius: 6px; padding: 6px 14px;
  color: #1d3547;
}
QPushButton:hover { background: #eaf3f2; border-color: #2a8c82; }
QPushButton:pressed { background: #d7ebe8; }
QPushButton:disabled { color: #9aa7b1; border-color: #d5dce2; background: #f6f8f9; }
QPushButton:focus { border: 1px solid #2a8c82; }
QPushButton[primary="true"] {
  background: #2a8c82; border: 1px solid #1f6d65; color: #ffffff; padding: 7px 22px;
}
QPushButton[primary="true"]:hover { background: #23786f; }
QPushButton[primary="true"]:disabled { background: #a9cfca; border-color: #a9cfca; }
QPushButton[danger="true"]:enabled { color: #a34a27; border-color: #d9a48f; }
QPushButton[shortcut="true"] { padding: 5px 10px; }
QProgressBar {
  border: 1px solid #cfd8df; border-radius: 5px; background: #eef2f5; height: 14px;
  text-align: center; color: #1d3547;
}
QProgressBar::chunk { background: #2a8c82; border-radius: 4px; }
QTreeView {
  background: #ffffff; alternate-background-color: #f7f9fa; border: 1px solid #dbe2e8;
  border-radius: 6px; selection-background-color: #cfe7e4; selection-color: #13262f;
}
QHeaderView::section {
  background: #eef2f5; color: #1d3547; border: none; border-right: 1px solid #dbe2e8;
  border-bottom: 1px solid #dbe2e8; padding: 5px 8px; font-weight: 600;
}
QTabBar::tab {
  background: transparent; color: #4b5b68; padding: 8px 16px; border: none;
  border-bottom: 2px solid transparent;
}
QTabBar::tab:selected { color: #1d3547; border-bottom: 2px solid #2a8c82; font-weight: 600; }
QTabBar::tab:hover { color: #1d3547; }
QLineEdit {
  background: #ffffff; border: 1px solid #b9c5cf; border-radius: 5px; padding: 4px 6px;
}
QLineEdit:focus { border-color: #2a8c82; }
QComboBox, QDateTimeEdit { min-width: 150px; padding: 3px 6px; }
QWidget#splash { background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #23425a, stop:1 #16293a); }
QWidget#splash QLabel#lblProductName { color: #ffffff; font-size: 22pt; font-weight: 600; }
QWidget#notification { background: #ffffff; border: 1px solid #9fb3c2; border-top: 3px solid #2a8c82; }
QWidget#notification QLabel#notificationTitle { font-weight: 600; color: #1d3547; }
QWidget#notification QLabel#lblUpdateInfo { color: #22313d; }
QWidget#menuPopUp { background: #ffffff; border: 1px solid #9fb3c2; border-top: 3px solid #2a8c82; }
QWidget#menuPopUp QLabel#lblName { font-weight: 600; color: #1d3547; }
QWidget#menuPopUp QPushButton#lblMenuClose { border: none; background: transparent; color: #1f6d65; }
QMenuBar { background: #ffffff; border-bottom: 1px solid #dbe2e8; }
QMenuBar::item { padding: 5px 10px; background: transparent; }
QMenuBar::item:selected { background: #e3efee; }
QMenu { background: #ffffff; border: 1px solid #cfd8df; }
QMenu::item { padding: 6px 24px 6px 20px; }
QMenu::item:selected { background: #d7ebe8; color: #13262f; }
QMenu::item:disabled { color: #9aa7b1; }
QMenu::separator { height: 1px; background: #dbe2e8; margin: 4px 8px; }
)";

}  // namespace

void ApplyStyle(QApplication& qapp) {
  if (QStyle* fusion = QStyleFactory::create(QStringLiteral("Fusion"))) qapp.setStyle(fusion);
  QPalette palette = qapp.palette();
  palette.setColor(QPalette::Window, QColor("#f3f5f7"));
  palette.setColor(QPalette::Base, QColor("#ffffff"));
  palette.setColor(QPalette::Highlight, QColor("#2a8c82"));
  palette.setColor(QPalette::HighlightedText, QColor("#ffffff"));
  palette.setColor(QPalette::WindowText, QColor("#22313d"));
  palette.setColor(QPalette::Text, QColor("#22313d"));
  palette.setColor(QPalette::ButtonText, QColor("#1d3547"));
  qapp.setPalette(palette);
  qapp.setStyleSheet(QString::fromUtf8(kStyleSheet));
  qapp.setWindowIcon(artwork::AppIcon());
}

}  // namespace quill::gui
