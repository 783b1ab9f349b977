// The arithmetic of the `pown` plug-in shared by the simulators: the swap list
// that brings the targets into the low positions, the reading of the argument
// text, pow_mod and pown_index.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <utility>
#include <vector>

namespace fenn::bitwise {

// Exchanges of positions applied before and after the transformation. Empty
// optional when a target is not below the number of targets.
std::optional<std::vector<std::pair<uint64_t, uint64_t>>> derive_swap_list(
    std::span<const uint64_t> targets);

struct PownArgs {
  uint64_t base = 0;
  uint64_t modulus = 0;
};

// Splits the text at every space (keeping empty pieces) and reads pieces 0
// and 1 as unsigned decimal numbers with an optional '+'. Empty optional when
// they are missing or malformed.
std::optional<PownArgs> parse_pown_args(std::string_view args);

// The number of bits of the modulus without leading zeros (0 for 0).
unsigned bit_length(uint64_t value) noexcept;

// b^x mod m computed with wrapping 64-bit products, exactly as the plug-in
// defines it. m must not be 0 when x >= 1.
uint64_t pow_mod(uint64_t base, uint64_t x, uint64_t modulus) noexcept;

// One plug-in call: the register is the k lowest positions, split into x (the
// bits from nbits to k-1) and y (the nbits lowest bits).
struct PownCall {
  uint64_t k = 0;
  unsigned nbits = 0;
  uint64_t base = 0;
  uint64_t modulus = 0;

  // The k low bits set; every bit for k of 64 or more.
  uint64_t register_mask() const noexcept { return k >= 64 ? ~uint64_t{0} : (uint64_t{1} << k) - 1; }
};

// (x << nbits) | (y * pow_mod(base, x, modulus)) for the k low bits of j; bits
// of j at k and above do not enter. Shifts by 64 give 0.
uint64_t pown_index(uint64_t j, const PownCall& call) noexcept;

// x of the k low bits `jk`: the bits from nbits to k-1.
uint64_t register_x(uint64_t jk, const PownCall& call) noexcept;

// pown_register_image with c = pow_mod(base, register_x(jk), modulus) given,
// so that a pass can reuse c over the indices that share x.
std::optional<uint64_t> register_image(uint64_t jk, uint64_t c, const PownCall& call) noexcept;

// The register value that the k low bits `jk` move to, or an empty optional
// when the call is outside its contract for that value: a modulus of 0 with
// x >= 1, or a result of 2^k or more.
std::optional<uint64_t> pown_register_image(uint64_t jk, const PownCall& call) noexcept;

}  // namespace fenn::bitwise
