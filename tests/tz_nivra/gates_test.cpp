#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <functional>
#include <vector>

#include "tests/support/reference_gates.hpp"
#include "tests/support/reference_state.hpp"
#include "tz_nivra/environment.hpp"

namespace {

using tz_test::Environment;
using tz_test::State;
using GateCall = std::function<void(TzEnvironment*, uint32_t, const uint32_t*, uint32_t)>;

constexpr double kAngle = 0.7;
const double kH = 1 / std::sqrt(2.0);

GateCall rotation(void (*gate)(TzEnvironment*, uint32_t, const uint32_t*, uint32_t, double)) {
  return [gate](TzEnvironment* environment, uint32_t target, const uint32_t* controls,
                uint32_t count) { gate(environment, target, controls, count, kAngle); };
}

// The reference's basis states that hold amplitude: the stand-in lists no
// others.
State listed(const reference::State& expected) {
  State result;
  for (std::size_t i = 0; i < expected.size(); ++i)
    if (expected[i] != reference::C(0.0, 0.0)) result.emplace(i, expected[i]);
  return result;
}

// The stand-in has no Unitary.
TEST(StandInGates, MatchTextbookResultsOnBothBasisStates) {
  struct Case {
    plim::QuantumGate gate;
    GateCall call;
  };
  const Case cases[] = {
      {plim::PauliX{}, sigma_x},
      {plim::PauliY{}, sigma_y},
      {plim::PauliZ{}, sigma_z},
      {plim::Hadamard{}, hadamard_},
      {plim::Phase{kAngle}, rotation(phase)},
      {plim::RX{kAngle}, rotation(rx)},
      {plim::RY{kAngle}, rotation(ry)},
      {plim::RZ{kAngle}, rotation(rz)},
  };
  for (const auto& c : cases) {
    for (bool one : {false, true}) {
      SCOPED_TRACE(::testing::Message() << "gate " << c.gate.index() << " on |" << one << ">");
      Environment environment(1);
      reference::State expected(1);
      if (one) {
        environment.x(0);
        expected.apply(reference::pauli_x(), 0);
      }
      c.call(environment.get(), 0, nullptr, 0);
      expected.apply(reference::textbook(c.gate, reference::UnitaryReading::Rows), 0);
      tz_test::expect_state_near(environment.state(), listed(expected));
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
