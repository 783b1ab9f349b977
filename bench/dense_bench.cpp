// Dense simulator passes timed against a plain parallel copy of one 2^n
// amplitude list into another on the same worker pool, measured in the same
// run. Goals: a one-pass gate within 1.3 copies, a three-pass gate within 4,
// a measurement within 2.5; 8 threads at least 4x faster than 1 at n = 26;
// a few microseconds per gate for n <= 12.
//
//   bench_dense_bench            n = 20, 24, 26, the thread check, small n
//   bench_dense_bench --with-28  also n = 28 (8 GiB for the two lists)
//   bench_dense_bench --thread-check N   (internal: hadamard and copy times,
//                                         for the thread check in a child)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "fenn/src/dense/amplitude_list.hpp"
#include "fenn/src/dense/dense_simulator.hpp"
#include "fenn/src/dense/passes.hpp"
#include "fenn/src/runtime/worker_pool.hpp"

using fenn::Amplitude;
using fenn::dense::DenseSimulator;
using Clock = std::chrono::steady_clock;

namespace {

double seconds_since(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

// The median of `reps` timings of `body`, each after an untimed `setup`.
double median_time(int reps, const std::function<void()>& body,
                   const std::function<void()>& setup = [] {}) {
  std::vector<double> times;
  for (int r = 0; r < reps; ++r) {
    setup();
    const auto start = Clock::now();
    body();
    times.push_back(seconds_since(start));
  }
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

DenseSimulator simulator(uint64_t n) {
  plim::Metrics metrics;
  metrics.qubit_simultaneous = n;
  metrics.ready = true;
  auto made = DenseSimulator::create(metrics);
  if (!made) {
    std::fprintf(stderr, "cannot build %llu qubits\n", static_cast<unsigned long long>(n));
    std::exit(1);
  }
  return std::move(*made);
}

int reps_for(uint64_t n) { return n <= 20 ? 21 : n <= 24 ? 7 : n <= 26 ? 5 : 3; }

// The baseline: one list copied into the other, as a gate pass would.
double copy_time(uint64_t n) {
  const uint64_t size = uint64_t{1} << n;
  auto a = fenn::dense::allocate_zeroed(size);
  auto b = fenn::dense::allocate_zeroed(size);
  Amplitude* from = a.get();
  Amplitude* to = b.get();
  return median_time(reps_for(n), [&] {
    fenn::dense::for_each_index(size, [=](uint64_t i) { to[i] = from[i]; });
    std::swap(from, to);
  });
}

void large_registers(uint64_t n) {
  const double copy = copy_time(n);
  DenseSimulator sim = simulator(n);
  for (uint64_t q = 0; q < n; ++q) sim.hadamard(q, {});
  const uint64_t t = n / 2;
  const std::vector<uint64_t> one_control{n - 1};
  const fenn::Matrix m{{{0.6, 0}, {0, 0.8}, {0, 0.8}, {0.6, 0}}};
  std::vector<uint64_t> register_targets(n);
  for (uint64_t q = 0; q < n; ++q) register_targets[q] = q;

  struct Entry {
    const char* name;
    const char* goal;
    std::function<void()> body;
    std::function<void()> setup = [] {};
  };
  const Entry entries[] = {
      {"pauli_x", "<= 1.3", [&] { sim.pauli_x(t, {}); }},
      {"pauli_y", "<= 1.3", [&] { sim.pauli_y(t, {}); }},
      {"pauli_z", "<= 1.3", [&] { sim.pauli_z(t, {}); }},
      {"phase", "<= 1.3", [&] { sim.phase(0.3, t, {}); }},
      {"rz", "<= 1.3", [&] { sim.rz(0.3, t, {}); }},
      {"hadamard", "<= 4", [&] { sim.hadamard(t, {}); }},
      {"rx", "<= 4", [&] { sim.rx(0.3, t, {}); }},
      {"ry", "<= 4", [&] { sim.ry(0.3, t, {}); }},
      {"unitary", "<= 4", [&] { sim.unitary(m, t, {}); }},
      {"controlled pauli_x", "<= 1.3", [&] { sim.pauli_x(t, one_control); }},
      {"controlled hadamard", "<= 4", [&] { sim.hadamard(t, one_control); }},
      // Back into superposition before each measurement, untimed.
      {"measure", "<= 2.5", [&] { sim.measure(t); }, [&] { sim.hadamard(t, {}); }},
      {"swap", "", [&] { sim.swap(1, t); }},
      {"pown 7 15, whole register", "",
       [&] {
         if (!sim.plugin("pown", "7 15", register_targets)) std::abort();
       }},
  };
  std::printf("n = %llu: copy of one list %.3f ms\n", static_cast<unsigned long long>(n), copy * 1e3);
  for (const Entry& e : entries) {
    const double time = median_time(reps_for(n), e.body, e.setup);
    std::printf("  %-28s %9.3f ms  %5.2f copies  %s\n", e.name, time * 1e3, time / copy,
                *e.goal ? (std::string("goal ") + e.goal).c_str() : "");
  }
}

double hadamard_time(uint64_t n) {
  DenseSimulator sim = simulator(n);
  sim.hadamard(0, {});  // first touch of both lists
  sim.hadamard(0, {});
  return median_time(reps_for(n), [&] { sim.hadamard(n / 2, {}); });
}

struct ThreadTimes {
  double hadamard = -1;
  double copy = -1;
};

// A child process per pool size: the pool's size is fixed at first use.
ThreadTimes child_times(const char* self, int threads, uint64_t n) {
  const std::string command = "RAYON_NUM_THREADS=" + std::to_string(threads) + " " + self +
                              " --thread-check " + std::to_string(n);
  FILE* pipe = popen(command.c_str(), "r");
  ThreadTimes times;
  if (pipe == nullptr || std::fscanf(pipe, "%lf %lf", &times.hadamard, &times.copy) != 2)
    times = {};
  if (pipe != nullptr) pclose(pipe);
  return times;
}

void small_registers() {
  std::printf("small registers (time per gate, inline on the calling thread):\n");
  for (uint64_t n : {4u, 8u, 12u}) {
    DenseSimulator sim = simulator(n);
    const int gates = 20000;
    const std::vector<uint64_t> control{0};
    const auto start = Clock::now();
    for (int g = 0; g < gates; ++g) sim.hadamard(static_cast<uint64_t>(g) % n, {});
    const double per_hadamard = seconds_since(start) / gates;
    const auto x_start = Clock::now();
    for (int g = 0; g < gates; ++g) sim.pauli_x(n - 1, control);
    const double per_x = seconds_since(x_start) / gates;
    const auto measure_start = Clock::now();
    for (int g = 0; g < gates; ++g) sim.measure(static_cast<uint64_t>(g) % n);
    const double per_measure = seconds_since(measure_start) / gates;
    std::printf("  n = %2llu: hadamard %.2f us, controlled pauli_x %.2f us, measure %.2f us\n",
                static_cast<unsigned long long>(n), per_hadamard * 1e6, per_x * 1e6,
                per_measure * 1e6);
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::strcmp(argv[1], "--thread-check") == 0) {
    const uint64_t n = std::strtoull(argv[2], nullptr, 10);
    const double hadamard = hadamard_time(n);
    std::printf("%.9f %.9f\n", hadamard, copy_time(n));
    return 0;
  }
  const bool with_28 = argc == 2 && std::strcmp(argv[1], "--with-28") == 0;
  std::printf("worker pool: %zu threads\n", fenn::runtime::worker_count());
  std::vector<uint64_t> sizes{20, 24, 26};
  if (with_28) sizes.push_back(28);
  for (uint64_t n : sizes) large_registers(n);

  const ThreadTimes one = child_times(argv[0], 1, 26);
  const ThreadTimes eight = child_times(argv[0], 8, 26);
  std::printf("hadamard at n = 26: 1 thread %.1f ms, 8 threads %.1f ms, speed-up %.2fx (goal >= 4)\n",
              one.hadamard * 1e3, eight.hadamard * 1e3, one.hadamard / eight.hadamard);
  std::printf("copy at n = 26:     1 thread %.1f ms, 8 threads %.1f ms, speed-up %.2fx (the machine's own)\n",
              one.copy * 1e3, eight.copy * 1e3, one.copy / eight.copy);
  small_registers();
  return 0;
}
