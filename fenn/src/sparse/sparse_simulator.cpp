#include "fenn/src/sparse/sparse_simulator.hpp"

#include <new>
#include <stdexcept>

#include "fenn/src/quantum_execution/pown_plugin.hpp"
#include "fenn/src/runtime/memory_budget.hpp"
#include "fenn/src/runtime/thread_rng.hpp"

namespace fenn::sparse {

static_assert(QuantumExecution<SparseSimulator>);

namespace {

template <class Keys, class State>
State make_state(uint64_t words) {
  // Drawn in this order: the first map's seed, then the second's.
  const uint64_t seed_a = runtime::thread_rng_next_u64();
  const uint64_t seed_b = runtime::thread_rng_next_u64();
  return State(std::in_place_type<SparseState<Keys>>, words, seed_a, seed_b);
}

template <class State>
State make_state_for(uint64_t words) {
  if (words == 1) return make_state<InlineKeys<1>, State>(words);
  if (words <= 2) return make_state<InlineKeys<2>, State>(words);
  if (words <= 4) return make_state<InlineKeys<4>, State>(words);
  if (words <= 8) return make_state<InlineKeys<8>, State>(words);
  if (words <= 16) return make_state<InlineKeys<16>, State>(words);
  return make_state<ArenaKeys, State>(words);
}

}  // namespace

FennResult<SparseSimulator> SparseSimulator::create(const plim::Metrics& metrics) {
  if (!only_pown_listed(metrics.plugins)) return plim::Unexpected{FennError::UnsupportedPlugin};
  const uint64_t qubits = metrics.qubit_simultaneous;
  const uint64_t words = qubits / 64 + 1;
  // Keys are sized from the metrics: the zero key is built, stored in the
  // first map's key storage, and the first pass stores keys in the second's.
  // Three keys of `words` words (and a count) must be there to start.
  if (!runtime::can_get(runtime::bytes_for(3, runtime::bytes_for(words + 1, sizeof(uint64_t)))))
    return plim::Unexpected{FennError::UndefinedError};
  try {
    return SparseSimulator(qubits, words, make_state_for<State>(words));
  } catch (const std::bad_alloc&) {
    return plim::Unexpected{FennError::UndefinedError};
  } catch (const std::length_error&) {  // a key wider than any allocation
    return plim::Unexpected{FennError::UndefinedError};
  }
}

std::size_t SparseSimulator::entry_count() const noexcept {
  return std::visit([](const auto& state) { return state.current().size(); }, state_);
}

}  // namespace fenn::sparse
