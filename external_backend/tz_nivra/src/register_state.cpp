#include "register_state.hpp"

#include <cmath>

#include "modular_power.hpp"

namespace tz_nivra {

namespace {

uint64_t bit(uint64_t position) noexcept { return uint64_t{1} << position; }

void add_to(std::unordered_map<uint64_t, Amplitude>& next, uint64_t state, Amplitude a) {
  Amplitude& entry = next[state];
  entry = entry + a;
}

// Adds factor * a, skipping factors that are zero in the matrix so that
// they create no entries.
void contribute(std::unordered_map<uint64_t, Amplitude>& next, uint64_t state, Amplitude factor,
                Amplitude a) {
  if (!factor.is_zero()) add_to(next, state, factor * a);
}

}  // namespace

RegisterState::RegisterState(uint32_t qubits) : qubits_(qubits) { amplitudes_[0] = {1.0, 0.0}; }

void RegisterState::drop_negligible(Amplitudes& amplitudes) {
  for (auto it = amplitudes.begin(); it != amplitudes.end();)
    it = it->second.magnitude() < kNegligible ? amplitudes.erase(it) : std::next(it);
}

void RegisterState::apply(const GateMatrix& gate, uint32_t target, const uint32_t* controls,
                          uint32_t control_count) {
  if (!holds(target)) return;
  uint64_t control_mask = 0;
  for (uint32_t i = 0; i < control_count; ++i) {
    if (!holds(controls[i])) return;
    control_mask |= bit(controls[i]);
  }
  const uint64_t target_bit = bit(target);
  Amplitudes next;
  next.reserve(amplitudes_.size());
  for (const auto& [state, a] : amplitudes_) {
    if ((state & control_mask) != control_mask) {
      add_to(next, state, a);
      continue;
    }
    const bool one = (state & target_bit) != 0;
    contribute(next, state & ~target_bit, one ? gate.m01 : gate.m00, a);
    contribute(next, state | target_bit, one ? gate.m11 : gate.m10, a);
  }
  drop_negligible(next);
  amplitudes_.swap(next);
}

uint8_t RegisterState::measure(uint32_t position, std::mt19937_64& generator) {
  if (!holds(position)) return 0;
  const uint64_t target_bit = bit(position);
  double weight_one = 0.0;
  double weight_zero = 0.0;
  for (const auto& [state, a] : amplitudes_) (state & target_bit ? weight_one : weight_zero) += a.norm();

  uint8_t outcome = 1;
  if (weight_one == 0.0) {
    outcome = 0;
  } else if (weight_zero != 0.0) {
    std::uniform_real_distribution<double> draw(0.0, weight_zero + weight_one);
    outcome = draw(generator) < weight_one ? 1 : 0;
  }

  // Collapse in place: erasing allocates nothing, so this cannot fail.
  const double scale = 1.0 / std::sqrt(outcome ? weight_one : weight_zero);
  for (auto it = amplitudes_.begin(); it != amplitudes_.end();) {
    if (((it->first & target_bit) != 0) != (outcome == 1)) {
      it = amplitudes_.erase(it);
    } else {
      it->second = scale * it->second;
      ++it;
    }
  }
  return outcome;
}

void RegisterState::swap(uint64_t a, uint64_t b) {
  if (!holds(a) || !holds(b) || a == b) return;
  const uint64_t both = bit(a) | bit(b);
  Amplitudes next;
  next.reserve(amplitudes_.size());
  for (const auto& [state, amplitude] : amplitudes_) {
    const bool differ = ((state >> a) & 1) != ((state >> b) & 1);
    next.emplace(differ ? state ^ both : state, amplitude);
  }
  amplitudes_.swap(next);
}

std::vector<DumpEntry> RegisterState::snapshot(const uint32_t* positions, uint32_t count) const {
  for (uint32_t i = 0; i < count; ++i)
    if (!holds(positions[i])) return {};
  std::vector<DumpEntry> records;
  records.reserve(amplitudes_.size());
  for (const auto& [state, a] : amplitudes_) {
    uint64_t packed = 0;
    for (uint32_t i = 0; i < count; ++i) packed = (packed << 1) | ((state >> positions[i]) & 1);
    records.push_back(DumpEntry{packed, 0, a.re, a.im});
  }
  return records;
}

bool RegisterState::pown(uint32_t k, uint64_t base, uint64_t modulus) {
  struct Moved {
    uint64_t source;
    Amplitude amplitude;
  };
  const PownMap map(k, base, modulus);
  const uint64_t mask = map.register_mask();
  std::unordered_map<uint64_t, Moved> moved;
  moved.reserve(amplitudes_.size());
  for (const auto& [state, a] : amplitudes_) {
    if (a.is_zero()) continue;
    const auto image = map.image(state & mask);
    if (!image) return false;
    const uint64_t destination = (state & ~mask) | *image;
    if (destination >> qubits_ != 0) return false;
    auto [it, fresh] = moved.try_emplace(destination, Moved{state, a});
    if (!fresh && it->second.source < state) it->second = Moved{state, a};
  }
  Amplitudes next;
  next.reserve(moved.size());
  for (const auto& [destination, entry] : moved) next.emplace(destination, entry.amplitude);
  amplitudes_.swap(next);
  return true;
}

}  // namespace tz_nivra
