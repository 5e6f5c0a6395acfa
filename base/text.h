#pragma once
// Small ASCII text rules that several readers and writers share: blanks
// around a value, letters in either case, the UTF-8 byte order mark, and
// numbers zero-filled to a width. Bytes above 127 (the rest of a UTF-8
// character) are never changed or taken for blanks.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace lumavex {

// What editors may put before UTF-8 text; it is no part of the text.
inline constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
bool StartsWithUtf8Bom(std::string_view text);
// `text` without one leading byte order mark.
std::string_view StripUtf8Bom(std::string_view text);

// Spaces, tabs and line ends: what a box or a pasted line may carry along.
inline constexpr std::string_view kBlanks = " \t\r\n";
// `text` without the `blanks` at either end (empty when it is all blanks).
std::string_view Trim(std::string_view text, std::string_view blanks = kBlanks);

// 'A'-'Z' as 'a'-'z'; every other byte as it is.
char AsciiLower(char c);
std::string AsciiLower(std::string_view text);
// Equal when ASCII letters in either case are taken as the same.
bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b);

// `value` in decimal with at least `digits` digits, zero-filled after the
// sign ("-007"); a wider number is written in full, never cut.
std::string ZeroPad(std::int64_t value, std::size_t digits);

}  // namespace lumavex
