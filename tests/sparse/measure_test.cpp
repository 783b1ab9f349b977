#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "tests/sparse/sparse_support.hpp"

using namespace sparse_test;
using fenn::FennError;
using plim::Complex;

TEST(SparseMeasure, DeterminedOutcomesKeepEntriesUnchanged) {
  for (uint64_t qubits : {3u, 100u, 1100u}) {
    SCOPED_TRACE(qubits);
    for (int repeat = 0; repeat < 20; ++repeat) {
      auto simulator = make_simulator(qubits);
      simulator.rx(0.0, 0, {});  // keeps a zero entry beside (1, 0)
      const auto before = dump_map(simulator, {0});
      auto zero = simulator.measure(2);
      ASSERT_TRUE(zero.has_value());
      EXPECT_EQ(*zero, 0);
      EXPECT_EQ(dump_map(simulator, {0}), before);  // scale 1.0

      simulator.pauli_x(2, {});
      auto one = simulator.measure(2);
      ASSERT_TRUE(one.has_value());
      EXPECT_EQ(*one, 1);
      const auto after = dump_map(simulator, {2, 0});
      EXPECT_EQ(after.size(), 2u);
      EXPECT_EQ(after.at(Words{0b10}), (Complex{1.0, 0.0}));
    }
  }
}

TEST(SparseMeasure, SuperpositionCollapsesAndRescales) {
  int ones = 0;
  const int runs = 400;
  for (int run = 0; run < runs; ++run) {
    auto simulator = make_simulator(2);
    simulator.hadamard(0, {});
    simulator.pauli_x(1, std::vector<uint64_t>{0});  // Bell pair
    auto bit = simulator.measure(0);
    ASSERT_TRUE(bit.has_value());
    ones += *bit;
    const double p = 0.7071067811865476 * 0.7071067811865476;
    const double p_drawn = *bit ? p : 1.0 - p;
    const auto entries = dump_map(simulator, {1, 0});
    ASSERT_EQ(entries.size(), 1u);
    const Words expected_state{*bit ? 3u : 0u};
    ASSERT_EQ(entries.count(expected_state), 1u);
    EXPECT_EQ(entries.at(expected_state).re, 0.7071067811865476 * (1.0 / std::sqrt(p_drawn)));
    // The partner qubit now always agrees.
    auto partner = simulator.measure(1);
    ASSERT_TRUE(partner.has_value());
    EXPECT_EQ(*partner, *bit);
  }
  EXPECT_GT(ones, runs / 2 - 80);
  EXPECT_LT(ones, runs / 2 + 80);
}

// No draw can be made: the run ends with UndefinedError and the state stays.
TEST(SparseMeasure, UnsampleableWeightsAreRefused) {
  const double inf = std::numeric_limits<double>::infinity();
  struct Case {
    const char* name;
    std::function<void(SparseSimulator&)> program;
  };
  const Case cases[] = {
      {"not a number", [&](auto& s) { s.rx(inf, 0, {}); }},
      {"infinite", [](auto& s) { s.unitary({Complex{}, Complex{}, Complex{1e300, 0}, Complex{}}, 0, {}); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    auto simulator = make_simulator(2);
    c.program(simulator);
    const auto data_before = simulator.dump(Positions{0});
    auto bit = simulator.measure(0);
    ASSERT_FALSE(bit.has_value());
    EXPECT_EQ(bit.error(), FennError::UndefinedError);
    const auto& before = as_vector(data_before);
    const auto after_data = simulator.dump(Positions{0});
    const auto& after = as_vector(after_data);
    EXPECT_EQ(after.basis_states, before.basis_states);
    for (std::size_t i = 0; i < after.basis_states.size(); ++i) {
      EXPECT_TRUE(same_bits(after.amplitudes_real[i], before.amplitudes_real[i]));
      EXPECT_TRUE(same_bits(after.amplitudes_imag[i], before.amplitudes_imag[i]));
    }
  }
}

TEST(SparseMeasure, UnnormalisedStateStaysUnnormalised) {
  // |0> -> 2|0> + 0.5|1>: p1 = 0.25, p0 = 0.75 taken as 1 - p1.
  for (int i = 0; i < 50; ++i) {
    auto copy = make_simulator(1);
    copy.unitary({Complex{2, 0}, Complex{}, Complex{0.5, 0}, Complex{}}, 0, {});
    auto bit = copy.measure(0);
    ASSERT_TRUE(bit.has_value());
    const auto entries = dump_map(copy, {0});
    ASSERT_EQ(entries.size(), 1u);
    if (*bit == 0) EXPECT_EQ(entries.at(Words{0}).re, 2.0 * (1.0 / std::sqrt(0.75)));
    else EXPECT_EQ(entries.at(Words{1}).re, 0.5 * (1.0 / std::sqrt(0.25)));
  }
}
