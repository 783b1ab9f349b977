#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <cstdint>
#include <vector>

#include "tz_nivra/environment.hpp"

namespace {

using tz_test::Environment;
const double kH = 1 / std::sqrt(2.0);

TEST(StandInMeasure, BasisStatesGiveTheirBit) {
  Environment environment(2);
  environment.x(1);
  EXPECT_EQ(measure_(environment.get(), 0), 0);
  EXPECT_EQ(measure_(environment.get(), 1), 1);
  tz_test::expect_state_near(environment.state(), {{0b10, 1.0}});
}

TEST(StandInMeasure, CollapsesAnEntangledPairToOneBranch) {
  bool seen[2] = {false, false};
  for (int trial = 0; trial < 64; ++trial) {
    Environment environment(2);
    environment.h(0);
    environment.x(1, {0});
    const uint8_t outcome = measure_(environment.get(), 0);
    ASSERT_LE(outcome, 1);
    seen[outcome] = true;
    tz_test::expect_state_near(environment.state(), {{outcome ? 0b11u : 0b00u, 1.0}});
    EXPECT_EQ(measure_(environment.get(), 1), outcome);
  }
  EXPECT_TRUE(seen[0] && seen[1]) << "64 fair draws all gave one outcome";
}

TEST(StandInMeasure, RenormalisesTheKeptBranchAndKeepsItsPhase) {
  Environment environment(2);
  ry(environment.get(), 0, nullptr, 0, 1.0);
  environment.h(1);
  phase(environment.get(), 1, nullptr, 0, 0.5);
  const uint8_t outcome = measure_(environment.get(), 0);
  const auto state = environment.state();
  EXPECT_NEAR(tz_test::norm(state), 1.0, 1e-12);
  tz_test::expect_state_near(state, {{outcome, kH}, {outcome | 0b10u, std::polar(kH, 0.5)}});
}

TEST(StandInDump, FirstListedPositionIsMostSignificant) {
  struct Case {
    std::vector<uint32_t> positions;
    uint64_t expected;
  };
  const Case cases[] = {
      {{0, 1, 2}, 0b110}, {{2, 1, 0}, 0b011}, {{1}, 1}, {{2}, 0}, {{}, 0}, {{2, 0, 0}, 0b011},
  };
  Environment environment(3);
  environment.x(0);
  environment.x(1);
  for (const auto& c : cases) {
    const auto records = environment.records(c.positions);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].basis_state, c.expected) << "of " << c.positions.size() << " positions";
    EXPECT_EQ(records[0].real, 1.0);
    EXPECT_EQ(records[0].imag, 0.0);
  }
}

TEST(StandInDump, ListsOneRecordPerStoredState) {
  Environment environment(2);
  environment.h(1);
  const auto records = environment.records({0});
  ASSERT_EQ(records.size(), 2u);
  for (const DumpEntry& record : records) {
    EXPECT_EQ(record.basis_state, 0u);
    EXPECT_NEAR(record.real, kH, 1e-15);
  }
}

TEST(StandInSwap, ExchangesTwoPositions) {
  Environment single(3);
  single.x(0);
  swap(single.get(), 0, 2);
  tz_test::expect_state_near(single.state(), {{0b100, 1.0}});
  swap(single.get(), 1, 1);
  tz_test::expect_state_near(single.state(), {{0b100, 1.0}});

  Environment superposed(3);
  superposed.h(0);
  superposed.x(2);
  swap(superposed.get(), 0, 1);
  tz_test::expect_state_near(superposed.state(), {{0b100, kH}, {0b110, kH}});
}

TEST(StandInRegister, FiftyQubitGhzState) {
  Environment environment(50);
  environment.h(0);
  for (uint32_t target = 1; target < 50; ++target) environment.x(target, {0});
  const uint64_t all_ones = (uint64_t{1} << 50) - 1;
  tz_test::expect_state_near(environment.state(), {{0, kH}, {all_ones, kH}});

  const uint8_t outcome = measure_(environment.get(), 25);
  for (uint32_t position = 0; position < 50; ++position)
    EXPECT_EQ(measure_(environment.get(), position), outcome) << "position " << position;
  tz_test::expect_state_near(environment.state(), {{outcome ? all_ones : 0, 1.0}});
}

}  // namespace
