// The language file "Localization.txt" in the program folder: its languages listed, each
// loaded and applied to a window with every kind of translatable control, its messages and
// captions looked up, and a fresh English file written from the translated texts.

#include <string>

#include "FuzzCheck.h"
#include "app/Translation.h"
#include "forms/ListView.h"
#include "localization/MessageCatalog.h"
#include "support/TestHost.h"
#include "support/TestPlatform.h"

namespace {

using namespace quill;

constexpr const char* kFolder = "C:\\Program Files\\Quillonet";

class Window : public forms::Form {
 public:
  explicit Window(forms::Host& host)
      : forms::Form(host, "FrmMain", "[ProgramName]"),
        cmdScan(*this, "cmdScan", "Scan"),
        lblStatus(*this, "lblStatus", "Ready"),
        chkAutoDel(*this, "chkAutoDel", "Remove"),
        TabStrip1(*this, "TabStrip1", {"Home", "Scan"}),
        lvwFound(*this, "lvwFound", {"Threat", "Location"}, true),
        optScan(*this, "optScan", {"Smart", "Full"}),
        mnuLanguage(*this, "mnuLanguage", {"English", "Deutsch"}) {}
  forms::CommandButton cmdScan;
  forms::Label lblStatus;
  forms::CheckBox chkAutoDel;
  forms::TabStrip TabStrip1;
  forms::ListView lvwFound;
  forms::ControlArray<forms::OptionButton> optScan;
  forms::ControlArray<forms::Menu> mnuLanguage;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(fuzz::AsText(data, size));
  const auto blocks = ParseLanguageFile(text);

  test::FakeFileSystem files;
  files.AddFolder(kFolder);
  files.Put(std::string(kFolder) + "\\" + clsLanguages::kFileName, text);
  BrandProfile brand;
  brand.programName = "Quillonet";
  brand.companyName = "Quillonet Software";
  brand.website = "www.quillonet.example";
  clsLanguages catalog(files, kFolder, brand);
  catalog.LoadBuiltInMessages();
  FUZZ_CHECK(catalog.TakenCount() <= clsLanguages::kSlotCount);

  test::TestHost host;
  Window window(host);
  const auto names = catalog.LanguageNames();
  FUZZ_CHECK(names.size() == blocks.size());
  for (size_t i = 0; i < names.size() && i < 4; ++i) {
    ChangeLanguage(catalog, window, names[i]);
    ChangeLanguageMDI(catalog, window, names[i]);
    for (const auto& line : catalog.TranslationLines()) {
      const size_t open = line.find('<'), close = line.find('>');
      if (open != std::string::npos && close != std::string::npos && open < close)
        catalog.getCaption(line.substr(open + 1, close - open - 1));
    }
    catalog.getMessages("msgScanComplete");
  }
  // The English file written from what was applied is itself a language file of one block.
  const auto written = ParseLanguageFile(LocalizationFileText(catalog, {&window}));
  FUZZ_CHECK(written.size() == 1);
  return 0;
}
