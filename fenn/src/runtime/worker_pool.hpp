// The global worker pool: threads of the library's own, started on first use
// and kept until the host exits. Every data-parallel pass of the simulators
// runs on it; the calling thread works on its own pass too and returns only
// when the whole pass is complete. A pool that could start fewer threads than
// its size asks for, or none, runs each pass on the threads it has.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

#include "fenn/src/runtime/pool_size.hpp"

namespace fenn::runtime {

// Ranges shorter than this run on the calling thread alone: for small
// registers handing the pass to the pool costs more than the pass itself.
inline constexpr uint64_t kInlineBelow = uint64_t{1} << 13;

namespace pool_detail {

using ChunkFn = void (*)(void* context, uint64_t chunk, uint64_t begin, uint64_t end);

// Cuts [0, n) into `chunks` consecutive ranges and calls chunk(context, k,
// begin, end) once for each, on the pool's threads and the caller's; returns
// when every call has returned. The first exception a call throws is rethrown
// here once no thread runs the pass any more; ranges not yet started then
// never run. Called from inside a pass, it runs every range on the calling
// thread, in order.
void run_pass(uint64_t n, uint64_t chunks, ChunkFn chunk, void* context);

// How many ranges a parallel_for over n >= kInlineBelow indices is cut into:
// a power of two, each range at least 4096 indices.
uint64_t for_chunks(uint64_t n);

// The same for parallel_reduce: depends on n alone, so that a sum comes out
// bit for bit the same however many threads the pool got.
inline constexpr uint64_t kMaxReduceChunks = 256;
uint64_t reduce_chunks(uint64_t n);

}  // namespace pool_detail

// Calls body(begin, end) over `ranges` consecutive ranges covering [0, n),
// for work whose every index is worth a task of its own (a cache block, say):
// unlike parallel_for, a small n still goes to the pool.
template <class Body>
void parallel_ranges(uint64_t n, uint64_t ranges, const Body& body) {
  if (n == 0) return;
  ranges = ranges == 0 ? 1 : ranges > n ? n : ranges;
  if (ranges == 1) return body(uint64_t{0}, n);
  pool_detail::run_pass(
      n, ranges,
      [](void* context, uint64_t, uint64_t begin, uint64_t end) {
        (*static_cast<const Body*>(context))(begin, end);
      },
      const_cast<Body*>(&body));
}

// Calls body(begin, end) over disjoint sub-ranges covering [0, n).
template <class Body>
void parallel_for(uint64_t n, const Body& body) {
  if (n < kInlineBelow) {
    if (n != 0) body(uint64_t{0}, n);
    return;
  }
  parallel_ranges(n, pool_detail::for_chunks(n), body);
}

// Sums body(begin, end, identity) over sub-ranges of [0, n), joining partial
// results pairwise: neighbours first, then neighbouring pairs, and so on.
template <class T, class Body, class Join>
T parallel_reduce(uint64_t n, T identity, const Body& body, const Join& join) {
  if (n < kInlineBelow) return n == 0 ? identity : body(uint64_t{0}, n, identity);
  struct Context {
    const T& identity;
    const Body& body;
    std::optional<T> partial[pool_detail::kMaxReduceChunks];
  } context{identity, body, {}};
  const uint64_t chunks = pool_detail::reduce_chunks(n);
  pool_detail::run_pass(
      n, chunks,
      [](void* opaque, uint64_t chunk, uint64_t begin, uint64_t end) {
        auto& c = *static_cast<Context*>(opaque);
        c.partial[chunk].emplace(c.body(begin, end, c.identity));
      },
      &context);
  for (uint64_t step = 1; step < chunks; step *= 2)
    for (uint64_t i = 0; i + step < chunks; i += 2 * step)
      context.partial[i].emplace(join(*context.partial[i], *context.partial[i + step]));
  return std::move(*context.partial[0]);
}

}  // namespace fenn::runtime
