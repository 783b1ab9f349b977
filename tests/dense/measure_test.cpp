#include <cmath>
#include <limits>

#include "tests/dense/dense_fixture.hpp"

namespace dense_test {
namespace {

constexpr double kS = 0.7071067811865476;

TEST(DenseMeasure, HadamardGivesHalfAndHalfAndCollapses) {
  constexpr int kRuns = 4000;
  int ones = 0;
  for (int n = 0; n < kRuns; ++n) {
    DenseSimulator sim = make(2);
    sim.hadamard(1, {});
    const uint8_t bit = *sim.measure(1);
    ones += bit;
    // The survivor is scaled by 1/sqrt(p) of the drawn outcome, p from 1 - p1
    // for outcome 0.
    const double p1 = kS * kS;
    const double p = bit ? p1 : 1.0 - p1;
    const Amplitude kept = sim.state()[bit ? 2 : 0];
    ASSERT_EQ(kept.re, kS * (1.0 / std::sqrt(p)));
    ASSERT_EQ(sim.state()[bit ? 0 : 2], (Amplitude{0.0, 0.0}));
  }
  // Four standard deviations of a fair coin.
  const double sigma = std::sqrt(0.25 / kRuns);
  EXPECT_NEAR(static_cast<double>(ones) / kRuns, 0.5, 4 * sigma);
}

TEST(DenseMeasure, ParallelSumOverALargeRegister) {
  // 16 qubits, qubit 5 in superposition: the pool sums the halves.
  int ones = 0;
  for (int n = 0; n < 200; ++n) {
    DenseSimulator sim = make(16);
    sim.hadamard(5, {});
    sim.pauli_x(15, {});
    const uint8_t bit = *sim.measure(5);
    ones += bit;
    EXPECT_EQ(*sim.measure(15), 1);
    EXPECT_NEAR(norm(sim), 1.0, 1e-15);
  }
  EXPECT_GT(ones, 40);
  EXPECT_LT(ones, 160);
}

TEST(DenseMeasure, UnsampleableWeightsAreRefusedWithoutCollapse) {
  const double inf = std::numeric_limits<double>::infinity();
  struct Case {
    const char* name;
    fenn::Matrix m;  // applied to |0>: its first column becomes the state
  };
  const Case cases[] = {
      {"NaN", {{{0, 0}, {std::nan(""), 0}, {0, 0}, {0, 0}}}},
      {"infinite", {{{0, 0}, {inf, 0}, {0, 0}, {0, 0}}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    DenseSimulator sim = make(1);
    sim.unitary(c.m, 0, {});
    const auto before = amplitudes(sim);
    auto result = sim.measure(0);
    ASSERT_FALSE(result.has_value());
    EXPECT_EQ(result.error(), fenn::FennError::UndefinedError);
    const auto after = amplitudes(sim);
    for (std::size_t i = 0; i < after.size(); ++i) EXPECT_TRUE(same_bits(after[i], before[i])) << i;
  }
}

}  // namespace
}  // namespace dense_test
