// What the agreement tests share: quantum code run through the engine on any
// back end, and its dumps read as maps from basis state to amplitude.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "external_backend/src/lib/engine_external.hpp"
#include "fenn/src/dense/engine_dense.hpp"
#include "fenn/src/sparse/sparse_simulator.hpp"
#include "tests/support/dump_entries.hpp"
#include "tests/support/program.hpp"

namespace agreement_test {

using C = std::complex<double>;
using external_backend::ExternalBackend;
using fenn::dense::DenseSimulator;
using fenn::sparse::SparseSimulator;
using support::amplitude_at;
using support::Amplitudes;
using support::Program;

// The three back ends agree and match the reference to this much per part.
inline constexpr double kTolerance = 1e-12;

inline Amplitudes as_map(const plim::DumpData& data) { return support::one_word_amplitudes(data); }

// Dump 0 of a run of `program` on B; empty, with a failure, when the run fails.
template <class B>
Amplitudes first_dump(const Program& program, const char* name) {
  const auto result = program.run<B>();
  if (!result) {
    ADD_FAILURE() << name << " failed with code " << static_cast<int>(result.error());
    return {};
  }
  return as_map(result->dump.at(0));
}

inline void expect_same(const Amplitudes& actual, const Amplitudes& expected, uint64_t states,
                        const std::string& what) {
  support::expect_near(actual, expected, states, kTolerance, what);
}

}  // namespace agreement_test
