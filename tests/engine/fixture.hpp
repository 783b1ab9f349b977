#pragma once

#include <gtest/gtest.h>

#include "tests/engine/program.hpp"

namespace engine_test {

class EngineTest : public ::testing::Test {
 protected:
  void SetUp() override { Script::reset(); }
  void TearDown() override { Script::reset(); }
  static std::vector<Call>& calls() { return Script::get().calls; }
  // Target positions of the recorded gate calls, in order.
  static std::vector<uint64_t> gate_targets() {
    std::vector<uint64_t> targets;
    for (const Call& c : calls()) targets.push_back(c.target);
    return targets;
  }
};

}  // namespace engine_test
