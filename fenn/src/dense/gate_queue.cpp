#include "fenn/src/dense/gate_queue.hpp"

#include <algorithm>
#include <bit>
#include <new>

#include "fenn/src/runtime/cache_sizes.hpp"
#include "fenn/src/runtime/worker_pool.hpp"

namespace fenn::dense {

namespace {

// Most gates a batch may hold, whatever the bounds: a task keeps the
// gates that concern one sub-block in an array of this size.
constexpr unsigned kMostGates = 256;

// Blocks per range a thread claims: ranges enough to balance the threads.
constexpr uint64_t kBlocksPerTask = 4;

// The largest k with 2^k amplitudes in half of `bytes`, or `fallback` when
// the size is unknown.
unsigned fitting_positions(uint64_t bytes, unsigned least, unsigned most, unsigned fallback) noexcept {
  if (bytes == 0) return fallback;
  const uint64_t amplitudes = bytes / 2 / sizeof(Amplitude);
  if (amplitudes == 0) return least;
  return std::clamp(static_cast<unsigned>(std::bit_width(amplitudes)) - 1, least, most);
}

constexpr unsigned kShortestRun = 6;

}  // namespace

unsigned layer_low_run(unsigned qubits, unsigned positions, unsigned longest) noexcept {
  const auto batches = [&](unsigned run) {
    return qubits <= positions ? 1u : 1u + (qubits - positions + (positions - run) - 1) / (positions - run);
  };
  unsigned best = longest;
  for (unsigned run = longest; run-- > std::min(longest, kShortestRun);)
    if (batches(run) < batches(best)) best = run;
  return best;
}

// Reads the next sub-block into the cache while the current one computes:
// a core that waits for memory does not compute, and one that computes does
// not read, unless it asks ahead. The lines are asked for a few at a time,
// before each gate call, in the order the sub-block is gathered.
class Prefetcher {
 public:
  explicit Prefetcher(const Amplitude* list) noexcept : list_(list) {}

  // The sub-block at `base`, made of `pieces`, over `calls` gate calls.
  void start(uint64_t base, const Pieces& pieces, uint64_t calls) noexcept {
    pieces_ = &pieces;
    base_ = base;
    piece_lines_ = std::max<uint64_t>(1, sizeof(Amplitude) * pieces.length / kLine);
    const uint64_t lines = std::max<uint64_t>(1, piece_lines_ << std::popcount(pieces.high_mask));
    per_call_ = (lines + calls - 1) / std::max<uint64_t>(calls, 1);
    offset_ = 0;
    line_ = 0;
  }
  void stop() noexcept { pieces_ = nullptr; }

  void step() noexcept {
    if (pieces_ == nullptr) return;
    for (uint64_t k = 0; k < per_call_; ++k) {
      // Into the second-level cache and beyond: the first-level one holds
      // the sub-block being computed.
      __builtin_prefetch(reinterpret_cast<const char*>(list_ + (base_ | offset_)) + kLine * line_, 0, 1);
      if (++line_ == piece_lines_) {
        line_ = 0;
        offset_ = pieces_->next(offset_);
        if (offset_ == 0) return stop();
      }
    }
  }

 private:
  static constexpr uint64_t kLine = 64;
  const Amplitude* list_;
  const Pieces* pieces_ = nullptr;  // null when nothing is asked for
  uint64_t piece_lines_ = 1, per_call_ = 0;
  uint64_t base_ = 0, offset_ = 0, line_ = 0;
};

BatchBounds machine_bounds(unsigned qubits) noexcept {
  const runtime::CacheSizes caches = runtime::core_caches();
  BatchBounds bounds;
  // A block may outgrow the second-level cache: what that level cannot keep
  // waits in the core's share of the third, whose hit costs far less than a
  // read of the list. Blocks in a quarter of the two together: at n = 26 on
  // 8 threads (512 KiB and 4 MiB a core) the H layer took 64-66 ms with
  // blocks of 2^16, 70-80 with 2^14 (half the second level alone) and 69-82
  // with 2^17.
  const uint64_t room = caches.level3_share != 0 ? (caches.level2 + caches.level3_share) / 2 : caches.level2;
  bounds.positions = fitting_positions(room, 12, 18, 14);
  bounds.inner_positions = fitting_positions(caches.level1_data, 8, 12, 10);
  // Pieces at most a sub-block long, as long as a block keeps room for the
  // high positions of one gathered stage.
  const unsigned longest = std::min(bounds.inner_positions,
                                    bounds.positions - (bounds.inner_positions - bounds.inner_low_run));
  bounds.low_run = layer_low_run(qubits, bounds.positions, longest);
  return bounds;
}

void apply_gate(Amplitude* list, const PreparedGate& gate, KernelPath path) {
  runtime::parallel_for(gate.layout.pairs, [list, &gate, path](uint64_t begin, uint64_t end) {
    apply_pairs(list, gate, begin, end, path);
  });
}

GateQueue::GateQueue(unsigned qubits) noexcept : GateQueue(qubits, machine_bounds(qubits)) {}

GateQueue::GateQueue(unsigned qubits, BatchBounds bounds) noexcept : qubits_(qubits) {
  set_bounds(bounds);
}

bool GateQueue::set_bounds(BatchBounds bounds) noexcept {
  clear();
  ready_ = enabled_ = false;
  buffer_area_.reset();
  buffer_count_ = 0;
  buffer_taken_.reset();
  // The low positions 0 and 1 at least are in every set, so that each
  // gathered piece fills whole cache lines; a list no larger than one block
  // takes every gate in cache anyway and needs no queue.
  bounds.positions = std::clamp(bounds.positions, 2u, 24u);
  bounds.gates = std::clamp(bounds.gates, 1u, kMostGates);
  bounds.low_run = std::clamp(bounds.low_run, 2u, bounds.positions);
  bounds.inner_positions = std::clamp(bounds.inner_positions, 1u, bounds.positions);
  bounds.inner_low_run = std::min(bounds.inner_low_run, bounds.inner_positions - 1);
  bounds.work = std::max(bounds.work, 1.0);
  bounds_ = bounds;
  if (qubits_ <= bounds.positions) return false;
  try {
    gates_.reserve(bounds.gates);
    outer_gates_.reserve(bounds.gates);
    inner_gates_.reserve(bounds.gates);
    stages_.reserve(bounds.gates);
    const std::size_t count = runtime::worker_count() + 1;
    buffer_taken_ = std::make_unique<std::atomic<bool>[]>(count);
    // Each buffer on pages of its own, with a free page before the next:
    // the hardware prefetchers run on past the end of the buffer a core
    // walks, and in its neighbour's they took lines another core was
    // writing. Back to back, a gathered batch took 23-25 ms at n = 26 on 8
    // threads; a page apart, 15-16.
    constexpr std::size_t kPageBytes = 4096;
    constexpr uint64_t kPage = kPageBytes / sizeof(Amplitude);
    const uint64_t size = uint64_t{1} << bounds.inner_positions;
    buffer_stride_ = (size + kPage - 1) / kPage * kPage + kPage;
    buffer_area_ = allocate_aligned(count * buffer_stride_, kPageBytes);
    if (!buffer_area_) throw std::bad_alloc();
    buffer_count_ = count;
  } catch (const std::exception&) {
    buffer_area_.reset();
    buffer_count_ = 0;
    buffer_taken_.reset();
    return false;
  }
  ready_ = enabled_ = true;
  return true;
}

bool GateQueue::accepts(const PreparedGate& gate) const noexcept {
  if (gates_.empty()) return true;
  // The gate count is bounded by full(), which applies the queue at the bound.
  if (work_ + work_of(gate) > bounds_.work) return false;
  const uint64_t set = pairing_ | pairing_bit(gate) | ((uint64_t{1} << bounds_.low_run) - 1);
  return static_cast<unsigned>(std::popcount(set)) <= bounds_.positions;
}

void GateQueue::push(const PreparedGate& gate) {
  gates_.push_back(gate);
  pairing_ |= pairing_bit(gate);
  work_ += work_of(gate);
}

std::size_t GateQueue::take_buffer() noexcept {
  const std::size_t count = buffer_count_;
  // Never more tasks at once than threads, so one is always free or about to
  // be given back by a task that does not wait for anything.
  for (;;) {
    for (std::size_t k = 0; k < count; ++k) {
      bool expected = false;
      if (!buffer_taken_[k].load(std::memory_order_relaxed) &&
          buffer_taken_[k].compare_exchange_strong(expected, true, std::memory_order_acquire))
        return k;
    }
  }
}

void GateQueue::give_back(std::size_t k) noexcept {
  buffer_taken_[k].store(false, std::memory_order_release);
}

void GateQueue::plan(unsigned qubits) {
  // The blocks: every pairing position, the low run, then the lowest others
  // up to the bound, which makes the contiguous pieces of a block as long as
  // they can be. A register only a little larger than a block is cut finer,
  // so that every thread has blocks to take.
  uint64_t set = pairing_ | ((uint64_t{1} << bounds_.low_run) - 1);
  const unsigned fill = std::min(bounds_.positions,
                                 std::max(static_cast<unsigned>(std::popcount(set)),
                                          qubits > 5 ? qubits - 5 : 0u));
  for (unsigned p = 0; p < qubits && static_cast<unsigned>(std::popcount(set)) < fill; ++p)
    set |= uint64_t{1} << p;
  outer_ = PositionSet(set);
  outer_gates_.clear();
  for (const PreparedGate& gate : gates_) outer_gates_.emplace_back(gate, outer_);

  // The stages: runs of gates whose pairing positions fit in one sub-block
  // together with the block's lowest positions.
  const unsigned inner_size = std::min(bounds_.inner_positions, outer_.size);
  // One position is left beyond the low ones, so that every gate fits.
  const uint64_t inner_low =
      outer_.to_global((uint64_t{1} << std::min(bounds_.inner_low_run, inner_size - 1)) - 1);
  stages_.clear();
  inner_gates_.clear();
  std::size_t first = 0;
  while (first < gates_.size()) {
    uint64_t pairing = inner_low;
    std::size_t end = first;
    for (; end < gates_.size(); ++end) {
      const uint64_t next = pairing | pairing_bit(gates_[end]);
      if (static_cast<unsigned>(std::popcount(next)) > inner_size) break;
      pairing = next;
    }
    for (unsigned k = 0; k < outer_.size && static_cast<unsigned>(std::popcount(pairing)) < inner_size; ++k)
      pairing |= uint64_t{1} << outer_.position[k];
    Stage stage;
    stage.set = PositionSet(pairing);
    stage.in_block = PositionSet(outer_.to_block(pairing));
    stage.first = inner_gates_.size();
    stage.count = end - first;
    for (std::size_t g = first; g < end; ++g) inner_gates_.emplace_back(gates_[g], stage.set);
    stages_.push_back(stage);
    first = end;
  }
}

void GateQueue::run_stage(Amplitude* list, uint64_t base, const Stage& stage, std::size_t buffer_index,
                          Prefetcher& ahead, KernelPath path) const {
  const Pieces pieces(stage.set.mask);
  Amplitude* const buffer = buffer_area_.get() + buffer_index * buffer_stride_;
  const BlockGate* const gates = inner_gates_.data() + stage.first;
  const uint64_t subs = uint64_t{1} << (outer_.size - stage.in_block.size);
  const auto sub_block = [&](uint64_t u) { return base | outer_.to_global(stage.in_block.block_base(u)); };
  const uint64_t size = uint64_t{1} << stage.set.size;  // of a sub-block
  const PreparedGate* active[kMostGates];
  uint64_t next = sub_block(0);
  for (uint64_t u = 0; u < subs; ++u) {
    const uint64_t global = next;
    std::size_t count = 0;
    for (std::size_t g = 0; g < stage.count; ++g)
      if (const PreparedGate* form = gates[g].in(global)) active[count++] = form;
    if (u + 1 < subs) {
      next = sub_block(u + 1);
      if (count != 0) ahead.start(next, pieces, count);
    }
    if (count == 0) continue;
    Amplitude* data = pieces.whole() ? list + global : buffer;
    if (!pieces.whole()) move_pieces(list, global, pieces, buffer, true, path);
    for (std::size_t g = 0; g < count; ++g) {
      ahead.step();
      // Two gates in one walk where the kernels take them so; the prefetcher
      // still steps once per gate.
      if (g + 1 < count && apply_two(data, size, *active[g], *active[g + 1], path)) {
        ahead.step();
        ++g;
        continue;
      }
      apply_pairs(data, *active[g], 0, active[g]->layout.pairs, path);
    }
    if (!pieces.whole()) move_pieces(list, global, pieces, buffer, false, path);
    ahead.stop();
  }
}

void GateQueue::apply(Amplitude* list, unsigned qubits, KernelPath path) {
  if (gates_.empty()) return;
  if (gates_.size() == 1) {
    apply_gate(list, gates_.front(), path);
    clear();
    return;
  }
  plan(qubits);
  // Each block's sub-blocks are gathered straight from the list, stage after
  // stage; the block's lines stay in the second-level cache between stages.
  const uint64_t blocks = uint64_t{1} << (qubits - outer_.size);
  runtime::parallel_ranges(blocks, blocks / kBlocksPerTask, [&](uint64_t first, uint64_t last) {
    const std::size_t buffer = take_buffer();
    Prefetcher ahead(list);
    for (uint64_t o = first; o < last; ++o) {
      const uint64_t base = outer_.block_base(o);
      // A block that holds no index of any gate is not read at all.
      if (std::none_of(outer_gates_.begin(), outer_gates_.end(),
                       [base](const BlockGate& gate) { return gate.in(base) != nullptr; }))
        continue;
      for (const Stage& stage : stages_) run_stage(list, base, stage, buffer, ahead, path);
    }
    give_back(buffer);
  });
  clear();
}

}  // namespace fenn::dense
