// A run that cannot get the memory it needs ends with a code; it never aborts
// the host. Each case runs in a child process whose address space is capped a
// little above what it already uses.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "fenn.h"
#include "limits/child_limits.hpp"
#include "plim.h"
#include "tessor_nivra.h"

namespace {

using limits_test::cap_address_space;
using limits_test::kMiB;

constexpr int kExternal = -1;  // the road through the closed library, beside FENN_SIM_*

// Allocates `qubits` qubits, puts the first `spread` of them in superposition
// and measures one, then runs the prepared process in place.
int run_superposition(int road, unsigned qubits, unsigned spread) {
  Process* process = nullptr;
  plim_process_new(1, &process);
  std::vector<Qubit*> handles(qubits);
  for (Qubit*& qubit : handles) plim_process_allocate_qubit(process, false, &qubit);
  for (unsigned i = 0; i < spread; ++i)
    plim_process_apply_gate(process, PLIM_GATE_HADAMARD, 0.0, handles[i]);
  Future* future = nullptr;
  plim_process_measure(process, handles.data(), 1, &future);
  plim_process_prepare_for_execution(process);
  const int code = road == kExternal ? tessor_nivra_run_and_set_result(process)
                                     : fenn_run_and_set_result(process, road);
  for (Qubit* qubit : handles) plim_qubit_delete(qubit);
  plim_future_delete(future);
  plim_process_delete(process);
  return code;
}

using MemoryLimit = limits_test::ChildLimits;

TEST_F(MemoryLimit, DenseRegisterThatDoesNotFitIsRefusedWithTooManyQubits) {
  EXPECT_EXIT(
      {
        cap_address_space(256 * kMiB);
        std::_Exit(run_superposition(FENN_SIM_DENSE, 30, 1));
      },
      ::testing::ExitedWithCode(FENN_TOO_MANY_QUBITS), "");
}

TEST_F(MemoryLimit, SparseMapsThatOutgrowMemoryEndTheRunWithUndefinedError) {
  EXPECT_EXIT(
      {
        cap_address_space(192 * kMiB);
        std::_Exit(run_superposition(FENN_SIM_SPARSE, 40, 24));
      },
      ::testing::ExitedWithCode(FENN_UNDEFINED_ERROR), "");
}

// The closed library cannot grow its state for the 21st Hadamard gate: the
// gate does not take effect, and the run must not go on as if it had.
TEST_F(MemoryLimit, AnExternalGateThatRunsOutOfMemoryEndsTheRunWithUndefinedError) {
  EXPECT_EXIT(
      {
        cap_address_space(160 * kMiB);
        for (int run = 0; run < 4; ++run) {
          const int code = run_superposition(kExternal, 21, 21);
          if (code != FENN_UNDEFINED_ERROR) std::_Exit(code);
        }
        std::_Exit(FENN_UNDEFINED_ERROR);
      },
      ::testing::ExitedWithCode(FENN_UNDEFINED_ERROR), "");
}

TEST_F(MemoryLimit, TheSameRunsSucceedWithinTheirMemory) {
  EXPECT_EQ(run_superposition(FENN_SIM_DENSE, 12, 12), 0);
  EXPECT_EQ(run_superposition(FENN_SIM_SPARSE, 40, 12), 0);
  EXPECT_EQ(run_superposition(kExternal, 21, 12), 0);
}

// Runs one Halt under `metrics` (JSON) on a road, through the serialized C
// functions.
int run_metrics(int road, const std::string& metrics) {
  const std::string code = R"([{"instructions":[{"End":"Halt"}],"gate_count":{},"depth":0}])";
  const auto* code_bytes = reinterpret_cast<const uint8_t*>(code.data());
  const auto* metrics_bytes = reinterpret_cast<const uint8_t*>(metrics.data());
  Result* result = nullptr;
  const int status =
      road == kExternal
          ? tessor_nivra_run_serialized(code_bytes, code.size(), metrics_bytes, metrics.size(),
                                        PLIM_DATA_JSON, &result)
          : fenn_run_serialized(code_bytes, code.size(), metrics_bytes, metrics.size(),
                                PLIM_DATA_JSON, road, &result);
  if (status == 0) fenn_result_delete(result);
  return status;
}

std::string metrics_of(uint64_t qubits, uint64_t futures, uint64_t dumps) {
  return R"({"qubit_simultaneous":)" + std::to_string(qubits) + R"(,"qubit_count":0,"future_count":)" +
         std::to_string(futures) + R"(,"dump_count":)" + std::to_string(dumps) +
         R"(,"block_count":1,"timeout":null,"plugins":[],"ready":true})";
}

// A metrics document of a hundred bytes names memory that the process
// cannot get: the run is refused before any of it is allocated, so the
// child's resident memory does not grow (allocating first would touch
// hundreds of MiB before failing, or get the host killed where the memory is
// limited by a control group rather than the address space).
TEST_F(MemoryLimit, MemorySizedFromMetricsIsRefusedBeforeItIsAllocated) {
  struct Case {
    const char* what;
    int road;
    uint64_t qubits, futures, dumps;
    std::size_t cap;
    int code;
  };
  const Case cases[] = {
      {"2^26 futures, sparse", FENN_SIM_SPARSE, 1, uint64_t{1} << 26, 0, 640 * kMiB,
       FENN_UNDEFINED_ERROR},
      {"2^26 futures, external", kExternal, 1, uint64_t{1} << 26, 0, 640 * kMiB,
       FENN_UNDEFINED_ERROR},
      {"2^22 dumps, dense", FENN_SIM_DENSE, 1, 1, uint64_t{1} << 22, 512 * kMiB,
       FENN_UNDEFINED_ERROR},
      {"qubit map of 2^25 qubits, sparse", FENN_SIM_SPARSE, uint64_t{1} << 25, 1, 0, 384 * kMiB,
       FENN_UNDEFINED_ERROR},
      {"sparse keys of 2^31 qubits", FENN_SIM_SPARSE, uint64_t{1} << 31, 1, 0, 512 * kMiB,
       FENN_UNDEFINED_ERROR},
      {"dense register of 26 qubits", FENN_SIM_DENSE, 26, 1, 0, 768 * kMiB, FENN_TOO_MANY_QUBITS},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EXIT(
        {
          cap_address_space(c.cap);
          const std::size_t peak = limits_test::status_bytes("VmHWM:");
          const int code = run_metrics(c.road, metrics_of(c.qubits, c.futures, c.dumps));
          // 99: the memory was touched before the run gave up.
          std::_Exit(limits_test::status_bytes("VmHWM:") > peak + 64 * kMiB ? 99 : code);
        },
        ::testing::ExitedWithCode(c.code), "");
  }
}

}  // namespace
