// The worker pool's cost: one pass over n indices on the pool, timed against
// the same pass on the calling thread alone in the same run. For small n the
// ratio is the price of waking the workers and waiting for them (goal: a pass
// of 2^14 indices no slower on the pool than alone); for large n it is the
// speed-up of a streaming pass shaped like a dense Hadamard (goal: at least 4x
// on 8 threads at n = 24 and 26, the memory bus permitting).
#include <algorithm>
#include <chrono>
#include <complex>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "fenn/src/runtime/worker_pool.hpp"

using Clock = std::chrono::steady_clock;

namespace {

using Amplitude = std::complex<double>;

// new[i] = s * old[i ^ T] + (bit t of i ? -s : s) * old[i], the Hadamard's
// table in one pass.
void hadamard_range(const std::vector<Amplitude>& old_list, std::vector<Amplitude>& new_list,
                    uint64_t target, uint64_t begin, uint64_t end) {
  constexpr double s = 0.7071067811865476;
  const uint64_t bit = uint64_t{1} << target;
  for (uint64_t i = begin; i < end; ++i) {
    const double sign = (i & bit) != 0 ? -s : s;
    new_list[i] = s * old_list[i ^ bit] + sign * old_list[i];
  }
}

// The median time of `reps` calls of `pass`.
template <class Pass>
double median_seconds(int reps, const Pass& pass) {
  std::vector<double> times;
  for (int r = 0; r < reps; ++r) {
    const auto start = Clock::now();
    pass();
    times.push_back(std::chrono::duration<double>(Clock::now() - start).count());
  }
  std::nth_element(times.begin(), times.begin() + reps / 2, times.end());
  return times[reps / 2];
}

void compare(unsigned qubits, int reps) {
  const uint64_t n = uint64_t{1} << qubits;
  std::vector<Amplitude> a(n, Amplitude(1.0 / static_cast<double>(n), 0.0)), b(n);
  uint64_t target = 0;
  const double pooled = median_seconds(reps, [&] {
    fenn::runtime::parallel_for(n, [&](uint64_t begin, uint64_t end) {
      hadamard_range(a, b, target, begin, end);
    });
    target = (target + 1) % qubits;
  });
  const double alone = median_seconds(reps, [&] {
    hadamard_range(a, b, target, 0, n);
    target = (target + 1) % qubits;
  });
  std::printf("  n = %2u: pool %10.2f us, calling thread alone %10.2f us, alone / pool %.2f\n",
              qubits, pooled * 1e6, alone * 1e6, alone / pooled);
}

}  // namespace

int main() {
  std::printf("worker pool: %zu threads\n", fenn::runtime::worker_count());
  std::printf("Hadamard-shaped pass, median of many:\n");
  for (unsigned qubits : {13u, 14u, 16u, 18u, 20u}) compare(qubits, 2001);
  for (unsigned qubits : {24u, 26u}) compare(qubits, 21);
  return 0;
}
