#include "app/Translation.h"

#include <exception>

#include "base/Text.h"
#include "forms/ListView.h"

namespace quill {

namespace {

constexpr const char* kCrLf = "\r\n";

enum class ControlKind { Other, Caption, Tabs, Columns, Option, MenuItem };

ControlKind KindOf(const std::string& typeName, bool mdi) {
  // The parent window of a multiple-document interface reports its controls' type names in
  // a different letter case, so that walk compares in lower case.
  const std::string type = mdi ? text::ToLower(typeName) : typeName;
  auto is = [&](const char* name) { return type == (mdi ? text::ToLower(name) : name); };
  if (is("Label") || is("CommandButton") || is("SkinLabel") || is("Frame") || is("CheckBox"))
    return ControlKind::Caption;
  if (is("TabStrip")) return ControlKind::Tabs;
  if (is("ListView")) return ControlKind::Columns;
  if (is("OptionButton")) return ControlKind::Option;
  if (is("Menu")) return ControlKind::MenuItem;
  return ControlKind::Other;
}

// A text item of the language file sits on one line; a caption with line breaks would break
// the file for every reader, so its breaks are written as blanks.
std::string OneLine(const std::string& value) {
  std::string line = text::ReplaceAll(value, "\r\n", " ");
  for (char& c : line)
    if (c == '\r' || c == '\n') c = ' ';
  return line;
}

// The web site is written as its placeholder: read back, a text that starts with it would
// otherwise come out capitalised ("Www."), and a rebranded build shows its own site.
void AppendItem(std::string& out, const std::string& key, const std::string& value,
                const std::string& website) {
  const std::string tag = text::ToUpper(key);
  const std::string text = website.empty() ? value : text::ReplaceAll(value, website, "[Website]");
  out += "\t\t<" + tag + ">" + OneLine(text) + "</" + tag + ">" + kCrLf;
}

// The window's captions in the language; the catalogue's messages follow it.
void TranslateWindow(clsLanguages& catalog, forms::Form& form, const std::string& language,
                     bool mdi) {
  catalog.UseLanguage(language);
  auto getCaption = [&catalog](const std::string& key) { return catalog.getCaption(key); };

  const std::string prefix = form.Name() + "_";
  for (forms::Control* control : form.Controls()) {
    // One control that cannot take its text must not stop the rest of the window.
    try {
      const std::string key = prefix + control->Name();
      switch (KindOf(control->TypeName(), mdi)) {
        case ControlKind::Other:
          continue;
        case ControlKind::Caption: {
          const std::string caption = getCaption(key);
          if (!caption.empty()) control->SetCaption(caption);
          break;
        }
        case ControlKind::Tabs: {
          auto* tabs = dynamic_cast<forms::TabStrip*>(control);
          if (tabs == nullptr) continue;
          for (int tab = 1; tab <= tabs->TabCount(); ++tab) {
            const std::string caption = getCaption(key + "_TABS" + std::to_string(tab));
            if (!caption.empty()) tabs->SetTabCaption(tab, caption);
          }
          break;
        }
        case ControlKind::Columns: {
          auto* list = dynamic_cast<forms::ListView*>(control);
          if (list == nullptr) continue;
          for (int column = 1; column <= list->ColumnCount(); ++column) {
            const std::string caption = getCaption(key + "_COL" + std::to_string(column));
            if (!caption.empty()) list->SetColumnText(column, caption);
          }
          break;
        }
        case ControlKind::Option: {
          const auto index = control->Index();
          const std::string caption = getCaption(index ? key + std::to_string(*index) : key);
          if (!caption.empty()) control->SetCaption(caption);
          break;
        }
        case ControlKind::MenuItem: {
          const auto index = control->Index();
          const std::string caption = getCaption(key + std::to_string(index.value_or(0)));
          if (!caption.empty()) control->SetCaption(caption);
          break;
        }
      }
      control->Refresh();
    } catch (const std::exception&) {
      continue;
    }
  }

  const std::string title = getCaption(text::ToUpper(form.Name()) + "_CAPTION");
  if (!title.empty()) form.SetCaption(title);
}

}  // namespace

void ChangeLanguage(clsLanguages& catalog, forms::Form& form, const std::string& language) {
  TranslateWindow(catalog, form, language, false);
}

void ChangeLanguageMDI(clsLanguages& catalog, forms::Form& form, const std::string& language) {
  TranslateWindow(catalog, form, language, true);
}

bool makeLocalizationFile(clsLanguages& catalog, const std::vector<forms::Form*>& loadedForms) {
  // One write: a failure leaves at most what the file system managed to store.
  return catalog.Files().WriteFile(catalog.LanguageFilePath(),
                                   LocalizationFileText(catalog, loadedForms));
}

std::string LocalizationFileText(const clsLanguages& catalog,
                                 const std::vector<forms::Form*>& loadedForms) {
  const std::string& website = catalog.Brand().website;
  std::string out;
  out += std::string("<?xml version=\"") + "1.0\"" + " encoding=\"" + "UTF-8\"" + "?>" + kCrLf;
  out += std::string("<XML_DIZ_INFO>") + kCrLf;
  out += std::string("\t<LOCALIZATION_FILE_INFO>") + kCrLf;
  out += std::string("\t\t<LOCALIZATION_FILE_VERSION>1.0</LOCALIZATION_FILE_VERSION>") + kCrLf;
  out += std::string("\t</LOCALIZATION_FILE_INFO>") + kCrLf;
  out += std::string("<LANGUAGE_GROUP xml:lang=\"") + "en\"" + ">" + kCrLf;
  out += std::string("\t<LANGUAGE_NAME>English</LANGUAGE_NAME>") + kCrLf;
  out += std::string(
             "\t<LANGUAGE_DESCRIPTION>This file holds every text the program shows, in "
             "English. To correct a translation, change the text between the tags of its "
             "item; to add your own language, copy this whole language group, put the name of "
             "your language between the name tags and its code (such as de or fr) in the "
             "group's xml:lang attribute, and translate each text, keeping the tags "
             "and the words in square brackets as they are. Please send us your corrections and "
             "new translations so that everyone can use them. Before you start, press the "
             "\"Check for Language Updates\" button in the language window to fetch the newest "
             "file, so that your work builds on the latest translations."
             "</LANGUAGE_DESCRIPTION>") +
         kCrLf;
  out += std::string("\t<TRANSLATION_ITEMS>") + kCrLf;

  for (const forms::Form* form : loadedForms) {
    if (form == nullptr) continue;
    const std::string prefix = form->Name() + "_";
    for (const forms::Control* control : form->Controls()) {
      const std::string key = prefix + control->Name();
      switch (KindOf(control->TypeName(), false)) {
        case ControlKind::Other:
          break;
        case ControlKind::Caption:
          AppendItem(out, key, control->Caption(), website);
          break;
        case ControlKind::Tabs:
          if (const auto* tabs = dynamic_cast<const forms::TabStrip*>(control)) {
            for (int tab = 1; tab <= tabs->TabCount(); ++tab)
              AppendItem(out, key + "_TABS" + std::to_string(tab), tabs->TabCaption(tab), website);
          }
          break;
        case ControlKind::Columns:
          if (const auto* list = dynamic_cast<const forms::ListView*>(control)) {
            for (int column = 1; column <= list->ColumnCount(); ++column)
              AppendItem(out, key + "_COL" + std::to_string(column), list->Column(column).text,
                         website);
          }
          break;
        // The same keys the translation walk looks up: an option button outside a control
        // array has no suffix, a menu item outside one has "0".
        case ControlKind::Option:
          AppendItem(out, control->Index() ? key + std::to_string(*control->Index()) : key,
                     control->Caption(), website);
          break;
        case ControlKind::MenuItem:
          AppendItem(out, key + std::to_string(control->Index().value_or(0)), control->Caption(),
                     website);
          break;
      }
    }
    AppendItem(out, form->Name() + "_CAPTION", form->Caption(), website);
  }

  const int taken = catalog.TakenCount();
  for (int slot = 0; slot < taken; ++slot) {
    const auto& message = catalog.Slots()[static_cast<size_t>(slot)];
    AppendItem(out, message.key, message.text, website);
  }

  out += std::string("\t</TRANSLATION_ITEMS>") + kCrLf;
  out += std::string("</LANGUAGE_GROUP>") + kCrLf;
  out += std::string("</XML_DIZ_INFO>") + kCrLf;
  return out;
}

}  // namespace quill
