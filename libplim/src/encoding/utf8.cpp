#include "libplim/src/encoding/utf8.hpp"

#include <cstring>

namespace plim::encoding {

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
    if (*p < 0x80) {
      ++p;
      continue;
    }
    const int length = utf8_sequence_length(p, end);
    if (length <= 0) return false;
    p += length;
  }
  return true;
}

}  // namespace plim::encoding
