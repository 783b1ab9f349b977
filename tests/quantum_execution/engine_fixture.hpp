// Quantum code written directly as blocks of instructions, run by default on
// the recording back end, with a fresh script for every test.
#pragma once

#include <gtest/gtest.h>

#include "tests/quantum_execution/recording_backend.hpp"
#include "tests/support/program.hpp"

namespace engine_test {

using namespace support;

struct Program : support::Program {
  using support::Program::Program;

  template <class B = RecordingBackend>
  fenn::FennResult<plim::ResultData> run() const {
    return support::Program::run<B>();
  }
};

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
