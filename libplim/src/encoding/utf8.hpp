// The UTF-8 rules that both readers apply to text: no overlong forms, no
// surrogates, nothing above U+10FFFF, no cut sequence.
#pragma once

#include <cstdint>
#include <string_view>

namespace plim::encoding {

// What a multi-byte sequence whose lead byte (0x80 or above) stands at `p`
// amounts to, for input that ends at `end`.
inline constexpr int kUtf8Malformed = 0;
inline constexpr int kUtf8Truncated = -1;  // the bytes that are there are well-formed

// The sequence's length (2 to 4), kUtf8Malformed or kUtf8Truncated.
inline int utf8_sequence_length(const uint8_t* p, const uint8_t* end) noexcept {
  const uint8_t lead = *p;
  int length = 0;
  uint8_t low = 0x80;  // bounds of the second byte, which rule out overlong
  uint8_t high = 0xBF; // forms, surrogates and code points past U+10FFFF
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return kUtf8Malformed;
  }
  for (int i = 1; i < length; ++i) {
    if (p + i == end) return kUtf8Truncated;
    if (p[i] < low || p[i] > high) return kUtf8Malformed;
    low = 0x80;
    high = 0xBF;
  }
  return length;
}

// True when all of `text` is well-formed UTF-8.
bool is_valid_utf8(std::string_view text) noexcept;

}  // namespace plim::encoding
