#include "writeavi/frame_rate.h"

#include <cstdint>

namespace lumavex {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The number as its digits and where the decimal point falls in them: the
// value is 0.d0d1d2... * 10^point.
struct DecimalNumber {
  bool negative = false;
  std::string digits;
  std::int64_t point = 0;
};

// Exponents beyond this already push any digit far outside 1..30.
constexpr std::int64_t kExponentLimit = 1000000;

bool ParseLeadingNumber(const std::string& text, DecimalNumber& number) {
  std::size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t' || text[i] == '\r' || text[i] == '\n')) ++i;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    number.negative = text[i] == '-';
    ++i;
  }
  std::int64_t integerDigits = 0;
  for (; i < text.size() && IsDigit(text[i]); ++i, ++integerDigits) number.digits += text[i];
  if (i < text.size() && text[i] == '.') {
    for (++i; i < text.size() && IsDigit(text[i]); ++i) number.digits += text[i];
  }
  if (number.digits.empty()) return false;
  number.point = integerDigits;

  // An exponent counts only when digits follow it ("7e" is 7).
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    std::size_t j = i + 1;
    bool negativeExponent = false;
    if (j < text.size() && (text[j] == '+' || text[j] == '-')) {
      negativeExponent = text[j] == '-';
      ++j;
    }
    if (j < text.size() && IsDigit(text[j])) {
      std::int64_t exponent = 0;
      for (; j < text.size() && IsDigit(text[j]); ++j) {
        if (exponent < kExponentLimit) exponent = exponent * 10 + (text[j] - '0');
      }
      number.point += negativeExponent ? -exponent : exponent;
    }
  }
  return true;
}

}  // namespace

int FrameRateFromText(const std::string& text) {
  DecimalNumber number;
  if (!ParseLeadingNumber(text, number)) return kMinFrameRate;
  // Any negative number rounds to 0 or below ("-0.4" to 0): the minimum.
  if (number.negative) return kMinFrameRate;

  const std::string& d = number.digits;
  const std::int64_t count = static_cast<std::int64_t>(d.size());
  auto digitAt = [&](std::int64_t index) { return index >= 0 && index < count ? d[index] - '0' : 0; };
  auto anyNonZeroFrom = [&](std::int64_t from, std::int64_t to) {  // [from, to) within the digits
    for (std::int64_t k = from < 0 ? 0 : from; k < to && k < count; ++k)
      if (d[k] != '0') return true;
    return false;
  };

  // Integer part: digits before the point. Three or more places with a
  // non-zero digit above the last two make it at least 100.
  const std::int64_t p = number.point;
  if (anyNonZeroFrom(0, p - 2)) return kMaxFrameRate;
  std::int64_t whole = digitAt(p - 2) * 10 + digitAt(p - 1);

  const int firstFraction = digitAt(p);
  const bool restNonZero = anyNonZeroFrom(p + 1, count);
  if (firstFraction > 5 || (firstFraction == 5 && (restNonZero || whole % 2 == 1))) ++whole;

  if (whole < kMinFrameRate) return kMinFrameRate;
  if (whole > kMaxFrameRate) return kMaxFrameRate;
  return static_cast<int>(whole);
}

}  // namespace lumavex
