// The in-place kernels of the dense simulator. A one-qubit gate pairs every
// index whose target bit is clear (a0) with the index that has it set (a1);
// each pair is read and written by one task, so a pass needs no lock. Only
// the pairs whose controls hold are visited, and only the amplitudes a gate
// changes are written. Each kernel exists for the baseline instruction set,
// AVX2 and AVX-512, chosen once at run time; all three compute every part with
// the same operations in the same order, so they give the same bits.
#pragma once

#include <array>
#include <cstdint>

#include "fenn/src/dense/pieces.hpp"
#include "fenn/src/math/complex_math.hpp"

namespace fenn::dense {

enum class GateKind : uint8_t {
  PauliX, PauliY, PauliZ, Hadamard, Phase, RX, RY, RZ, Unitary, Collapse,
  // One side of a diagonal gate whose target bit is the same for a whole
  // block (see block_gates.hpp): every index whose controls hold is
  // multiplied by f[0], or negated; the layout has no target.
  Multiply, Negate
};

// Whether the gate changes each amplitude on its own, from its index alone:
// such a gate pairs no amplitudes, so its target need not lie in a block.
constexpr bool is_diagonal(GateKind kind) noexcept {
  return kind == GateKind::PauliZ || kind == GateKind::Phase || kind == GateKind::RZ ||
         kind == GateKind::Multiply || kind == GateKind::Negate;
}

// x with a zero bit inserted at each of the `count` ascending positions: the
// x-th index whose bits at those positions are all clear.
inline uint64_t insert_zeros(uint64_t x, const uint8_t* positions, unsigned count) noexcept {
  for (unsigned k = 0; k < count; ++k) {
    const unsigned s = positions[k];
    x = ((x >> s) << (s + 1)) | (x & ((uint64_t{1} << s) - 1));
  }
  return x;
}

// Where the pairs of a gate lie in a list of 2^n amplitudes.
struct PairLayout {
  uint64_t target_bit = 0;
  uint64_t control_mask = 0;  // without the target bit
  // The target sat among its controls: only the index with the target bit set
  // satisfies them, so only a1 is written.
  bool only_set_half = false;
  unsigned low = 0;  // lowest target or control position: runs of 2^low pairs
  unsigned special_count = 0;
  std::array<uint8_t, 33> special{};  // target and control positions, ascending
  uint64_t pairs = 0;                  // pairs visited in a list of 2^n

  PairLayout() = default;
  PairLayout(unsigned qubits, uint64_t target, uint64_t controls);
  // The indices whose controls hold, for the single-index kinds: `pairs`
  // counts indices and base(j) is the j-th of them.
  static PairLayout singles(unsigned qubits, uint64_t controls);

  // The index with the target bit clear of the j-th visited pair.
  uint64_t base(uint64_t j) const noexcept {
    return insert_zeros(j, special.data(), special_count) | control_mask;
  }

 private:
  // Takes `positions` as the special ones of a list of 2^qubits.
  void span(unsigned qubits, uint64_t positions) noexcept;
};

// A gate with its factors computed once, before any pass:
//   PauliY     f[0] = -i for the clear index, f[1] = +i for the set one
//   Hadamard   r[0] = s
//   Phase      f[1] = e^{i lambda}
//   RX         f[0] = -i sin(theta/2), r[0] = cos(theta/2)
//   RY         r[0] = -sin, r[1] = +sin, r[2] = cos
//   RZ         f[0] = e^{-i theta/2}, f[1] = e^{+i theta/2}
//   Unitary    f = m0, m1, m2, m3
//   Collapse   r[0] = scale; the kept side is a1 when outcome is 1
//   Multiply   f[0], the factor of the side a block holds
struct PreparedGate {
  GateKind kind = GateKind::PauliX;
  std::array<Amplitude, 4> f{};
  std::array<double, 3> r{};
  bool outcome = false;
  PairLayout layout;
};

enum class KernelPath : uint8_t { Baseline, Avx2, Avx512 };

// The best path this processor runs, detected once.
KernelPath best_kernel_path() noexcept;
// Whether this processor can run the path.
bool kernel_path_available(KernelPath path) noexcept;
// The path the passes use: the best one unless a test chose another.
KernelPath active_kernel_path() noexcept;
void set_active_kernel_path(KernelPath path) noexcept;

// Applies the gate to the visited pairs [begin, end) of `list`.
void apply_pairs(Amplitude* list, const PreparedGate& gate, uint64_t begin, uint64_t end,
                 KernelPath path) noexcept;

// Applies `first`, then `second`, to a whole list of `count` amplitudes in
// one walk, with the bits of two apply_pairs calls, where both pair
// amplitudes (any kind that reads and writes both sides, but a unitary) on
// different targets at position 2 or above and have no controls and the
// path computes in quads. Returns false, the list untouched, for any other
// two gates.
bool apply_two(Amplitude* list, uint64_t count, const PreparedGate& first, const PreparedGate& second,
               KernelPath path) noexcept;

// Copies the sub-block at `base` between the list and a contiguous buffer
// (into the buffer when `to_buffer`), piece by piece.
void move_pieces(Amplitude* list, uint64_t base, const Pieces& pieces, Amplitude* buffer, bool to_buffer,
                 KernelPath path) noexcept;

}  // namespace fenn::dense
