// Random circuits on a handful of positions spread over registers of every key
// width, compared with the textbook state vector.
#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <random>

#include "tests/sparse/sparse_support.hpp"
#include "tests/support/reference_state.hpp"

using namespace sparse_test;
using C = std::complex<double>;

namespace {

constexpr double kTolerance = 1e-9;

struct Circuit {
  SparseSimulator simulator;
  reference::State reference;
  Positions positions;  // reference qubit i is simulator position positions[i]
  std::mt19937_64 random;

  uint64_t position(unsigned qubit) const { return positions[qubit]; }

  double angle() { return std::uniform_real_distribution<double>(-7.0, 7.0)(random); }

  // One random gate with up to two controls, applied to both.
  void random_gate() {
    const unsigned m = static_cast<unsigned>(positions.size());
    const unsigned target = static_cast<unsigned>(random() % m);
    std::vector<unsigned> controls;
    const unsigned wanted = static_cast<unsigned>(random() % 3);
    while (controls.size() < wanted) {
      const unsigned c = static_cast<unsigned>(random() % m);
      if (c != target && std::find(controls.begin(), controls.end(), c) == controls.end())
        controls.push_back(c);
    }
    Positions control_positions;
    for (unsigned c : controls) control_positions.push_back(position(c));
    const uint64_t t = position(target);
    auto both = [&](const reference::Matrix2& matrix) { reference.apply(matrix, target, controls); };

    switch (random() % 9) {
      case 0: simulator.pauli_x(t, control_positions); both(reference::pauli_x()); break;
      case 1: simulator.pauli_y(t, control_positions); both(reference::pauli_y()); break;
      case 2: simulator.pauli_z(t, control_positions); both(reference::pauli_z()); break;
      case 3: simulator.hadamard(t, control_positions); both(reference::hadamard()); break;
      case 4: {
        const double l = angle();
        simulator.phase(l, t, control_positions);
        both(reference::phase(l));
        break;
      }
      case 5: {
        const double a = angle();
        simulator.rx(a, t, control_positions);
        both(reference::rx(a));
        break;
      }
      case 6: {
        const double a = angle();
        simulator.ry(a, t, control_positions);
        both(reference::ry(a));
        break;
      }
      case 7: {
        const double a = angle();
        simulator.rz(a, t, control_positions);
        both(reference::rz(a));
        break;
      }
      default: {
        // A random unitary e^{i alpha} Rz(beta) Ry(gamma) Rz(delta), rows given.
        const double alpha = angle(), beta = angle(), gamma = angle(), delta = angle();
        const C u00 = std::polar(std::cos(gamma / 2), alpha - (beta + delta) / 2);
        const C u01 = -std::polar(std::sin(gamma / 2), alpha - (beta - delta) / 2);
        const C u10 = std::polar(std::sin(gamma / 2), alpha + (beta - delta) / 2);
        const C u11 = std::polar(std::cos(gamma / 2), alpha + (beta + delta) / 2);
        auto cx = [](C z) { return plim::Complex{z.real(), z.imag()}; };
        simulator.unitary({cx(u00), cx(u01), cx(u10), cx(u11)}, t, control_positions);
        both({u00, u01, u10, u11});
        break;
      }
    }
  }

  void measure_one() {
    const unsigned qubit = static_cast<unsigned>(random() % positions.size());
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
                      c.positions, std::mt19937_64(seed * 7919 + c.qubits)};
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
