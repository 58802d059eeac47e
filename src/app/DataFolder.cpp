#include "app/DataFolder.h"

#include "app/Application.h"
#include "base/Text.h"
#include "definitions/PathTokens.h"

namespace quill {

std::string ExpandDataFolder(Application& app) {
  std::string folder =
      app.Tokens().ExpandPathTokens("[appdata]" + app.Identity().productName + "DAT");
  folder = text::ReplaceAll(folder, "\\\\", "\\");
  while (text::EndsWith(folder, "\\")) folder.pop_back();
  return folder;
}

}  // namespace quill
