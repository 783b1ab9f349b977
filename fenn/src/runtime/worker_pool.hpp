// The global worker pool: one oneTBB arena made on first use and kept until
// the host exits. Every data-parallel pass of the simulators runs on it, and
// the calling thread waits until the pass is complete.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

#include <oneapi/tbb/blocked_range.h>
#include <oneapi/tbb/parallel_for.h>
#include <oneapi/tbb/parallel_reduce.h>
#include <oneapi/tbb/task_arena.h>

namespace fenn::runtime {

// Ranges shorter than this run on the calling thread alone: for small
// registers handing the pass to the pool costs more than the pass itself.
inline constexpr uint64_t kInlineBelow = uint64_t{1} << 13;

// The pool's size: RAYON_NUM_THREADS, then RAYON_RS_NUM_CPUS (each when it is
// a positive integer), else the processors available to the process.
std::size_t worker_count();

// The arena, created on the first call.
tbb::task_arena& worker_arena();

// Parses a pool-size variable's text: a positive decimal integer, or nothing.
std::optional<std::size_t> parse_thread_count(std::string_view text);

// Processors available to this process: its scheduler affinity, lowered to
// the control-group CPU quota when there is one; at least 1.
std::size_t available_processors();

// Calls body(begin, end) over disjoint sub-ranges covering [0, n).
template <class Body>
void parallel_for(uint64_t n, const Body& body) {
  if (n < kInlineBelow) {
    if (n != 0) body(uint64_t{0}, n);
    return;
  }
  worker_arena().execute([&] {
    tbb::parallel_for(tbb::blocked_range<uint64_t>(0, n),
                      [&](const tbb::blocked_range<uint64_t>& r) { body(r.begin(), r.end()); },
                      tbb::auto_partitioner{});
  });
}

// Sums body(begin, end) over sub-ranges of [0, n), joining partial results
// pairwise.
template <class T, class Body, class Join>
T parallel_reduce(uint64_t n, T identity, const Body& body, const Join& join) {
  if (n < kInlineBelow) return n == 0 ? identity : body(uint64_t{0}, n, identity);
  T result = identity;
  worker_arena().execute([&] {
    result = tbb::parallel_reduce(
        tbb::blocked_range<uint64_t>(0, n), identity,
        [&](const tbb::blocked_range<uint64_t>& r, T acc) { return body(r.begin(), r.end(), acc); },
        join, tbb::auto_partitioner{});
  });
  return result;
}

}  // namespace fenn::runtime
