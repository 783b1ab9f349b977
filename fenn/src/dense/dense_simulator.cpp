#include "fenn/src/dense/dense_simulator.hpp"

#include <utility>

#include "fenn/src/bitwise/pown.hpp"
#include "fenn/src/dense/dense_dump.hpp"
#include "fenn/src/dense/passes.hpp"
#include "fenn/src/sampling/sample_outcome.hpp"

namespace fenn::dense {

static_assert(QuantumExecution<DenseSimulator>);

FennResult<DenseSimulator> DenseSimulator::create(const plim::Metrics& metrics) {
  if (metrics.qubit_simultaneous > kMaxQubits) return plim::Unexpected{FennError::TooManyQubits};
  for (const std::string& name : metrics.plugins)
    if (name != "pown") return plim::Unexpected{FennError::UnsupportedPlugin};
  const uint64_t size = uint64_t{1} << metrics.qubit_simultaneous;
  if (!lists_fit_in_memory(2, size)) return plim::Unexpected{FennError::TooManyQubits};
  AmplitudeList a = allocate_zeroed(size);
  if (!a) return plim::Unexpected{FennError::TooManyQubits};
  AmplitudeList b = allocate_zeroed(size);
  if (!b) return plim::Unexpected{FennError::TooManyQubits};
  a[0] = Amplitude{1.0, 0.0};
  return DenseSimulator(metrics.qubit_simultaneous, std::move(a), std::move(b));
}

FennResult<uint8_t> DenseSimulator::measure(uint64_t position) {
  const Amplitude* state = current();
  const uint64_t bit = uint64_t{1} << position;
  const uint64_t below = bit - 1;
  // Only the half of the indices whose bit is set is visited: the j-th of
  // them is j with a 1 inserted at the measured position, so the pass reads
  // half the list instead of testing every index.
  const double p1 = runtime::parallel_reduce(
      size() / 2, 0.0,
      [state, bit, below](uint64_t begin, uint64_t end, double sum) {
        for (uint64_t j = begin; j < end; ++j) {
          const double m = magnitude(state[((j & ~below) << 1) | bit | (j & below)]);
          sum += m * m;
        }
        return sum;
      },
      [](double x, double y) { return x + y; });

  // No draw from such weights: the run ends before anything is collapsed.
  const auto outcome = sample_outcome(p1);
  if (!outcome) return plim::Unexpected{FennError::UndefinedError};

  Amplitude *old_list = nullptr, *new_list = nullptr;
  flip(old_list, new_list);
  const uint64_t keep = outcome->bit ? bit : 0;
  const double factor = outcome->scale;
  for_each_index(size(), [=](uint64_t i) {
    new_list[i] = (i & bit) == keep ? scale(factor, old_list[i]) : Amplitude{0.0, 0.0};
  });
  return outcome->bit;
}

plim::DumpData DenseSimulator::dump(Positions positions) const {
  return dump_amplitudes(state(), positions);
}

Status DenseSimulator::plugin(std::string_view /*name*/, std::string_view args, Positions targets) {
  const auto swaps = bitwise::derive_swap_list(targets);
  if (!swaps) return plim::Unexpected{FennError::UnsupportedPlugin};
  // Targets are positions of this register, so a pair that names a
  // position beyond it (k > n with repeated targets) always exchanges that
  // position with itself.
  for (const auto& [a, b] : *swaps) swap(a, b);
  if (!pown(targets.size(), args)) return plim::Unexpected{FennError::UnsupportedPlugin};
  for (const auto& [a, b] : *swaps) swap(a, b);
  return {};
}

}  // namespace fenn::dense
