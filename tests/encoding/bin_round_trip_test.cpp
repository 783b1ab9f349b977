// Random values of every model type survive a BIN round trip, and the size
// functions predict the writers' output exactly.
#include <gtest/gtest.h>

#include <set>

#include "encoding/random_values.hpp"
#include "libplim/src/encoding/bin.hpp"
#include "libplim/src/encoding/serialize.hpp"

namespace {

using namespace plim;
using namespace plim::encoding;
using encoding_test::RandomValues;

constexpr uint64_t kRounds = 2000;

TEST(BinRoundTrip, QuantumCode) {
  std::set<std::size_t> instruction_kinds, gate_kinds;
  for (uint64_t seed = 0; seed < kRounds; ++seed) {
    SCOPED_TRACE(seed);
    RandomValues random(seed, false);
    const std::vector<CodeBlock> code = random.code();
    const std::vector<const CodeBlock*> references = block_references(code);
    const ByteBuffer bytes = write_quantum_code_bin(references);
    ASSERT_EQ(bytes.size(), quantum_code_bin_size(references));
    ASSERT_EQ(bytes.capacity(), bytes.size());
    const auto read = read_quantum_code_bin(bytes.bytes());
    ASSERT_TRUE(read) << read.error().description;
    ASSERT_EQ(*read, code);
    for (const CodeBlock& block : code)
      for (const Instruction& instruction : block.instructions) {
        instruction_kinds.insert(instruction.index());
        if (const auto* gate = std::get_if<Gate>(&instruction)) gate_kinds.insert(gate->gate.index());
      }
  }
  EXPECT_EQ(instruction_kinds.size(), kInstructionVariants);
  EXPECT_EQ(gate_kinds.size(), kGateVariants);
}

TEST(BinRoundTrip, Metrics) {
  for (uint64_t seed = 0; seed < kRounds; ++seed) {
    SCOPED_TRACE(seed);
    RandomValues random(seed, false);
    const Metrics metrics = random.metrics();
    const ByteBuffer bytes = write_metrics_bin(metrics);
    ASSERT_EQ(bytes.size(), metrics_bin_size(metrics));
    const auto read = read_metrics_bin(bytes.bytes());
    ASSERT_TRUE(read) << read.error().description;
    ASSERT_EQ(*read, metrics);
  }
}

TEST(BinRoundTrip, Result) {
  std::set<std::size_t> dump_kinds;
  for (uint64_t seed = 0; seed < kRounds; ++seed) {
    SCOPED_TRACE(seed);
    RandomValues random(seed, false);
    const ResultData result = random.result();
    const ByteBuffer bytes = write_result_bin(result);
    ASSERT_EQ(bytes.size(), result_bin_size(result));
    const auto read = read_result_bin(bytes.bytes());
    ASSERT_TRUE(read) << read.error().description;
    ASSERT_EQ(*read, result);
    for (const DumpData& dump : result.dump) dump_kinds.insert(dump.index());
  }
  EXPECT_EQ(dump_kinds.size(), std::variant_size_v<DumpData>);
}

}  // namespace
