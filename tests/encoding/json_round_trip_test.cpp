// Random values of every model type survive a JSON round trip; doubles stay
// finite, since JSON writes the others as null.
#include <gtest/gtest.h>

#include "encoding/round_trip.hpp"
#include "libplim/src/encoding/json.hpp"
#include "libplim/src/encoding/serialize.hpp"

namespace {

using namespace plim;
using namespace plim::encoding;
using encoding_test::expect_round_trips;
using encoding_test::RandomValues;

TEST(JsonRoundTrip, QuantumCode) {
  expect_round_trips(
      true, [](RandomValues& random) { return random.code(); },
      [](const auto& code) { return encode_quantum_code(block_references(code), DataType::JSON); },
      read_quantum_code_json);
}

TEST(JsonRoundTrip, Metrics) {
  expect_round_trips(
      true, [](RandomValues& random) { return random.metrics(); },
      [](const Metrics& metrics) { return encode_metrics(metrics, DataType::JSON); },
      read_metrics_json);
}

TEST(JsonRoundTrip, Result) {
  expect_round_trips(
      true, [](RandomValues& random) { return random.result(); },
      [](const ResultData& result) { return encode_result(result, DataType::JSON); },
      read_result_json);
}

}  // namespace
