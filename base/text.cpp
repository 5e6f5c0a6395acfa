#include "base/text.h"

namespace lumavex {

bool StartsWithUtf8Bom(std::string_view text) { return text.substr(0, kUtf8Bom.size()) == kUtf8Bom; }

std::string_view StripUtf8Bom(std::string_view text) {
  if (StartsWithUtf8Bom(text)) text.remove_prefix(kUtf8Bom.size());
  return text;
}

std::string_view Trim(std::string_view text, std::string_view blanks) {
  const std::size_t first = text.find_first_not_of(blanks);
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

std::string AsciiLower(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) c = AsciiLower(c);
  return lower;
}

bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
  }
  return true;
}

std::string ZeroPad(std::int64_t value, std::size_t digits) {
  // The magnitude as unsigned, so that the most negative value has one too.
  const std::uint64_t magnitude =
      value < 0 ? ~static_cast<std::uint64_t>(value) + 1 : static_cast<std::uint64_t>(value);
  std::string text = std::to_string(magnitude);
  if (text.size() < digits) text.insert(0, digits - text.size(), '0');
  if (value < 0) text.insert(0, 1, '-');
  return text;
}

}  // namespace lumavex
