// Quantum code written directly as blocks of instructions, run by default on
// the recording back end.
#pragma once

#include "tests/engine/recording_backend.hpp"
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

}  // namespace engine_test
