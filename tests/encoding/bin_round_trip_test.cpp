// Random values of every model type survive a BIN round trip, and the size
// functions predict the writers' output exactly.
#include <gtest/gtest.h>

#include <set>

#include "encoding/round_trip.hpp"
#include "libplim/src/encoding/bin.hpp"
#include "libplim/src/encoding/serialize.hpp"

namespace {

using namespace plim;
using namespace plim::encoding;
using encoding_test::expect_round_trips;
using encoding_test::RandomValues;

// A BIN writer whose output must have exactly the size its size function gives.
template <class Size, class Write>
auto exact(Size size, Write write) {
  return [=](const auto& value) {
    ByteBuffer bytes = write(value);
    EXPECT_EQ(bytes.size(), size(value));
    EXPECT_EQ(bytes.capacity(), bytes.size());
    return bytes;
  };
}

TEST(BinRoundTrip, QuantumCode) {
  std::set<std::size_t> instruction_kinds, gate_kinds;
  auto make = [&](RandomValues& random) {
    std::vector<CodeBlock> code = random.code();
    for (const CodeBlock& block : code)
      for (const Instruction& instruction : block.instructions) {
        instruction_kinds.insert(instruction.index());
        if (const auto* gate = std::get_if<Gate>(&instruction)) gate_kinds.insert(gate->gate.index());
      }
    return code;
  };
  expect_round_trips(
      false, make,
      exact([](const auto& code) { return quantum_code_bin_size(block_references(code)); },
            [](const auto& code) { return write_quantum_code_bin(block_references(code)); }),
      read_quantum_code_bin);
  EXPECT_EQ(instruction_kinds.size(), kInstructionVariants);
  EXPECT_EQ(gate_kinds.size(), kGateVariants);
}

TEST(BinRoundTrip, Metrics) {
  expect_round_trips(
      false, [](RandomValues& random) { return random.metrics(); },
      exact([](const Metrics& m) { return metrics_bin_size(m); },
            [](const Metrics& m) { return write_metrics_bin(m); }),
      read_metrics_bin);
}

TEST(BinRoundTrip, Result) {
  std::set<std::size_t> dump_kinds;
  auto make = [&](RandomValues& random) {
    ResultData result = random.result();
    for (const DumpData& dump : result.dump) dump_kinds.insert(dump.index());
    return result;
  };
  expect_round_trips(false, make,
                     exact([](const ResultData& r) { return result_bin_size(r); },
                           [](const ResultData& r) { return write_result_bin(r); }),
                     read_result_bin);
  EXPECT_EQ(dump_kinds.size(), std::variant_size_v<DumpData>);
}

}  // namespace
