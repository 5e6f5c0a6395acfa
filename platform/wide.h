#pragma once
// UTF-8 (the program's strings) to and from UTF-16 (Win32's "W" calls).
#include <string>

#include "platform/utf8.h"

namespace lumavex {

inline std::wstring Widen(const std::string& utf8) {
  const std::u16string u16 = Utf8ToUtf16(utf8);
  return std::wstring(u16.begin(), u16.end());
}

inline std::string Narrow(const std::wstring& wide) {
  return Utf16ToUtf8(std::u16string_view(reinterpret_cast<const char16_t*>(wide.data()), wide.size()));
}

inline std::string Narrow(const wchar_t* wide) { return wide ? Narrow(std::wstring(wide)) : std::string(); }

}  // namespace lumavex
