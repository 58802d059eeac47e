#pragma once

#include <string>
#include <vector>

#include "forms/Form.h"
#include "localization/MessageCatalog.h"

namespace quill {

/// Translates one window and the catalogue's messages into a language from the language file.
///
/// Control keys (compared without regard to case): labels, buttons, skin labels, frames and
/// check boxes use WINDOW_CONTROL; a tab strip WINDOW_CONTROL_TABS<n> per tab (from 1); a list
/// view WINDOW_CONTROL_COL<n> per column header (from 1); an option button WINDOW_CONTROL<index>
/// (no suffix outside a control array); a menu item WINDOW_CONTROL<index> ("0" outside a control
/// array); the title WINDOW_CAPTION. Every message whose key the language has gets the
/// language's text. Empty translations leave a text as it is. When the language brings no
/// lines (or just one), "English" is loaded instead; when neither is in the file the previous
/// language's lines are applied again.
void ChangeLanguage(clsLanguages& catalog, forms::Form& form, const std::string& language);

/// ChangeLanguage for a multiple-document parent window: the control type names are compared
/// in lower case.
void ChangeLanguageMDI(clsLanguages& catalog, forms::Form& form, const std::string& language);

/// The text of a fresh English language file: the header, every translatable text of the given
/// windows (in the given order, controls in control order, each window's title last), then
/// every message, and the closing tags. Lines end with CR LF.
std::string LocalizationFileText(const clsLanguages& catalog,
                                 const std::vector<forms::Form*>& loadedForms);

/// Writes LocalizationFileText as the program folder's language file, replacing the old one.
/// The caller loads every window that belongs in the file first (the delete-failed list, the
/// download window, the alerts, the tray menu and the notification window) and passes all
/// loaded windows in load order. Returns false when the file could not be written.
bool makeLocalizationFile(clsLanguages& catalog, const std::vector<forms::Form*>& loadedForms);

}  // namespace quill
