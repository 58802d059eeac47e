#include "app/LanguageExport.h"

#include "app/Application.h"
#include "app/FrmMain.h"
#include "app/Translation.h"
#include "localization/MessageCatalog.h"

namespace quill {

std::optional<std::string> ExportedLanguageFile(Application& app) {
  FrmMain& main = app.Main();
  main.AsksFirstRunQuestions = false;
  main.Load();
  if (app.Ended()) return std::nullopt;
  // The file is English whatever language the user chose: the captions of the installed
  // English group, the messages as the program ships them.
  main.LoadEveryWindow();
  for (forms::Form* form : app.Windows())
    if (form->Loaded()) ChangeLanguage(app.Catalog(), *form, "English");
  app.Catalog().RestoreBuiltInMessages();
  std::string text = main.LanguageTemplate();
  main.Unload();
  return text;
}

}  // namespace quill
