// Gates held back so that several of them share one pass over the list.
//
// A batch is a run of consecutive gates whose pairing positions (the targets
// of the gates that pair amplitudes, see block_gates.hpp) together with the
// lowest positions fall in a set of at most `positions` positions. The
// indices that agree on every position outside the set form a block of
// 2^positions amplitudes, which the batch's gates change among themselves
// only; each block is taken by one task. The batch is cut again into stages,
// runs of its gates whose pairing positions fit in sub-blocks of
// 2^inner_positions amplitudes: a stage gathers each sub-block of the block
// into the first-level cache (or works on it where it lies, when it is
// contiguous), runs the stage's gates over it with the single-gate kernels
// (two consecutive ones in one walk where apply_two takes them) and puts it
// back. The first stage reads the block from memory; the later
// ones find it in the second-level cache.
//
// Every amplitude sees the same operations in the same order as one gate at
// a time, so the bits are the same.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

#include "fenn/src/dense/amplitude_list.hpp"
#include "fenn/src/dense/block_gates.hpp"
#include "fenn/src/dense/dense_kernels.hpp"

namespace fenn::dense {

struct BatchBounds {
  // A block of 2^positions amplitudes (1 MiB for 16) stays in a core's
  // second-level cache and its share of the third.
  unsigned positions = 16;
  // Most gates per batch.
  unsigned gates = 256;
  // The lowest positions, always in the set, so that what is read of a block
  // comes in pieces of at least 2^low_run consecutive amplitudes. Pieces
  // spread over a list larger than the caches read the slower the shorter
  // they are, most of all below 1 KiB; longer ones leave fewer positions to
  // the gates, and so take more batches.
  unsigned low_run = 4;
  // A sub-block of 2^inner_positions amplitudes stays in the first-level
  // cache (16 KiB for 10); its set holds the block's lowest inner_low_run
  // positions.
  unsigned inner_positions = 10;
  unsigned inner_low_run = 4;
  // Most arithmetic per batch, in gates over the whole list: a batch then
  // takes a few passes' time, so the engine's time limit, checked between
  // instructions, keeps its meaning.
  double work = 32;
};

class Prefetcher;

// The low run for a register of `qubits`, with blocks of 2^positions and
// pieces of at most 2^longest amplitudes (longest < positions): the fewest
// batches for a layer of gates on every qubit (the first batch takes
// `positions` of them, each later one positions - run more), then the
// longest pieces, never shorter than 64 amplitudes unless `longest` is. Each
// batch reads the whole list, and pieces of 1 KiB still read near a pass's
// speed: at n = 26 on 8 threads, two batches with 1 KiB pieces took 64-66 ms
// against 72-80 for three with 4 KiB ones; with 256-byte pieces the two took
// 71-78.
unsigned layer_low_run(unsigned qubits, unsigned positions, unsigned longest) noexcept;

// The bounds that suit this processor's caches, for a register of `qubits`.
BatchBounds machine_bounds(unsigned qubits) noexcept;

class GateQueue {
 public:
  // Everything a batch needs is allocated here, for a register of `qubits`
  // qubits; when that fails the queue stays off and gates run one at a time.
  explicit GateQueue(unsigned qubits) noexcept;
  GateQueue(unsigned qubits, BatchBounds bounds) noexcept;

  // Changes the bounds (tests force small ones); false when the queue could
  // not be set up for them and is off.
  bool set_bounds(BatchBounds bounds) noexcept;
  void set_enabled(bool enabled) noexcept { enabled_ = enabled && ready_; }
  bool enabled() const noexcept { return enabled_; }

  bool empty() const noexcept { return gates_.empty(); }
  bool full() const noexcept { return gates_.size() >= bounds_.gates || work_ >= bounds_.work; }
  // Whether the gate can join the queued ones in one batch; an empty queue
  // takes any gate.
  bool accepts(const PreparedGate& gate) const noexcept;
  void push(const PreparedGate& gate);

  // Applies the queued gates to the list in program order and empties the
  // queue.
  void apply(Amplitude* list, unsigned qubits, KernelPath path);

  // Forgets the queued gates (the end of a run, where nothing reads them).
  void clear() noexcept {
    gates_.clear();
    pairing_ = 0;
    work_ = 0;
  }

 private:
  // Consecutive gates of a batch that share sub-blocks.
  struct Stage {
    PositionSet set;       // the positions of a sub-block
    PositionSet in_block;  // the same in block coordinates
    std::size_t first = 0, count = 0;  // its gates in inner_gates_
  };

  // The sub-block buffer of the task that runs on the calling thread, taken
  // from those allocated up front (one per thread of the pool and one more).
  std::size_t take_buffer() noexcept;
  void give_back(std::size_t k) noexcept;

  void plan(unsigned qubits);
  void run_stage(Amplitude* list, uint64_t base, const Stage& stage, std::size_t buffer_index,
                 Prefetcher& ahead, KernelPath path) const;

  unsigned qubits_;
  BatchBounds bounds_;
  bool ready_ = false;
  bool enabled_ = false;
  std::vector<PreparedGate> gates_;
  uint64_t pairing_ = 0;  // union over the queued gates
  double work_ = 0;

  // The plan of the batch being applied.
  PositionSet outer_;
  std::vector<BlockGate> outer_gates_;  // the gates as the blocks see them
  std::vector<Stage> stages_;
  std::vector<BlockGate> inner_gates_;  // as each stage's sub-blocks see them

  // The sub-block buffers, one per task that can run at once, in one
  // allocation: buffer k starts buffer_stride_ amplitudes after buffer k - 1.
  AmplitudeList buffer_area_;  // page-aligned
  uint64_t buffer_stride_ = 0;
  std::size_t buffer_count_ = 0;
  std::unique_ptr<std::atomic<bool>[]> buffer_taken_;
};

// Applies one gate to the whole list in one pass on the worker pool.
void apply_gate(Amplitude* list, const PreparedGate& gate, KernelPath path);

}  // namespace fenn::dense
