#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace quill {

/// Every line of a scrambled definition file is stored with each byte shifted by 64,
/// wrapping at 255 (not 256). Length and order are kept, so a line can be decoded as a
/// whole before any field is cut out of it. Code 255 encodes to 64, which decodes to 0:
/// that one byte value does not survive a round trip, and the stored files rely on it.

/// Decodes one stored line: each byte c becomes c - 64, plus 255 when negative.
std::string DecodeLine(std::string_view text);
/// Encodes one line for storing: each byte c becomes c + 64, minus 255 when above 255.
std::string EncodeLine(std::string_view text);

/// Decodes in place (the loaders' hot path; no allocation).
void DecodeLineInPlace(std::string& text);

/// The definition files are shared with the Windows product and its server, which write
/// them in the Windows single-byte code page (1252). A stored line is decoded, then its
/// text converted to UTF-8, the text this program works in. The files themselves are never
/// rewritten in another encoding.
std::string DecodeDefinitionLine(std::string_view stored);
/// Decodes and converts in place.
void DecodeDefinitionLineInPlace(std::string& line);

/// Cuts a stored definition file into its lines. In a file written with CR LF line ends
/// only CR LF ends a line: a lone CR or LF byte inside a line is data (it is how the
/// scrambling stores a letter such as "\xC9"). A file without any CR LF (one edited by hand
/// on this system) is cut at LF.
class DefinitionLineReader {
 public:
  explicit DefinitionLineReader(std::string_view bytes);
  /// The next line without its line end; false at the end of the file.
  bool Next(std::string_view& line);

 private:
  std::string_view bytes_;
  size_t pos_ = 0;
  bool crLf_ = false;
};

/// Every stored line of a definition file, as DefinitionLineReader cuts it.
std::vector<std::string> DefinitionFileLines(std::string_view bytes);

}  // namespace quill
