#include "libplim/src/encoding/bin_utf8.hpp"

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace plim::encoding::bin {

bool is_valid_utf8(std::string_view text) noexcept {
  const auto* p = reinterpret_cast<const uint8_t*>(text.data());
  const uint8_t* const end = p + text.size();
  while (p != end) {
    // Names and argument texts are mostly ASCII: take eight bytes at a time.
    if (end - p >= 8) {
      uint64_t word;
      std::memcpy(&word, p, 8);
      if ((word & 0x8080808080808080ULL) == 0) {
        p += 8;
        continue;
      }
    }
    const uint8_t lead = *p;
    if (lead < 0x80) {
      ++p;
      continue;
    }
    std::size_t length;
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
      return false;
    }
    if (static_cast<std::size_t>(end - p) < length) return false;
    if (p[1] < low || p[1] > high) return false;
    for (std::size_t i = 2; i < length; ++i)
      if ((p[i] & 0xC0) != 0x80) return false;
    p += length;
  }
  return true;
}

}  // namespace plim::encoding::bin
