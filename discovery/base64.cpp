#include "discovery/base64.h"

#include <array>
#include <cstdint>
#include <mutex>

namespace lumavex {
namespace {

std::array<std::uint16_t, 64> Base64Digits;
// Indexed by character code; our characters are bytes, so codes 0..255 occur.
std::array<std::uint16_t, 16384> CharToAnsiByte;
bool Base64TablesReady = false;
std::once_flag tables_once;

void BuildTables() {
  static const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  for (int i = 0; i < 64; ++i) Base64Digits[i] = static_cast<unsigned char>(kAlphabet[i]);
  CharToAnsiByte.fill(0);
  for (int b = 0; b < 256; ++b) CharToAnsiByte[b] = static_cast<std::uint16_t>(b);
  Base64TablesReady = true;
}

}  // namespace

void InitBase64Tables() { std::call_once(tables_once, BuildTables); }

std::string EncodeBase64(const std::string& text) {
  const std::size_t n = text.size();
  if (n == 0) return {};
  // Allocated once at its final length and filled in place.
  std::string out(4 * ((n + 2) / 3), '=');
  if (!Base64TablesReady) InitBase64Tables();

  auto byte_at = [&](std::size_t i) -> unsigned {
    return CharToAnsiByte[static_cast<unsigned char>(text[i])];
  };
  auto digit = [](unsigned k) { return static_cast<char>(Base64Digits[k & 63]); };

  std::size_t i = 0, o = 0;
  for (; i + 2 < n; i += 3, o += 4) {
    const unsigned b1 = byte_at(i), b2 = byte_at(i + 1), b3 = byte_at(i + 2);
    out[o] = digit(b1 >> 2);
    out[o + 1] = digit(((b1 & 3) << 4) | (b2 >> 4));
    out[o + 2] = digit(((b2 & 15) << 2) | (b3 >> 6));
    out[o + 3] = digit(b3 & 63);
  }
  if (n - i == 1) {
    const unsigned b1 = byte_at(i);
    out[o] = digit(b1 >> 2);
    out[o + 1] = digit((b1 & 3) << 4);
  } else if (n - i == 2) {
    const unsigned b1 = byte_at(i), b2 = byte_at(i + 1);
    out[o] = digit(b1 >> 2);
    out[o + 1] = digit(((b1 & 3) << 4) | (b2 >> 4));
    out[o + 2] = digit((b2 & 15) << 2);
  }
  return out;
}

}  // namespace lumavex
