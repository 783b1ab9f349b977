// The layout of a dump on every back end: one Vector, the first listed
// position as the most significant bit, positions that may repeat.
#include <cmath>

#include "tests/quantum_execution/contract_fixture.hpp"

namespace contract_test {
namespace {

template <class B>
class DumpContract : public ::testing::Test {};
TYPED_TEST_SUITE(DumpContract, BackEnds, BackEndNames);

TYPED_TEST(DumpContract, FreshRegisterListsTheZeroStateAlone) {
  Register<TypeParam> reg(3);
  const plim::DumpData data = reg->dump(Positions{2, 0, 1});
  ASSERT_TRUE(std::holds_alternative<plim::Vector>(data));
  EXPECT_EQ(std::get<plim::Vector>(data), (plim::Vector{{{0}}, {1.0}, {0.0}}));
  EXPECT_FALSE(std::signbit(std::get<plim::Vector>(data).amplitudes_imag.at(0)));
}

TYPED_TEST(DumpContract, FirstListedPositionIsTheMostSignificantBit) {
  Register<TypeParam> reg(4);
  reg->pauli_x(0, {});
  reg->pauli_x(3, {});
  const struct {
    Positions listed;
    uint64_t word;
  } cases[] = {
      {{3, 0, 1}, 0b110}, {{1, 0, 3}, 0b011}, {{0, 0}, 0b11},
      {{2, 1}, 0b00},     {{0}, 0b1},         {{3, 2, 1, 0}, 0b1001},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.listed));
    const Amplitudes expected{{c.word, 1.0}};
    expect_same_values(support::one_word_amplitudes(reg->dump(c.listed)), expected,
                       uint64_t{1} << c.listed.size());
  }
}

TYPED_TEST(DumpContract, EqualSuperpositionListsEveryBasisState) {
  Register<TypeParam> reg(3);
  for (uint64_t q : {0, 1, 2}) reg->hadamard(q, {});
  Amplitudes expected;
  for (uint64_t state = 0; state < 8; ++state) expected[state] = 0.35355339059327384;
  const Amplitudes dumped = reg.state();
  EXPECT_EQ(dumped.size(), 8u);
  support::expect_near(dumped, expected, 8, 1e-15, "dump");
}

}  // namespace
}  // namespace contract_test
