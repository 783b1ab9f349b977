// A register of the stand-in library for tests: owns the environment and
// reads the state back through dumps.
#pragma once

#include <gtest/gtest.h>

#include <complex>
#include <cstdint>
#include <map>
#include <vector>

#include "external_backend/tz_nivra/tz_nivra.h"

namespace tz_test {

using State = std::map<uint64_t, std::complex<double>>;

class Environment {
 public:
  explicit Environment(uint32_t qubits) : qubits_(qubits), environment_(create_environment(qubits)) {}
  ~Environment() { delete_environment(environment_); }
  Environment(const Environment&) = delete;
  Environment& operator=(const Environment&) = delete;

  TzEnvironment* get() const { return environment_; }

  // The dump's records as they come.
  std::vector<DumpEntry> records(const std::vector<uint32_t>& positions) const {
    TzDump* snapshot = dump(environment_, positions.data(), static_cast<uint32_t>(positions.size()));
    int32_t count = 0;
    const DumpEntry* first = dump_data(snapshot, &count);
    std::vector<DumpEntry> result(first, first + count);
    delete_dump(snapshot);
    return result;
  }

  // The whole state keyed by basis state (position p is bit p).
  State state() const {
    std::vector<uint32_t> positions;
    for (uint32_t p = qubits_; p-- > 0;) positions.push_back(p);
    State result;
    for (const DumpEntry& record : records(positions))
      result.emplace(record.basis_state, std::complex<double>(record.real, record.imag));
    return result;
  }

  void x(uint32_t target, const std::vector<uint32_t>& controls = {}) {
    sigma_x(environment_, target, controls.data(), static_cast<uint32_t>(controls.size()));
  }
  void h(uint32_t target) { hadamard_(environment_, target, nullptr, 0); }

 private:
  uint32_t qubits_;
  TzEnvironment* environment_;
};

// Same basis states, amplitudes within 1e-12.
inline void expect_state_near(const State& actual, const State& expected) {
  ASSERT_EQ(actual.size(), expected.size());
  for (const auto& [state, amplitude] : expected) {
    const auto found = actual.find(state);
    ASSERT_NE(found, actual.end()) << "missing basis state " << state;
    EXPECT_NEAR(found->second.real(), amplitude.real(), 1e-12) << "basis state " << state;
    EXPECT_NEAR(found->second.imag(), amplitude.imag(), 1e-12) << "basis state " << state;
  }
}

inline double norm(const State& state) {
  double sum = 0.0;
  for (const auto& entry : state) sum += std::norm(entry.second);
  return sum;
}

}  // namespace tz_test
