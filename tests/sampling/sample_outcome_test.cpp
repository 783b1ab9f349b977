#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "fenn/src/sampling/sample_outcome.hpp"

namespace {

// The generator output whose top 52 bits give the unit draw k * 2^-52.
uint64_t output_for(uint64_t k) { return k << 12; }

const uint64_t kLowest = 0;
const uint64_t kHighest = UINT64_MAX;

TEST(SampleOutcome, CertainOutcomesKeepTheScale) {
  for (uint64_t u : {kLowest, kHighest, uint64_t{0x123456789abcdef0}}) {
    auto one = fenn::sample_outcome_from(1.0, u);
    ASSERT_TRUE(one);
    EXPECT_EQ(one->bit, 1);
    EXPECT_EQ(one->scale, 1.0);
    auto zero = fenn::sample_outcome_from(0.0, u);
    ASSERT_TRUE(zero);
    EXPECT_EQ(zero->bit, 0);
    EXPECT_EQ(zero->scale, 1.0);
  }
}

TEST(SampleOutcome, SlightlyAboveOneIsOutcomeOne) {
  const double p1 = 1.0000000000000002;
  auto drawn = fenn::sample_outcome_from(p1, kLowest);
  ASSERT_TRUE(drawn);
  EXPECT_EQ(drawn->bit, 1);
  // sqrt(p1) rounds to 1.0 here, so the scale is exactly 1.
  EXPECT_EQ(drawn->scale, 1.0 / std::sqrt(p1));
}

TEST(SampleOutcome, ThresholdAtPZero) {
  // p1 = 0.5: x = k * 2^-52, outcome 1 exactly when x >= 0.5.
  const uint64_t half = uint64_t{1} << 51;
  EXPECT_EQ(fenn::sample_outcome_from(0.5, output_for(half - 1))->bit, 0);
  EXPECT_EQ(fenn::sample_outcome_from(0.5, output_for(half))->bit, 1);
  EXPECT_EQ(fenn::sample_outcome_from(0.5, output_for(half))->scale, 1.0 / std::sqrt(0.5));
  // The low 12 bits of the output are not used.
  EXPECT_EQ(fenn::sample_outcome_from(0.5, output_for(half - 1) | 0xfff)->bit, 0);
}

TEST(SampleOutcome, TotalAboveOneScalesTheDraw) {
  // p1 = 3: p0 = 0, every draw gives 1 with scale 1/sqrt(3).
  auto drawn = fenn::sample_outcome_from(3.0, kLowest);
  ASSERT_TRUE(drawn);
  EXPECT_EQ(drawn->bit, 1);
  EXPECT_EQ(drawn->scale, 1.0 / std::sqrt(3.0));
}

TEST(SampleOutcome, WeightsThatCannotBeSampledAreRefused) {
  EXPECT_FALSE(fenn::sample_outcome_from(std::nan(""), kLowest));
  EXPECT_FALSE(fenn::sample_outcome_from(std::numeric_limits<double>::infinity(), kLowest));
  EXPECT_FALSE(fenn::sample_outcome(std::nan("")));
}

TEST(SampleOutcome, HalfAndHalfOverManyDraws) {
  const int draws = 20000;
  int ones = 0;
  for (int i = 0; i < draws; ++i) ones += fenn::sample_outcome(0.5)->bit;
  // Five standard deviations of a fair coin.
  EXPECT_NEAR(ones, draws / 2, 5 * std::sqrt(draws * 0.25));
}

}  // namespace
