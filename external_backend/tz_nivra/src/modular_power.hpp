// The arithmetic of plugin_pown: where the k low bits of a basis state move.
#pragma once

#include <cstdint>
#include <optional>

namespace tz_nivra {

// base^x mod modulus with every product wrapping at 64 bits and reduced
// right after; x = 0 gives 1 unreduced. modulus must not be 0 when x >= 1.
uint64_t wrapping_pow_mod(uint64_t base, uint64_t x, uint64_t modulus) noexcept;

class PownMap {
 public:
  PownMap(uint32_t k, uint64_t base, uint64_t modulus) noexcept;

  // The k low bits of every state with bits at k and above.
  uint64_t register_mask() const noexcept { return mask_; }

  // The value that the register bits `j` (below 2^k) move to, or nothing
  // when that lies outside the contract (modulus 0 with x >= 1, or an image
  // of 2^k or more).
  std::optional<uint64_t> image(uint64_t j) const noexcept;

 private:
  uint64_t mask_;
  unsigned nbits_;
  uint64_t base_;
  uint64_t modulus_;
};

}  // namespace tz_nivra
