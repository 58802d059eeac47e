#include "app/LanguageExport.h"

#include "app/Application.h"
#include "app/FrmMain.h"
#include "localization/MessageCatalog.h"

namespace quill {

std::optional<std::string> ExportedLanguageFile(Application& app) {
  FrmMain& main = app.Main();
  main.Load();
  if (app.Ended()) return std::nullopt;
  // The messages as the program ships them, whatever language the user chose.
  app.Catalog().RestoreBuiltInMessages();
  std::string text = main.LanguageTemplate();
  main.Unload();
  return text;
}

}  // namespace quill
