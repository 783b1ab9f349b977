// Measurement on every back end: determined outcomes leave the state as it
// was, superpositions collapse onto the drawn outcome; and the draw the two
// simulators share, which scales the survivors by 1/sqrt(p) exactly.
#include <cmath>
#include <functional>
#include <limits>

#include "tests/quantum_execution/contract_fixture.hpp"

namespace contract_test {
namespace {

constexpr double kH = 0.7071067811865476;

template <class B>
class MeasureContract : public ::testing::Test {};
TYPED_TEST_SUITE(MeasureContract, BackEnds, BackEndNames);

template <class B>
class SimulatorMeasure : public ::testing::Test {};
TYPED_TEST_SUITE(SimulatorMeasure, Simulators, BackEndNames);

// 14 qubits: large enough for the dense simulator's sums on the pool.
TYPED_TEST(MeasureContract, BasisStatesGiveTheirValueAndStayPut) {
  for (uint64_t qubits : {3u, 14u}) {
    SCOPED_TRACE(::testing::Message() << qubits << " qubits");
    Register<TypeParam> reg(qubits);
    reg->pauli_x(0, {});
    const Amplitudes before = reg.state();
    for (int n = 0; n < 20; ++n) {
      const auto one = reg->measure(0);
      ASSERT_TRUE(one.has_value());
      EXPECT_EQ(*one, 1);
      const auto zero = reg->measure(2);
      ASSERT_TRUE(zero.has_value());
      EXPECT_EQ(*zero, 0);
    }
    // p = 1 scales by exactly 1.
    expect_same_values(reg.state(), before, reg.states());
  }
}

TYPED_TEST(MeasureContract, BellPairCollapsesOntoEqualBits) {
  constexpr int kRuns = 400;
  int ones = 0;
  for (int run = 0; run < kRuns; ++run) {
    Register<TypeParam> reg(2);
    reg->hadamard(0, {});
    reg->pauli_x(1, Positions{0});
    const auto bit = reg->measure(0);
    ASSERT_TRUE(bit.has_value());
    ASSERT_TRUE(*bit == 0 || *bit == 1);
    ones += *bit;
    const uint64_t survivor = *bit ? 3 : 0;
    Amplitudes expected{{survivor, 1.0}};
    support::expect_near(reg.state(), expected, 4, 1e-15, "collapsed");
    const auto partner = reg->measure(1);
    ASSERT_TRUE(partner.has_value());
    EXPECT_EQ(*partner, *bit);
  }
  EXPECT_GT(ones, kRuns / 2 - 80);
  EXPECT_LT(ones, kRuns / 2 + 80);
}

TYPED_TEST(SimulatorMeasure, SurvivorsAreScaledByOneOverTheRootOfTheirProbability) {
  const double p1 = kH * kH;
  for (int run = 0; run < 50; ++run) {
    Register<TypeParam> reg(2);
    reg->hadamard(0, {});
    reg->pauli_x(1, Positions{0});
    const auto bit = reg->measure(0);
    ASSERT_TRUE(bit.has_value());
    const double p = *bit ? p1 : 1.0 - p1;
    // The other half is gone: neither simulator lists it.
    const Amplitudes state = reg.state();
    ASSERT_EQ(state.size(), 1u);
    ASSERT_EQ(state.count(*bit ? 3 : 0), 1u);
    EXPECT_EQ(state.at(*bit ? 3 : 0).real(), kH * (1.0 / std::sqrt(p)));
  }
}

// |0> -> 2|0> + 0.5|1>: p1 = 0.25 and p0 = 0.75, taken as 1 - p1, however
// far the state is from norm 1.
TYPED_TEST(SimulatorMeasure, UnnormalisedStatesStayUnnormalised) {
  for (int run = 0; run < 50; ++run) {
    Register<TypeParam> reg(1);
    // Symmetric, so that both readings of the numbers give this state.
    reg->unitary({{{2, 0}, {0.5, 0}, {0.5, 0}, {0, 0}}}, 0, {});
    const auto bit = reg->measure(0);
    ASSERT_TRUE(bit.has_value());
    const Amplitudes state = reg.state();
    ASSERT_EQ(state.size(), 1u);
    if (*bit == 0) EXPECT_EQ(state.at(0).real(), 2.0 * (1.0 / std::sqrt(0.75)));
    else EXPECT_EQ(state.at(1).real(), 0.5 * (1.0 / std::sqrt(0.25)));
  }
}

// No draw can be made: UndefinedError, and the state stays as it was.
TYPED_TEST(SimulatorMeasure, UnsampleableWeightsAreRefused) {
  const double inf = std::numeric_limits<double>::infinity();
  struct Case {
    const char* name;
    std::function<void(TypeParam&)> program;
  };
  const Case cases[] = {
      {"not a number", [&](TypeParam& s) { s.rx(inf, 0, {}); }},
      {"weight beyond the largest double",
       [](TypeParam& s) { s.unitary({{{0, 0}, {1e300, 0}, {1e300, 0}, {0, 0}}}, 0, {}); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Register<TypeParam> reg(2);
    c.program(*reg);
    const plim::DumpData before = reg->dump(Positions{1, 0});
    const auto bit = reg->measure(0);
    ASSERT_FALSE(bit.has_value());
    EXPECT_EQ(bit.error(), fenn::FennError::UndefinedError);
    const support::Entries was = support::dump_entries(before);
    const support::Entries now = support::dump_entries(reg->dump(Positions{1, 0}));
    ASSERT_EQ(now.size(), was.size());
    for (const auto& [state, a] : was) {
      ASSERT_EQ(now.count(state), 1u);
      EXPECT_TRUE(support::same_bits(now.at(state).re, a.re));
      EXPECT_TRUE(support::same_bits(now.at(state).im, a.im));
    }
  }
}

}  // namespace
}  // namespace contract_test
