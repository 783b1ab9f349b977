#include <algorithm>

#include "fenn/src/sparse/sparse_simulator.hpp"

namespace fenn::sparse {

namespace {

// Packs the listed positions of a key: the last listed position is bit 0 of
// the last word, chunks of 64 taken from the end of the list, most
// significant word first.
plim::BasisState pack(const uint64_t* words, Positions positions) {
  const std::size_t m = positions.size();
  plim::BasisState state((m + 63) / 64, 0);
  for (std::size_t j = 0; j < m; ++j)
    if (bitwise::is_one(words, positions[m - 1 - j])) state[j / 64] |= uint64_t{1} << (j % 64);
  std::reverse(state.begin(), state.end());
  return state;
}

}  // namespace

plim::DumpData SparseSimulator::dump(Positions positions) {
  return visit([&](auto& state) -> plim::DumpData {
    using Map = typename std::remove_reference_t<decltype(state)>::Map;
    const Map& map = state.current();
    plim::Vector vector;
    vector.basis_states.reserve(map.size());
    vector.amplitudes_real.reserve(map.size());
    vector.amplitudes_imag.reserve(map.size());
    for (const auto& [key, a] : map) {
      vector.basis_states.push_back(pack(Map::key_words(key), positions));
      vector.amplitudes_real.push_back(a.re);
      vector.amplitudes_imag.push_back(a.im);
    }
    return vector;
  });
}

}  // namespace fenn::sparse
