// The ChaCha block function (original layout: 64-bit block counter in words
// 12-13, 64-bit nonce in words 14-15) and a ChaCha12 generator built on it.
#pragma once

#include <array>
#include <cstdint>

namespace fenn::runtime {

using ChaChaKey = std::array<uint32_t, 8>;
using ChaChaBlock = std::array<uint8_t, 64>;

// One 64-byte output block after `rounds` rounds (8, 12 or 20).
ChaChaBlock chacha_block(const ChaChaKey& key, uint64_t nonce, uint64_t counter, int rounds);

// A ChaCha12 keystream read as little-endian 64-bit words.
class ChaCha12 {
 public:
  explicit ChaCha12(const std::array<uint8_t, 32>& seed);

  uint64_t next_u64();

 private:
  void refill();

  ChaChaKey key_{};
  uint64_t counter_ = 0;
  ChaChaBlock block_{};
  unsigned used_ = 64;
};

}  // namespace fenn::runtime
