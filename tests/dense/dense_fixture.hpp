#pragma once

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <string>
#include <vector>

#include "fenn/src/dense/dense_simulator.hpp"
#include "tests/support/metrics.hpp"

namespace dense_test {

using fenn::Amplitude;
using fenn::dense::DenseSimulator;
using Positions = std::vector<uint64_t>;

using support::metrics_for;

inline DenseSimulator make(uint64_t qubits) {
  auto made = DenseSimulator::create(metrics_for(qubits));
  EXPECT_TRUE(made.has_value());
  return std::move(*made);
}

inline std::vector<Amplitude> amplitudes(const DenseSimulator& sim) {
  return {sim.state().begin(), sim.state().end()};
}

inline double norm(const DenseSimulator& sim) {
  double sum = 0;
  for (const Amplitude& a : sim.state()) sum += a.re * a.re + a.im * a.im;
  return sum;
}

// A simulator whose metrics name the pown plug-in.
inline DenseSimulator make_pown(uint64_t qubits) {
  auto made = DenseSimulator::create(metrics_for(qubits, {"pown"}));
  EXPECT_TRUE(made.has_value());
  return std::move(*made);
}

// The basis vector |index> of `qubits` qubits, reached with pauli_x gates.
inline DenseSimulator basis(uint64_t qubits, uint64_t index) {
  DenseSimulator sim = make(qubits);
  for (uint64_t q = 0; q < qubits; ++q)
    if ((index >> q) & 1) sim.pauli_x(q, {});
  return sim;
}

// The same bits in both parts: signed zeros and NaN payloads count.
inline bool same_bits(Amplitude a, Amplitude b) {
  return std::bit_cast<uint64_t>(a.re) == std::bit_cast<uint64_t>(b.re) &&
         std::bit_cast<uint64_t>(a.im) == std::bit_cast<uint64_t>(b.im);
}

}  // namespace dense_test
