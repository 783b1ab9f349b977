#include "fenn/src/quantum_execution/map_qubits.hpp"

namespace fenn {

bool map_qubits_into(std::span<const uint64_t> logical, std::span<const uint64_t> qubit_map,
                     std::vector<uint64_t>& out) {
  out.clear();
  for (uint64_t index : logical) {
    if (index >= qubit_map.size()) return false;
    out.push_back(qubit_map[index]);
  }
  return true;
}

}  // namespace fenn
