#include <gtest/gtest.h>

#include "tests/sparse/sparse_support.hpp"

using namespace sparse_test;

TEST(SparseConstruction, KeyWidthFollowsQubitCount) {
  struct Case {
    uint64_t qubits;
    uint64_t words;
  };
  // Every representation: one word, inline 2/4/8/16, and the arena beyond.
  const Case cases[] = {{0, 1},   {1, 1},     {63, 1},    {64, 2},    {127, 2},   {128, 3},
                        {300, 5}, {511, 8},   {1000, 16}, {1023, 16}, {1024, 17}, {5000, 79}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.qubits);
    auto simulator = make_simulator(c.qubits);
    EXPECT_EQ(simulator.key_words(), c.words);
    EXPECT_EQ(simulator.entry_count(), 1u);
  }
}

TEST(SparseConstruction, DumpRightAfterConstruction) {
  struct Case {
    uint64_t qubits;
    Positions positions;
    std::size_t words;
  };
  const Case cases[] = {
      {3, {}, 0},
      {64, range(0, 64), 1},
      {65, range(0, 65), 2},
      {1000, range(0, 1000), 16},
      {2000, range(0, 2000), 32},
      {2, {1, 1, 0, 1}, 1},  // positions may repeat
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.qubits);
    auto simulator = make_simulator(c.qubits);
    const auto data = simulator.dump(c.positions);
    const auto& vector = as_vector(data);
    ASSERT_EQ(vector.basis_states.size(), 1u);
    EXPECT_EQ(vector.basis_states, plim::BasisStates(1, c.words, Words(c.words, 0)));
    EXPECT_EQ(vector.amplitudes_real, std::vector<double>{1.0});
    EXPECT_EQ(vector.amplitudes_imag, std::vector<double>{0.0});
    EXPECT_FALSE(std::signbit(vector.amplitudes_imag[0]));
  }
}

TEST(SparseConstruction, MovedSimulatorKeepsItsState) {
  auto simulator = make_simulator(70);
  simulator.hadamard(69, {});
  const uint64_t one = 69;
  simulator.rz(0.5, one, {});  // builds the entry list before the move
  SparseSimulator moved = std::move(simulator);
  moved.pauli_z(one, {});
  const auto entries = dump_map(moved, {69});
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_LT(entries.at(Words{1}).re, 0.0);
}
