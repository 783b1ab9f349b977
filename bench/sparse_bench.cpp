// Throughput of the sparse simulator's passes, in stored entries per second,
// for 2^12, 2^16 and 2^20 stored basis states on 40 and on 100 qubits:
// - rebuild passes (hadamard on a qubit in superposition, rx), each beside the
//   same hadamard pass written plainly on std::unordered_map with the
//   standard hash (the baseline, measured in the same run);
// - the in-place pass (rz), once with its entry list rebuilt and once with it
//   reused, and on 2^20 entries also on a one-thread pool (a child process
//   started with RAYON_NUM_THREADS=1, since the pool's size is fixed at first
//   use);
// - a measurement of a qubit in superposition.
//
// Usage: bench_sparse_bench            the whole table
//        bench_sparse_bench --in-place the in-place figures at 2^20 only
#include <unistd.h>

#include <chrono>
#include <complex>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "fenn/src/runtime/worker_pool.hpp"
#include "fenn/src/sparse/sparse_simulator.hpp"

namespace {

using fenn::sparse::SparseSimulator;
using Clock = std::chrono::steady_clock;

constexpr double kMinSeconds = 0.3;

struct Setup {
  uint64_t qubits;
  unsigned log_entries;
  std::vector<uint64_t> spread;  // the positions in superposition
};

Setup make_setup(uint64_t qubits, unsigned log_entries) {
  Setup setup{qubits, log_entries, {}};
  const uint64_t step = qubits / (log_entries + 1);
  for (unsigned i = 0; i < log_entries; ++i) setup.spread.push_back(i * step + 1);
  return setup;
}

// 2^log_entries stored states; the first spread qubit carries a relative phase
// so that a hadamard on it keeps every entry.
SparseSimulator prepare(const Setup& setup) {
  plim::Metrics metrics;
  metrics.qubit_simultaneous = setup.qubits;
  auto simulator = std::move(SparseSimulator::create(metrics)).value();
  for (uint64_t p : setup.spread) simulator.hadamard(p, {});
  simulator.rz(0.7, setup.spread[0], {});
  return simulator;
}

// Entries per second of `pass`, each call moving `entries` entries; `between`
// runs untimed before every call.
double rate(uint64_t entries, const std::function<void()>& pass,
            const std::function<void()>& between = {}) {
  double seconds = 0.0;
  uint64_t calls = 0;
  while (seconds < kMinSeconds || calls < 3) {
    if (between) between();
    const auto start = Clock::now();
    pass();
    seconds += std::chrono::duration<double>(Clock::now() - start).count();
    ++calls;
  }
  return static_cast<double>(entries * calls) / seconds;
}

// The baseline: a plain map from the key's words to the amplitude, hashed
// with the standard library's hash of the key's bytes.
struct PlainHash {
  std::size_t operator()(const std::vector<uint64_t>& key) const noexcept {
    return std::hash<std::string_view>{}(
        std::string_view(reinterpret_cast<const char*>(key.data()), key.size() * 8));
  }
};
using PlainMap = std::unordered_map<std::vector<uint64_t>, std::complex<double>, PlainHash>;

PlainMap plain_state(const Setup& setup) {
  PlainMap map;
  const uint64_t words = setup.qubits / 64 + 1;
  const uint64_t count = uint64_t{1} << setup.log_entries;
  const std::complex<double> amplitude(std::pow(0.7071067811865476, setup.log_entries), 0.0);
  for (uint64_t index = 0; index < count; ++index) {
    std::vector<uint64_t> key(words, 0);
    for (unsigned i = 0; i < setup.log_entries; ++i)
      if ((index >> i) & 1) key[setup.spread[i] / 64] |= uint64_t{1} << (setup.spread[i] % 64);
    map.emplace(std::move(key), amplitude * std::polar(1.0, (index & 1) ? 0.35 : -0.35));
  }
  return map;
}

void plain_hadamard(PlainMap& source, PlainMap& target, uint64_t position) {
  const double h = 0.7071067811865476;
  auto add = [&](std::vector<uint64_t> key, std::complex<double> contribution) {
    auto [entry, inserted] = target.try_emplace(std::move(key), contribution);
    if (inserted) return;
    entry->second += contribution;
    if (std::abs(entry->second) < 1e-15) target.erase(entry);
  };
  for (const auto& [key, a] : source) {
    const bool one = (key[position / 64] >> (position % 64)) & 1;
    std::vector<uint64_t> flipped = key;
    flipped[position / 64] ^= uint64_t{1} << (position % 64);
    add(std::move(flipped), h * a);
    add(key, one ? -h * a : h * a);
  }
  source.clear();
  std::swap(source, target);
}

struct InPlace {
  double cold;  // entry list rebuilt before each pass
  double warm;  // entry list reused
};

InPlace in_place_rates(const Setup& setup) {
  auto simulator = prepare(setup);
  const uint64_t entries = simulator.entry_count();
  const uint64_t q = setup.spread[1];
  const uint64_t unused = setup.qubits - 1;
  InPlace result{};
  result.cold = rate(entries, [&] { simulator.rz(0.3, q, {}); },
                     [&] { simulator.swap(unused, unused); });
  simulator.rz(0.3, q, {});
  result.warm = rate(entries, [&] { simulator.rz(0.3, q, {}); });
  return result;
}

std::string format_rate(double rate) {
  char text[32];
  std::snprintf(text, sizeof text, "%8.2f M/s", rate / 1e6);
  return text;
}

int in_place_only() {
  for (uint64_t qubits : {40u, 100u}) {
    const InPlace r = in_place_rates(make_setup(qubits, 20));
    std::printf("%llu %.6e %.6e\n", static_cast<unsigned long long>(qubits), r.cold, r.warm);
  }
  return 0;
}

// The child's figures for 40 and 100 qubits, or zeros when it fails.
std::vector<InPlace> one_thread_in_place() {
  std::vector<InPlace> figures;
  char self[4096];
  const ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
  if (length <= 0) return figures;
  self[length] = '\0';
  const std::string command = std::string("RAYON_NUM_THREADS=1 '") + self + "' --in-place";
  FILE* child = popen(command.c_str(), "r");
  if (child == nullptr) return figures;
  unsigned long long qubits = 0;
  InPlace r{};
  while (std::fscanf(child, "%llu %lf %lf", &qubits, &r.cold, &r.warm) == 3) figures.push_back(r);
  pclose(child);
  return figures;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1 && std::strcmp(argv[1], "--in-place") == 0) return in_place_only();

  std::printf("worker pool: %zu threads\n\n", fenn::runtime::worker_count());
  std::printf("%7s %8s | %-12s %-12s %-6s | %-12s | %-12s %-12s | %-12s\n", "qubits", "entries",
              "hadamard", "plain map", "ratio", "rx", "rz (cold)", "rz (warm)", "measure");
  std::vector<InPlace> many_threads;
  for (unsigned log_entries : {12u, 16u, 20u}) {
    for (uint64_t qubits : {40u, 100u}) {
      const Setup setup = make_setup(qubits, log_entries);
      auto simulator = prepare(setup);
      const uint64_t entries = simulator.entry_count();
      const uint64_t q = setup.spread[0];

      const double hadamard = rate(entries, [&] { simulator.hadamard(q, {}); });
      const double rx = rate(entries, [&] { simulator.rx(0.3, q, {}); });

      PlainMap plain = plain_state(setup), other;
      const double baseline = rate(plain.size(), [&] { plain_hadamard(plain, other, q); });

      const InPlace in_place = in_place_rates(setup);
      if (log_entries == 20) many_threads.push_back(in_place);

      // A fresh state for every measurement, prepared outside the timing.
      SparseSimulator measured = prepare(setup);
      const double measure = rate(entries, [&] { (void)measured.measure(setup.spread[1]); },
                                  [&] { measured = prepare(setup); });

      std::printf("%7llu %8llu | %s %s %5.1fx | %s | %s %s | %s\n",
                  static_cast<unsigned long long>(qubits), static_cast<unsigned long long>(entries),
                  format_rate(hadamard).c_str(), format_rate(baseline).c_str(), hadamard / baseline,
                  format_rate(rx).c_str(), format_rate(in_place.cold).c_str(),
                  format_rate(in_place.warm).c_str(), format_rate(measure).c_str());
    }
  }

  const std::vector<InPlace> one_thread = one_thread_in_place();
  std::printf("\nin-place rz at 2^20 entries, %zu threads against 1 thread:\n",
              fenn::runtime::worker_count());
  for (std::size_t i = 0; i < one_thread.size() && i < many_threads.size(); ++i) {
    std::printf("  %3s qubits: cold %s vs %s (%.1fx), warm %s vs %s (%.1fx)\n", i == 0 ? "40" : "100",
                format_rate(many_threads[i].cold).c_str(), format_rate(one_thread[i].cold).c_str(),
                many_threads[i].cold / one_thread[i].cold, format_rate(many_threads[i].warm).c_str(),
                format_rate(one_thread[i].warm).c_str(), many_threads[i].warm / one_thread[i].warm);
  }
  if (one_thread.empty()) std::printf("  (the one-thread child process gave no figures)\n");
  return 0;
}
