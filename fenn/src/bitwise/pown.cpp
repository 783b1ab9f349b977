#include "fenn/src/bitwise/pown.hpp"

#include <bit>

#include "libplim/src/unsigned_decimal.hpp"

namespace fenn::bitwise {

std::optional<std::vector<std::pair<uint64_t, uint64_t>>> derive_swap_list(
    std::span<const uint64_t> targets) {
  const uint64_t k = targets.size();
  for (uint64_t target : targets)
    if (target >= k) return std::nullopt;

  std::vector<uint64_t> table(k);
  for (uint64_t i = 0; i < k; ++i) table[i] = i;
  std::vector<std::pair<uint64_t, uint64_t>> swaps;
  for (uint64_t i = 0; i < k; ++i) {
    if (table[i] == targets[i]) continue;
    swaps.emplace_back(i, table[i]);
    std::swap(table[i], table[targets[i]]);
  }
  return swaps;
}

std::optional<PownArgs> parse_pown_args(std::string_view args) {
  const std::size_t first_space = args.find(' ');
  if (first_space == std::string_view::npos) return std::nullopt;
  std::string_view rest = args.substr(first_space + 1);
  const auto base = plim::parse_unsigned_decimal(args.substr(0, first_space));
  const auto modulus = plim::parse_unsigned_decimal(rest.substr(0, rest.find(' ')));
  if (!base || !modulus) return std::nullopt;
  return PownArgs{*base, *modulus};
}

unsigned bit_length(uint64_t value) noexcept {
  return static_cast<unsigned>(64 - std::countl_zero(value));
}

uint64_t pow_mod(uint64_t base, uint64_t x, uint64_t modulus) noexcept {
  if (x == 0) return 1;
  // Outside the contract; answered with 0 rather than a division by zero.
  if (modulus == 0) return 0;
  if (x == 1) return (base * 1) % modulus;
  uint64_t r = 1;
  uint64_t d = base;
  for (;;) {
    if (x & 1) r = (r * d) % modulus;
    d = (d * d) % modulus;
    if (x <= 3) break;
    x >>= 1;
  }
  return (d * r) % modulus;
}

namespace {

struct Split {
  uint64_t x;
  uint64_t y;
};

Split split_register(uint64_t j, const PownCall& call) noexcept {
  const uint64_t jk = j & call.register_mask();
  if (call.nbits >= 64) return {0, jk};
  return {jk >> call.nbits, jk & ((uint64_t{1} << call.nbits) - 1)};
}

uint64_t join_register(Split parts, uint64_t c, const PownCall& call) noexcept {
  const uint64_t high = call.nbits >= 64 ? 0 : parts.x << call.nbits;
  return high | (parts.y * c);
}

}  // namespace

uint64_t pown_index(uint64_t j, const PownCall& call) noexcept {
  const Split parts = split_register(j, call);
  return join_register(parts, pow_mod(call.base, parts.x, call.modulus), call);
}

uint64_t register_x(uint64_t jk, const PownCall& call) noexcept {
  return split_register(jk, call).x;
}

std::optional<uint64_t> register_image(uint64_t jk, uint64_t c, const PownCall& call) noexcept {
  const Split parts = split_register(jk, call);
  if (parts.x >= 1 && call.modulus == 0) return std::nullopt;
  const uint64_t image = join_register(parts, c, call);
  if (call.k < 64 && (image >> call.k) != 0) return std::nullopt;
  return image;
}

std::optional<uint64_t> pown_register_image(uint64_t jk, const PownCall& call) noexcept {
  return register_image(jk, pow_mod(call.base, register_x(jk, call), call.modulus), call);
}

}  // namespace fenn::bitwise
