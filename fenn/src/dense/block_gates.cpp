#include "fenn/src/dense/block_gates.hpp"

#include <bit>

namespace fenn::dense {

PositionSet::PositionSet(uint64_t set) noexcept : mask(set) {
  for (unsigned p = 0; p < 64; ++p)
    if ((set >> p) & 1) {
      rank[p] = static_cast<uint8_t>(size);
      position[size++] = static_cast<uint8_t>(p);
    }
}

uint64_t PositionSet::to_block(uint64_t global) const noexcept {
  uint64_t local = 0;
  for (uint64_t rest = global & mask; rest != 0; rest &= rest - 1)
    local |= uint64_t{1} << rank[std::countr_zero(rest)];
  return local;
}

uint64_t PositionSet::to_global(uint64_t local) const noexcept {
  uint64_t global = 0;
  for (uint64_t rest = local; rest != 0; rest &= rest - 1)
    global |= uint64_t{1} << position[std::countr_zero(rest)];
  return global;
}

uint64_t PositionSet::block_base(uint64_t o) const noexcept { return insert_zeros(o, position, size); }

double work_of(const PreparedGate& gate) noexcept {
  const int controls = std::popcount(gate.layout.control_mask);
  // Phase and Z read only the side with the target bit set.
  const bool one_side = gate.kind == GateKind::PauliZ || gate.kind == GateKind::Phase;
  return 1.0 / static_cast<double>(uint64_t{1} << (controls + (one_side ? 1 : 0)));
}

BlockGate::BlockGate(const PreparedGate& gate, const PositionSet& set) noexcept {
  const PairLayout& layout = gate.layout;
  const uint64_t target = layout.target_bit;
  // Every index the gate changes has these bits set; the target is among them
  // when it sits among its controls.
  const uint64_t controls = layout.control_mask | (layout.only_set_half ? target : 0);
  const bool target_inside = (target & set.mask) != 0;
  const uint64_t inside_controls = set.to_block(controls);
  need_ = controls & ~set.mask & ~(target_inside ? 0 : target);
  const auto singles = [&](int side, GateKind kind, Amplitude factor, uint64_t block_controls) {
    PreparedGate& form = form_[side];
    form.kind = kind;
    form.f[0] = factor;
    form.layout = PairLayout::singles(set.size, block_controls);
    active_[side] = true;
  };
  switch (gate.kind) {
    case GateKind::Multiply:
    case GateKind::Negate:
      singles(0, gate.kind, gate.f[0], inside_controls);
      return;
    case GateKind::Phase:
    case GateKind::PauliZ: {
      // Only indices with the target bit set change: inside the set that is
      // one more control, outside it the side a block holds.
      const GateKind kind = gate.kind == GateKind::Phase ? GateKind::Multiply : GateKind::Negate;
      if (target_inside) {
        singles(0, kind, gate.f[1], inside_controls | set.to_block(target));
      } else {
        side_bit_ = target;
        singles(1, kind, gate.f[1], inside_controls);
      }
      return;
    }
    case GateKind::RZ:
      if (!target_inside) {
        side_bit_ = target;
        // A target among its controls leaves the side with a clear bit alone.
        if (!layout.only_set_half) singles(0, GateKind::Multiply, gate.f[0], inside_controls);
        singles(1, GateKind::Multiply, gate.f[1], inside_controls);
        return;
      }
      break;
    default:
      break;
  }
  form_[0] = gate;
  form_[0].layout =
      PairLayout(set.size, set.rank[std::countr_zero(target)], inside_controls);
  active_[0] = true;
}

}  // namespace fenn::dense
