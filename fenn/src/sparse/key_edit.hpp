// Edits of a key's words applied while the key is copied into a map.
#pragma once

#include <cstdint>

#include "fenn/src/bitwise/key_bits.hpp"

namespace fenn::sparse {

struct Unchanged {
  void operator()(uint64_t*) const noexcept {}
};

struct FlipBit {
  uint64_t position;
  void operator()(uint64_t* words) const noexcept { bitwise::flip(words, position); }
};

}  // namespace fenn::sparse
