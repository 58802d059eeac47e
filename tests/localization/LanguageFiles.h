#pragma once

#include <string>
#include <vector>

namespace quill::testing {

/// One language group as translators write them: items indented with two tabs, CR LF ends.
inline std::string LanguageGroup(const std::string& name, const std::vector<std::string>& items) {
  std::string s = "<LANGUAGE_GROUP xml:lang=\"xx\">\r\n\t<LANGUAGE_NAME>" + name +
                  "</LANGUAGE_NAME>\r\n\t<TRANSLATION_ITEMS>\r\n";
  for (const std::string& item : items) s += "\t\t" + item + "\r\n";
  s += "\t</TRANSLATION_ITEMS>\r\n</LANGUAGE_GROUP>\r\n";
  return s;
}

/// A whole language file around the given groups.
inline std::string LanguageFile(const std::vector<std::string>& groups) {
  std::string s =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<XML_DIZ_INFO>\r\n\t<LOCALIZATION_FILE_INFO>"
      "\r\n\t\t<LOCALIZATION_FILE_VERSION>1.0</LOCALIZATION_FILE_VERSION>\r\n"
      "\t</LOCALIZATION_FILE_INFO>\r\n";
  for (const std::string& group : groups) s += group;
  return s + "</XML_DIZ_INFO>\r\n";
}

/// "<KEY>text</KEY>"
inline std::string Item(const std::string& key, const std::string& text) {
  return "<" + key + ">" + text + "</" + key + ">";
}

}  // namespace quill::testing
