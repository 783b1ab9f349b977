#include "fenn/src/sparse/sparse_simulator.hpp"

namespace fenn::sparse {

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

}  // namespace fenn::sparse
