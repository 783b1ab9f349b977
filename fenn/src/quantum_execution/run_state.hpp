// The state of one run of the engine: where each logical qubit lives, the
// positions that allocations may take, the futures and the dump slots.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <vector>

#include "fenn/src/quantum_execution/backend.hpp"
#include "fenn/src/runtime/memory_budget.hpp"
#include "libplim/src/model.hpp"

namespace fenn {

struct RunState {
  // The bytes that a run state for these metrics needs: the qubit map and
  // the clean stack (8 bytes per qubit each), the future values and the dump
  // slots, and as much again for the values and slots, which leave the run
  // as its result and are then encoded or stored once more.
  static uint64_t bytes_needed(const plim::Metrics& metrics) noexcept {
    using runtime::bytes_for;
    using runtime::sum_bytes;
    const uint64_t qubits = bytes_for(metrics.qubit_simultaneous, 2 * sizeof(uint64_t));
    const uint64_t results = sum_bytes(bytes_for(metrics.future_count, sizeof(int64_t)),
                                       bytes_for(metrics.dump_count, sizeof(plim::DumpData)));
    return sum_bytes(qubits, bytes_for(results, 2));
  }

  // Whether this process can get that memory; asked before anything is
  // allocated, since the counts come from the metrics alone.
  static bool fits_in_memory(const plim::Metrics& metrics) {
    return runtime::can_get(bytes_needed(metrics));
  }

  // Sized from the metrics; throws std::bad_alloc or std::length_error when
  // the sizes cannot be held.
  explicit RunState(const plim::Metrics& metrics)
      : qubit_map(metrics.qubit_simultaneous),
        free_qubits(metrics.qubit_simultaneous),
        futures(metrics.future_count, 0),
        dumps(metrics.dump_count, plim::DumpData{plim::Probability{}}) {
    for (uint64_t i = 0; i < qubit_map.size(); ++i) qubit_map[i] = free_qubits[i] = i;
    // The stacks' tops are their last elements: n-1 is handed out first.
  }

  // A clean allocation only takes a clean position; a dirty one prefers a
  // dirty position and falls back to a clean one.
  std::optional<uint64_t> take_position(bool dirty) {
    std::vector<uint64_t>* stack = nullptr;
    if (dirty && !dirty_qubits.empty()) {
      stack = &dirty_qubits;
    } else if (!free_qubits.empty()) {
      stack = &free_qubits;
    } else {
      return std::nullopt;
    }
    const uint64_t position = stack->back();
    stack->pop_back();
    return position;
  }

  void release_position(uint64_t position, bool dirty) {
    (dirty ? dirty_qubits : free_qubits).push_back(position);
  }

  std::vector<uint64_t> qubit_map;
  std::vector<uint64_t> free_qubits;
  std::vector<uint64_t> dirty_qubits;
  std::vector<int64_t> futures;
  std::vector<plim::DumpData> dumps;
  // Positions of the instruction being carried out, reused from one
  // instruction to the next.
  std::vector<uint64_t> positions;
};

// Whole seconds plus the remaining nanoseconds, as the run reports its time.
inline double seconds_of(std::chrono::steady_clock::duration elapsed) {
  const auto whole = std::chrono::duration_cast<std::chrono::seconds>(elapsed);
  const auto nanos = std::chrono::duration_cast<std::chrono::nanoseconds>(elapsed - whole);
  return static_cast<double>(whole.count()) + static_cast<double>(nanos.count()) / 1e9;
}

}  // namespace fenn
