// The back-end contract written once and run on every implementation of
// QuantumExecution: the dense and the sparse simulator and the external back
// end over the stand-in closed library. What the back ends are allowed to do
// differently (how Unitary reads its numbers, which amplitudes a dump lists,
// the signs of zero parts, the qubit limits) stays in each back end's own
// tests; here amplitudes are compared by value, and a basis state that a
// dump does not list holds zero.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <stdexcept>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "external_backend/src/lib/external_backend.hpp"
#include "fenn/src/dense/dense_simulator.hpp"
#include "fenn/src/sparse/sparse_simulator.hpp"
#include "tests/support/backend_calls.hpp"
#include "tests/support/dump_entries.hpp"
#include "tests/support/metrics.hpp"

namespace contract_test {

using external_backend::ExternalBackend;
using fenn::dense::DenseSimulator;
using fenn::sparse::SparseSimulator;
using support::Amplitudes;
using Positions = std::vector<uint64_t>;

using BackEnds = ::testing::Types<DenseSimulator, SparseSimulator, ExternalBackend>;
// What the two simulators share beyond the contract: the plug-in name check,
// the measurement draw of sample_outcome, and the refusals of pown calls that
// only a transformation of their own can see.
using Simulators = ::testing::Types<DenseSimulator, SparseSimulator>;

struct BackEndNames {
  template <class B>
  static std::string GetName(int) {
    if constexpr (std::is_same_v<B, DenseSimulator>) return "Dense";
    if constexpr (std::is_same_v<B, SparseSimulator>) return "Sparse";
    return "External";
  }
};

// A back end of `qubits` qubits in |0...0>.
template <class B>
class Register {
 public:
  explicit Register(uint64_t qubits, std::vector<std::string> plugins = {})
      : backend_(make(qubits, std::move(plugins))), qubits_(qubits) {}

  B& operator*() { return backend_; }
  B* operator->() { return &backend_; }

  // The whole state, positions listed from the highest down, so that each
  // dumped word is the basis index.
  Amplitudes state() {
    Positions listed;
    for (uint64_t p = qubits_; p-- > 0;) listed.push_back(p);
    return support::one_word_amplitudes(backend_.dump(listed));
  }
  uint64_t states() const { return uint64_t{1} << qubits_; }

  // A distinct amplitude, never zero, on every index.
  void spread() {
    Positions all;
    for (uint64_t q = 0; q < qubits_; ++q) all.push_back(q);
    support::spread(backend_, all);
  }

 private:
  static B make(uint64_t qubits, std::vector<std::string> plugins) {
    auto made = B::create(support::metrics_for(qubits, std::move(plugins)));
    if (!made) throw std::runtime_error("back end not built");
    return std::move(*made);
  }

  B backend_;
  uint64_t qubits_;
};

// Equal values in every basis state (zeros of either sign are equal).
inline void expect_same_values(const Amplitudes& actual, const Amplitudes& expected, uint64_t states,
                               const std::string& what = "state") {
  support::expect_near(actual, expected, states, 0.0, what);
}

}  // namespace contract_test
