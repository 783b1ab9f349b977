// The library's C functions. Each one catches everything: a failure inside
// leaves the state as it was and never reaches the host.
#include <cstdint>
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

template <class Operation>
void guarded(TzEnvironment* environment, Operation operation) noexcept {
  if (environment == nullptr) return;
  try {
    operation(environment->state);
  } catch (...) {
    // Out of memory: the state is unchanged.
  }
}

void apply_gate(TzEnvironment* environment, const tz_nivra::GateMatrix& gate, uint32_t target,
                const uint32_t* controls, uint32_t control_count) noexcept {
  guarded(environment, [&](tz_nivra::RegisterState& state) {
    state.apply(gate, target, controls, control_count);
  });
}

}  // namespace

extern "C" {

TzEnvironment* create_environment(uint32_t qubits) {
  if (qubits > tz_nivra::kMaxQubits) return nullptr;
  try {
    return new TzEnvironment(qubits);
  } catch (...) {
    return nullptr;
  }
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
  if (environment == nullptr) return 0;
  try {
    return environment->state.measure(position, environment->generator);
  } catch (...) {
    return 0;
  }
}

TzDump* dump(TzEnvironment* environment, const uint32_t* positions, uint32_t count) {
  if (environment == nullptr) return nullptr;
  try {
    return new TzDump{environment->state.snapshot(positions, count)};
  } catch (...) {
    return nullptr;
  }
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
  guarded(environment, [&](tz_nivra::RegisterState& state) { state.swap(a, b); });
}

void plugin_pown(TzEnvironment* environment, uint32_t k, uint64_t base, uint64_t modulus) {
  guarded(environment, [&](tz_nivra::RegisterState& state) { state.pown(k, base, modulus); });
}

}  // extern "C"
