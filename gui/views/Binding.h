#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <map>
#include <set>
#include <string>

#include "forms/Control.h"

class QAbstractButton;
class QCheckBox;
class QComboBox;
class QDateTimeEdit;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QProgressBar;
class QRadioButton;
class QWidget;

namespace quill::gui {

/// UTF-8 model text to Qt and back.
QString Q(const std::string& s);
std::string S(const QString& s);
/// A caption for display: CR LF as line feeds.
QString DisplayText(const std::string& s);

/// Binds widgets to a window's controls both ways: every change of a control repaints its
/// widget (caption, enabled, visible, font, value), and every user action on the widget calls
/// the control's user entry point. One binder per window; it also hands out the keyboard
/// mnemonics of the window's buttons, so that a language switch keeps them unique.
///
/// Bindings are never undone: a window's view lives exactly as long as its form.
class Binder : public QObject {
  Q_OBJECT

 public:
  explicit Binder(QObject* parent = nullptr) : QObject(parent) {}

  /// Caption, visibility, enabled state and font. With a buddy, the label gets a mnemonic
  /// that focuses the buddy.
  void Label(forms::Control& c, QLabel* w, QWidget* buddy = nullptr);
  /// A button: caption with a mnemonic; a click calls the control's Click().
  void Button(forms::Control& c, QAbstractButton* w);
  void Check(forms::CheckBox& c, QCheckBox* w);
  void Option(forms::OptionButton& c, QRadioButton* w);
  void Group(forms::Control& c, QGroupBox* w);
  void Progress(forms::ProgressBar& c, QProgressBar* w);
  void Text(forms::TextBox& c, QLineEdit* w);
  /// A read-only multi-line text (the report).
  void Text(forms::TextBox& c, QPlainTextEdit* w);
  void Combo(forms::ComboBox& c, QComboBox* w);
  void Picker(forms::DTPicker& c, QDateTimeEdit* w);
  /// Visible and enabled state only.
  void State(forms::Control& c, QWidget* w);

  /// The caption with a mnemonic that no other widget of this window uses ("&" escaped).
  QString WithMnemonic(const void* key, const std::string& caption);

 private:
  void ApplyCommon(forms::Control& c, QWidget* w);
  std::map<const void*, QChar> mnemonics_;
};

}  // namespace quill::gui
