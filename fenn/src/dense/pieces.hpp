// Where the amplitudes of a sub-block lie in a list, for a set of positions:
// runs of 2^run consecutive amplitudes (`run` counts the set's lowest
// positions 0, 1, 2, ... with no gap), one for every combination of the
// higher positions' bits, in increasing order.
#pragma once

#include <bit>
#include <cstdint>

namespace fenn::dense {

struct Pieces {
  explicit Pieces(uint64_t mask) noexcept
      : run(static_cast<unsigned>(std::countr_one(mask))), length(uint64_t{1} << run), high_mask(mask & ~(length - 1)) {}

  // The offset of the piece after the one at `offset`: the next subset of
  // the higher positions, (x - mask) & mask, which comes back to 0 after the
  // last.
  uint64_t next(uint64_t offset) const noexcept { return (offset - high_mask) & high_mask; }
  // A single piece: the sub-block lies where it is, contiguous.
  bool whole() const noexcept { return high_mask == 0; }

  unsigned run;
  uint64_t length;
  uint64_t high_mask;
};

}  // namespace fenn::dense
