// Translation of logical qubit indices into the back end's positions.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "fenn/src/quantum_execution/backend.hpp"

namespace fenn {

// Element i of the result is qubit_map[logical[i]]; UndefinedError when an
// index lies outside the map (malformed quantum code).
FennResult<std::vector<uint64_t>> map_qubits(std::span<const uint64_t> logical,
                                             std::span<const uint64_t> qubit_map);

// The same into a caller's buffer, so that the per-instruction path reuses
// one allocation. `out` is overwritten; false on an index outside the map.
bool map_qubits_into(std::span<const uint64_t> logical, std::span<const uint64_t> qubit_map,
                     std::vector<uint64_t>& out);

}  // namespace fenn
