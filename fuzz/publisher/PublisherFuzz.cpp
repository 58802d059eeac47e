// A program file as the publisher check reads it: its headers located, its resource section
// read and the company name of its version information cut out.

#include <string>

#include "FuzzCheck.h"
#include "core/ProcessTools.h"
#include "support/TestPlatform.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace quill;
  const std::string bytes(fuzz::AsText(data, size));
  test::FakeFileSystem files;
  files.Put("C:\\Program Files\\App\\app.exe", bytes);
  const std::string publisher = ReadPublisherName(files, "C:\\Program Files\\App\\app.exe");
  FUZZ_CHECK(publisher.size() <= bytes.size());
  FUZZ_CHECK(publisher.find('\0') == std::string::npos);
  FUZZ_CHECK(ReadPublisherName(files, "C:\\Program Files\\App\\missing.exe").empty());
  return 0;
}
