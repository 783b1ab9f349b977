#include "fenn/src/dense/dense_simulator.hpp"

#include <utility>

#include "fenn/src/dense/dense_dump.hpp"
#include "fenn/src/quantum_execution/pown_plugin.hpp"
#include "fenn/src/runtime/worker_pool.hpp"
#include "fenn/src/sampling/sample_outcome.hpp"

namespace fenn::dense {

static_assert(QuantumExecution<DenseSimulator>);

FennResult<DenseSimulator> DenseSimulator::create(const plim::Metrics& metrics) {
  if (metrics.qubit_simultaneous > kMaxQubits) return plim::Unexpected{FennError::TooManyQubits};
  if (!only_pown_listed(metrics.plugins)) return plim::Unexpected{FennError::UnsupportedPlugin};
  const uint64_t size = uint64_t{1} << metrics.qubit_simultaneous;
  // The pown scatter needs a destination list; nothing else does.
  const bool with_pown = !metrics.plugins.empty();
  if (!lists_fit_in_memory(with_pown ? 2 : 1, size)) return plim::Unexpected{FennError::TooManyQubits};
  AmplitudeList state = allocate_zeroed(size);
  if (!state) return plim::Unexpected{FennError::TooManyQubits};
  AmplitudeList scratch;
  if (with_pown) {
    scratch = allocate_zeroed(size);
    if (!scratch) return plim::Unexpected{FennError::TooManyQubits};
  }
  state[0] = Amplitude{1.0, 0.0};
  return DenseSimulator(metrics.qubit_simultaneous, std::move(state), std::move(scratch));
}

double DenseSimulator::probability_of_one(uint64_t position) const {
  flush();
  const Amplitude* const state = state_.get();
  const uint64_t bit = uint64_t{1} << position;
  const uint64_t below = bit - 1;
  // Only the half of the indices whose bit is set is visited: the j-th of
  // them is j with a 1 inserted at the measured position.
  return runtime::parallel_reduce(
      size() / 2, 0.0,
      [state, bit, below](uint64_t begin, uint64_t end, double sum) {
        for (uint64_t j = begin; j < end; ++j) {
          const double m = magnitude(state[((j & ~below) << 1) | bit | (j & below)]);
          sum += m * m;
        }
        return sum;
      },
      [](double x, double y) { return x + y; });
}

void DenseSimulator::collapse(uint64_t position, bool outcome, double scale) {
  flush();
  // One in-place pass: the side that agrees with the outcome is scaled, the
  // other becomes (0.0, 0.0).
  PreparedGate gate;
  gate.kind = GateKind::Collapse;
  gate.layout = PairLayout(static_cast<unsigned>(qubits_), position, 0);
  gate.outcome = outcome;
  gate.r[0] = scale;
  apply_gate(state_.get(), gate, active_kernel_path());
}

FennResult<uint8_t> DenseSimulator::measure(uint64_t position) {
  const double p1 = probability_of_one(position);
  // No draw from such weights: the run ends before anything is collapsed.
  const auto outcome = sample_outcome(p1);
  if (!outcome) return plim::Unexpected{FennError::UndefinedError};
  collapse(position, outcome->bit != 0, outcome->scale);
  return outcome->bit;
}

plim::DumpData DenseSimulator::dump(Positions positions) const {
  return dump_amplitudes(state(), positions);
}

Status DenseSimulator::plugin(std::string_view /*name*/, std::string_view args, Positions targets) {
  // Code whose metrics do not name the plug-in (never the builder's) gets
  // the destination list now; if the memory is not there, the call is
  // refused before anything moves, as construction would have been.
  if (!scratch_) {
    if (lists_fit_in_memory(1, size())) scratch_ = allocate_zeroed(size());
    if (!scratch_) return plim::Unexpected{FennError::TooManyQubits};
  }
  flush();
  // Targets are positions of this register, so a pair that names a
  // position beyond it (k > n with repeated targets) always exchanges that
  // position with itself.
  return run_pown_plugin(
      args, targets, [this](uint64_t a, uint64_t b) { swap(a, b); },
      [this](const bitwise::PownCall& call) { return pown(call); });
}

}  // namespace fenn::dense
