// The shipped language file starts with the English group the generator writes from the
// program's own windows. This test fails when a caption or message changed and the shipped
// file was not regenerated; run it with QUILL_UPDATE_TEMPLATE=1 to rewrite the English group
// (the other languages of the file are kept).
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "app/FrmMain.h"
#include "app/Translation.h"
#include "app/frmAbout.h"
#include "app/frmDelete.h"
#include "app/frmDownload.h"
#include "app/frmLanguage.h"
#include "app/frmMenuPopUp.h"
#include "app/frmReport.h"
#include "app/frmSignatureUpdated.h"
#include "app/frmSplash.h"
#include "base/Text.h"
#include "localization/MessageCatalog.h"
#include "support/AppFixture.h"

namespace quill {
namespace {

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

/// The generated text up to and including the English group's closing tag.
std::string EnglishPart(const std::string& file) {
  const std::string end = "</LANGUAGE_GROUP>\r\n";
  size_t at = file.find(end);
  return at == std::string::npos ? file : file.substr(0, at + end.size());
}

TEST(LocalizationTemplate, ShippedFileStartsWithTheGeneratedEnglishGroup) {
  test::AppFixture f;
  f.Start();
  // What the export writes, loading every window it needs itself; the programs start through
  // the splash, which is no window to translate.
  f.App().Splash().Load();
  std::string generated = f.Main().LanguageTemplate();
  ASSERT_NE(generated.find("<TRANSLATION_ITEMS>"), std::string::npos);
  ASSERT_NE(generated.find("FRMMAIN_CMDSCANNOW"), std::string::npos);
  ASSERT_NE(generated.find("<MSG_FALSE_POS5>"), std::string::npos);

  const std::string shippedPath = std::string(QUILL_SOURCE_DIR) + "/resources/Localization.txt";
  std::string shipped = ReadAll(shippedPath);
  if (const char* update = std::getenv("QUILL_UPDATE_TEMPLATE"); update && *update == '1') {
    // Keep whatever follows the English group (the other languages and the closing tag).
    std::string rest = "</XML_DIZ_INFO>\r\n";
    size_t englishEnd = shipped.find("</LANGUAGE_GROUP>\r\n");
    if (englishEnd != std::string::npos)
      rest = shipped.substr(englishEnd + std::string("</LANGUAGE_GROUP>\r\n").size());
    std::ofstream out(shippedPath, std::ios::binary | std::ios::trunc);
    out << EnglishPart(generated) << rest;
    shipped = ReadAll(shippedPath);
  }
  EXPECT_EQ(EnglishPart(shipped), EnglishPart(generated))
      << "resources/Localization.txt is out of date: rerun with QUILL_UPDATE_TEMPLATE=1";
  EXPECT_TRUE(text::EndsWith(shipped, "</XML_DIZ_INFO>\r\n"));
}

}  // namespace
}  // namespace quill
