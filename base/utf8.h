#pragma once
// Text inside the program is UTF-8 in std::string; the Win32 layer converts
// to and from UTF-16 at each call (Widen, Narrow). The conversions are
// portable so that they can be tested natively.
#include <string>
#include <string_view>

namespace lumavex {

// Ill-formed input (a stray continuation byte, an overlong or truncated
// sequence, an unpaired surrogate) becomes U+FFFD instead of being dropped,
// so a converted name never silently merges with another one.
std::u16string Utf8ToUtf16(std::string_view utf8);
std::string Utf16ToUtf8(std::u16string_view utf16);

// Length in UTF-16 code units, as Windows counts a path: 2 for a character
// beyond U+FFFF, 1 for any other (an ill-formed byte counts as its U+FFFD).
std::size_t Utf16Length(std::string_view utf8);

// The longest leading part of `utf8` that ends on a character boundary and
// takes at most `maxUnits` UTF-16 units; a pair is never split.
std::string_view Utf8PrefixWithinUtf16(std::string_view utf8, std::size_t maxUnits);

#if defined(_WIN32)
// UTF-8 to and from the UTF-16 of Win32's "W" calls (wchar_t is 16 bits there).
inline std::wstring Widen(std::string_view utf8) {
  const std::u16string u16 = Utf8ToUtf16(utf8);
  return std::wstring(u16.begin(), u16.end());
}
inline std::string Narrow(std::wstring_view wide) {
  return Utf16ToUtf8(std::u16string_view(reinterpret_cast<const char16_t*>(wide.data()), wide.size()));
}
inline std::string Narrow(const wchar_t* wide) {
  return wide ? Narrow(std::wstring_view(wide)) : std::string();
}
#endif

}  // namespace lumavex
