#pragma once

#include <string>
#include <string_view>
#include <vector>

/// Text helpers shared by every layer. Case-insensitive operations fold ASCII letters only.
namespace quill::text {

std::string ToLower(std::string_view s);
std::string ToUpper(std::string_view s);
/// Removes leading and trailing blanks (spaces only, as the classic Trim does).
std::string Trim(std::string_view s);
std::string TrimLeft(std::string_view s);
std::string TrimRight(std::string_view s);

bool EqualsNoCase(std::string_view a, std::string_view b);
bool StartsWith(std::string_view s, std::string_view prefix);
bool EndsWith(std::string_view s, std::string_view suffix);
bool StartsWithNoCase(std::string_view s, std::string_view prefix);
bool EndsWithNoCase(std::string_view s, std::string_view suffix);
bool Contains(std::string_view s, std::string_view part);
bool ContainsNoCase(std::string_view s, std::string_view part);

/// Position of part in s at or after start, or npos.
size_t Find(std::string_view s, std::string_view part, size_t start = 0);
size_t FindNoCase(std::string_view s, std::string_view part, size_t start = 0);
/// Last position of part in s, or npos.
size_t FindLast(std::string_view s, std::string_view part);
size_t FindLastNoCase(std::string_view s, std::string_view part);

/// Replaces every occurrence, left to right, without rescanning inserted text.
std::string ReplaceAll(std::string_view s, std::string_view from, std::string_view to);
std::string ReplaceAllNoCase(std::string_view s, std::string_view from, std::string_view to);

/// Splits at every occurrence of the separator, keeping empty parts; an empty text gives
/// no parts (the classic Split of an empty string gives an empty array).
std::vector<std::string> Split(std::string_view s, std::string_view separator);

/// Splits text into lines at CR LF, LF or a lone CR; a final line end gives no extra line.
std::vector<std::string> SplitLines(std::string_view s);

/// Text in the Windows Western single-byte code page (1252) as UTF-8. The five codes that
/// page leaves unassigned are kept as the control characters of the same number.
std::string FromWindows1252(std::string_view bytes);

/// Text after the last backslash (the whole text when there is none).
std::string AfterLastBackslash(std::string_view path);
/// Text up to and including the last backslash ("" when there is none).
std::string UpToLastBackslash(std::string_view path);

/// Decimal number text as the classic Val() reads it: leading blanks skipped, optional
/// sign, digits up to the first non-digit; 0 when there are none.
long long Val(std::string_view s);
/// The classic string-to-boolean rule: "True"/"False" in any case, or a number (non-zero is
/// true). Anything else is false.
bool ToBool(std::string_view s);
/// "True" / "False".
std::string BoolText(bool value);

/// 1234567 -> "1,234,567".
std::string WithThousands(long long value);

}  // namespace quill::text
