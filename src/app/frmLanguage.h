#pragma once

#include <functional>
#include <string>

#include "core/Settings.h"
#include "forms/Control.h"
#include "forms/Form.h"
#include "localization/MessageCatalog.h"
#include "platform/Internet.h"
#include "platform/Shell.h"
#include "platform/System.h"

namespace quill {

/// The language window: choose the program's language, fetch the newest language file from
/// the server, or open the language file for editing.
class frmLanguage : public forms::Form {
 public:
  /// The first entry of the drop-down (its English text, which a language may replace);
  /// choosing it changes nothing.
  static constexpr const char* kChooseEntry = "Choose Language Here";

  /// Applies a language to the main window (which is built elsewhere).
  using ApplyToMainWindow = std::function<void(const std::string& language)>;

  frmLanguage(forms::Host& host, clsLanguages& catalog, platform::Internet& internet,
              platform::Shell& shell, platform::SettingsStore& settings,
              ApplyToMainWindow applyToMainWindow);

  forms::Label Label1;
  forms::ComboBox Combo1;
  forms::CommandButton cmdUpdate;
  forms::CommandButton cmdTranslate;
  forms::CommandButton cmdOK;

  /// Translates the window with the current language and fills the drop-down.
  void Form_Load();
  /// A language was chosen: store it and apply it to the main window and to this window.
  void Combo1_Click();
  /// "Check for language updates": replace the language file with the server's newest one.
  void cmdUpdate_Click();
  /// "Translate this program": open the language file in its editor.
  void cmdTranslate_Click();
  /// "OK": close the window.
  void cmdOK_Click();

  /// Address of the language file on the server.
  std::string LanguageFileUrl() const;

 private:
  /// Translates the window with the current language, else the stored one, and fills the
  /// drop-down.
  void ShowLanguages();
  /// Stores the chosen language and applies it to the main window and to this window; the
  /// first entry and an empty choice change nothing.
  void ChooseLanguage();
  /// Opens the language file in its editor when it is there.
  void OpenLanguageFile();
  /// Fetches the server's language file; when it replaced the file, the drop-down is filled
  /// again and the user is told.
  void UpdateLanguageFile();
  /// Refills the drop-down from the language file and selects the stored language.
  void FillLanguages();
  /// Applies a language to this window, then sets the title.
  void Translate(const std::string& language);
  /// A message from the catalogue, else straight from the language lines (the keys that have
  /// no built-in text live only in the file).
  std::string FileMessage(const std::string& key) const;
  /// The program's settings, kept under its program name.
  settings::Store Settings() const;
  std::string StoredLanguage() const;
  /// The first entry in the current language.
  std::string ChooseEntry() const;

  clsLanguages& catalog_;
  platform::Internet& internet_;
  platform::Shell& shell_;
  platform::SettingsStore& settings_;
  ApplyToMainWindow applyToMainWindow_;
};

}  // namespace quill
