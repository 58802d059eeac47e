// A stored definition file: cut into lines, each line decoded and read as every kind of
// definition (file, folder, registry, executable, protected location, cookie domain).

#include <map>
#include <string>

#include "FuzzCheck.h"
#include "definitions/DefinitionCodec.h"
#include "definitions/DefinitionFormats.h"
#include "definitions/PathTokens.h"
#include "support/TestPlatform.h"

namespace {

using namespace quill;

// Every special folder the tokens name resolves, so expansion runs through the whole table.
std::map<int, std::string> Folders() {
  std::map<int, std::string> folders;
  for (int csidl = 0; csidl < 64; ++csidl) folders[csidl] = "C:\\F" + std::to_string(csidl) + "\\";
  return folders;
}

void CheckCodec(std::string_view stored) {
  const std::string decoded = DecodeLine(stored);
  std::string inPlace(stored);
  DecodeLineInPlace(inPlace);
  FUZZ_CHECK(decoded == inPlace);
  FUZZ_CHECK(decoded.size() == stored.size());
  // Every byte but 255 survives a round trip (the stored files rely on that one exception).
  if (stored.find('\xFF') == std::string_view::npos)
    FUZZ_CHECK(DecodeLine(EncodeLine(stored)) == stored);
  std::string definitionInPlace(stored);
  DecodeDefinitionLineInPlace(definitionInPlace);
  FUZZ_CHECK(definitionInPlace == DecodeDefinitionLine(stored));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes = fuzz::AsText(data, size);
  test::FakeShell shell(Folders());
  PathTokens tokens(shell);
  LocationExpander expander(tokens);
  PathTokens plainTokens(shell);
  ProtectedLocationReader safety(expander, "C:\\");
  InheritedType inherited;

  DefinitionLineReader reader(bytes);
  std::string_view stored;
  size_t count = 0;
  while (reader.Next(stored)) {
    ++count;
    CheckCodec(stored);
    const std::string line = DecodeDefinitionLine(stored);
    if (auto file = ParseFileDefinition(line)) {
      inherited.Apply(file->type);
      expander.ExpandLocation(file->location, "C:\\");
    }
    ParseFileDefinition(line, TypeWord::TypeMeansSpyware);
    if (auto folder = ParseFolderDefinition(line)) expander.ExpandLocation(folder->location);
    ParseRegistryDefinition(line, expander, "C:\\");
    ParseRegistryDefinition(line, expander, "");
    ParseExecutableDefinition(line, expander);
    safety.Next(line);
    FUZZ_CHECK(ParseCookieDomain(line) == line);
    // The cached expansion gives what the whole token table gives.
    FUZZ_CHECK(expander.ExpandTokens(line) == plainTokens.ExpandPathTokens(line));
  }
  FUZZ_CHECK(DefinitionFileLines(bytes).size() == count);
  return 0;
}
