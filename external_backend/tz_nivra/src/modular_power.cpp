#include "modular_power.hpp"

namespace tz_nivra {

uint64_t wrapping_pow_mod(uint64_t base, uint64_t x, uint64_t modulus) noexcept {
  if (x == 0) return 1;
  if (x == 1) return (base * 1) % modulus;
  uint64_t result = 1;
  uint64_t square = base;
  for (;;) {
    if (x & 1) result = (result * square) % modulus;
    square = (square * square) % modulus;
    if (x <= 3) break;
    x >>= 1;
  }
  return (square * result) % modulus;
}

namespace {

unsigned bit_count_of(uint64_t value) noexcept {
  unsigned bits = 0;
  for (; value != 0; value >>= 1) ++bits;
  return bits;
}

uint64_t low_bits_mask(uint64_t bits) noexcept {
  return bits >= 64 ? ~uint64_t{0} : (uint64_t{1} << bits) - 1;
}

}  // namespace

PownMap::PownMap(uint32_t k, uint64_t base, uint64_t modulus) noexcept
    : mask_(low_bits_mask(k)), nbits_(bit_count_of(modulus)), base_(base), modulus_(modulus) {}

std::optional<uint64_t> PownMap::image(uint64_t j) const noexcept {
  // A modulus of 2^63 or more leaves no bits for x: the whole register is y.
  const uint64_t x = nbits_ >= 64 ? 0 : j >> nbits_;
  const uint64_t y = j & low_bits_mask(nbits_);
  if (x >= 1 && modulus_ == 0) return std::nullopt;
  const uint64_t high = nbits_ >= 64 ? 0 : x << nbits_;
  const uint64_t moved = high | (y * wrapping_pow_mod(base_, x, modulus_));
  if ((moved & ~mask_) != 0) return std::nullopt;
  return moved;
}

}  // namespace tz_nivra
