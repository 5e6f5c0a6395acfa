#include "recording/win32/locale_clock.h"

#include <windows.h>

#include <iterator>
#include <string>
#include <utility>

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

std::function<std::int64_t()>& SteadyOverride() {
  static std::function<std::int64_t()> clock;
  return clock;
}

std::int64_t SystemSteadyMilliseconds() {
  static const std::int64_t frequency = [] {
    LARGE_INTEGER f{};
    ::QueryPerformanceFrequency(&f);
    return f.QuadPart > 0 ? f.QuadPart : 1;
  }();
  LARGE_INTEGER count{};
  ::QueryPerformanceCounter(&count);
  // In two steps, so that the product cannot overflow after months of uptime.
  return count.QuadPart / frequency * 1000 + count.QuadPart % frequency * 1000 / frequency;
}

// Windows 8 and later give the wall clock to the microsecond; Windows 7
// only to the timer tick (about 16 ms), which frame times would show.
void SystemTimeNow(FILETIME* now) {
  using PreciseTime = VOID(WINAPI*)(LPFILETIME);
  static const PreciseTime precise = [] {
    HMODULE kernel = ::GetModuleHandleW(L"kernel32.dll");
    return kernel ? reinterpret_cast<PreciseTime>(
                        reinterpret_cast<void*>(::GetProcAddress(kernel, "GetSystemTimePreciseAsFileTime")))
                  : nullptr;
  }();
  if (precise) {
    precise(now);
  } else {
    ::GetSystemTimeAsFileTime(now);
  }
}

}  // namespace

CalendarTime CurrentLocalTime() {
  SYSTEMTIME t{};
  ::GetLocalTime(&t);
  return CalendarTime{t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond, t.wMilliseconds};
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

std::int64_t SteadyMilliseconds() {
  const std::function<std::int64_t()>& clock = SteadyOverride();
  return clock ? clock() : SystemSteadyMilliseconds();
}

RecordingMoment ReadRecordingClock() {
  RecordingMoment moment;
  moment.steadyMs = SteadyMilliseconds();
  FILETIME now{};
  SystemTimeNow(&now);
  SYSTEMTIME utc{};
  ::FileTimeToSystemTime(&now, &utc);
  moment.utc =
      CalendarTime{utc.wYear, utc.wMonth, utc.wDay, utc.wHour, utc.wMinute, utc.wSecond, utc.wMilliseconds};
  return moment;
}

CalendarTime LocalTimeOf(const CalendarTime& t) {
  SYSTEMTIME utc{};
  utc.wYear = static_cast<WORD>(t.year);
  utc.wMonth = static_cast<WORD>(t.month);
  utc.wDay = static_cast<WORD>(t.day);
  utc.wHour = static_cast<WORD>(t.hour);
  utc.wMinute = static_cast<WORD>(t.minute);
  utc.wSecond = static_cast<WORD>(t.second);
  utc.wMilliseconds = static_cast<WORD>(t.millisecond);
  SYSTEMTIME local{};
  if (!::SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local)) local = utc;
  return CalendarTime{local.wYear,   local.wMonth,  local.wDay,         local.wHour,
                      local.wMinute, local.wSecond, local.wMilliseconds};
}

void SetSteadyClockForTests(std::function<std::int64_t()> clock) { SteadyOverride() = std::move(clock); }

}  // namespace lumavex
