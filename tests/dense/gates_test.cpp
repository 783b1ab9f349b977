#include <cmath>
#include <functional>
#include <limits>

#include "tests/dense/dense_fixture.hpp"

namespace dense_test {
namespace {

constexpr double kS = 0.7071067811865476;

TEST(DenseGates, ExactAmplitudesFromZero) {
  struct Case {
    const char* name;
    std::function<void(DenseSimulator&)> apply;
    std::vector<Amplitude> state;
  };
  const double c = std::cos(0.25), s = std::sin(0.25);  // of theta / 2 = 0.25
  const Case cases[] = {
      {"hadamard", [](auto& d) { d.hadamard(0, {}); }, {{kS, 0.0}, {kS, 0.0}}},
      {"pauli_x", [](auto& d) { d.pauli_x(0, {}); }, {{0.0, 0.0}, {1.0, 0.0}}},
      {"pauli_y", [](auto& d) { d.pauli_y(0, {}); }, {{0.0, 0.0}, {0.0, 1.0}}},
      {"pauli_z", [](auto& d) { d.pauli_z(0, {}); }, {{1.0, 0.0}, {0.0, 0.0}}},
      {"phase on |0>", [](auto& d) { d.phase(1.0, 0, {}); }, {{1.0, 0.0}, {0.0, 0.0}}},
      {"rx", [](auto& d) { d.rx(0.5, 0, {}); }, {{c, 0.0}, {0.0, -s}}},
      {"ry", [](auto& d) { d.ry(0.5, 0, {}); }, {{c, 0.0}, {s, 0.0}}},
      {"rz", [](auto& d) { d.rz(0.5, 0, {}); }, {{c, -s}, {0.0, 0.0}}},
      {"unitary m1 moves |0> to |1>",
       [](auto& d) { d.unitary({{{0, 0}, {1, 0}, {0, 0}, {0, 0}}}, 0, {}); },
       {{0.0, 0.0}, {1.0, 0.0}}},
      {"unitary m2 sends |0> to zero",
       [](auto& d) { d.unitary({{{0, 0}, {0, 0}, {1, 0}, {0, 0}}}, 0, {}); },
       {{0.0, 0.0}, {0.0, 0.0}}},
  };
  for (const auto& tc : cases) {
    SCOPED_TRACE(tc.name);
    DenseSimulator sim = make(1);
    tc.apply(sim);
    EXPECT_EQ(amplitudes(sim), tc.state);
  }
}

TEST(DenseGates, ExactAmplitudesFromOne) {
  const double c = std::cos(0.25), s = std::sin(0.25);
  struct Case {
    const char* name;
    std::function<void(DenseSimulator&)> apply;
    std::vector<Amplitude> state;
  };
  const Case cases[] = {
      {"hadamard", [](auto& d) { d.hadamard(0, {}); }, {{kS, 0.0}, {-kS, -0.0}}},
      {"pauli_y", [](auto& d) { d.pauli_y(0, {}); }, {{0.0, -1.0}, {0.0, 0.0}}},
      {"pauli_z", [](auto& d) { d.pauli_z(0, {}); }, {{0.0, 0.0}, {-1.0, -0.0}}},
      {"phase", [](auto& d) { d.phase(0.5, 0, {}); }, {{0.0, 0.0}, {std::cos(0.5), std::sin(0.5)}}},
      {"rz", [](auto& d) { d.rz(0.5, 0, {}); }, {{0.0, 0.0}, {c, s}}},
  };
  for (const auto& tc : cases) {
    SCOPED_TRACE(tc.name);
    DenseSimulator sim = basis(1, 1);
    tc.apply(sim);
    EXPECT_EQ(amplitudes(sim), tc.state);
  }
}

TEST(DenseMagnitude, AgreesWithHypotOnEveryKindOfPart) {
  const double inf = std::numeric_limits<double>::infinity();
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double parts[] = {0.0, -0.0, 1e-300, -3.5, 0.7071067811865476, 1e300, inf, -inf, nan};
  for (double re : parts) {
    for (double im : parts) {
      SCOPED_TRACE(::testing::Message() << re << " " << im);
      const double expected = std::hypot(re, im);
      const double got = fenn::magnitude({re, im});
      if (std::isnan(expected)) {
        EXPECT_TRUE(std::isnan(got));
      } else {
        EXPECT_EQ(got, expected);
      }
    }
  }
}

TEST(DenseGates, InfiniteOrNaNAngleGivesNaNInBothParts) {
  const double inf = std::numeric_limits<double>::infinity();
  const double nan = std::numeric_limits<double>::quiet_NaN();
  for (double angle : {inf, -inf, nan}) {
    SCOPED_TRACE(angle);
    DenseSimulator phased = basis(1, 1);
    phased.phase(angle, 0, {});
    EXPECT_TRUE(std::isnan(phased.state()[1].re) && std::isnan(phased.state()[1].im));
    DenseSimulator rotated = make(1);
    rotated.rz(angle, 0, {});
    EXPECT_TRUE(std::isnan(rotated.state()[0].re) && std::isnan(rotated.state()[0].im));
  }
}

TEST(DenseGates, SwapExchangesTwoPositions) {
  DenseSimulator sim = basis(3, 0b001);
  sim.swap(0, 2);
  EXPECT_EQ(sim.state()[0b100], (Amplitude{1.0, 0.0}));
  sim.swap(1, 1);
  EXPECT_EQ(sim.state()[0b100], (Amplitude{1.0, 0.0}));
  sim.swap(2, 1);
  EXPECT_EQ(sim.state()[0b010], (Amplitude{1.0, 0.0}));
}

}  // namespace
}  // namespace dense_test
