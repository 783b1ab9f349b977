// The library's C functions. Each one catches everything: a failure inside
// leaves the state as it was, never reaches the host as an exception, and is
// reported through errno (the functions' results are fixed by their callers).
#include <cerrno>
#include <cstdint>
#include <exception>
#include <new>
#include <random>
#include <vector>

#include "gate_matrix.hpp"
#include "register_state.hpp"
#include "tz_nivra.h"

struct TzEnvironment {
  explicit TzEnvironment(uint32_t qubits) : state(qubits) {
    std::random_device device;
    std::seed_seq seed{device(), device(), device(), device()};
    generator.seed(seed);
  }

  tz_nivra::RegisterState state;
  std::mt19937_64 generator;
};

struct TzDump {
  std::vector<DumpEntry> records;
};

namespace {

// The exception machinery keeps its state in thread-local storage. When the
// library was loaded at run time (a host that dlopens the system), glibc
// allocates that storage on a thread's first throw, and if it cannot, it
// aborts the host. Touching it on entry, before the call allocates anything,
// leaves nothing to allocate when memory then runs out.
void prepare_to_throw() noexcept {
  // The function is declared pure: a kept result keeps the call.
  const volatile int uncaught = std::uncaught_exceptions();
  (void)uncaught;
}

// Runs `operation`, which answers 0 or EDOM (outside its contract), and sets
// errno as the header states: ENOMEM when it threw, its answer when that is
// not 0, and otherwise the value errno had on entry.
template <class Operation>
void report_errno(Operation operation) noexcept {
  prepare_to_throw();
  const int found = errno;
  int failure = 0;
  try {
    failure = operation();
  } catch (...) {
    failure = ENOMEM;  // out of memory: the operation left the state as it was
  }
  errno = failure != 0 ? failure : found;
}

template <class Operation>
void guarded(TzEnvironment* environment, Operation operation) noexcept {
  if (environment == nullptr) return;
  report_errno([&] { return operation(environment->state); });
}

void apply_gate(TzEnvironment* environment, const tz_nivra::GateMatrix& gate, uint32_t target,
                const uint32_t* controls, uint32_t control_count) noexcept {
  guarded(environment, [&](tz_nivra::RegisterState& state) {
    state.apply(gate, target, controls, control_count);
    return 0;
  });
}

}  // namespace

extern "C" {

TzEnvironment* create_environment(uint32_t qubits) {
  if (qubits > tz_nivra::kMaxQubits) {
    errno = EINVAL;
    return nullptr;
  }
  TzEnvironment* environment = nullptr;
  report_errno([&] {
    environment = new TzEnvironment(qubits);
    return 0;
  });
  return environment;
}

void delete_environment(TzEnvironment* environment) { delete environment; }

void sigma_x(TzEnvironment* environment, uint32_t target, const uint32_t* controls,
             uint32_t control_count) {
  apply_gate(environment, tz_nivra::pauli_x_matrix(), target, controls, control_count);
}

void sigma_y(TzEnvironment* environment, uint32_t target, const uint32_t* controls,
             uint32_t control_count) {
  apply_gate(environment, tz_nivra::pauli_y_matrix(), target, controls, control_count);
}

void sigma_z(TzEnvironment* environment, uint32_t target, const uint32_t* controls,
             uint32_t control_count) {
  apply_gate(environment, tz_nivra::pauli_z_matrix(), target, controls, control_count);
}

void hadamard_(TzEnvironment* environment, uint32_t target, const uint32_t* controls,
               uint32_t control_count) {
  apply_gate(environment, tz_nivra::hadamard_matrix(), target, controls, control_count);
}

void phase(TzEnvironment* environment, uint32_t target, const uint32_t* controls,
           uint32_t control_count, double angle) {
  apply_gate(environment, tz_nivra::phase_matrix(angle), target, controls, control_count);
}

void rx(TzEnvironment* environment, uint32_t target, const uint32_t* controls,
        uint32_t control_count, double angle) {
  apply_gate(environment, tz_nivra::rx_matrix(angle), target, controls, control_count);
}

void ry(TzEnvironment* environment, uint32_t target, const uint32_t* controls,
        uint32_t control_count, double angle) {
  apply_gate(environment, tz_nivra::ry_matrix(angle), target, controls, control_count);
}

void rz(TzEnvironment* environment, uint32_t target, const uint32_t* controls,
        uint32_t control_count, double angle) {
  apply_gate(environment, tz_nivra::rz_matrix(angle), target, controls, control_count);
}

uint8_t measure_(TzEnvironment* environment, uint32_t position) {
  uint8_t outcome = 0;
  guarded(environment, [&](tz_nivra::RegisterState& state) {
    outcome = state.measure(position, environment->generator);
    return 0;
  });
  return outcome;
}

TzDump* dump(TzEnvironment* environment, const uint32_t* positions, uint32_t count) {
  TzDump* snapshot = nullptr;
  guarded(environment, [&](tz_nivra::RegisterState& state) {
    snapshot = new TzDump{state.snapshot(positions, count)};
    return 0;
  });
  return snapshot;
}

const DumpEntry* dump_data(const TzDump* snapshot, int32_t* count) {
  if (snapshot == nullptr) {
    *count = 0;
    return nullptr;
  }
  // A register of 50 qubits never holds 2^31 states in memory; cut anyway.
  const std::size_t size = snapshot->records.size();
  *count = size > INT32_MAX ? INT32_MAX : static_cast<int32_t>(size);
  return snapshot->records.data();
}

void delete_dump(TzDump* snapshot) { delete snapshot; }

void swap(TzEnvironment* environment, uint64_t a, uint64_t b) {
  guarded(environment, [&](tz_nivra::RegisterState& state) {
    state.swap(a, b);
    return 0;
  });
}

void plugin_pown(TzEnvironment* environment, uint32_t k, uint64_t base, uint64_t modulus) {
  guarded(environment, [&](tz_nivra::RegisterState& state) {
    return state.pown(k, base, modulus) ? 0 : EDOM;
  });
}

}  // extern "C"
