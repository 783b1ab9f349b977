// A run that cannot get the memory it needs ends with a code; it never aborts
// the host. Each case runs in a child process whose address space is capped a
// little above what it already uses.
#include <gtest/gtest.h>

#include <sys/resource.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "fenn.h"
#include "plim.h"

namespace {

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr bool kSanitized = true;  // their shadow memory needs the address space
#else
constexpr bool kSanitized = false;
#endif

// Caps the address space at what the process maps now plus `extra` bytes.
void cap_address_space(std::size_t extra) {
  std::size_t mapped_kib = 0;
  if (std::FILE* status = std::fopen("/proc/self/status", "r")) {
    char line[256];
    while (std::fgets(line, sizeof line, status))
      if (std::strncmp(line, "VmSize:", 7) == 0) mapped_kib = std::strtoull(line + 7, nullptr, 10);
    std::fclose(status);
  }
  const rlimit limit{mapped_kib * 1024 + extra, mapped_kib * 1024 + extra};
  if (setrlimit(RLIMIT_AS, &limit) != 0) std::_Exit(100);
}

// Allocates `qubits` qubits, puts the first `spread` of them in superposition
// and measures one, then runs the prepared process in place.
int run_superposition(int sim_mode, unsigned qubits, unsigned spread) {
  Process* process = nullptr;
  plim_process_new(1, &process);
  std::vector<Qubit*> handles(qubits);
  for (Qubit*& qubit : handles) plim_process_allocate_qubit(process, false, &qubit);
  for (unsigned i = 0; i < spread; ++i)
    plim_process_apply_gate(process, PLIM_GATE_HADAMARD, 0.0, handles[i]);
  Future* future = nullptr;
  plim_process_measure(process, handles.data(), 1, &future);
  plim_process_prepare_for_execution(process);
  const int code = fenn_run_and_set_result(process, sim_mode);
  for (Qubit* qubit : handles) plim_qubit_delete(qubit);
  plim_future_delete(future);
  plim_process_delete(process);
  return code;
}

class MemoryLimit : public ::testing::Test {
 protected:
  void SetUp() override {
    if (kSanitized) GTEST_SKIP() << "address-space limits do not mix with sanitizer shadow memory";
    // Re-executes the test binary for the child instead of forking a process
    // that holds the worker pool's threads.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
  }
};

TEST_F(MemoryLimit, DenseRegisterThatDoesNotFitIsRefusedWithTooManyQubits) {
  EXPECT_EXIT(
      {
        cap_address_space(std::size_t{256} << 20);
        std::_Exit(run_superposition(FENN_SIM_DENSE, 30, 1));
      },
      ::testing::ExitedWithCode(FENN_TOO_MANY_QUBITS), "");
}

TEST_F(MemoryLimit, SparseMapsThatOutgrowMemoryEndTheRunWithUndefinedError) {
  EXPECT_EXIT(
      {
        cap_address_space(std::size_t{192} << 20);
        std::_Exit(run_superposition(FENN_SIM_SPARSE, 40, 24));
      },
      ::testing::ExitedWithCode(FENN_UNDEFINED_ERROR), "");
}

TEST_F(MemoryLimit, TheSameRunsSucceedWithinTheirMemory) {
  EXPECT_EQ(run_superposition(FENN_SIM_DENSE, 12, 12), 0);
  EXPECT_EQ(run_superposition(FENN_SIM_SPARSE, 40, 12), 0);
}

}  // namespace
