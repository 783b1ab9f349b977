// Bit operations on a basis-state key: a list of 64-bit words in which the
// qubit at position p is bit (p mod 64) of word (p div 64). Positions must lie
// inside the key; the engine only passes positions below the register size.
#pragma once

#include <cstdint>

namespace fenn::bitwise {

inline bool is_one(const uint64_t* key, uint64_t position) noexcept {
  return ((key[position >> 6] >> (position & 63)) & 1) != 0;
}

inline void flip(uint64_t* key, uint64_t position) noexcept {
  key[position >> 6] ^= uint64_t{1} << (position & 63);
}

}  // namespace fenn::bitwise
