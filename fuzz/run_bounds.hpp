// Keeps the runs that the fuzz targets start small and finite: few qubit
// positions, few futures, dumps and blocks, few qubits that a gate can put
// into superposition, and a time limit of 0 whole seconds, so that any
// instruction reached a full second after the start ends the run with
// Timeout. A looping program therefore costs at most about a second.
#pragma once

#include <cstdint>
#include <unordered_set>
#include <variant>
#include <vector>

#include "libplim/src/model.hpp"

namespace fuzz {

inline constexpr uint64_t kMaxCount = uint64_t{1} << 16;
// A sparse state holds at most 2 to the power of the number of distinct
// positions that mixing gates touched; loops that reallocate one qubit
// number are bounded by the time limit.
inline constexpr std::size_t kMaxMixedQubits = 16;
// Dump instructions times the basis states one dump may list.
inline constexpr uint64_t kMaxDumpedStates = uint64_t{1} << 20;

inline bool mixes(const plim::QuantumGate& gate) {
  return std::holds_alternative<plim::Hadamard>(gate) || std::holds_alternative<plim::RX>(gate) ||
         std::holds_alternative<plim::RY>(gate) || std::holds_alternative<plim::Unitary>(gate);
}

// A dense back end lists every basis state of the dumped positions; a
// sparse one only those reached.
inline bool small_enough(const plim::Metrics& metrics,
                         const std::vector<const plim::CodeBlock*>& code, uint64_t max_qubits,
                         bool dense) {
  if (metrics.qubit_simultaneous > max_qubits || metrics.future_count > kMaxCount ||
      metrics.dump_count > kMaxCount || metrics.block_count > kMaxCount)
    return false;
  std::unordered_set<uint64_t> mixed;
  uint64_t dumps = 0;
  for (const plim::CodeBlock* block : code)
    for (const plim::Instruction& instruction : block->instructions) {
      if (const auto* gate = std::get_if<plim::Gate>(&instruction); gate && mixes(gate->gate))
        mixed.insert(gate->target);
      dumps += std::holds_alternative<plim::Dump>(instruction) ? 1 : 0;
    }
  if (mixed.size() > kMaxMixedQubits) return false;
  const uint64_t spread = dense ? metrics.qubit_simultaneous : mixed.size();
  return dumps <= (kMaxDumpedStates >> spread);
}

// The metrics as the fuzz targets hand them to a run: limited to 0 seconds.
inline plim::Metrics time_limited(plim::Metrics metrics) {
  metrics.timeout = 0;
  return metrics;
}

}  // namespace fuzz
