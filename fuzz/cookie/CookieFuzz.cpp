// A cookie file of the browser's cookie folder: the host read from inside it (the name part
// of the input gives the file name "user@host[1].txt"), then checked against a blocked list
// made of the file's own lines.

#include <string>

#include "FuzzCheck.h"
#include "base/Text.h"
#include "scan/CookieScan.h"
#include "support/TestPlatform.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace quill;
  fuzz::InputCutter input(fuzz::AsText(data, size));
  const std::string name(input.Part());
  const std::string content(input.Rest());
  const std::string path = "C:\\Cookies\\" + name;
  test::FakeFileSystem files;
  files.Put(path, content);

  const std::string host = CookieHost(files, path);
  if (host != "False") {
    FUZZ_CHECK(host.find('/') == std::string::npos);
    FUZZ_CHECK(content.find(host) != std::string::npos);
  }
  IsBlockedHost(text::SplitLines(content), host);
  IsBlockedHost({"ads.example.com", "*.tracker.net", ""}, host);
  return 0;
}
