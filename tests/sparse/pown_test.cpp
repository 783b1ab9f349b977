// The pown plug-in where the sparse simulator has its own: keys of several
// words, the map's order, and entries of amplitude zero.
#include <gtest/gtest.h>

#include "tests/sparse/sparse_support.hpp"
#include "tests/support/backend_calls.hpp"
#include "tests/support/reference_state.hpp"

using namespace sparse_test;
using plim::Complex;

// Base 1 multiplies by 1: every state stays, bits in the next word included.
TEST(SparsePown, BaseOneLeavesTwoWordKeysAsTheyWere) {
  auto simulator = make_simulator(70);
  Positions spread = range(0, 6);
  spread.push_back(65);
  support::spread(simulator, spread);
  const Positions all = range(0, 70);
  const auto before = dump_map(simulator, all);
  ASSERT_EQ(before.size(), std::size_t{1} << spread.size());
  ASSERT_TRUE(simulator.plugin("pown", "1 5", Positions{0, 1, 2, 3}).has_value());
  EXPECT_EQ(dump_map(simulator, all), before);
}

// Colliding images: the highest source state wins, whatever the map order; bits
// at k and above (also in the next word) stay.
TEST(SparsePown, MendedScatterMatchesTextbookWithHighestSourceWinning) {
  const unsigned nbits = 2;
  const uint64_t base = 2, modulus = 3, k = 4;
  const Positions spread{0, 1, 2, 3, 4, 65};
  const Positions listed{65, 4, 3, 2, 1, 0};  // dump bit i = spread[i]
  support::Entries first;
  for (int run = 0; run < 6; ++run) {
    auto simulator = make_simulator(70);
    support::spread(simulator, spread);
    const auto before = dump_map(simulator, listed);
    ASSERT_TRUE(simulator.plugin("pown", "2 3", range(0, k)).has_value());

    support::Entries expected;
    for (const auto& [state, amplitude] : before) {  // increasing source order
      const uint64_t value = state[0] & 15;
      const uint64_t moved = (state[0] & ~uint64_t{15}) | reference::pown_image(value, nbits, base, modulus);
      expected[Words{moved}] = amplitude;
    }
    const auto after = dump_map(simulator, listed);
    EXPECT_EQ(after, expected);
    EXPECT_LT(after.size(), before.size());  // some states did collide
    if (run == 0) first = after;
    EXPECT_EQ(after, first);
  }
}

TEST(SparsePown, EntriesOfAmplitudeZeroNeitherMoveNorBreakTheContract) {
  // Targets [0..3], base 5, modulus 7: y is 3 bits, x is bit 3. |x=1>|y=1>
  // goes to (1 << 3) | 5 = 13. rx(0) on position 2 leaves a zero entry at
  // |x=1>|y=5>, whose image 25 lies beyond the register: it is dropped, not
  // refused, as the dense simulator never moves a state without amplitude.
  auto simulator = make_simulator(4);
  simulator.pauli_x(0, {});
  simulator.pauli_x(3, {});
  simulator.rx(0.0, 2, {});
  ASSERT_EQ(dump_map(simulator, {3, 2, 1, 0}).size(), 2u);
  ASSERT_TRUE(simulator.plugin("pown", "5 7", Positions{0, 1, 2, 3}).has_value());
  const auto entries = dump_map(simulator, {3, 2, 1, 0});
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries.begin()->first, Words{13});
  EXPECT_EQ(entries.begin()->second, (Complex{1.0, 0.0}));
}
