#include "fenn/src/dense/amplitude_list.hpp"

#include <sys/mman.h>

#include <algorithm>
#include <cstring>
#include <limits>

#include "fenn/src/runtime/memory_budget.hpp"
#include "fenn/src/runtime/worker_pool.hpp"

namespace fenn::dense {

namespace {

constexpr std::size_t rounded_up(std::size_t bytes, std::size_t unit) noexcept {
  return (bytes + unit - 1) / unit * unit;
}

// `bytes` rounded up to whole units of `alignment`, at an address that is a
// multiple of it; null when refused.
void* aligned_block(std::size_t alignment, std::size_t bytes) noexcept {
  return std::aligned_alloc(alignment, rounded_up(bytes, alignment));
}

// Whole cache lines, so that no vector access of four amplitudes is split
// across two.
constexpr std::size_t kCacheLine = 64;

}  // namespace

AmplitudeList allocate_aligned(uint64_t size, std::size_t alignment) {
  alignment = std::max(alignment, kCacheLine);
  if (size > (std::numeric_limits<std::size_t>::max() - alignment) / sizeof(Amplitude)) return nullptr;
  return AmplitudeList(static_cast<Amplitude*>(aligned_block(alignment, size * sizeof(Amplitude))));
}

AmplitudeList allocate_zeroed(uint64_t size) {
  if (size > std::numeric_limits<std::size_t>::max() / sizeof(Amplitude) - kCacheLine) return nullptr;
  const std::size_t bytes = size * sizeof(Amplitude);
  // Lists of 64 MiB and more are aligned to, and asked to be backed by, huge
  // pages: a fault then maps 2 MiB instead of 4 KiB, which is most of the
  // cost of first touching a fresh list. Below that, finding free huge pages
  // costs more than the faults it saves.
  constexpr std::size_t kHugePage = std::size_t{1} << 21;
  constexpr std::size_t kHugeFrom = std::size_t{1} << 26;
  void* block = nullptr;
  if (bytes >= kHugeFrom) {
    block = aligned_block(kHugePage, bytes);
    if (block != nullptr) (void)madvise(block, rounded_up(bytes, kHugePage), MADV_HUGEPAGE);
  } else {
    block = aligned_block(kCacheLine, bytes);
  }
  // Amplitude is an implicit-lifetime type: the raw block holds the list.
  AmplitudeList list(static_cast<Amplitude*>(block));
  if (!list) return nullptr;
  // The first touch of every page happens on the pool, spread over the
  // threads.
  Amplitude* data = list.get();
  runtime::parallel_for(size, [data](uint64_t begin, uint64_t end) {
    std::memset(static_cast<void*>(data + begin), 0, (end - begin) * sizeof(Amplitude));
  });
  return list;
}

bool lists_fit_in_memory(uint64_t lists, uint64_t size) {
  return runtime::can_get(runtime::bytes_for(lists, runtime::bytes_for(size, sizeof(Amplitude))));
}

}  // namespace fenn::dense
