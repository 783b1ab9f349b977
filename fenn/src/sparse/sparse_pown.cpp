// The pown plug-in on the map. The transformation replaces the k low bits of
// word 0 of each stored key by pown_index of them and keeps every other bit,
// so that the sparse and the dense simulator agree on every call within the
// contract.
#include <new>

#include <boost/unordered/unordered_flat_map.hpp>
#include <boost/unordered/unordered_flat_set.hpp>

#include "fenn/src/quantum_execution/pown_plugin.hpp"
#include "fenn/src/sparse/sparse_simulator.hpp"

namespace fenn::sparse {

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
        args, targets,
        [this](uint64_t p, uint64_t q) -> Status {
          swap(p, q);
          return {};
        },
        [this](const bitwise::PownCall& call) -> Status {
          const bool moved = visit([&](auto& state) { return pown_pass(state, call, qubits_); });
          if (!moved) return plim::Unexpected{FennError::UnsupportedPlugin};
          return {};
        });
  } catch (const std::bad_alloc&) {
    return plim::Unexpected{FennError::UndefinedError};
  }
}

}  // namespace fenn::sparse
