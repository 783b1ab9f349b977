// Values chosen for the edges of each form, and random values of every model
// type, survive a JSON round trip; doubles stay finite, since JSON writes the
// others as null, which reads back as NaN.
#include <gtest/gtest.h>

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "encoding/round_trip.hpp"
#include "encoding/json_test_support.hpp"
#include "libplim/src/encoding/json.hpp"
#include "libplim/src/encoding/serialize.hpp"

namespace {

using namespace plim;
using namespace plim::encoding;
using encoding_test::expect_round_trips;
using encoding_test::RandomValues;
using json_test::written;

// Writes, reads back, and writes the decoded value again: equal values and
// identical bytes (each value has at most one unordered entry).
template <class T, class Write, class Read>
void expect_round_trip(const T& value, Write&& write, Read&& read) {
  const std::string text = written(value, write);
  SCOPED_TRACE(text);
  const auto decoded = read(json_test::bytes(text));
  ASSERT_TRUE(decoded.has_value()) << decoded.error().description;
  EXPECT_EQ(*decoded, value);
  EXPECT_EQ(written(*decoded, write), text);
}

TEST(JsonRoundTrip, ChosenMetrics) {
  Metrics bare;
  Metrics full;
  full.qubit_simultaneous = UINT64_MAX;
  full.qubit_count = 40;
  full.future_count = 7;
  full.dump_count = 2;
  full.block_count = 3;
  full.timeout = 0;
  full.plugins = {"p\"o\\w/n\n\xC3\xA9"};
  full.ready = true;
  for (const Metrics* metrics : {&bare, &full}) expect_round_trip(*metrics, write_metrics_json, read_metrics_json);
}

TEST(JsonRoundTrip, ChosenQuantumCode) {
  Unitary unitary;
  unitary.matrix = {Complex{0.7071067811865476, -0.0}, Complex{5e-324, 1e300},
                    Complex{-1.7976931348623157e308, 0.1}, Complex{1e16, 1e-6}};
  CodeBlock entry;
  entry.instructions = {
      Alloc{false, 0},
      Alloc{true, 1},
      Gate{Hadamard{}, 0, {}},
      Gate{Phase{3.141592653589793}, 1, {0}},
      Gate{RX{-0.5}, 0, {1, 2, 3}},
      Gate{RY{1e-7}, 0, {}},
      Gate{RZ{12345678901234567.0}, 0, {}},
      Gate{PauliY{}, 0, {}},
      Gate{PauliZ{}, 0, {}},
      Gate{unitary, 1, {0}},
      Measure{{0, 1}, 1},
      Plugin{"pown", {0, 1, 2}, "2 15"},
      IntOp{ClassicalOp::Srl, 3, 1, 2},
      IntSet{4, INT64_MIN},
      Dump{{1, 0}, 0},
      Free{true, 1},
      End{Branch{1, 1, 2}},
  };
  entry.gate_count = {{2, 3}};
  entry.depth = 9;
  CodeBlock jump;
  jump.instructions = {End{Jump{0}}};
  CodeBlock halt;
  halt.instructions = {Gate{PauliX{}, 0, {}}, End{Halt{}}};
  const std::vector<CodeBlock> blocks = {entry, jump, halt, CodeBlock{}};
  std::vector<const CodeBlock*> references;
  for (const CodeBlock& block : blocks) references.push_back(&block);

  const std::string text = written(std::span<const CodeBlock* const>(references),
                                   write_quantum_code_json);
  const auto decoded = read_quantum_code_json(json_test::bytes(text));
  ASSERT_TRUE(decoded.has_value()) << decoded.error().description;
  EXPECT_EQ(*decoded, blocks);
}

TEST(JsonRoundTrip, ChosenResults) {
  ResultData bare;
  bare.future = {0};
  ResultData full;
  full.future = {0, -1, INT64_MIN, INT64_MAX};
  full.dump = {
      Vector{{{3}, {1, 0}}, {0.7071067811865476, -0.0}, {0.0, -0.7071067811865476}},
      Probability{},
      Probability{{{0, 1, 2}}, {1.0}},
      Shots{{{0}, {3}}, {7, 4294967295u}, 4294967302u},
  };
  full.exec_time = 1.5e-7;
  for (const ResultData* result : {&bare, &full}) expect_round_trip(*result, write_result_json, read_result_json);
}


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
