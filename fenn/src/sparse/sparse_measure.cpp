#include <cmath>
#include <new>

#include "fenn/src/sampling/sample_outcome.hpp"
#include "fenn/src/sparse/sparse_simulator.hpp"

namespace fenn::sparse {

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

}  // namespace fenn::sparse
