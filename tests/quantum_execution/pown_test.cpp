// The pown plug-in on every back end: exchanges around a modular
// exponentiation of the low register, the highest source winning where
// images meet, and refusals of calls outside the contract after exactly the
// exchanges made before the refusal. Refusals that only a transformation of
// the back end's own can see are the simulators'.
#include <complex>
#include <string>

#include "tests/quantum_execution/contract_fixture.hpp"
#include "tests/support/reference_state.hpp"

namespace contract_test {
namespace {

using fenn::FennError;

template <class B>
class PownContract : public ::testing::Test {};
TYPED_TEST_SUITE(PownContract, BackEnds, BackEndNames);

template <class B>
class SimulatorPown : public ::testing::Test {};
TYPED_TEST_SUITE(SimulatorPown, Simulators, BackEndNames);

// A plug-in call on a register of `qubits` qubits in a spread state.
struct Call {
  const char* name;
  uint64_t qubits;
  Positions targets;
  const char* args;
};

// `amplitudes` with the qubits of each pair exchanged, pair after pair.
Amplitudes exchanged(Amplitudes amplitudes, const std::vector<unsigned>& targets) {
  for (auto [a, b] : reference::pown_swap_list(targets)) {
    Amplitudes moved;
    for (const auto& [state, amplitude] : amplitudes) {
      const bool differ = ((state >> a) & 1) != ((state >> b) & 1);
      moved[differ ? state ^ (uint64_t{1} << a) ^ (uint64_t{1} << b) : state] = amplitude;
    }
    amplitudes = std::move(moved);
  }
  return amplitudes;
}

TYPED_TEST(PownContract, MovesBasisStateFiveToSix) {
  // Register 0b0101: x = 1, y = 1, c = 2, image (1 << 2) | 2 = 6.
  Register<TypeParam> reg(4, {"pown"});
  reg->pauli_x(0, {});
  reg->pauli_x(2, {});
  ASSERT_TRUE(reg->plugin("pown", "2 3", Positions{0, 1, 2, 3}).has_value());
  expect_same_values(reg.state(), Amplitudes{{6, 1.0}}, reg.states());
}

TYPED_TEST(PownContract, OrderFindingOfSevenModuloFifteen) {
  // Work register y on positions 0-3 holding 1, counting register x on
  // positions 4-7 in uniform superposition.
  Register<TypeParam> reg(8);
  reg->pauli_x(0, {});
  for (uint64_t q = 4; q < 8; ++q) reg->hadamard(q, {});
  ASSERT_TRUE(reg->plugin("pown", "7 15", Positions{0, 1, 2, 3, 4, 5, 6, 7}).has_value());
  const Amplitudes state = reg.state();

  // |x>|7^x mod 15>, each with amplitude 1/4.
  double norm = 0.0;
  for (const auto& entry : state) norm += std::norm(entry.second);
  EXPECT_NEAR(norm, 1.0, 1e-14);
  uint64_t power = 1;
  for (uint64_t x = 0; x < 16; ++x) {
    EXPECT_NEAR(support::amplitude_at(state, (x << 4) | power).real(), 0.25, 1e-15) << x;
    power = power * 7 % 15;
  }

  // The counting register's distribution after an inverse Fourier
  // transform: peaks of 1/4 at the multiples of 16 / order = 4.
  const double pi = std::acos(-1.0);
  for (uint64_t k = 0; k < 16; ++k) {
    double probability = 0;
    for (uint64_t y = 0; y < 16; ++y) {
      std::complex<double> sum = 0;
      for (uint64_t x = 0; x < 16; ++x)
        sum += support::amplitude_at(state, (x << 4) | y) *
               std::polar(1.0, -2 * pi * static_cast<double>(x * k) / 16);
      probability += std::norm(sum / 4.0);
    }
    EXPECT_NEAR(probability, k % 4 == 0 ? 0.25 : 0.0, 1e-12) << k;
  }
}

// Base 1 multiplies by 1, and no targets leave nothing to move: every
// amplitude stays where it was, the qubits above the register included.
TYPED_TEST(PownContract, CallsThatMoveNothingLeaveTheStateAsItWas) {
  const Call cases[] = {
      {"base 1", 3, {0, 1}, "1 3"},
      {"base 1, five qubits", 5, {0, 1, 2}, "1 3"},
      {"base 1, exchanged targets", 5, {2, 0, 1}, "1 3"},
      {"base 1, reversed targets", 6, {3, 2, 1, 0}, "1 5"},
      {"base 1, a third piece", 6, {1, 0}, "1 2 extra"},
      {"base 1 with a plus sign", 14, {0, 1, 2, 3, 4, 5, 6}, "+1 5"},
      {"base 1, modulus wider than the register", 14, {3, 2, 0, 1}, "1 15"},
      {"no targets", 6, {}, "3 5"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Register<TypeParam> reg(c.qubits);
    reg.spread();
    const Amplitudes before = reg.state();
    // The name is not read.
    ASSERT_TRUE(reg->plugin("anything", c.args, c.targets).has_value());
    expect_same_values(reg.state(), before, reg.states());
  }
}

TYPED_TEST(PownContract, CollidingImagesKeepTheHighestSource) {
  // Base 2, modulus 3 over four positions: 4 and 6 meet at 4, 5 and 7 at 6,
  // 12 and 14 at 12, 13 and 15 at 14.
  Register<TypeParam> reg(4);
  reg.spread();
  const Amplitudes before = reg.state();
  ASSERT_TRUE(reg->plugin("pown", "2 3", Positions{0, 1, 2, 3}).has_value());
  Amplitudes expected;
  for (const auto& [source, amplitude] : before)  // in increasing source order
    expected[reference::pown_image(source, 2, 2, 3)] = amplitude;
  EXPECT_LT(expected.size(), before.size());
  expect_same_values(reg.state(), expected, reg.states());
}

TYPED_TEST(PownContract, OnlyStatesThatHoldAmplitudeMustHaveAnImage) {
  // Targets [0..3], base 5, modulus 7: y is 3 bits, x is bit 3. With x = 1,
  // y = 7 would go to 35, beyond the register, but only |x=1>|y=1> holds
  // amplitude, and it goes to (1 << 3) | 5 = 13.
  Register<TypeParam> reg(4);
  reg->pauli_x(0, {});
  reg->pauli_x(3, {});
  ASSERT_TRUE(reg->plugin("pown", "5 7", Positions{0, 1, 2, 3}).has_value());
  expect_same_values(reg.state(), Amplitudes{{13, 1.0}}, reg.states());
}

// A modulus of 0 is refused only where some stored state has x >= 1.
TYPED_TEST(PownContract, ModulusZeroWithoutXIsWithinTheContract) {
  {
    SCOPED_TRACE("nbits 0: x is the whole register, which holds only 0");
    Register<TypeParam> reg(6);
    reg->pauli_x(5, {});
    ASSERT_TRUE(reg->plugin("pown", "3 0", Positions{0, 1, 2, 3}).has_value());
    expect_same_values(reg.state(), Amplitudes{{32, 1.0}}, reg.states());
  }
  {
    SCOPED_TRACE("no targets");
    Register<TypeParam> reg(3);
    reg.spread();
    const Amplitudes before = reg.state();
    ASSERT_TRUE(reg->plugin("pown", "5 0", Positions{}).has_value());
    expect_same_values(reg.state(), before, reg.states());
  }
}

// A target of k or more is seen before any exchange; the numbers are read,
// and a modulus of 0 met with x >= 1 is found, only after the exchanges.
TYPED_TEST(PownContract, CallsOutsideTheContractAreRefusedAfterTheExchangesMadeSoFar) {
  struct Case {
    const char* name;
    std::vector<unsigned> targets;
    const char* args;
    bool exchanged;
  };
  const Case cases[] = {
      {"target of k or more", {2}, "1 3", false},
      {"target of k or more after a good one", {0, 3}, "7 15", false},
      {"one number", {1, 2, 0}, "7", true},
      {"empty second piece", {1, 2, 0}, "7  15", true},
      {"minus sign", {1, 0}, "-7 15", true},
      {"empty text", {0}, "", true},
      {"number above 2^64 - 1", {2, 0, 1}, "18446744073709551616 3", true},
      {"modulus 0 reached with x >= 1", {1, 2, 0}, "3 0", true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Register<TypeParam> reg(4);
    reg.spread();
    const Amplitudes before = reg.state();
    const Positions targets(c.targets.begin(), c.targets.end());
    const auto status = reg->plugin("pown", c.args, targets);
    ASSERT_FALSE(status.has_value());
    EXPECT_EQ(status.error(), FennError::UnsupportedPlugin);
    expect_same_values(reg.state(), c.exchanged ? exchanged(before, c.targets) : before, reg.states());
  }
}

// The simulators check every stored register value before anything moves;
// the external back end leaves these images to the closed library.
TYPED_TEST(SimulatorPown, RefusalsOfTheTransformationLeaveTheStateAsItWas) {
  const Call cases[] = {
      {"image of 2^k or more", 4, {0, 1, 2, 3}, "5 7"},
      {"image beyond the register", 4, {0, 1, 2, 3, 3}, "3 5"},
      {"image beyond the register, repeated targets", 4, {0, 0, 0, 0, 0, 0}, "5 7"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Register<TypeParam> reg(c.qubits);
    reg.spread();
    const Amplitudes before = reg.state();
    const auto status = reg->plugin("pown", c.args, c.targets);
    ASSERT_FALSE(status.has_value());
    EXPECT_EQ(status.error(), FennError::UnsupportedPlugin);
    expect_same_values(reg.state(), before, reg.states());
  }
}

}  // namespace
}  // namespace contract_test
