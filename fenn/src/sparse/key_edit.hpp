// Edits of a key's words applied while the key is copied into a map.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "fenn/src/bitwise/key_bits.hpp"

namespace fenn::sparse {

struct Unchanged {
  void operator()(uint64_t*) const noexcept {}
  template <std::size_t C>
  void operator()(std::array<uint64_t, C>&) const noexcept {}
};

struct FlipBit {
  uint64_t position;
  void operator()(uint64_t* words) const noexcept { bitwise::flip(words, position); }
  // An inline key is edited word by word at fixed indices, so that it stays
  // in registers: a store at a computed index followed by the wider load of
  // the hash would stall the store-to-load forwarding on every entry.
  template <std::size_t C>
  void operator()(std::array<uint64_t, C>& words) const noexcept {
    const uint64_t index = position >> 6;
    const uint64_t bit = uint64_t{1} << (position & 63);
    for (std::size_t i = 0; i < C; ++i) words[i] ^= i == index ? bit : 0;
  }
};

}  // namespace fenn::sparse
