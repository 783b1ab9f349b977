#include <gtest/gtest.h>

#include <cerrno>
#include <cmath>
#include <complex>
#include <cstdint>

#include "tz_nivra/environment.hpp"

namespace {

using tz_test::Environment;
using tz_test::State;

// A state in which every basis state of `qubits` qubits has its own amplitude.
void spread(Environment& environment, uint32_t qubits) {
  for (uint32_t p = 0; p < qubits; ++p) {
    ry(environment.get(), p, nullptr, 0, 0.3 + 0.2 * p);
    phase(environment.get(), p, nullptr, 0, 0.1 * (p + 1));
  }
}

TEST(StandInPown, BaseOneKeepsEveryStateAndItsHigherBits) {
  for (uint64_t modulus : {2u, 3u, 15u}) {
    Environment environment(6);
    spread(environment, 6);
    const State before = environment.state();
    plugin_pown(environment.get(), 4, 1, modulus);
    EXPECT_EQ(environment.state(), before) << "modulus " << modulus;
  }
}

TEST(StandInPown, OrderFindingSevenModFifteen) {
  Environment environment(8);
  environment.x(0);
  for (uint32_t p = 4; p < 8; ++p) environment.h(p);
  plugin_pown(environment.get(), 8, 7, 15);

  State expected;
  uint64_t power = 1;
  for (uint64_t x = 0; x < 16; ++x) {
    expected[(x << 4) | power] = 0.25;
    power = power * 7 % 15;
  }
  const State state = environment.state();
  tz_test::expect_state_near(state, expected);
  EXPECT_NEAR(tz_test::norm(state), 1.0, 1e-12);
}

TEST(StandInPown, ReplacesOnlyTheLowBitsByTheImage) {
  // k = 4, modulus 3 (two bits of y): x = 1 and y = 1 move to 0b01 << 2 | 2.
  Environment environment(6);
  environment.x(0);
  environment.x(2);
  environment.x(5);
  plugin_pown(environment.get(), 4, 2, 3);
  tz_test::expect_state_near(environment.state(), {{0b100110, 1.0}});
}

TEST(StandInPown, HigherSourceStateWinsWhereTwoMeet) {
  // Base 5 modulus 5: c = 0 for x = 1, so 0b1000 and 0b1001 both go to 0b1000.
  Environment environment(4);
  environment.x(3);
  ry(environment.get(), 0, nullptr, 0, 1.0);
  plugin_pown(environment.get(), 4, 5, 5);
  tz_test::expect_state_near(environment.state(), {{0b1000, std::sin(0.5)}});
}

TEST(StandInPown, CallsOutsideTheContractChangeNothingAndReportEdom) {
  // Every state of the four low positions is present; 0b1111 with base 4,
  // modulus 5 (x = 1, y = 7, c = 4) has the image 0b11100.
  struct Case {
    const char* what;
    uint32_t qubits, k;
    uint64_t base, modulus;
  };
  const Case cases[] = {
      {"image of 2^k or more", 6, 4, 4, 5},
      {"image beyond the register", 4, 6, 4, 5},
  };
  for (const auto& c : cases) {
    Environment environment(c.qubits);
    spread(environment, 4);
    const State before = environment.state();
    errno = 0;
    plugin_pown(environment.get(), c.k, c.base, c.modulus);
    EXPECT_EQ(errno, EDOM) << c.what;
    EXPECT_EQ(environment.state(), before) << c.what;
  }
}

}  // namespace
