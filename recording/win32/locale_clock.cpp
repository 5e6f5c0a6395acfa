#include "recording/win32/locale_clock.h"

#include <windows.h>

#include <iterator>
#include <string>

#include "base/utf8.h"

namespace lumavex {
namespace {

// One locale string of the user's default locale; `fallback` when the
// platform gives nothing.
std::string UserLocaleString(LCTYPE type, const std::string& fallback) {
  wchar_t buffer[128] = {};
  const int n = ::GetLocaleInfoW(LOCALE_USER_DEFAULT, type, buffer, static_cast<int>(std::size(buffer)));
  // n counts the terminating zero; 1 means an empty string.
  if (n <= 1) return fallback;
  return Narrow(std::wstring(buffer, static_cast<std::size_t>(n - 1)));
}

}  // namespace

LocalTime CurrentLocalTime() {
  SYSTEMTIME t{};
  ::GetLocalTime(&t);
  return LocalTime{t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond};
}

LocaleNames UserLocaleNames() {
  LocaleNames names = EnglishLocaleNames();
  for (int m = 0; m < 12; ++m) {
    names.abbreviatedMonths[static_cast<std::size_t>(m)] =
        UserLocaleString(LOCALE_SABBREVMONTHNAME1 + static_cast<LCTYPE>(m),
                         names.abbreviatedMonths[static_cast<std::size_t>(m)]);
  }
  names.am = UserLocaleString(LOCALE_S1159, names.am);
  names.pm = UserLocaleString(LOCALE_S2359, names.pm);
  return names;
}

}  // namespace lumavex
