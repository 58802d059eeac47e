#pragma once

#include <string>
#include <string_view>

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

}  // namespace quill
