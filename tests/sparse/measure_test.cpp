#include <gtest/gtest.h>

#include "tests/sparse/sparse_support.hpp"

using namespace sparse_test;
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
