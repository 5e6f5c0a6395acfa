#include "commandline/time_arguments.h"

#include <algorithm>
#include <string_view>

namespace lumavex {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// A count of `unitMs` milliseconds as given in decimal, scaled to whole
// milliseconds plus what the fraction left over says.
struct ScaledMs {
  bool tooLarge = false;
  std::int64_t whole = 0;
  bool remainder = false;   // the exact value is above `whole`
  bool halfOrMore = false;  // ... by at least half a millisecond
};

constexpr std::size_t kMostWholeDigits = 15;  // far beyond every limit, far within int64

// `text` is all of the number: [digits][.digits], at least one digit.
std::optional<ScaledMs> ScaleDecimal(std::string_view text, std::uint32_t unitMs) {
  std::string digits;
  std::size_t fractionDigits = 0;
  bool seenPoint = false;
  for (char c : text) {
    if (IsDigit(c)) {
      digits += c;
      if (seenPoint) ++fractionDigits;
    } else if (c == '.' && !seenPoint) {
      seenPoint = true;
    } else {
      return std::nullopt;
    }
  }
  if (digits.empty()) return std::nullopt;

  // The digits times the unit, by hand: any number of digits stays exact.
  std::string product;
  std::uint64_t carry = 0;
  for (auto it = digits.rbegin(); it != digits.rend(); ++it) {
    const std::uint64_t value = static_cast<std::uint64_t>(*it - '0') * unitMs + carry;
    product += static_cast<char>('0' + value % 10);
    carry = value / 10;
  }
  for (; carry > 0; carry /= 10) product += static_cast<char>('0' + carry % 10);
  std::reverse(product.begin(), product.end());

  const std::string_view wholeDigits = std::string_view(product).substr(0, product.size() - fractionDigits);
  const std::string_view fraction = std::string_view(product).substr(product.size() - fractionDigits);
  const std::size_t firstNonZero = wholeDigits.find_first_not_of('0');
  ScaledMs scaled;
  if (firstNonZero != std::string_view::npos) {
    if (wholeDigits.size() - firstNonZero > kMostWholeDigits) {
      scaled.tooLarge = true;
      return scaled;
    }
    for (char c : wholeDigits.substr(firstNonZero)) scaled.whole = scaled.whole * 10 + (c - '0');
  }
  scaled.remainder = fraction.find_first_not_of('0') != std::string_view::npos;
  scaled.halfOrMore = !fraction.empty() && fraction[0] >= '5';
  return scaled;
}

}  // namespace

std::optional<std::int64_t> DurationMsFromText(const std::string& text) {
  std::string_view number = text;
  std::uint32_t unitMs = 1000;
  if (!number.empty()) {
    switch (number.back()) {
      case 'h':
      case 'H':
        unitMs = 60 * 60 * 1000;
        number.remove_suffix(1);
        break;
      case 'm':
      case 'M':
        unitMs = 60 * 1000;
        number.remove_suffix(1);
        break;
      case 's':
      case 'S':
        number.remove_suffix(1);
        break;
      default:
        break;
    }
  }
  const std::optional<ScaledMs> scaled = ScaleDecimal(number, unitMs);
  if (!scaled || scaled->tooLarge) return std::nullopt;
  const std::int64_t ms = scaled->whole + (scaled->halfOrMore ? 1 : 0);
  if (ms < 1 || ms > kMaxDurationMs) return std::nullopt;
  return ms;
}

std::optional<int> IntervalMsFromText(const std::string& text) {
  const std::optional<ScaledMs> scaled = ScaleDecimal(text, 1000);
  if (!scaled || scaled->tooLarge) return std::nullopt;
  if (scaled->whole < kMinCaptureIntervalMs) return std::nullopt;
  if (scaled->whole > kMaxCaptureIntervalMs || (scaled->whole == kMaxCaptureIntervalMs && scaled->remainder))
    return std::nullopt;
  return static_cast<int>(scaled->whole + (scaled->halfOrMore ? 1 : 0));
}

}  // namespace lumavex
