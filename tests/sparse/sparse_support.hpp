// Helpers shared by the sparse simulator's tests: building a simulator,
// reading a dump as a map from basis state to amplitude.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <stdexcept>
#include <vector>

#include "fenn/src/sparse/sparse_simulator.hpp"
#include "tests/support/dump_entries.hpp"
#include "tests/support/metrics.hpp"

namespace sparse_test {

using fenn::sparse::SparseSimulator;
using support::metrics_for;
using support::same_bits;
using Positions = std::vector<uint64_t>;
using Words = std::vector<uint64_t>;

inline SparseSimulator make_simulator(uint64_t qubits) {
  auto created = SparseSimulator::create(metrics_for(qubits));
  if (!created) throw std::runtime_error("simulator not created");
  return std::move(created).value();
}

inline const plim::Vector& as_vector(const plim::DumpData& data) { return std::get<plim::Vector>(data); }

// Basis state -> (re, im); fails the test if a basis state repeats.
inline support::Entries dump_map(SparseSimulator& simulator, const Positions& positions) {
  return support::dump_entries(simulator.dump(positions));
}

inline Positions range(uint64_t begin, uint64_t end) {
  Positions positions;
  for (uint64_t p = begin; p < end; ++p) positions.push_back(p);
  return positions;
}

}  // namespace sparse_test
