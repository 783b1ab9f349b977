// Gates held back so that several of them share one pass over the list. A
// batch is a run of consecutive gates whose target and control positions
// together with the lowest positions fall in a set of at most `positions`
// positions; the indices that
// agree on every position outside the set form a block of 2^positions
// amplitudes that the batch's gates change among themselves only. Each
// block is taken by one task, loaded into cache once, given every gate of
// the batch in program order with the single-gate kernels and written back:
// every amplitude sees the same operations in the same order as one gate
// at a time, so the bits are the same.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

#include "fenn/src/dense/amplitude_list.hpp"
#include "fenn/src/dense/dense_kernels.hpp"

namespace fenn::dense {

struct BatchBounds {
  // 2^14 amplitudes (256 KiB) stay in a core's second-level cache.
  unsigned positions = 14;
  // A batch of this many gates costs a few passes' time, so that the
  // engine's time limit, checked between instructions, keeps its meaning.
  unsigned gates = 32;
  // The lowest positions, always in the set: a block is gathered in pieces of
  // 2^low_run consecutive amplitudes (512 bytes), long enough that reading
  // pieces spread over the list runs at memory speed.
  unsigned low_run = 5;
};

class GateQueue {
 public:
  // Everything a batch needs is allocated here, for a register of `qubits`
  // qubits; when that fails the queue stays off and gates run one at a time.
  explicit GateQueue(unsigned qubits, BatchBounds bounds = {}) noexcept;

  // Changes the bounds (tests force small ones); false when the queue could
  // not be set up for them and is off.
  bool set_bounds(BatchBounds bounds) noexcept;
  void set_enabled(bool enabled) noexcept { enabled_ = enabled && ready_; }
  bool enabled() const noexcept { return enabled_; }

  bool empty() const noexcept { return gates_.empty(); }
  bool full() const noexcept { return gates_.size() >= bounds_.gates; }
  // Whether the gate's positions fit in one set with those already queued.
  bool accepts(const PreparedGate& gate) const noexcept;
  void push(const PreparedGate& gate);

  // Applies the queued gates to the list in program order and empties the
  // queue.
  void apply(Amplitude* list, unsigned qubits, KernelPath path);

  // Forgets the queued gates (the end of a run, where nothing reads them).
  void clear() noexcept {
    gates_.clear();
    positions_ = 0;
  }

 private:
  static uint64_t positions_of(const PreparedGate& gate) noexcept {
    return gate.layout.target_bit | gate.layout.control_mask;
  }

  // A block buffer for the task that runs on the calling thread, taken from
  // those allocated up front (one per thread of the pool and one more).
  Amplitude* take_buffer() noexcept;
  void give_back(Amplitude* buffer) noexcept;

  unsigned qubits_;
  BatchBounds bounds_;
  bool ready_ = false;
  bool enabled_ = false;
  std::vector<PreparedGate> gates_;
  std::vector<PreparedGate> local_;  // the batch in block coordinates
  uint64_t positions_ = 0;           // union over the queued gates
  std::vector<AmplitudeList> buffers_;
  std::unique_ptr<std::atomic<bool>[]> buffer_taken_;
};

// Applies one gate to the whole list in one pass on the worker pool.
void apply_gate(Amplitude* list, const PreparedGate& gate, KernelPath path);

}  // namespace fenn::dense
