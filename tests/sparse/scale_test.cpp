// Programs that keep few basis states on many qubits, or many on a wide
// register: the cost follows the stored states, never 2^n.
#include <gtest/gtest.h>

#include <cmath>

#include "tests/sparse/sparse_support.hpp"

using namespace sparse_test;

TEST(SparseScale, GhzOnFiveHundredQubits) {
  const uint64_t n = 500;
  auto simulator = make_simulator(n);
  simulator.hadamard(0, {});
  for (uint64_t q = 1; q < n; ++q) simulator.pauli_x(q, std::vector<uint64_t>{q - 1});
  const auto entries = dump_map(simulator, range(0, n));
  ASSERT_EQ(entries.size(), 2u);
  Words ones(8, ~uint64_t{0});
  ones[0] = (uint64_t{1} << (n % 64)) - 1;  // the first word holds the top 52 bits
  EXPECT_EQ(entries.at(Words(8, 0)).re, 0.7071067811865476);
  EXPECT_EQ(entries.at(ones).re, 0.7071067811865476);

  auto first = simulator.measure(250);
  ASSERT_TRUE(first.has_value());
  for (uint64_t q : {0u, 1u, 249u, 251u, 499u}) {
    auto bit = simulator.measure(q);
    ASSERT_TRUE(bit.has_value());
    EXPECT_EQ(*bit, *first) << q;
  }
  EXPECT_EQ(simulator.entry_count(), 1u);
}

// 2^16 states on 100 qubits, through the parallel in-place passes and back.
TEST(SparseScale, SixtyFiveThousandStatesOnOneHundredQubits) {
  auto simulator = make_simulator(100);
  Positions spread;
  for (uint64_t i = 0; i < 16; ++i) spread.push_back(6 * i + 3);
  for (uint64_t p : spread) simulator.hadamard(p, {});
  ASSERT_EQ(simulator.entry_count(), std::size_t{1} << 16);

  double angle = 0.25;
  for (uint64_t p : spread) {
    simulator.rz(angle, p, {});
    simulator.phase(angle, p, std::vector<uint64_t>{spread[0]});
    angle += 0.5;
  }
  const auto entries = dump_map(simulator, spread);
  ASSERT_EQ(entries.size(), std::size_t{1} << 16);
  double norm = 0.0;
  for (const auto& [state, a] : entries) norm += a.re * a.re + a.im * a.im;
  EXPECT_NEAR(norm, 1.0, 1e-12);

  // A permutation pass whose added entries serve as the next in-place list:
  // every entry then takes the sign.
  simulator.pauli_x(0, {});
  simulator.pauli_z(0, {});
  simulator.pauli_x(0, {});

  angle = 0.25;
  for (uint64_t p : spread) {
    simulator.phase(-angle, p, std::vector<uint64_t>{spread[0]});
    simulator.rz(-angle, p, {});
    angle += 0.5;
  }
  for (uint64_t p : spread) simulator.hadamard(p, {});
  ASSERT_EQ(simulator.entry_count(), 1u);
  const auto back = dump_map(simulator, range(0, 100));
  const auto& [state, a] = *back.begin();
  EXPECT_EQ(state, Words(2, 0));
  EXPECT_NEAR(a.re, -1.0, 1e-12);
  EXPECT_NEAR(a.im, 0.0, 1e-12);
}
