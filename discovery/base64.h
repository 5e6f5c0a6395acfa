#pragma once
// The base64 encoder that turns pixel samples into fingerprints.
// Text here is 8-bit ANSI text, one character per byte, exactly as the sample
// file is read; so the encoder's character-to-byte table is the identity on
// 0..255 and every byte value round-trips, whatever the code page.
#include <string>

namespace lumavex {

// Builds the digit and character tables; EncodeBase64 calls it on first use.
void InitBase64Tables();

// Standard base64 (RFC 4648 alphabet, "=" padding, no line breaks) of the
// bytes that the text's characters stand for. Empty text gives empty text.
std::string EncodeBase64(const std::string& text);

}  // namespace lumavex
