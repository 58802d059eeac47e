#include "views/Binding.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QRadioButton>
#include <QSignalBlocker>

#include "base/DateTime.h"
#include "forms/Form.h"

namespace quill::gui {

QString Q(const std::string& s) {
  return QString::fromUtf8(s.data(), static_cast<int>(s.size()));
}

std::string S(const QString& s) {
  return s.toUtf8().toStdString();
}

QString DisplayText(const std::string& s) {
  QString text = Q(s);
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  text.replace(QChar('\r'), QChar('\n'));
  return text;
}

namespace {

// Keeps Enter in a text box for the control's key-press handler (the submission box sends on
// Enter), and passes every other key on.
class KeyPressForwarder : public QObject {
 public:
  KeyPressForwarder(forms::TextBox& box, QObject* parent) : QObject(parent), box_(box) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::KeyPress) return QObject::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
      box_.KeyPress(13);
      return true;
    }
    const QString text = key->text();
    if (text.size() == 1 && text[0].unicode() < 256) box_.KeyPress(text[0].unicode());
    return QObject::eventFilter(watched, event);
  }

 private:
  forms::TextBox& box_;
};

QDateTime NoValue() {
  return QDateTime(QDate(1899, 12, 29), QTime(0, 0));
}

QDateTime ToQt(const std::optional<std::string>& value) {
  if (!value) return NoValue();
  auto parsed = datetime::ParseGeneralDate(*value);
  if (!parsed) return NoValue();
  return QDateTime(QDate(parsed->year, parsed->month, parsed->day),
                   QTime(parsed->hour, parsed->minute, parsed->second));
}

std::optional<std::string> FromQt(const QDateTime& value) {
  if (value <= NoValue()) return std::nullopt;
  datetime::LocalDateTime dt;
  dt.year = value.date().year();
  dt.month = value.date().month();
  dt.day = value.date().day();
  dt.hour = value.time().hour();
  dt.minute = value.time().minute();
  dt.second = value.time().second();
  return datetime::GeneralDate(dt);
}

}  // namespace

QString Binder::WithMnemonic(const void* key, const std::string& caption) {
  mnemonics_.erase(key);
  const QString text = DisplayText(caption);
  std::set<QChar> taken;
  for (const auto& [k, letter] : mnemonics_) taken.insert(letter);
  int chosen = -1;
  for (int i = 0; i < text.size(); ++i) {
    const QChar c = text[i].toLower();
    if (!c.isLetterOrNumber() || taken.count(c)) continue;
    chosen = i;
    mnemonics_[key] = c;
    break;
  }
  QString out;
  out.reserve(text.size() + 2);
  for (int i = 0; i < text.size(); ++i) {
    if (i == chosen) out += QChar('&');
    out += text[i];
    if (text[i] == QChar('&')) out += QChar('&');
  }
  return out;
}

void Binder::ApplyCommon(forms::Control& c, QWidget* w) {
  w->setVisible(c.Visible());
  w->setEnabled(c.Enabled());
  QFont font = w->font();
  const auto& style = c.Font();
  font.setBold(style.bold);
  font.setItalic(style.italic);
  font.setUnderline(style.underline);
  w->setFont(font);
}

void Binder::State(forms::Control& c, QWidget* w) {
  auto apply = [this, &c, w] {
    w->setVisible(c.Visible());
    w->setEnabled(c.Enabled());
  };
  apply();
  c.Changed().Subscribe(apply);
}

void Binder::Label(forms::Control& c, QLabel* w, QWidget* buddy) {
  if (buddy) w->setBuddy(buddy);
  auto apply = [this, &c, w, buddy] {
    ApplyCommon(c, w);
    if (buddy)
      w->setText(WithMnemonic(w, c.Caption()));
    else
      w->setText(DisplayText(c.Caption()));
  };
  if (!buddy) w->setTextFormat(Qt::PlainText);
  apply();
  c.Changed().Subscribe(apply);
}

void Binder::Button(forms::Control& c, QAbstractButton* w) {
  auto apply = [this, &c, w] {
    ApplyCommon(c, w);
    w->setText(WithMnemonic(w, c.Caption()));
  };
  apply();
  c.Changed().Subscribe(apply);
  QObject::connect(w, &QAbstractButton::clicked, this, [&c] { c.Click(); });
}

void Binder::Check(forms::CheckBox& c, QCheckBox* w) {
  auto apply = [this, &c, w] {
    ApplyCommon(c, w);
    w->setText(WithMnemonic(w, c.Caption()));
    QSignalBlocker block(w);
    w->setChecked(c.Value() != 0);
  };
  apply();
  c.Changed().Subscribe(apply);
  QObject::connect(w, &QAbstractButton::clicked, this, [&c, w] {
    c.UserToggle();
    // The model decides; a handler may have put the box back.
    QSignalBlocker block(w);
    w->setChecked(c.Value() != 0);
  });
}

void Binder::Option(forms::OptionButton& c, QRadioButton* w) {
  // The model groups option buttons itself; Qt's grouping by parent would disagree.
  w->setAutoExclusive(false);
  auto apply = [this, &c, w] {
    ApplyCommon(c, w);
    w->setText(WithMnemonic(w, c.Caption()));
    QSignalBlocker block(w);
    w->setChecked(c.Value());
  };
  apply();
  c.Changed().Subscribe(apply);
  QObject::connect(w, &QAbstractButton::clicked, this, [&c, w] {
    c.UserSelect();
    QSignalBlocker block(w);
    w->setChecked(c.Value());
  });
}

void Binder::Group(forms::Control& c, QGroupBox* w) {
  auto apply = [this, &c, w] {
    w->setVisible(c.Visible());
    w->setEnabled(c.Enabled());
    w->setTitle(DisplayText(c.Caption()));
  };
  apply();
  c.Changed().Subscribe(apply);
}

void Binder::Progress(forms::ProgressBar& c, QProgressBar* w) {
  // Drive sizes in bytes do not fit Qt's int range: the bar shows per-mille of the range.
  auto apply = [this, &c, w] {
    ApplyCommon(c, w);
    const int64_t span = c.Max() - c.Min();
    w->setRange(0, 1000);
    const int64_t done = c.Value() - c.Min();
    w->setValue(span > 0 ? static_cast<int>(done * 1000 / span) : 0);
    w->setFormat(span > 0 ? QStringLiteral("%1%").arg(done * 100 / span) : QString());
  };
  apply();
  c.Changed().Subscribe(apply);
}

void Binder::Text(forms::TextBox& c, QLineEdit* w) {
  auto apply = [this, &c, w] {
    ApplyCommon(c, w);
    const QString text = Q(c.Text());
    if (w->text() != text) {
      QSignalBlocker block(w);
      w->setText(text);
    }
  };
  apply();
  c.Changed().Subscribe(apply);
  QObject::connect(w, &QLineEdit::textEdited, this,
                   [&c](const QString& text) { c.SetText(S(text)); });
  w->installEventFilter(new KeyPressForwarder(c, w));
}

void Binder::Text(forms::TextBox& c, QPlainTextEdit* w) {
  w->setReadOnly(true);
  auto apply = [this, &c, w] {
    ApplyCommon(c, w);
    const QString text = DisplayText(c.Text());
    if (w->toPlainText() != text) w->setPlainText(text);
  };
  apply();
  c.Changed().Subscribe(apply);
}

void Binder::Combo(forms::ComboBox& c, QComboBox* w) {
  auto apply = [this, &c, w] {
    ApplyCommon(c, w);
    QSignalBlocker block(w);
    QStringList items;
    for (const auto& item : c.Items()) items << Q(item);
    QStringList current;
    for (int i = 0; i < w->count(); ++i) current << w->itemText(i);
    if (items != current) {
      w->clear();
      w->addItems(items);
    }
    w->setCurrentIndex(c.ListIndex());
  };
  apply();
  c.Changed().Subscribe(apply);
  QObject::connect(w, qOverload<int>(&QComboBox::activated), this, [&c, w](int index) {
    c.SetListIndex(index);
    QSignalBlocker block(w);
    w->setCurrentIndex(c.ListIndex());
  });
}

void Binder::Picker(forms::DTPicker& c, QDateTimeEdit* w) {
  QString format = Q(c.CustomFormat());
  // The pickers' "hh" is the 24-hour clock.
  format.replace(QStringLiteral("hh"), QStringLiteral("HH"));
  if (!format.isEmpty()) w->setDisplayFormat(format);
  w->setMinimumDateTime(NoValue());
  auto apply = [this, &c, w] {
    ApplyCommon(c, w);
    QSignalBlocker block(w);
    w->setSpecialValueText(Q(c.NoneText()));
    w->setDateTime(ToQt(c.Value()));
  };
  apply();
  c.Changed().Subscribe(apply);
  QObject::connect(w, &QDateTimeEdit::dateTimeChanged, this, [&c](const QDateTime& value) {
    auto text = FromQt(value);
    if (text == c.Value()) return;
    c.UserChange(text);
  });
}

}  // namespace quill::gui
