#include <gtest/gtest.h>

#include <cmath>

#include "tests/sparse/sparse_support.hpp"

using namespace sparse_test;
using fenn::FennError;
using plim::Complex;

namespace {

constexpr double kH = 0.7071067811865476;

// Distinct amplitudes on every basis state of the first `spread` positions.
void spread_state(SparseSimulator& simulator, const Positions& positions) {
  double angle = 0.3;
  for (uint64_t p : positions) {
    simulator.hadamard(p, {});
    simulator.rz(angle, p, {});
    simulator.ry(angle * 0.5, p, {});
    angle += 0.41;
  }
}

// Register value y * (base^x mod modulus) with x above nbits, written the
// textbook way (repeated multiplication on small numbers).
uint64_t textbook_image(uint64_t value, unsigned nbits, uint64_t base, uint64_t modulus) {
  const uint64_t x = value >> nbits;
  const uint64_t y = value & ((uint64_t{1} << nbits) - 1);
  uint64_t c = 1 % modulus;
  if (x == 0) c = 1;
  for (uint64_t i = 0; i < x; ++i) c = c * base % modulus;
  return (x << nbits) | (y * c);
}

}  // namespace

TEST(SparsePown, MovesWordFiveToSix) {
  auto simulator = make_simulator(4);
  simulator.pauli_x(0, {});
  simulator.pauli_x(2, {});
  ASSERT_TRUE(simulator.plugin("pown", "2 3", Positions{0, 1, 2, 3}).has_value());
  const auto entries = dump_map(simulator, {3, 2, 1, 0});
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries.begin()->first, Words{6});
  EXPECT_EQ(entries.begin()->second, (Complex{1.0, 0.0}));
}

// Base 1 multiplies by 1: every state stays, bits above the register included.
TEST(SparsePown, IdentityCallsLeaveTheStateAsItWas) {
  struct Case {
    const char* name;
    uint64_t qubits;
    Positions targets;
    const char* args;
  };
  const Case cases[] = {
      {"base 1", 6, {0, 1, 2, 3}, "1 5"},
      {"base 1, reversed targets", 6, {3, 2, 1, 0}, "1 5"},
      {"base 1, two-word keys", 70, {0, 1, 2, 3}, "1 5"},
      {"no targets", 6, {}, "3 5"},
      {"name not read", 6, {0, 1, 2}, "1 3 ignored"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    auto simulator = make_simulator(c.qubits);
    Positions spread = range(0, 6);
    if (c.qubits > 64) spread.push_back(65);
    spread_state(simulator, spread);
    const Positions all = range(0, c.qubits);
    const auto before = dump_map(simulator, all);
    ASSERT_EQ(before.size(), std::size_t{1} << spread.size());
    ASSERT_TRUE(simulator.plugin("whatever", c.args, c.targets).has_value());
    EXPECT_EQ(dump_map(simulator, all), before);
  }
}

TEST(SparsePown, OrderFindingSevenModFifteenKeepsNormOne) {
  auto simulator = make_simulator(8);
  simulator.pauli_x(0, {});  // y = 1
  for (uint64_t p = 4; p < 8; ++p) simulator.hadamard(p, {});
  ASSERT_TRUE(simulator.plugin("pown", "7 15", range(0, 8)).has_value());
  const auto entries = dump_map(simulator, {7, 6, 5, 4, 3, 2, 1, 0});
  ASSERT_EQ(entries.size(), 16u);
  double norm = 0.0;
  for (uint64_t x = 0; x < 16; ++x) {
    const Words state{(x << 4) | textbook_image(1 | (x << 4), 4, 7, 15) % 16};
    SCOPED_TRACE(x);
    ASSERT_EQ(entries.count(state), 1u);
    const Complex a = entries.at(state);
    EXPECT_NEAR(a.re, 0.25, 1e-15);
    EXPECT_EQ(a.im, 0.0);
    norm += a.re * a.re + a.im * a.im;
  }
  EXPECT_NEAR(norm, 1.0, 1e-14);
}

// Colliding images: the highest source state wins, whatever the map order; bits
// at k and above (also in the next word) stay.
TEST(SparsePown, MendedScatterMatchesTextbookWithHighestSourceWinning) {
  const unsigned nbits = 2;
  const uint64_t base = 2, modulus = 3, k = 4;
  const Positions spread{0, 1, 2, 3, 4, 65};
  const Positions listed{65, 4, 3, 2, 1, 0};  // dump bit i = spread[i]
  std::map<Words, Complex> first;
  for (int run = 0; run < 6; ++run) {
    auto simulator = make_simulator(70);
    spread_state(simulator, spread);
    const auto before = dump_map(simulator, listed);
    ASSERT_TRUE(simulator.plugin("pown", "2 3", range(0, k)).has_value());

    std::map<Words, Complex> expected;
    for (const auto& [state, amplitude] : before) {  // increasing source order
      const uint64_t value = state[0] & 15;
      const uint64_t moved = (state[0] & ~uint64_t{15}) | textbook_image(value, nbits, base, modulus);
      expected[Words{moved}] = amplitude;
    }
    const auto after = dump_map(simulator, listed);
    EXPECT_EQ(after, expected);
    EXPECT_LT(after.size(), before.size());  // some states did collide
    if (run == 0) first = after;
    EXPECT_EQ(after, first);
  }
}

TEST(SparsePown, CallsOutsideTheContractAreRefused) {
  struct Case {
    const char* name;
    uint64_t qubits;
    Positions prepared;  // positions set to 1 first
    Positions targets;
    const char* args;
    Positions expected_ones;  // where the ones are after the refused call
  };
  const Case cases[] = {
      {"target of k or more: nothing moves", 4, {0}, {0, 2}, "1 3", {0}},
      {"malformed numbers after the exchanges", 4, {0}, {1, 2, 0}, "7", {1}},
      {"empty second number", 4, {0}, {1, 2, 0}, "7  15", {1}},
      {"modulus 0 reached with x >= 1", 4, {2}, {0, 1, 2, 3}, "3 0", {2}},
      {"image of 2^k or more", 4, {0, 1, 2, 3}, {0, 1, 2, 3}, "5 7", {0, 1, 2, 3}},
      {"image beyond the register", 4, {0, 1, 2, 3}, {0, 0, 0, 0, 0, 0}, "5 7", {0, 1, 2, 3}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    auto simulator = make_simulator(c.qubits);
    for (uint64_t p : c.prepared) simulator.pauli_x(p, {});
    const auto status = simulator.plugin("pown", c.args, c.targets);
    ASSERT_FALSE(status.has_value());
    EXPECT_EQ(status.error(), FennError::UnsupportedPlugin);
    uint64_t expected = 0;
    for (uint64_t p : c.expected_ones) expected |= uint64_t{1} << p;
    const auto entries = dump_map(simulator, {3, 2, 1, 0});
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries.begin()->first, Words{expected});
  }
}

TEST(SparsePown, ModulusZeroWithoutXIsWithinTheContract) {
  // nbits is 0, so x is the whole register: only the value 0 may be stored.
  auto simulator = make_simulator(6);
  simulator.pauli_x(5, {});
  ASSERT_TRUE(simulator.plugin("pown", "3 0", Positions{0, 1, 2, 3}).has_value());
  const auto entries = dump_map(simulator, range(0, 6));
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries.begin()->first, Words{1});  // position 5 listed first
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
