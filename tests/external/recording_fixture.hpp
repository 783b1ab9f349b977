// Tests of the external back end run against the recording closed library:
// each starts from an empty log and builds back ends from plain metrics.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "external_backend/src/lib/external_backend.hpp"
#include "external_backend/tz_nivra/recording/tz_nivra_recording.hpp"
#include "tests/support/metrics.hpp"

namespace external_test {

using Lines = std::vector<std::string>;

using support::metrics_for;

inline const Lines& calls() { return tz_nivra_recording::calls(); }

class RecordingTest : public ::testing::Test {
 protected:
  void SetUp() override { tz_nivra_recording::reset(); }
  void TearDown() override { tz_nivra_recording::reset(); }

  // A back end on environment env1 of `qubits` qubits, with an empty log.
  // Starts the recording afresh: earlier back ends must be gone by then.
  static external_backend::ExternalBackend make(uint64_t qubits = 8) {
    tz_nivra_recording::reset();
    auto made = external_backend::ExternalBackend::create(metrics_for(qubits));
    EXPECT_TRUE(made.has_value());
    external_backend::ExternalBackend backend = std::move(*made);
    tz_nivra_recording::clear_calls();
    return backend;
  }
};

}  // namespace external_test
