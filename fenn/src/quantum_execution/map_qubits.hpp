// Translation of logical qubit indices into the back end's positions.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace fenn {

// Element i of `out` becomes qubit_map[logical[i]]; `out` is overwritten, so
// that the per-instruction path reuses one allocation. False on an index
// outside the map (malformed quantum code).
bool map_qubits_into(std::span<const uint64_t> logical, std::span<const uint64_t> qubit_map,
                     std::vector<uint64_t>& out);

}  // namespace fenn
