// The worker pool: every index of a pass runs exactly once, sums come out the
// same bit for bit whoever ran their ranges, passes from many host threads
// finish side by side, a body that starts a pass or throws does not wedge the
// pool, and a forked child can still run passes.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdint>
#include <stdexcept>
#include <thread>
#include <vector>

#include "fenn/src/runtime/worker_pool.hpp"

namespace {

using fenn::runtime::kInlineBelow;
using fenn::runtime::parallel_for;
using fenn::runtime::parallel_reduce;

// How often parallel_for handed each index of [0, n) to its body.
std::vector<int> visits(uint64_t n) {
  std::vector<std::atomic<int>> seen(n);
  parallel_for(n, [&](uint64_t begin, uint64_t end) {
    for (uint64_t i = begin; i < end; ++i) seen[i].fetch_add(1, std::memory_order_relaxed);
  });
  std::vector<int> counts;
  counts.reserve(n);
  for (auto& count : seen) counts.push_back(count.load());
  return counts;
}

TEST(WorkerPool, EveryIndexRunsExactlyOnce) {
  for (uint64_t n : {uint64_t{0}, uint64_t{1}, kInlineBelow - 1, kInlineBelow, kInlineBelow + 1,
                     (uint64_t{1} << 16) + 3, uint64_t{1} << 20}) {
    const std::vector<int> counts = visits(n);
    EXPECT_EQ(std::count(counts.begin(), counts.end(), 1), static_cast<std::ptrdiff_t>(n))
        << "n = " << n;
  }
}

// Terms whose floating-point sum depends on the order of the additions.
double sum_of_terms(uint64_t n) {
  return parallel_reduce(
      n, 0.0,
      [](uint64_t begin, uint64_t end, double acc) {
        for (uint64_t i = begin; i < end; ++i) acc += 1.0 / static_cast<double>(i + 1);
        return acc;
      },
      [](double a, double b) { return a + b; });
}

TEST(WorkerPool, ReduceCoversTheRangeOnceAndJoinsInAFixedOrder) {
  for (uint64_t n : {uint64_t{0}, uint64_t{5}, kInlineBelow, (uint64_t{1} << 18) + 7}) {
    const uint64_t total = parallel_reduce(
        n, uint64_t{0},
        [](uint64_t begin, uint64_t end, uint64_t acc) {
          for (uint64_t i = begin; i < end; ++i) acc += i;
          return acc;
        },
        [](uint64_t a, uint64_t b) { return a + b; });
    EXPECT_EQ(total, n == 0 ? 0 : n * (n - 1) / 2) << "n = " << n;
  }
  // Whichever threads take which ranges, here while other host threads keep
  // the workers busy, the sum is the same double.
  constexpr uint64_t kTerms = uint64_t{1} << 20;
  const double first = sum_of_terms(kTerms);
  EXPECT_NEAR(first, std::log(static_cast<double>(kTerms)) + 0.5772156649, 1e-6);
  std::atomic<bool> stop{false};
  std::vector<std::thread> noise;
  for (int t = 0; t < 3; ++t)
    noise.emplace_back([&] {
      while (!stop.load()) visits(uint64_t{1} << 16);
    });
  for (int run = 0; run < 20; ++run) EXPECT_EQ(sum_of_terms(kTerms), first) << "run " << run;
  stop.store(true);
  for (std::thread& thread : noise) thread.join();
}

TEST(WorkerPool, PassesFromManyHostThreadsAllFinishWithTheirOwnResults) {
  constexpr int kHosts = 8, kPasses = 40;
  std::atomic<int> wrong{0};
  std::vector<std::thread> hosts;
  for (int t = 0; t < kHosts; ++t)
    hosts.emplace_back([t, &wrong] {
      for (int pass = 0; pass < kPasses; ++pass) {
        const uint64_t n = kInlineBelow << (pass % 5);
        std::vector<uint64_t> out(n);
        parallel_for(n, [&](uint64_t begin, uint64_t end) {
          for (uint64_t i = begin; i < end; ++i) out[i] = i * 3 + static_cast<uint64_t>(t);
        });
        for (uint64_t i = 0; i < n; ++i)
          if (out[i] != i * 3 + static_cast<uint64_t>(t)) {
            wrong.fetch_add(1);
            break;
          }
      }
    });
  for (std::thread& host : hosts) host.join();
  EXPECT_EQ(wrong.load(), 0);
}

TEST(WorkerPool, ABodyThatStartsAPassRunsItInline) {
  constexpr uint64_t kOuter = kInlineBelow * 4, kInner = kInlineBelow * 2;
  std::atomic<uint64_t> inner_indices{0};
  parallel_for(kOuter, [&](uint64_t begin, uint64_t end) {
    if (begin % kInner != 0) return;  // a few outer ranges start a nested pass
    (void)end;
    parallel_for(kInner, [&](uint64_t b, uint64_t e) { inner_indices.fetch_add(e - b); });
  });
  EXPECT_EQ(inner_indices.load() % kInner, 0u);
  EXPECT_GT(inner_indices.load(), 0u);
}

TEST(WorkerPool, AnExceptionInABodyReachesTheCallerAndThePoolGoesOn) {
  for (int round = 0; round < 3; ++round) {
    EXPECT_THROW(parallel_for(uint64_t{1} << 20,
                              [](uint64_t begin, uint64_t end) {
                                if (begin <= 12345 && 12345 < end) throw std::runtime_error("x");
                              }),
                 std::runtime_error);
    EXPECT_THROW(parallel_reduce(
                     uint64_t{1} << 20, 0,
                     [](uint64_t begin, uint64_t, int acc) {
                       if (begin == 0) throw std::runtime_error("x");
                       return acc;
                     },
                     [](int a, int b) { return a + b; }),
                 std::runtime_error);
  }
  const std::vector<int> counts = visits(uint64_t{1} << 18);
  EXPECT_EQ(std::count(counts.begin(), counts.end(), 1), std::ptrdiff_t{1} << 18);
}

TEST(WorkerPool, AForkedChildRunsPassesOnAPoolOfItsOwn) {
#if defined(__SANITIZE_THREAD__)
  GTEST_SKIP() << "ThreadSanitizer ends a child that starts threads after a multi-threaded fork";
#endif
  visits(uint64_t{1} << 18);  // the parent's workers are running
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    alarm(60);  // a wedged child ends instead of hanging the test
    const std::vector<int> counts = visits(uint64_t{1} << 18);
    _exit(std::count(counts.begin(), counts.end(), 1) == (std::ptrdiff_t{1} << 18) ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;
}

}  // namespace
