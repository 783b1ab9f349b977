#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <functional>
#include <string>
#include <vector>

#include "tz_nivra/environment.hpp"

namespace {

using tz_test::Environment;
using tz_test::State;
using Amp = std::complex<double>;
using GateCall = std::function<void(TzEnvironment*, uint32_t, const uint32_t*, uint32_t)>;

constexpr double kAngle = 0.7;
const double kC = std::cos(kAngle / 2);
const double kS = std::sin(kAngle / 2);
const double kH = 1 / std::sqrt(2.0);
const Amp kI{0.0, 1.0};

GateCall rotation(void (*gate)(TzEnvironment*, uint32_t, const uint32_t*, uint32_t, double)) {
  return [gate](TzEnvironment* environment, uint32_t target, const uint32_t* controls,
                uint32_t count) { gate(environment, target, controls, count, kAngle); };
}

TEST(StandInGates, MatchTextbookResultsOnBothBasisStates) {
  struct Case {
    std::string name;
    GateCall gate;
    State from_zero;
    State from_one;
  };
  const Case cases[] = {
      {"X", sigma_x, {{1, 1.0}}, {{0, 1.0}}},
      {"Y", sigma_y, {{1, kI}}, {{0, -kI}}},
      {"Z", sigma_z, {{0, 1.0}}, {{1, -1.0}}},
      {"H", hadamard_, {{0, kH}, {1, kH}}, {{0, kH}, {1, -kH}}},
      {"Phase", rotation(phase), {{0, 1.0}}, {{1, std::polar(1.0, kAngle)}}},
      {"RX", rotation(rx), {{0, kC}, {1, -kI * kS}}, {{0, -kI * kS}, {1, kC}}},
      {"RY", rotation(ry), {{0, kC}, {1, kS}}, {{0, -kS}, {1, kC}}},
      {"RZ", rotation(rz), {{0, std::polar(1.0, -kAngle / 2)}}, {{1, std::polar(1.0, kAngle / 2)}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    for (bool one : {false, true}) {
      Environment environment(1);
      if (one) environment.x(0);
      c.gate(environment.get(), 0, nullptr, 0);
      tz_test::expect_state_near(environment.state(), one ? c.from_one : c.from_zero);
    }
  }
}

TEST(StandInGates, ActOnlyWhereEveryControlIsOne) {
  struct Case {
    std::vector<uint32_t> set;
    std::vector<uint32_t> controls;
    uint64_t expected;
  };
  const Case cases[] = {
      {{}, {0}, 0b000},
      {{0}, {0}, 0b101},
      {{0}, {0, 1}, 0b001},
      {{1}, {0, 1}, 0b010},
      {{0, 1}, {1, 0}, 0b111},
  };
  for (const auto& c : cases) {
    Environment environment(3);
    for (uint32_t position : c.set) environment.x(position);
    environment.x(2, c.controls);
    tz_test::expect_state_near(environment.state(), {{c.expected, 1.0}});
  }
}

TEST(StandInGates, ControlledGatesEntangleSuperpositions) {
  Environment bell(2);
  bell.h(0);
  bell.x(1, {0});
  tz_test::expect_state_near(bell.state(), {{0b00, kH}, {0b11, kH}});

  Environment cz(2);
  cz.h(0);
  cz.h(1);
  const uint32_t control = 1;
  sigma_z(cz.get(), 0, &control, 1);
  tz_test::expect_state_near(cz.state(), {{0, 0.5}, {1, 0.5}, {2, 0.5}, {3, -0.5}});
}

TEST(StandInGates, CancelledAmplitudesAreDropped) {
  Environment environment(1);
  environment.h(0);
  environment.h(0);
  tz_test::expect_state_near(environment.state(), {{0, 1.0}});
}

TEST(StandInGates, PositionsOutsideTheRegisterChangeNothing) {
  Environment environment(3);
  environment.x(3);
  environment.x(0, {7});
  swap(environment.get(), 0, 3);
  tz_test::expect_state_near(environment.state(), {{0, 1.0}});
}

TEST(StandInGates, NullEnvironmentIsIgnored) {
  EXPECT_EQ(create_environment(51), nullptr);
  sigma_x(nullptr, 0, nullptr, 0);
  swap(nullptr, 0, 1);
  plugin_pown(nullptr, 2, 7, 15);
  EXPECT_EQ(measure_(nullptr, 0), 0);
  EXPECT_EQ(dump(nullptr, nullptr, 0), nullptr);
  int32_t count = 5;
  EXPECT_EQ(dump_data(nullptr, &count), nullptr);
  EXPECT_EQ(count, 0);
  delete_dump(nullptr);
  delete_environment(nullptr);
}

}  // namespace
