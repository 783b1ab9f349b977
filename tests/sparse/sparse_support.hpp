// Helpers shared by the sparse simulator's tests: building a simulator,
// reading a dump as a map from basis state to amplitude.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "fenn/src/sparse/sparse_simulator.hpp"

namespace sparse_test {

using fenn::sparse::SparseSimulator;
using Positions = std::vector<uint64_t>;
using Words = std::vector<uint64_t>;

inline plim::Metrics metrics_for(uint64_t qubits, std::vector<std::string> plugins = {}) {
  plim::Metrics metrics;
  metrics.qubit_simultaneous = qubits;
  metrics.ready = true;
  for (auto& name : plugins) metrics.plugins.insert(std::move(name));
  return metrics;
}

inline SparseSimulator make_simulator(uint64_t qubits) {
  auto created = SparseSimulator::create(metrics_for(qubits));
  if (!created) throw std::runtime_error("simulator not created");
  return std::move(created).value();
}

inline const plim::Vector& as_vector(const plim::DumpData& data) { return std::get<plim::Vector>(data); }

// Basis state -> (re, im); fails the test if a basis state repeats.
inline std::map<Words, plim::Complex> dump_map(SparseSimulator& simulator, const Positions& positions) {
  const plim::DumpData data = simulator.dump(positions);
  const plim::Vector& vector = as_vector(data);
  std::map<Words, plim::Complex> entries;
  for (std::size_t i = 0; i < vector.basis_states.size(); ++i) {
    const plim::BasisStates::State state = vector.basis_states[i];
    const bool fresh =
        entries.emplace(Words(state.begin(), state.end()), plim::Complex{vector.amplitudes_real[i], vector.amplitudes_imag[i]})
            .second;
    EXPECT_TRUE(fresh) << "basis state listed twice";
  }
  return entries;
}

inline Positions range(uint64_t begin, uint64_t end) {
  Positions positions;
  for (uint64_t p = begin; p < end; ++p) positions.push_back(p);
  return positions;
}

// Exact comparison, telling -0.0 from 0.0; any not-a-number matches another.
inline bool same_bits(double a, double b) {
  if (std::isnan(a) || std::isnan(b)) return std::isnan(a) && std::isnan(b);
  return a == b && std::signbit(a) == std::signbit(b);
}

}  // namespace sparse_test
