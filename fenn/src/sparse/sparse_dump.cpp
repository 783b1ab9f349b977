#include <algorithm>
#include <vector>

#include "fenn/src/sparse/sparse_simulator.hpp"

namespace fenn::sparse {

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
