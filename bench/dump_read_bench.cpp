// A host reading the whole state of a dense register through the C
// interface: H on every qubit, a dump of every qubit, the run stored into the
// process (fenn_run_and_set_result), then every basis state and amplitude
// read through plim_dump_*. The same program without its dump is run too, so
// that the dump's own share shows (the difference), and the simulator's dump
// is timed alone. Every figure is printed beside one parallel copy of the
// amplitude list on the same pool in the same run, and beside the first
// touch of fresh memory as large as the dump: on machines where fresh pages
// are slow to come by, that bounds a dump in a fresh process.
//   bench_dump_read_bench [qubits...]   (default 20 24)
// Goal: at 24 qubits the dump and the host's read of it take well under a
// second (at most 15 copies of the list).
#include <sys/mman.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <vector>

#include "fenn.h"
#include "fenn/src/dense/dense_simulator.hpp"
#include "fenn/src/runtime/worker_pool.hpp"
#include "plim.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kRepeats = 5;

double seconds_since(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

double best_seconds(const std::function<void()>& work) {
  double best = 1e300;
  for (int i = 0; i < kRepeats; ++i) {
    const auto start = Clock::now();
    work();
    best = std::min(best, seconds_since(start));
  }
  return best;
}

void check(int code, const char* what) {
  if (code != 0) {
    std::fprintf(stderr, "%s failed with %d\n", what, code);
    std::exit(1);
  }
}

// One parallel copy of 2^n amplitudes (two doubles each) on the pool.
double parallel_copy_seconds(uint64_t qubits) {
  const uint64_t doubles = uint64_t{2} << qubits;
  std::vector<double> from(doubles, 0.5), to(doubles, 0.0);
  return best_seconds([&] {
    fenn::runtime::parallel_for(doubles, [&](uint64_t begin, uint64_t end) {
      std::memcpy(to.data() + begin, from.data() + begin, (end - begin) * sizeof(double));
    });
    asm volatile("" : : "r"(to.data()) : "memory");
  });
}

// Fresh memory written once, as much as a full dump's three lists (a word,
// a real and an imaginary part per state), huge pages asked for as the dump
// does: a dump in a fresh process cannot beat the machine's first touch.
double first_touch_seconds(uint64_t qubits) {
  const std::size_t bytes = std::size_t{24} << qubits;
  return best_seconds([&] {
    void* memory = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (memory == MAP_FAILED) std::exit(1);
    madvise(memory, bytes, MADV_HUGEPAGE);
    std::memset(memory, 1, bytes);
    asm volatile("" : : "r"(memory) : "memory");
    munmap(memory, bytes);
  });
}

struct Figures {
  double run = 0.0;   // fenn_run_and_set_result
  double read = 0.0;  // every state and amplitude through plim_dump_*
  double sum = 0.0;   // what the read added up, so that nothing is optimised away
};

// Builds H on every qubit (and a dump of all of them when `with_dump`), runs
// it on the dense simulator into the process, and reads the dump back.
Figures run_once(uint64_t qubits, bool with_dump) {
  Process* process = nullptr;
  check(plim_process_new(1, &process), "plim_process_new");
  std::vector<Qubit*> register_(qubits);
  for (Qubit*& qubit : register_) {
    check(plim_process_allocate_qubit(process, false, &qubit), "allocate");
    check(plim_process_apply_gate(process, PLIM_GATE_HADAMARD, 0.0, qubit), "hadamard");
  }
  Dump* dump = nullptr;
  if (with_dump) check(plim_process_dump(process, register_.data(), qubits, &dump), "dump");
  check(plim_process_prepare_for_execution(process), "prepare");

  Figures figures;
  auto start = Clock::now();
  check(fenn_run_and_set_result(process, 0), "fenn_run_and_set_result");
  figures.run = seconds_since(start);

  if (with_dump) {
    start = Clock::now();
    size_t states = 0, size = 0;
    const double* real = nullptr;
    const double* imag = nullptr;
    check(plim_dump_states_size(dump, &states), "plim_dump_states_size");
    check(plim_dump_amplitudes_real(dump, &real, &size), "plim_dump_amplitudes_real");
    check(plim_dump_amplitudes_imag(dump, &imag, &size), "plim_dump_amplitudes_imag");
    double sum = 0.0;
    for (size_t i = 0; i < states; ++i) {
      const uint64_t* words = nullptr;
      size_t count = 0;
      check(plim_dump_state(dump, i, &words, &count), "plim_dump_state");
      sum += static_cast<double>(words[count - 1]) + real[i] + imag[i];
    }
    figures.read = seconds_since(start);
    figures.sum = sum;
    if (states != (size_t{1} << qubits)) {
      std::fprintf(stderr, "expected %zu states, got %zu\n", size_t{1} << qubits, states);
      std::exit(1);
    }
    plim_dump_delete(dump);
  }
  for (Qubit* qubit : register_) plim_qubit_delete(qubit);
  plim_process_delete(process);
  return figures;
}

Figures best_of(uint64_t qubits, bool with_dump) {
  Figures best{1e300, 1e300, 0.0};
  for (int i = 0; i < kRepeats; ++i) {
    const Figures figures = run_once(qubits, with_dump);
    best.run = std::min(best.run, figures.run);
    best.read = std::min(best.read, figures.read);
    best.sum += figures.sum;
  }
  return best;
}

// The simulator's dump alone, without the run around it: the share of the
// end-to-end figure that the collection takes, free of the gates' noise.
double simulator_dump_seconds(uint64_t qubits) {
  plim::Metrics metrics;
  metrics.qubit_simultaneous = qubits;
  auto simulator = fenn::dense::DenseSimulator::create(metrics);
  if (!simulator) std::exit(1);
  std::vector<uint64_t> positions(qubits);
  for (uint64_t p = 0; p < qubits; ++p) {
    positions[p] = p;
    simulator->hadamard(p, {});
  }
  return best_seconds([&] {
    const plim::DumpData data = simulator->dump(positions);
    asm volatile("" : : "r"(&data) : "memory");
  });
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<uint64_t> sizes;
  for (int i = 1; i < argc; ++i) sizes.push_back(std::strtoull(argv[i], nullptr, 10));
  if (sizes.empty()) sizes = {20, 24};
  std::printf("%zu worker threads; best of %d\n", fenn::runtime::worker_count(), kRepeats);
  for (uint64_t n : sizes) {
    const double copy = parallel_copy_seconds(n);
    const Figures bare = best_of(n, false);
    const Figures dumped = best_of(n, true);
    const double dump = dumped.run - bare.run;
    const double collect = simulator_dump_seconds(n);
    const double touch = first_touch_seconds(n);
    std::printf("n = %2llu  first touch of the dump's bytes %8.2f ms (%6.1f copies)\n",
                static_cast<unsigned long long>(n), touch * 1e3, touch / copy);
    std::printf(
        "n = %2llu  copy %8.2f ms | run without dump %8.2f ms (%6.1f copies) | run with dump "
        "%8.2f ms (%6.1f) | difference %8.2f ms (%6.1f) | simulator dump %8.2f ms (%6.1f) | "
        "host read %8.2f ms (%6.1f) | dump + read %8.2f ms (%6.1f copies)  [%g]\n",
        static_cast<unsigned long long>(n), copy * 1e3, bare.run * 1e3, bare.run / copy,
        dumped.run * 1e3, dumped.run / copy, dump * 1e3, dump / copy, collect * 1e3,
        collect / copy, dumped.read * 1e3, dumped.read / copy, (collect + dumped.read) * 1e3,
        (collect + dumped.read) / copy, dumped.sum);
  }
  return 0;
}
