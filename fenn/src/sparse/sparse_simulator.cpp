// The sparse simulator: construction, the exchange of two positions,
// measurement, the pown plug-in and dumps. The gate rules are in
// sparse_gates.cpp.
#include "fenn/src/sparse/sparse_simulator.hpp"

#include <algorithm>
#include <cmath>
#include <new>
#include <stdexcept>
#include <vector>

#include <boost/unordered/unordered_flat_map.hpp>
#include <boost/unordered/unordered_flat_set.hpp>

#include "fenn/src/quantum_execution/pown_plugin.hpp"
#include "fenn/src/runtime/memory_budget.hpp"
#include "fenn/src/runtime/thread_rng.hpp"
#include "fenn/src/sampling/sample_outcome.hpp"

namespace fenn::sparse {

// ---------- Construction

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

// ---------- Exchanging two positions

void SparseSimulator::swap(uint64_t p, uint64_t q) {
  visit([&](auto& state) {
    using Map = typename std::remove_reference_t<decltype(state)>::Map;
    state.rebuild([&](const uint64_t* words, Amplitude a, Map& out) {
      // With p = q nothing is read: the pown steps may exchange a position
      // with itself beyond the key.
      if (p != q && bitwise::is_one(words, p) != bitwise::is_one(words, q)) {
        out.insert(words, [&](uint64_t* key) {
          bitwise::flip(key, p);
          bitwise::flip(key, q);
        }, a);
      } else {
        out.insert(words, Unchanged{}, a);
      }
    });
  });
}

// ---------- Measurement

namespace {

struct Weight {
  double p1 = 0.0;       // summed one entry after the other in the map's order
  std::size_t ones = 0;  // entries with the bit set
};

template <class Map>
Weight weight_of_one(const Map& map, uint64_t position) {
  Weight weight;
  for (const auto& [key, a] : map) {
    if (!bitwise::is_one(Map::key_words(key), position)) continue;
    const double magnitude = std::hypot(a.re, a.im);
    weight.p1 += magnitude * magnitude;
    ++weight.ones;
  }
  return weight;
}

}  // namespace

FennResult<uint8_t> SparseSimulator::measure(uint64_t position) {
  try {
    return visit([&](auto& state) -> FennResult<uint8_t> {
      using Map = typename std::remove_reference_t<decltype(state)>::Map;
      // No draw can be made from a p1 that is not a number or infinite; the
      // state is not touched then.
      const Weight weight = weight_of_one(state.current(), position);
      const auto outcome = sample_outcome(weight.p1);
      if (!outcome) return plim::Unexpected{FennError::UndefinedError};
      const bool one = outcome->bit == 1;
      const double scale = outcome->scale;
      // The target grows only to the entries that stay.
      const std::size_t kept = one ? weight.ones : state.current().size() - weight.ones;
      state.rebuild(kept, [&](const uint64_t* words, Amplitude a, Map& out) {
        if (bitwise::is_one(words, position) == one) out.insert(words, Unchanged{}, fenn::scale(scale, a));
      });
      return outcome->bit;
    });
  } catch (const std::bad_alloc&) {
    return plim::Unexpected{FennError::UndefinedError};
  }
}

// ---------- The pown plug-in
// The pown plug-in on the map. The transformation replaces the k low bits of
// word 0 of each stored key by pown_index of them and keeps every other bit,
// so that the sparse and the dense simulator agree on every call within the
// contract.

namespace {

// Whether an image sets a bit at a position the register does not have.
bool beyond_register(uint64_t image, uint64_t qubits) noexcept {
  return qubits < 64 && (image >> qubits) != 0;
}

// An entry of amplitude exactly zero moves nothing and is dropped, as a
// dense basis state of amplitude zero moves nothing: it must neither win a
// collision against a state that holds amplitude nor put the call outside
// its contract.
bool holds_nothing(const Amplitude& a) noexcept { return a.re == 0.0 && a.im == 0.0; }

// Moves every entry that holds amplitude; false, with nothing moved, when a stored register value
// lies outside the call's contract.
template <class State>
bool pown_pass(State& state, const bitwise::PownCall& call, uint64_t qubits) {
  using Map = typename State::Map;
  const uint64_t mask = call.register_mask();

  // The image of every register value that a stored key holds, checked
  // before anything moves.
  boost::unordered_flat_map<uint64_t, uint64_t> images;
  for (const auto& entry : state.current()) {
    if (holds_nothing(entry.second)) continue;
    const uint64_t value = Map::key_words(entry.first)[0] & mask;
    if (images.contains(value)) continue;
    const auto image = bitwise::pown_register_image(value, call);
    if (!image || beyond_register(*image, qubits)) return false;
    images.emplace(value, *image);
  }

  auto move = [&](const uint64_t* words, Amplitude a, Map& out) {
    if (holds_nothing(a)) return;
    const uint64_t image = images.find(words[0] & mask)->second;
    out.insert(words, [&](uint64_t* key) { key[0] = (key[0] & ~mask) | image; }, a);
  };

  // Two register values with one image send states that differ only there
  // to one key; taking the entries in key order lets the highest source win.
  boost::unordered_flat_set<uint64_t> reached;
  for (const auto& [value, image] : images) reached.insert(image);
  if (reached.size() != images.size())
    state.rebuild_in_key_order(move);
  else
    state.rebuild(move);
  return true;
}

}  // namespace

Status SparseSimulator::plugin(std::string_view /*name*/, std::string_view args,
                               Positions targets) {
  try {
    return run_pown_plugin(
        args, targets, [this](uint64_t p, uint64_t q) { swap(p, q); },
        [this](const bitwise::PownCall& call) {
          return visit([&](auto& state) { return pown_pass(state, call, qubits_); });
        });
  } catch (const std::bad_alloc&) {
    return plim::Unexpected{FennError::UndefinedError};
  }
}

// ---------- Dumps

namespace {

// Packs the listed positions of a key into `state` (⌈m/64⌉ words, zeroed):
// the last listed position is bit 0 of the last word, chunks of 64 taken
// from the end of the list, most significant word first.
void pack(const uint64_t* words, Positions positions, uint64_t* state) {
  const std::size_t m = positions.size();
  const std::size_t width = (m + 63) / 64;
  for (std::size_t j = 0; j < m; ++j)
    if (bitwise::is_one(words, positions[m - 1 - j]))
      state[width - 1 - j / 64] |= uint64_t{1} << (j % 64);
}

}  // namespace

plim::DumpData SparseSimulator::dump(Positions positions) {
  return visit([&](auto& state) -> plim::DumpData {
    using Map = typename std::remove_reference_t<decltype(state)>::Map;
    const Map& map = state.current();
    const std::size_t width = (positions.size() + 63) / 64;
    std::vector<uint64_t> words(map.size() * width, 0);
    plim::Vector vector;
    vector.amplitudes_real.reserve(map.size());
    vector.amplitudes_imag.reserve(map.size());
    uint64_t* next = words.data();
    for (const auto& [key, a] : map) {
      pack(Map::key_words(key), positions, next);
      next += width;
      vector.amplitudes_real.push_back(a.re);
      vector.amplitudes_imag.push_back(a.im);
    }
    vector.basis_states = plim::BasisStates(map.size(), width, std::move(words));
    return vector;
  });
}

}  // namespace fenn::sparse
