#include "fenn/src/dense/dense_dump.hpp"

#include <sys/mman.h>
#include <unistd.h>

#include <bit>
#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

#include "fenn/src/runtime/worker_pool.hpp"

namespace fenn::dense {

namespace {

constexpr double kDumpThreshold = 1e-15;

// A NaN magnitude fails the comparison and is left out too.
bool included(Amplitude a) noexcept { return magnitude(a) > kDumpThreshold; }

// Packs an index over the dumped positions: bit k of the packed state is bit
// positions[m-1-k] of the index, so the last listed position gives bit 0.
// Up to 64 positions fill one word; past that the words follow the sparse
// simulator's layout, most significant first. Tables give each byte of the
// index its contribution to each word, so a state costs a few lookups
// whatever the number of positions.
class Packer {
 public:
  Packer(Positions positions, uint64_t qubits)
      : width_(positions.size() <= 64 ? 1 : (positions.size() + 63) / 64),
        bytes_((qubits + 7) / 8),
        table_(width_ * bytes_ * 256, 0) {
    const std::size_t m = positions.size();
    // The bits that index bit p sets in word w: masks[w * 8 * bytes_ + p].
    std::vector<uint64_t> masks(width_ * 8 * bytes_, 0);
    for (std::size_t k = 0; k < m; ++k) {
      const std::size_t word = width_ - 1 - k / 64;
      masks[word * 8 * bytes_ + positions[m - 1 - k]] |= uint64_t{1} << (k % 64);
    }
    for (std::size_t w = 0; w < width_; ++w)
      for (std::size_t b = 0; b < bytes_; ++b) {
        uint64_t* row = &table_[(w * bytes_ + b) * 256];
        const uint64_t* bit_masks = &masks[w * 8 * bytes_ + 8 * b];
        for (unsigned v = 1; v < 256; ++v) row[v] = row[v & (v - 1)] | bit_masks[std::countr_zero(v)];
      }
  }

  std::size_t width() const noexcept { return width_; }

  void pack(uint64_t index, uint64_t* out) const noexcept {
    const uint64_t* row = table_.data();
    for (std::size_t w = 0; w < width_; ++w) {
      uint64_t word = 0;
      for (std::size_t b = 0; b < bytes_; ++b, row += 256) word |= row[(index >> (8 * b)) & 0xFF];
      out[w] = word;
    }
  }

 private:
  std::size_t width_;
  std::size_t bytes_;
  std::vector<uint64_t> table_;
};

// The index range is cut into blocks; a block belongs to the task whose
// range holds its first index, which then reads the whole block (the state
// is only read), so each block's entries are found and written by one task.
constexpr unsigned kBlockBits = 12;

template <class Body>
void for_each_block(uint64_t size, const Body& body) {
  constexpr uint64_t kBlock = uint64_t{1} << kBlockBits;
  runtime::parallel_for(size, [&](uint64_t begin, uint64_t end) {
    for (uint64_t block = (begin + kBlock - 1) >> kBlockBits; block << kBlockBits < end; ++block)
      body(block, block << kBlockBits, std::min(size, (block + 1) << kBlockBits));
  });
}

// Sized once, with transparent huge pages asked for before the first write:
// fresh 4 KiB pages cost a fault each, which on some machines makes first
// touch far slower than the copy that fills them.
template <class T>
void resize_fresh(std::vector<T>& list, std::size_t count) {
  list.reserve(count);
#ifdef MADV_HUGEPAGE
  const auto page = static_cast<uintptr_t>(sysconf(_SC_PAGESIZE));
  const auto first = (reinterpret_cast<uintptr_t>(list.data()) + page - 1) / page * page;
  const auto last = reinterpret_cast<uintptr_t>(list.data() + count) / page * page;
  if (last > first) madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
#endif
  list.resize(count);
}

}  // namespace

plim::DumpData dump_amplitudes(std::span<const Amplitude> state, Positions positions) {
  const Packer packer(positions, std::countr_zero(state.size()));
  const std::size_t width = packer.width();

  // First pass: how many entries each block gives, then where each block's
  // entries start, so that the lists come out in index order.
  const uint64_t blocks = (state.size() + (uint64_t{1} << kBlockBits) - 1) >> kBlockBits;
  std::vector<uint64_t> starts(blocks + 1, 0);
  for_each_block(state.size(), [&](uint64_t block, uint64_t begin, uint64_t end) {
    uint64_t count = 0;
    for (uint64_t i = begin; i < end; ++i) count += included(state[i]) ? 1 : 0;
    starts[block + 1] = count;
  });
  for (uint64_t block = 0; block < blocks; ++block) starts[block + 1] += starts[block];
  const std::size_t count = starts[blocks];

  // Second pass: each block writes its entries at its place.
  std::vector<uint64_t> words;
  plim::Vector vector;
  resize_fresh(words, count * width);
  resize_fresh(vector.amplitudes_real, count);
  resize_fresh(vector.amplitudes_imag, count);
  for_each_block(state.size(), [&](uint64_t block, uint64_t begin, uint64_t end) {
    uint64_t at = starts[block];
    for (uint64_t i = begin; i < end; ++i) {
      const Amplitude a = state[i];
      if (!included(a)) continue;
      packer.pack(i, words.data() + at * width);
      vector.amplitudes_real[at] = a.re;
      vector.amplitudes_imag[at] = a.im;
      ++at;
    }
  });
  vector.basis_states = plim::BasisStates(count, width, std::move(words));
  return vector;
}

}  // namespace fenn::dense
