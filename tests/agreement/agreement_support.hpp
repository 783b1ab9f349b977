// What the agreement tests share: quantum code written as one block, a run
// of it through the engine on any back end, and dumps read as maps from
// basis state to amplitude in which a missing state has amplitude zero.
#pragma once

#include <gtest/gtest.h>

#include <complex>
#include <cstdint>
#include <map>
#include <string>
#include <variant>
#include <vector>

#include "external_backend/src/lib/engine_external.hpp"
#include "fenn/src/dense/engine_dense.hpp"
#include "fenn/src/quantum_execution/engine.hpp"
#include "fenn/src/sparse/sparse_simulator.hpp"
#include "libplim/src/model.hpp"

namespace agreement_test {

using C = std::complex<double>;
using external_backend::ExternalBackend;
using fenn::dense::DenseSimulator;
using fenn::sparse::SparseSimulator;

// One-word basis state -> amplitude.
using Amplitudes = std::map<uint64_t, C>;

// The three back ends agree and match the reference to this much per part.
inline constexpr double kTolerance = 1e-12;

struct Program {
  plim::Metrics metrics;
  plim::CodeBlock block;

  Program(uint64_t qubits, uint64_t dumps, uint64_t futures = 1) {
    metrics.qubit_simultaneous = qubits;
    metrics.qubit_count = qubits;
    metrics.future_count = futures;
    metrics.dump_count = dumps;
    metrics.block_count = 1;
    metrics.ready = true;
  }

  void add(plim::Instruction instruction) { block.instructions.push_back(std::move(instruction)); }

  template <class B>
  fenn::FennResult<plim::ResultData> run() const {
    auto made = B::create(metrics);
    if (!made) return plim::Unexpected{made.error()};
    B backend = std::move(*made);
    const plim::CodeBlock* code[] = {&block};
    return fenn::run(backend, code, metrics);
  }
};

// A dump's entries; fails the test when it is not a Vector of one-word basis
// states each listed once.
inline Amplitudes as_map(const plim::DumpData& data) {
  Amplitudes entries;
  const auto* vector = std::get_if<plim::Vector>(&data);
  if (vector == nullptr) {
    ADD_FAILURE() << "dump is not a Vector";
    return entries;
  }
  for (std::size_t i = 0; i < vector->basis_states.size(); ++i) {
    const plim::BasisStates::State state = vector->basis_states[i];
    if (state.size() != 1) {
      ADD_FAILURE() << "basis state of " << state.size() << " words";
      continue;
    }
    const bool fresh =
        entries.emplace(state[0], C(vector->amplitudes_real[i], vector->amplitudes_imag[i])).second;
    if (!fresh) ADD_FAILURE() << "basis state " << state[0] << " listed twice";
  }
  return entries;
}

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

inline C amplitude_at(const Amplitudes& entries, uint64_t state) {
  const auto found = entries.find(state);
  return found == entries.end() ? C(0.0, 0.0) : found->second;
}

// Every basis state below `states` (and any listed beyond) has the same
// amplitude in both, part by part.
inline void expect_same(const Amplitudes& actual, const Amplitudes& expected, uint64_t states,
                        const std::string& what) {
  auto compare = [&](uint64_t state) {
    const C a = amplitude_at(actual, state), e = amplitude_at(expected, state);
    if (std::abs(a.real() - e.real()) > kTolerance || std::abs(a.imag() - e.imag()) > kTolerance)
      ADD_FAILURE() << what << ": basis state " << state << " holds " << a << ", expected " << e;
  };
  for (uint64_t state = 0; state < states; ++state) compare(state);
  for (const auto& [state, a] : actual)
    if (state >= states) compare(state);
  for (const auto& [state, e] : expected)
    if (state >= states) compare(state);
}

}  // namespace agreement_test
