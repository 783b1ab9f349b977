// Dense simulator figures, each as a multiple of baselines measured in the
// same run on the same worker pool:
//   pass  one parallel in-place read-modify-write pass over the 2^n list
//         (the least a gate that touches every amplitude can cost);
//   copy  one parallel copy of the list into a second one.
// Goals (8 threads, n >= 24): one-qubit gates <= 1.2 passes; CNOT and
// controlled phase <= 0.7 passes; measurement with collapse <= 2.5 passes;
// an empty run <= 3 copies at n = 26; a full dump read by the host <= 15
// copies at n = 24; the hadamard pass 1 -> 8 threads >= 4x at n = 26;
// circuits: H and RX layers <= 4 passes at n = 26, the QFT <= n passes, no
// circuit slower than the one-gate-at-a-time path.
//
//   bench_dense_bench            runs itself once with 1 and once with 8 threads
//   bench_dense_bench --with-28  also n = 28
//   bench_dense_bench --child T [--with-28] [--only N]   (one pool size, in
//                                one process; --only N: that register size)
//
// The pool reads its size once per process, hence one child per size. The
// machine is shared: read every figure beside its baselines and the load.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "fenn.h"
#include "fenn/src/dense/amplitude_list.hpp"
#include "fenn/src/dense/dense_kernels.hpp"
#include "fenn/src/dense/dense_simulator.hpp"
#include "fenn/src/runtime/worker_pool.hpp"
#include "plim.h"

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

plim::Metrics metrics_for(uint64_t n) {
  plim::Metrics metrics;
  metrics.qubit_simultaneous = n;
  metrics.ready = true;
  return metrics;
}

DenseSimulator simulator(uint64_t n) {
  auto made = DenseSimulator::create(metrics_for(n));
  if (!made) {
    std::fprintf(stderr, "cannot build %llu qubits\n", static_cast<unsigned long long>(n));
    std::exit(1);
  }
  return std::move(*made);
}

// Applies whatever the simulator still holds back, so that a timing covers
// the work of the gates it times.
void settle(const DenseSimulator& sim) { (void)sim.state(); }

int reps_for(uint64_t n) { return n <= 20 ? 15 : n <= 24 ? 7 : n <= 26 ? 5 : 3; }

struct Baselines {
  double pass = 0;
  double copy = 0;
};

Baselines baselines(uint64_t n) {
  const uint64_t size = uint64_t{1} << n;
  auto a = fenn::dense::allocate_zeroed(size);
  auto b = fenn::dense::allocate_zeroed(size);
  Amplitude* from = a.get();
  Amplitude* to = b.get();
  Baselines result;
  result.copy = median_time(reps_for(n), [&] {
    fenn::runtime::parallel_for(size, [=](uint64_t begin, uint64_t end) {
      std::memcpy(to + begin, from + begin, (end - begin) * sizeof(Amplitude));
    });
    std::swap(from, to);
  });
  result.pass = median_time(reps_for(n), [&] {
    fenn::runtime::parallel_for(size, [=](uint64_t begin, uint64_t end) {
      for (uint64_t i = begin; i < end; ++i) from[i] = Amplitude{-from[i].re, -from[i].im};
    });
  });
  return result;
}

// Figures of the two-list design (three passes for H, RX, RY, Unitary, a
// second list written by every gate, serial construction, one allocation
// per dumped state), measured with this program before the one-list kernels
// replaced it, in ms: key "threads/n/name". Load at the time: see the report.
const std::map<std::string, double>& previous_design() {
  static const std::map<std::string, double> figures = {
#include "dense_bench_previous.inc"
  };
  return figures;
}

struct Printer {
  int threads;
  uint64_t n;
  Baselines base;

  void row(const char* name, double seconds, const char* unit, const char* goal) const {
    const double over = std::strcmp(unit, "copies") == 0 ? base.copy : base.pass;
    std::string previous;
    const auto& old = previous_design();
    const auto it = old.find(std::to_string(threads) + "/" + std::to_string(n) + "/" + name);
    if (it != old.end()) {
      char text[96];
      std::snprintf(text, sizeof text, "  was %9.2f ms = %6.2f %s", it->second,
                    it->second * 1e-3 / over, unit);
      previous = text;
    }
    std::printf("  %-30s %10.3f ms %7.2f %-6s %-9s%s\n", name, seconds * 1e3, seconds / over, unit,
                goal, previous.c_str());
    // Machine-readable copy for the parent and for recording.
    std::printf("#fig %d/%llu/%s %.6f\n", threads, static_cast<unsigned long long>(n), name,
                seconds * 1e3);
  }
};

void single_gates(const Printer& out) {
  const uint64_t n = out.n;
  DenseSimulator sim = simulator(n);
  const uint64_t t = n / 2;
  const std::vector<uint64_t> control{n - 1};
  const fenn::Matrix m{{{0.6, 0}, {0, 0.8}, {0, 0.8}, {0.6, 0}}};
  const int reps = reps_for(n);
  struct Entry {
    const char* name;
    const char* goal;
    std::function<void()> body;
    std::function<void()> setup = [] {};
  };
  const Entry entries[] = {
      {"hadamard", "<= 1.2", [&] { sim.hadamard(t, {}); }},
      {"hadamard on 0", "<= 1.2", [&] { sim.hadamard(0, {}); }},
      {"hadamard on n-1", "<= 1.2", [&] { sim.hadamard(n - 1, {}); }},
      {"rx", "<= 1.2", [&] { sim.rx(0.3, t, {}); }},
      {"ry", "<= 1.2", [&] { sim.ry(0.3, t, {}); }},
      {"unitary", "<= 1.2", [&] { sim.unitary(m, t, {}); }},
      {"pauli_x", "<= 1.2", [&] { sim.pauli_x(t, {}); }},
      {"pauli_y", "<= 1.2", [&] { sim.pauli_y(t, {}); }},
      {"pauli_z", "<= 1.2", [&] { sim.pauli_z(t, {}); }},
      {"phase", "<= 1.2", [&] { sim.phase(0.3, t, {}); }},
      {"rz", "<= 1.2", [&] { sim.rz(0.3, t, {}); }},
      {"cnot", "<= 0.7", [&] { sim.pauli_x(t, control); }},
      {"controlled phase", "<= 0.7", [&] { sim.phase(0.3, t, control); }},
      {"controlled hadamard", "", [&] { sim.hadamard(t, control); }},
      // Back into superposition before each measurement, untimed.
      {"measure with collapse", "<= 2.5", [&] { (void)sim.measure(t); },
       [&] {
         sim.hadamard(t, {});
         settle(sim);
       }},
  };
  for (const Entry& e : entries) {
    const double time = median_time(
        reps,
        [&] {
          e.body();
          settle(sim);
        },
        e.setup);
    out.row(e.name, time, "passes", e.goal);
  }
}

void empty_run(const Printer& out) {
  const double time = median_time(reps_for(out.n), [&] { DenseSimulator sim = simulator(out.n); });
  out.row("empty run", time, "copies", out.n == 26 ? "<= 3" : "");
}

// A process of n qubits, H on each, then (optionally) a dump of all of them.
struct DumpProgram {
  Process* process = nullptr;
  Dump* dump = nullptr;
};

DumpProgram dump_program(uint64_t n, bool with_dump) {
  DumpProgram program;
  plim_process_new(1, &program.process);
  std::vector<Qubit*> qubits(n);
  for (auto& q : qubits) plim_process_allocate_qubit(program.process, false, &q);
  for (auto* q : qubits) plim_process_apply_gate(program.process, PLIM_GATE_HADAMARD, 0.0, q);
  if (with_dump) plim_process_dump(program.process, qubits.data(), qubits.size(), &program.dump);
  plim_process_prepare_for_execution(program.process);
  for (auto* q : qubits) plim_qubit_delete(q);
  return program;
}

// Every basis state and amplitude read through the C readers.
double read_dump(Dump* dump) {
  size_t states = 0, size = 0;
  const double* re = nullptr;
  const double* im = nullptr;
  plim_dump_states_size(dump, &states);
  plim_dump_amplitudes_real(dump, &re, &size);
  plim_dump_amplitudes_imag(dump, &im, &size);
  double sum = 0;
  for (size_t i = 0; i < states; ++i) {
    const uint64_t* words = nullptr;
    size_t count = 0;
    plim_dump_state(dump, i, &words, &count);
    sum += static_cast<double>(words[0]) + re[i] + im[i];
  }
  return sum;
}

void dump_read(const Printer& out) {
  DumpProgram with = dump_program(out.n, true);
  DumpProgram without = dump_program(out.n, false);
  const int reps = 3;
  double sink = 0;
  const double full = median_time(reps, [&] {
    fenn_run_and_set_result(with.process, 0);
    sink += read_dump(with.dump);
  });
  const double bare = median_time(reps, [&] { fenn_run_and_set_result(without.process, 0); });
  if (sink == 42.0) std::printf(" ");
  out.row("dump + host read", full - bare, "copies", out.n == 24 ? "<= 15" : "");
  plim_dump_delete(with.dump);
  plim_process_delete(with.process);
  plim_process_delete(without.process);
}

// Circuits through the simulator's gate calls.
using Circuit = std::function<void(DenseSimulator&)>;

Circuit h_layer(uint64_t n) {
  return [n](DenseSimulator& sim) {
    for (uint64_t q = 0; q < n; ++q) sim.hadamard(q, {});
  };
}

Circuit rx_layer(uint64_t n) {
  return [n](DenseSimulator& sim) {
    for (uint64_t q = 0; q < n; ++q) sim.rx(0.1 * static_cast<double>(q + 1), q, {});
  };
}

Circuit cnot_chain(uint64_t n) {
  return [n](DenseSimulator& sim) {
    for (uint64_t q = 0; q + 1 < n; ++q) sim.pauli_x(q + 1, std::vector<uint64_t>{q});
  };
}

// The QFT without the final swaps: H, then controlled phases from below.
Circuit qft(uint64_t n) {
  return [n](DenseSimulator& sim) {
    for (uint64_t q = n; q-- > 0;) {
      sim.hadamard(q, {});
      for (uint64_t c = q; c-- > 0;)
        sim.phase(M_PI / static_cast<double>(uint64_t{1} << (q - c)), q, std::vector<uint64_t>{c});
    }
  };
}

// 20 layers: a random one-qubit gate on every qubit, then CNOTs on
// neighbouring pairs, every other layer shifted by one.
Circuit random_depth_20(uint64_t n) {
  return [n](DenseSimulator& sim) {
    std::mt19937_64 rng(2026);
    std::uniform_real_distribution<double> angle(-3.0, 3.0);
    const fenn::Matrix m{{{0.6, 0}, {0, 0.8}, {0, 0.8}, {0.6, 0}}};
    for (int layer = 0; layer < 20; ++layer) {
      for (uint64_t q = 0; q < n; ++q) {
        switch (rng() % 9) {
          case 0: sim.hadamard(q, {}); break;
          case 1: sim.rx(angle(rng), q, {}); break;
          case 2: sim.ry(angle(rng), q, {}); break;
          case 3: sim.rz(angle(rng), q, {}); break;
          case 4: sim.phase(angle(rng), q, {}); break;
          case 5: sim.pauli_x(q, {}); break;
          case 6: sim.pauli_y(q, {}); break;
          case 7: sim.pauli_z(q, {}); break;
          default: sim.unitary(m, q, {});
        }
      }
      for (uint64_t q = layer % 2; q + 1 < n; q += 2) sim.pauli_x(q + 1, std::vector<uint64_t>{q});
    }
  };
}

// Turns the simulator's gate queue on or off.
bool set_batching(DenseSimulator& sim, bool on) {
  sim.set_batching(on);
  return true;
}

void circuits(const Printer& out) {
  const uint64_t n = out.n;
  struct Entry {
    const char* name;
    Circuit circuit;
    std::string goal;
  };
  const Entry entries[] = {
      {"H layer", h_layer(n), n == 26 ? "<= 4" : ""},
      {"RX layer", rx_layer(n), n == 26 ? "<= 4" : ""},
      {"CNOT chain", cnot_chain(n), ""},
      {"QFT without swaps", qft(n), "<= " + std::to_string(n)},
      {"random depth 20", random_depth_20(n), ""},
  };
  DenseSimulator sim = simulator(n);
  // The batched figures are the ones with targets: the median of three even
  // where one gate at a time is timed once for its length.
  const int reps = n <= 24 ? 3 : 1;
  const int batched_reps = 3;
  for (const Entry& e : entries) {
    const bool has_queue = set_batching(sim, false);
    const double single = median_time(reps, [&] {
      e.circuit(sim);
      settle(sim);
    });
    out.row((std::string(e.name) + ", one at a time").c_str(), single, "passes", "");
    if (!has_queue) continue;
    set_batching(sim, true);
    const double batched = median_time(batched_reps, [&] {
      e.circuit(sim);
      settle(sim);
    });
    out.row((std::string(e.name) + ", batched").c_str(), batched, "passes", e.goal.c_str());
    std::printf("  %-30s %10.2fx faster than one at a time%s\n", "", single / batched,
                batched <= single * 1.05 ? "" : "  (SLOWER)");
  }
}

void small_registers() {
  std::printf("small registers (time per gate, inline on the calling thread):\n");
  for (uint64_t n : {4u, 8u, 12u}) {
    DenseSimulator sim = simulator(n);
    const int gates = 20000;
    const std::vector<uint64_t> control{0};
    auto start = Clock::now();
    for (int g = 0; g < gates; ++g) sim.hadamard(static_cast<uint64_t>(g) % n, {});
    settle(sim);
    const double per_hadamard = seconds_since(start) / gates;
    start = Clock::now();
    for (int g = 0; g < gates; ++g) sim.pauli_x(n - 1, control);
    settle(sim);
    const double per_x = seconds_since(start) / gates;
    start = Clock::now();
    for (int g = 0; g < gates; ++g) (void)sim.measure(static_cast<uint64_t>(g) % n);
    const double per_measure = seconds_since(start) / gates;
    std::printf("  n = %2llu: hadamard %.2f us, controlled pauli_x %.2f us, measure %.2f us\n",
                static_cast<unsigned long long>(n), per_hadamard * 1e6, per_x * 1e6,
                per_measure * 1e6);
  }
}

// The arithmetic of one gate on a block of 1024 amplitudes that stays in the
// first-level cache, on every kernel path this processor has, beside a copy
// of the block: what a batch's gates cost once memory is out of the way.
void kernel_paths() {
  using fenn::dense::GateKind;
  using fenn::dense::KernelPath;
  std::printf("kernel paths, one thread, 1024 amplitudes in cache (ns; x = multiple of a copy):\n");
  std::vector<Amplitude> block(1024), copy(1024);
  const int reps = 20000;
  auto start = Clock::now();
  for (int r = 0; r < reps; ++r) {
    std::memcpy(static_cast<void*>(copy.data()), block.data(), block.size() * sizeof(Amplitude));
    std::memcpy(static_cast<void*>(block.data()), copy.data(), block.size() * sizeof(Amplitude));
  }
  const double copy_ns = seconds_since(start) / (2.0 * reps) * 1e9;
  const struct {
    const char* name;
    KernelPath path;
  } paths[] = {{"baseline", KernelPath::Baseline}, {"AVX2", KernelPath::Avx2}, {"AVX-512", KernelPath::Avx512}};
  for (const auto& p : paths) {
    if (!fenn::dense::kernel_path_available(p.path)) continue;
    std::printf("  %-9s", p.name);
    for (GateKind kind : {GateKind::Hadamard, GateKind::RX}) {
      for (unsigned target : {0u, 2u, 5u}) {
        // Factors of a rotation, so that the amplitudes keep their size.
        std::fill(block.begin(), block.end(), Amplitude{0.3, 0.1});
        fenn::dense::PreparedGate gate;
        gate.kind = kind;
        gate.r = {kind == GateKind::RX ? 0.6 : M_SQRT1_2, -M_SQRT1_2, 0.0};
        gate.f[0] = {-0.0, -0.8};
        gate.layout = fenn::dense::PairLayout(10, target, 0);
        start = Clock::now();
        for (int r = 0; r < reps; ++r) fenn::dense::apply_pairs(block.data(), gate, 0, gate.layout.pairs, p.path);
        const double ns = seconds_since(start) / reps * 1e9;
        std::printf("  %s on %u %6.0f (%4.1fx)", kind == GateKind::RX ? "rx" : "h", target, ns, ns / copy_ns);
      }
    }
    std::printf("\n");
  }
}

int child(int threads, bool with_28, uint64_t only) {
  std::printf("== worker pool: %zu threads (asked for %d)\n", fenn::runtime::worker_count(), threads);
  std::vector<uint64_t> sizes{20, 24, 26};
  if (with_28) sizes.push_back(28);
  if (only != 0) sizes = {only};
  for (uint64_t n : sizes) {
    const Printer out{threads, n, baselines(n)};
    std::printf("n = %llu, %d threads: pass %.3f ms, copy %.3f ms\n",
                static_cast<unsigned long long>(n), threads, out.base.pass * 1e3,
                out.base.copy * 1e3);
    single_gates(out);
    empty_run(out);
    if (n <= 24) dump_read(out);
    if (threads == 8 && (n == 24 || n == 26)) circuits(out);
  }
  if (threads == 1) {
    small_registers();
    kernel_paths();
  }
  std::fflush(stdout);
  return 0;
}

double figure(const std::string& text, const std::string& key) {
  const std::string tag = "#fig " + key + " ";
  const auto at = text.find(tag);
  return at == std::string::npos ? -1 : std::strtod(text.c_str() + at + tag.size(), nullptr);
}

}  // namespace

int main(int argc, char** argv) {
  bool with_28 = false;
  uint64_t only = 0;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--with-28") == 0) with_28 = true;
    if (std::strcmp(argv[i], "--only") == 0 && i + 1 < argc) only = std::strtoull(argv[i + 1], nullptr, 10);
  }
  if (argc >= 3 && std::strcmp(argv[1], "--child") == 0)
    return child(std::atoi(argv[2]), with_28, only);

  std::string output;
  for (int threads : {1, 8}) {
    const std::string command = "RAYON_NUM_THREADS=" + std::to_string(threads) + " " + argv[0] +
                                " --child " + std::to_string(threads) + (with_28 ? " --with-28" : "") +
                                (only != 0 ? " --only " + std::to_string(only) : "");
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return 1;
    char line[512];
    while (std::fgets(line, sizeof line, pipe) != nullptr) {
      output += line;
      if (line[0] != '#') std::fputs(line, stdout);
    }
    if (pclose(pipe) != 0) return 1;
  }
  if (only != 0 && only != 26) return 0;
  const double one = figure(output, "1/26/hadamard");
  const double eight = figure(output, "8/26/hadamard");
  std::printf("hadamard at n = 26: 1 thread %.1f ms, 8 threads %.1f ms, speed-up %.2fx (goal >= 4)\n",
              one, eight, one / eight);
  return 0;
}
