// The state of one register: the reached basis states with their amplitudes.
// Every operation either completes or, when memory runs out, throws and
// leaves the state as it was.
#pragma once

#include <cstdint>
#include <random>
#include <unordered_map>
#include <vector>

#include "amplitude.hpp"
#include "gate_matrix.hpp"
#include "tz_nivra.h"

namespace tz_nivra {

inline constexpr uint32_t kMaxQubits = 50;

// Entries below this magnitude are dropped after an operation.
inline constexpr double kNegligible = 1e-15;

class RegisterState {
 public:
  // |0...0> over `qubits` positions (at most kMaxQubits).
  explicit RegisterState(uint32_t qubits);

  // The gate on `target` where every control position is 1. Does nothing
  // when a position lies outside the register.
  void apply(const GateMatrix& gate, uint32_t target, const uint32_t* controls,
             uint32_t control_count);

  // Draws 0 or 1 for `position` and collapses the state to it (0 and no
  // change for a position outside the register).
  uint8_t measure(uint32_t position, std::mt19937_64& generator);

  void swap(uint64_t a, uint64_t b);

  // One record per stored basis state; empty when a position lies outside
  // the register.
  std::vector<DumpEntry> snapshot(const uint32_t* positions, uint32_t count) const;

  // The modular exponentiation of plugin_pown. Outside its contract the state
  // is left as it was and the answer is false.
  bool pown(uint32_t k, uint64_t base, uint64_t modulus);

 private:
  using Amplitudes = std::unordered_map<uint64_t, Amplitude>;

  bool holds(uint64_t position) const noexcept { return position < qubits_; }
  static void drop_negligible(Amplitudes& amplitudes);

  uint32_t qubits_;
  Amplitudes amplitudes_;
};

}  // namespace tz_nivra
