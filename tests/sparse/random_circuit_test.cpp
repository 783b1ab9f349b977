// Random circuits on a handful of positions spread over registers of every key
// width, compared with the textbook state vector.
#include <gtest/gtest.h>

#include <cmath>
#include <complex>

#include "tests/sparse/sparse_support.hpp"
#include "tests/support/backend_calls.hpp"
#include "tests/support/random_gates.hpp"
#include "tests/support/reference_gates.hpp"

using namespace sparse_test;
using C = std::complex<double>;

namespace {

constexpr double kTolerance = 1e-9;

struct Circuit {
  SparseSimulator simulator;
  reference::State reference;
  Positions positions;  // reference qubit i is simulator position positions[i]
  support::RandomGates random;

  uint64_t position(unsigned qubit) const { return positions[qubit]; }

  // One random gate with up to two controls, applied to both; unitaries
  // that tell rows from columns, read by rows as the simulator does.
  void random_gate() {
    const support::RandomGate g = random.next(positions.size(), support::kEveryGate);
    Positions control_positions;
    for (uint64_t c : g.controls) control_positions.push_back(position(static_cast<unsigned>(c)));
    support::apply_gate(simulator, g.gate, position(static_cast<unsigned>(g.target)), control_positions);
    reference.apply(reference::textbook(g.gate, reference::UnitaryReading::Rows),
                    static_cast<unsigned>(g.target), g.controls);
  }

  void measure_one() {
    const unsigned qubit = static_cast<unsigned>(random.pick(positions.size()));
    const double p1 = reference.probability_of_one(qubit);
    auto bit = simulator.measure(position(qubit));
    ASSERT_TRUE(bit.has_value());
    const double p_drawn = *bit ? p1 : 1.0 - p1;
    ASSERT_GT(p_drawn, 1e-6) << "outcome of negligible probability drawn";
    reference.collapse(qubit, *bit);
  }

  void expect_same_state() {
    Positions listed(positions.rbegin(), positions.rend());  // dump value = reference index
    const auto entries = dump_map(simulator, listed);
    for (const auto& [state, a] : entries) {
      ASSERT_EQ(state.size(), 1u);
      const C expected = reference[state[0]];
      EXPECT_NEAR(a.re, expected.real(), kTolerance) << "state " << state[0];
      EXPECT_NEAR(a.im, expected.imag(), kTolerance) << "state " << state[0];
    }
    for (std::size_t index = 0; index < reference.size(); ++index) {
      if (std::abs(reference[index]) > kTolerance) {
        EXPECT_EQ(entries.count(Words{index}), 1u) << "missing state " << index;
      }
    }
  }
};

}  // namespace

TEST(SparseRandomCircuits, AgreeWithTextbookStateVector) {
  struct Case {
    uint64_t qubits;
    Positions positions;
  };
  const Case cases[] = {
      {6, {0, 1, 2, 3, 4, 5}},
      {64, {0, 5, 62, 63, 17, 40}},
      {130, {129, 0, 64, 127, 63, 70}},
      {300, {299, 1, 128, 200, 64, 10}},
      {1000, {999, 0, 512, 63, 64, 700}},
      {1100, {1099, 1024, 0, 63, 640, 1090}},
  };
  for (const auto& c : cases) {
    for (uint64_t seed = 1; seed <= 6; ++seed) {
      SCOPED_TRACE(std::to_string(c.qubits) + " qubits, seed " + std::to_string(seed));
      Circuit circuit{make_simulator(c.qubits), reference::State(static_cast<unsigned>(c.positions.size())),
                      c.positions,
                      support::RandomGates(seed * 7919 + c.qubits, support::Unitaries::General)};
      for (int step = 0; step < 120; ++step) {
        circuit.random_gate();
        if (step % 40 == 39) {
          circuit.expect_same_state();
          circuit.measure_one();
        }
      }
      circuit.expect_same_state();
    }
  }
}
