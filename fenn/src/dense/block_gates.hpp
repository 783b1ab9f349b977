// A gate as the blocks of a set of positions see it. A block is the 2^size
// indices that agree on every position outside the set, numbered by their
// bits in the set (block coordinates). Within a block every position outside
// the set holds one bit, so:
//   - a control outside the set holds for the whole block or for none of it;
//   - a diagonal gate (one that changes each amplitude from its own index
//     alone) whose target is outside the set multiplies every index of the
//     block by the factor of the side the block's target bit selects.
// Only the target of a gate that pairs amplitudes must lie in the set. In
// block coordinates each amplitude still sees the gate's own operations, so
// the bits are those of the gate applied to the whole list.
#pragma once

#include <cstdint>

#include "fenn/src/dense/dense_kernels.hpp"

namespace fenn::dense {

struct PositionSet {
  uint64_t mask = 0;
  unsigned size = 0;
  uint8_t position[64] = {};  // ascending
  uint8_t rank[64] = {};      // position -> its place in the set

  PositionSet() = default;
  explicit PositionSet(uint64_t mask) noexcept;
  // The bits of `global` in the set, in block coordinates.
  uint64_t to_block(uint64_t global) const noexcept;
  // The block coordinates `local` as global positions.
  uint64_t to_global(uint64_t local) const noexcept;
  // The first index of block number o (o counts the outside positions' bits).
  uint64_t block_base(uint64_t o) const noexcept;
};

// The positions a gate's pairs span: its target, unless it is diagonal.
inline uint64_t pairing_bit(const PreparedGate& gate) noexcept {
  return is_diagonal(gate.kind) ? 0 : gate.layout.target_bit;
}

// The share of a pass a gate's arithmetic costs: the fraction of the list it
// reads.
double work_of(const PreparedGate& gate) noexcept;

class BlockGate {
 public:
  BlockGate() = default;
  // `gate` in global coordinates; every pairing position of it is in `set`.
  BlockGate(const PreparedGate& gate, const PositionSet& set) noexcept;

  // The gate in block coordinates for the block whose outside bits are those
  // of `base`, or null when the block holds none of its indices.
  const PreparedGate* in(uint64_t base) const noexcept {
    if ((base & need_) != need_) return nullptr;
    const int side = (base & side_bit_) != 0;
    return active_[side] ? &form_[side] : nullptr;
  }

 private:
  PreparedGate form_[2];
  bool active_[2] = {false, false};
  uint64_t need_ = 0;      // outside positions that must all be set
  uint64_t side_bit_ = 0;  // a diagonal gate's target outside the set
};

}  // namespace fenn::dense
