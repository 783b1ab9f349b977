#include "fenn/src/runtime/chacha.hpp"

#include <bit>
#include <cstring>

namespace fenn::runtime {
namespace {

void quarter_round(uint32_t* x, int a, int b, int c, int d) {
  x[a] += x[b]; x[d] = std::rotl(x[d] ^ x[a], 16);
  x[c] += x[d]; x[b] = std::rotl(x[b] ^ x[c], 12);
  x[a] += x[b]; x[d] = std::rotl(x[d] ^ x[a], 8);
  x[c] += x[d]; x[b] = std::rotl(x[b] ^ x[c], 7);
}

uint32_t load_le32(const uint8_t* p) {
  return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
}

}  // namespace

ChaChaBlock chacha_block(const ChaChaKey& key, uint64_t nonce, uint64_t counter, int rounds) {
  uint32_t input[16] = {0x61707865, 0x3320646e, 0x79622d32, 0x6b206574};
  for (int i = 0; i < 8; ++i) input[4 + i] = key[static_cast<std::size_t>(i)];
  input[12] = static_cast<uint32_t>(counter);
  input[13] = static_cast<uint32_t>(counter >> 32);
  input[14] = static_cast<uint32_t>(nonce);
  input[15] = static_cast<uint32_t>(nonce >> 32);

  uint32_t x[16];
  std::memcpy(x, input, sizeof(x));
  for (int i = 0; i < rounds; i += 2) {
    quarter_round(x, 0, 4, 8, 12);
    quarter_round(x, 1, 5, 9, 13);
    quarter_round(x, 2, 6, 10, 14);
    quarter_round(x, 3, 7, 11, 15);
    quarter_round(x, 0, 5, 10, 15);
    quarter_round(x, 1, 6, 11, 12);
    quarter_round(x, 2, 7, 8, 13);
    quarter_round(x, 3, 4, 9, 14);
  }
  ChaChaBlock out;
  for (int i = 0; i < 16; ++i) {
    const uint32_t word = x[i] + input[i];
    for (int b = 0; b < 4; ++b)
      out[static_cast<std::size_t>(4 * i + b)] = static_cast<uint8_t>(word >> (8 * b));
  }
  return out;
}

ChaCha12::ChaCha12(const std::array<uint8_t, 32>& seed) {
  for (std::size_t i = 0; i < 8; ++i) key_[i] = load_le32(seed.data() + 4 * i);
}

void ChaCha12::refill() {
  block_ = chacha_block(key_, 0, counter_++, 12);
  used_ = 0;
}

uint64_t ChaCha12::next_u64() {
  if (used_ + 8 > block_.size()) refill();
  uint64_t value = 0;
  for (unsigned b = 0; b < 8; ++b) value |= uint64_t{block_[used_ + b]} << (8 * b);
  used_ += 8;
  return value;
}

}  // namespace fenn::runtime
