// Independent programs run from many host threads at once, on every back end
// and on both roads, must each come back with their own correct result.
#include <gtest/gtest.h>

#include <dirent.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

#include "fenn.h"
#include "fenn/src/runtime/worker_pool.hpp"
#include "plim.h"
#include "tessor_nivra.h"

namespace {

constexpr int kHostThreads = 8;

enum class Road { DenseInPlace, SparseInPlace, ExternalInPlace, DenseJson, SparseBin, ExternalBin };
constexpr Road kRoads[] = {Road::DenseInPlace, Road::SparseInPlace, Road::ExternalInPlace,
                           Road::DenseJson,    Road::SparseBin,     Road::ExternalBin};

// A program whose outcome is known: qubit i is flipped when bit i of `pattern`
// is set, a GHZ group on the remaining qubits reads all 0 or all 1, and the
// measured pattern is doubled by an integer operation.
struct Outcome {
  int64_t pattern;
  int64_t ghz;
  int64_t doubled;
};

Outcome run_program(int64_t pattern, unsigned ghz_size, Road road, uint64_t pid) {
  constexpr unsigned kPatternBits = 6;
  Process* process = nullptr;
  EXPECT_EQ(plim_process_new(pid, &process), 0);
  std::vector<Qubit*> qubits(kPatternBits + ghz_size);
  for (Qubit*& qubit : qubits) EXPECT_EQ(plim_process_allocate_qubit(process, false, &qubit), 0);
  for (unsigned i = 0; i < kPatternBits; ++i) {
    if ((pattern >> i) & 1) {
      EXPECT_EQ(plim_process_apply_gate(process, PLIM_GATE_PAULI_X, 0.0, qubits[i]), 0);
    }
  }
  Qubit** ghz = qubits.data() + kPatternBits;
  EXPECT_EQ(plim_process_apply_gate(process, PLIM_GATE_HADAMARD, 0.0, ghz[0]), 0);
  for (unsigned i = 1; i < ghz_size; ++i) {
    EXPECT_EQ(plim_process_ctrl_push(process, &ghz[i - 1], 1), 0);
    EXPECT_EQ(plim_process_apply_gate(process, PLIM_GATE_PAULI_X, 0.0, ghz[i]), 0);
    EXPECT_EQ(plim_process_ctrl_pop(process), 0);
  }
  // Measured most significant first, so qubit i lands in bit i.
  std::vector<Qubit*> reversed(qubits.rend() - kPatternBits, qubits.rend());
  Future *measured = nullptr, *ghz_value = nullptr, *doubled = nullptr;
  EXPECT_EQ(plim_process_measure(process, reversed.data(), reversed.size(), &measured), 0);
  EXPECT_EQ(plim_process_measure(process, ghz, ghz_size, &ghz_value), 0);
  EXPECT_EQ(plim_process_add_int_op(process, PLIM_OP_ADD, measured, measured, &doubled), 0);
  EXPECT_EQ(plim_process_prepare_for_execution(process), 0);

  int code = -1;
  switch (road) {
    case Road::DenseInPlace: code = fenn_run_and_set_result(process, FENN_SIM_DENSE); break;
    case Road::SparseInPlace: code = fenn_run_and_set_result(process, FENN_SIM_SPARSE); break;
    case Road::ExternalInPlace: code = tessor_nivra_run_and_set_result(process); break;
    case Road::DenseJson:
    case Road::SparseBin:
    case Road::ExternalBin: {
      const int type = road == Road::DenseJson ? PLIM_DATA_JSON : PLIM_DATA_BIN;
      const uint8_t *code_bytes = nullptr, *metrics_bytes = nullptr;
      size_t code_size = 0, metrics_size = 0;
      int ignored = 0;
      EXPECT_EQ(plim_process_serialize_quantum_code(process, type), 0);
      EXPECT_EQ(plim_process_serialize_metrics(process, type), 0);
      EXPECT_EQ(plim_process_get_serialized_quantum_code(process, &code_bytes, &code_size, &ignored), 0);
      EXPECT_EQ(plim_process_get_serialized_metrics(process, &metrics_bytes, &metrics_size, &ignored), 0);
      Result* result = nullptr;
      code = road == Road::ExternalBin
                 ? tessor_nivra_run_serialized(code_bytes, code_size, metrics_bytes, metrics_size,
                                               type, &result)
                 : fenn_run_serialized(code_bytes, code_size, metrics_bytes, metrics_size, type,
                                       road == Road::DenseJson ? FENN_SIM_DENSE : FENN_SIM_SPARSE,
                                       &result);
      if (code == 0) {
        const uint8_t* bytes = nullptr;
        uint64_t size = 0;
        fenn_result_get(result, &bytes, &size);
        code = plim_process_set_serialized_result(process, bytes, size, type);
        fenn_result_delete(result);
      }
      break;
    }
  }
  EXPECT_EQ(code, 0);

  Outcome outcome{-1, -1, -1};
  EXPECT_EQ(plim_future_value(measured, &outcome.pattern), 0);
  EXPECT_EQ(plim_future_value(ghz_value, &outcome.ghz), 0);
  EXPECT_EQ(plim_future_value(doubled, &outcome.doubled), 0);
  for (Qubit* qubit : qubits) plim_qubit_delete(qubit);
  plim_future_delete(measured);
  plim_future_delete(ghz_value);
  plim_future_delete(doubled);
  plim_process_delete(process);
  return outcome;
}

TEST(ConcurrentRuns, EveryHostThreadGetsItsOwnCorrectResults) {
  constexpr int kRunsPerThread = 24;
  std::atomic<int> wrong{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < kHostThreads; ++t) {
    threads.emplace_back([t, &wrong] {
      for (int run = 0; run < kRunsPerThread; ++run) {
        const int64_t pattern = (t * 7 + run * 5) % 64;
        // Dense runs of 16 qubits hand their passes to the pool; the others
        // stay small.
        const unsigned ghz_size = run % 3 == 0 ? 10 : 3;
        const Road road = kRoads[(t + run) % std::size(kRoads)];
        const Outcome outcome = run_program(pattern, ghz_size, road, t * 1000 + run);
        const int64_t all_ones = (int64_t{1} << ghz_size) - 1;
        if (outcome.pattern != pattern || outcome.doubled != 2 * pattern ||
            (outcome.ghz != 0 && outcome.ghz != all_ones))
          wrong.fetch_add(1);
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(wrong.load(), 0);
}

// H, then Z, then H on every qubit is X on every qubit: the measurement reads
// all ones. In between the sparse map holds 2^14 entries, enough for its
// in-place Z passes to go to the pool, as every dense pass does.
int64_t run_hzh(int sim_mode, uint64_t pid) {
  constexpr unsigned kQubits = 14;
  Process* process = nullptr;
  EXPECT_EQ(plim_process_new(pid, &process), 0);
  std::vector<Qubit*> qubits(kQubits);
  for (Qubit*& qubit : qubits) EXPECT_EQ(plim_process_allocate_qubit(process, false, &qubit), 0);
  for (int gate : {PLIM_GATE_HADAMARD, PLIM_GATE_PAULI_Z, PLIM_GATE_HADAMARD})
    for (Qubit* qubit : qubits) EXPECT_EQ(plim_process_apply_gate(process, gate, 0.0, qubit), 0);
  Future* measured = nullptr;
  EXPECT_EQ(plim_process_measure(process, qubits.data(), kQubits, &measured), 0);
  EXPECT_EQ(plim_process_prepare_for_execution(process), 0);
  EXPECT_EQ(fenn_run_and_set_result(process, sim_mode), 0);
  int64_t value = -1;
  EXPECT_EQ(plim_future_value(measured, &value), 0);
  for (Qubit* qubit : qubits) plim_qubit_delete(qubit);
  plim_future_delete(measured);
  plim_process_delete(process);
  return value;
}

TEST(ConcurrentRuns, PooledPassesOfBothSimulatorsFromManyHostThreads) {
  std::atomic<int> wrong{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < kHostThreads; ++t)
    threads.emplace_back([t, &wrong] {
      for (int run = 0; run < 3; ++run) {
        const int sim_mode = (t + run) % 2 == 0 ? FENN_SIM_SPARSE : FENN_SIM_DENSE;
        if (run_hzh(sim_mode, 50000 + t * 10 + run) != (int64_t{1} << 14) - 1) wrong.fetch_add(1);
      }
    });
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(wrong.load(), 0);
}

std::size_t thread_count() {
  std::size_t count = 0;
  if (DIR* tasks = opendir("/proc/self/task")) {
    while (dirent* entry = readdir(tasks))
      if (entry->d_name[0] != '.') ++count;
    closedir(tasks);
  }
  return count;
}

// Two host threads running dense passes large enough for the pool share its
// one set of workers: both finish, and no second pool of threads appears.
TEST(ConcurrentRuns, TwoHostThreadsShareTheOneWorkerPool) {
  const std::size_t before = thread_count();
  std::atomic<std::size_t> peak{0};
  std::atomic<bool> done{false};
  std::thread watcher([&] {
    while (!done.load()) {
      std::size_t now = thread_count();
      std::size_t seen = peak.load();
      while (now > seen && !peak.compare_exchange_weak(seen, now)) {
      }
      std::this_thread::yield();
    }
  });
  std::vector<std::thread> hosts;
  std::atomic<int> wrong{0};
  for (int t = 0; t < 2; ++t)
    hosts.emplace_back([t, &wrong] {
      for (int run = 0; run < 6; ++run) {
        const Outcome outcome = run_program(t + run, 14, Road::DenseInPlace, 90000 + t);
        if (outcome.pattern != t + run) wrong.fetch_add(1);
      }
    });
  for (std::thread& host : hosts) host.join();
  done.store(true);
  watcher.join();
  EXPECT_EQ(wrong.load(), 0);
  // Host threads, the watcher and at most one pool of workers.
  EXPECT_LE(peak.load(), before + 3 + fenn::runtime::worker_count());
}

}  // namespace
