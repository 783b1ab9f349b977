#include "fenn/src/dense/gate_queue.hpp"

#include <algorithm>
#include <bit>
#include <cstring>
#include <new>

#include "fenn/src/runtime/worker_pool.hpp"

namespace fenn::dense {

void apply_gate(Amplitude* list, const PreparedGate& gate, KernelPath path) {
  runtime::parallel_for(gate.layout.pairs, [list, &gate, path](uint64_t begin, uint64_t end) {
    apply_pairs(list, gate, begin, end, path);
  });
}

GateQueue::GateQueue(unsigned qubits, BatchBounds bounds) noexcept : qubits_(qubits) {
  set_bounds(bounds);
}

bool GateQueue::set_bounds(BatchBounds bounds) noexcept {
  clear();
  ready_ = enabled_ = false;
  buffers_.clear();
  buffer_taken_.reset();
  // The low positions 0 and 1 at least are in every set, so that each
  // gathered piece fills whole cache lines; a list no larger than one block
  // takes every gate in cache anyway and needs no queue.
  bounds.positions = std::clamp(bounds.positions, 2u, 24u);
  bounds.gates = std::max(bounds.gates, 1u);
  bounds.low_run = std::clamp(bounds.low_run, 2u, bounds.positions);
  bounds_ = bounds;
  if (qubits_ <= bounds.positions) return false;
  try {
    gates_.reserve(bounds.gates);
    local_.reserve(bounds.gates);
    const std::size_t count = runtime::worker_count() + 1;
    buffer_taken_ = std::make_unique<std::atomic<bool>[]>(count);
    for (std::size_t k = 0; k < count; ++k) {
      AmplitudeList buffer(
          static_cast<Amplitude*>(std::malloc(sizeof(Amplitude) << bounds.positions)));
      if (!buffer) throw std::bad_alloc();
      buffers_.push_back(std::move(buffer));
    }
  } catch (const std::exception&) {
    buffers_.clear();
    buffer_taken_.reset();
    return false;
  }
  ready_ = enabled_ = true;
  return true;
}

bool GateQueue::accepts(const PreparedGate& gate) const noexcept {
  const uint64_t set = positions_ | positions_of(gate) | ((uint64_t{1} << bounds_.low_run) - 1);
  return static_cast<unsigned>(std::popcount(set)) <= bounds_.positions;
}

void GateQueue::push(const PreparedGate& gate) {
  gates_.push_back(gate);
  positions_ |= positions_of(gate);
}

Amplitude* GateQueue::take_buffer() noexcept {
  const std::size_t count = buffers_.size();
  // Never more tasks at once than threads, so one is always free or about
  // to be given back by a task that does not wait for anything.
  for (;;) {
    for (std::size_t k = 0; k < count; ++k) {
      bool expected = false;
      if (!buffer_taken_[k].load(std::memory_order_relaxed) &&
          buffer_taken_[k].compare_exchange_strong(expected, true, std::memory_order_acquire))
        return buffers_[k].get();
    }
  }
}

void GateQueue::give_back(Amplitude* buffer) noexcept {
  for (std::size_t k = 0; k < buffers_.size(); ++k)
    if (buffers_[k].get() == buffer) buffer_taken_[k].store(false, std::memory_order_release);
}

namespace {

// x with a zero bit inserted at each of the ascending positions.
uint64_t insert_zeros(uint64_t x, const uint8_t* positions, unsigned count) noexcept {
  for (unsigned k = 0; k < count; ++k) {
    const unsigned s = positions[k];
    x = ((x >> s) << (s + 1)) | (x & ((uint64_t{1} << s) - 1));
  }
  return x;
}

}  // namespace

void GateQueue::apply(Amplitude* list, unsigned qubits, KernelPath path) {
  if (gates_.empty()) return;
  if (gates_.size() == 1) {
    apply_gate(list, gates_.front(), path);
    clear();
    return;
  }
  // The set: every queued position, the low run, then the lowest others up
  // to the bound, which makes the contiguous pieces of a block as long as
  // they can be.
  uint64_t set = positions_ | ((uint64_t{1} << bounds_.low_run) - 1);
  for (unsigned p = 0; p < qubits && static_cast<unsigned>(std::popcount(set)) < bounds_.positions; ++p)
    set |= uint64_t{1} << p;
  const unsigned size = static_cast<unsigned>(std::popcount(set));
  uint8_t position[64];
  uint8_t rank[64] = {};
  for (unsigned p = 0, k = 0; p < 64; ++p)
    if ((set >> p) & 1) {
      rank[p] = static_cast<uint8_t>(k);
      position[k++] = static_cast<uint8_t>(p);
    }
  const auto to_local = [&](uint64_t mask) {
    uint64_t local = 0;
    for (unsigned p = 0; p < 64; ++p)
      if ((mask >> p) & 1) local |= uint64_t{1} << rank[p];
    return local;
  };
  local_.clear();
  for (const PreparedGate& gate : gates_) {
    PreparedGate local = gate;
    const uint64_t controls =
        gate.layout.control_mask | (gate.layout.only_set_half ? gate.layout.target_bit : 0);
    local.layout = PairLayout(size, rank[std::countr_zero(gate.layout.target_bit)], to_local(controls));
    local_.push_back(local);
  }

  // The positions of the set below its first gap are the contiguous run of
  // every gathered piece; the ones above are gathered piece by piece.
  const unsigned run = static_cast<unsigned>(std::countr_one(set));
  const unsigned high = size - run;
  const uint64_t high_mask = set & ~((uint64_t{1} << run) - 1);
  const uint64_t block = uint64_t{1} << size;
  const std::size_t run_bytes = sizeof(Amplitude) << run;
  const PreparedGate* gates = local_.data();
  const std::size_t count = local_.size();
  runtime::parallel_for(uint64_t{1} << qubits, [&](uint64_t begin, uint64_t end) {
    // The blocks whose first index in block order falls in [begin, end).
    const uint64_t first = (begin + block - 1) >> size;
    const uint64_t last = (end + block - 1) >> size;
    if (first >= last) return;
    if (high == 0) {
      for (uint64_t o = first; o < last; ++o) {
        Amplitude* data = list + (o << size);
        for (std::size_t g = 0; g < count; ++g)
          apply_pairs(data, gates[g], 0, gates[g].layout.pairs, path);
      }
      return;
    }
    Amplitude* buffer = take_buffer();
    for (uint64_t o = first; o < last; ++o) {
      const uint64_t base = insert_zeros(o, position, size);
      // The offsets of the pieces: every combination of the high positions'
      // bits, in increasing order (the next subset of a mask is
      // (x - mask) & mask).
      uint64_t offset = 0;
      Amplitude* piece = buffer;
      do {
        std::memcpy(static_cast<void*>(piece), list + (base | offset), run_bytes);
        piece += uint64_t{1} << run;
        offset = (offset - high_mask) & high_mask;
      } while (offset != 0);
      for (std::size_t g = 0; g < count; ++g)
        apply_pairs(buffer, gates[g], 0, gates[g].layout.pairs, path);
      piece = buffer;
      do {
        std::memcpy(static_cast<void*>(list + (base | offset)), piece, run_bytes);
        piece += uint64_t{1} << run;
        offset = (offset - high_mask) & high_mask;
      } while (offset != 0);
    }
    give_back(buffer);
  });
  clear();
}

}  // namespace fenn::dense
