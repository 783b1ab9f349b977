// Helpers shared by the sparse simulator's tests: building a simulator,
// reading a dump as a map from basis state to amplitude, and a textbook
// state-vector reference for a handful of qubits.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
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
    const bool fresh =
        entries.emplace(vector.basis_states[i], plim::Complex{vector.amplitudes_real[i], vector.amplitudes_imag[i]})
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

// A state vector over m qubits with the matrices as a textbook writes them;
// qubit i is bit i of the index. Written independently of the simulator's
// rules (std::complex arithmetic, std::polar, 1/sqrt(2)).
class TextbookState {
 public:
  using C = std::complex<double>;
  explicit TextbookState(unsigned qubits) : amplitudes_(std::size_t{1} << qubits) { amplitudes_[0] = 1.0; }

  std::size_t size() const { return amplitudes_.size(); }
  C operator[](std::size_t index) const { return amplitudes_[index]; }

  // new0 = u00 a0 + u01 a1, new1 = u10 a0 + u11 a1 where every control is 1.
  void apply(C u00, C u01, C u10, C u11, unsigned target, const std::vector<unsigned>& controls) {
    const std::size_t bit = std::size_t{1} << target;
    for (std::size_t i = 0; i < amplitudes_.size(); ++i) {
      if (i & bit) continue;
      bool active = true;
      for (unsigned c : controls) active = active && ((i >> c) & 1);
      if (!active) continue;
      const C a0 = amplitudes_[i], a1 = amplitudes_[i | bit];
      amplitudes_[i] = u00 * a0 + u01 * a1;
      amplitudes_[i | bit] = u10 * a0 + u11 * a1;
    }
  }

  // Keeps the part with the qubit at `outcome`, renormalised.
  void collapse(unsigned qubit, unsigned outcome) {
    double mass = 0.0;
    for (std::size_t i = 0; i < amplitudes_.size(); ++i)
      if (((i >> qubit) & 1) == outcome) mass += std::norm(amplitudes_[i]);
    for (std::size_t i = 0; i < amplitudes_.size(); ++i)
      amplitudes_[i] = ((i >> qubit) & 1) == outcome ? amplitudes_[i] / std::sqrt(mass) : 0.0;
  }

  double probability_of_one(unsigned qubit) const {
    double mass = 0.0;
    for (std::size_t i = 0; i < amplitudes_.size(); ++i)
      if ((i >> qubit) & 1) mass += std::norm(amplitudes_[i]);
    return mass;
  }

 private:
  std::vector<C> amplitudes_;
};

}  // namespace sparse_test
