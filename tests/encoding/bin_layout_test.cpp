// The BIN bytes of metrics, quantum code and results, field by field, and the
// values that those bytes read back as.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>
#include <unordered_set>
#include <string>
#include <vector>

#include "encoding/bin_bytes.hpp"
#include "libplim/src/encoding/bin.hpp"

namespace {

using namespace plim;
using namespace plim::encoding;
using bin_test::Bytes;
using bin_test::to_vector;

Bytes new_process_metrics_head() {
  return Bytes().u64(0).u64(0).u64(1).u64(0).u64(1);
}

Metrics new_process_metrics() {
  Metrics metrics;
  metrics.future_count = 1;
  metrics.block_count = 1;
  return metrics;
}

TEST(BinMetrics, FieldsStandInDeclarationOrder) {
  struct Case {
    const char* name;
    std::optional<uint64_t> timeout;
    std::unordered_set<std::string> plugins;
    bool ready;
    Bytes tail;  // after the five counts
    std::size_t size;
  };
  const Case cases[] = {
      {"neither timeout nor plugins", std::nullopt, {}, false, Bytes().u8(0).u64(0).u8(0), 50},
      {"timeout 10", 10, {}, true, Bytes().raw({0x01, 0x0A, 0, 0, 0, 0, 0, 0, 0}).u64(0).u8(1), 58},
      {"pown", std::nullopt, {"pown"}, false,
       Bytes().u8(0).u64(1).raw({0x04, 0, 0, 0, 0, 0, 0, 0, 'p', 'o', 'w', 'n'}).u8(0), 62},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Metrics metrics = new_process_metrics();
    metrics.timeout = c.timeout;
    metrics.plugins = c.plugins;
    metrics.ready = c.ready;
    const Bytes expected = new_process_metrics_head().append(c.tail);
    ASSERT_EQ(expected.data.size(), c.size);
    EXPECT_EQ(metrics_bin_size(metrics), c.size);
    const ByteBuffer written = write_metrics_bin(metrics);
    EXPECT_EQ(to_vector(written), expected.data);
    EXPECT_EQ(written.capacity(), written.size());
    EXPECT_EQ(*read_metrics_bin(expected.span()), metrics);
  }
}

TEST(BinMetrics, RepeatedPluginNameIsKeptOnce) {
  const Bytes input = new_process_metrics_head().u8(0).u64(2).string("pown").string("pown").u8(1);
  const Decoded<Metrics> metrics = read_metrics_bin(input.span());
  ASSERT_TRUE(metrics);
  EXPECT_EQ(metrics->plugins, (std::unordered_set<std::string>{"pown"}));
}

TEST(BinMetrics, SeveralPluginsReadBackInEitherOrder) {
  Metrics metrics = new_process_metrics();
  metrics.plugins = {"pown", "qft", "é"};
  const ByteBuffer written = write_metrics_bin(metrics);
  EXPECT_EQ(written.size(), metrics_bin_size(metrics));
  EXPECT_EQ(*read_metrics_bin(written.bytes()), metrics);
  const Bytes reordered = new_process_metrics_head()
                              .u8(0)
                              .u64(3)
                              .string("é")
                              .string("qft")
                              .string("pown")
                              .u8(0);
  EXPECT_EQ(*read_metrics_bin(reordered.span()), metrics);
}

// ------------------------------------------------------------ quantum code

ByteBuffer write_code(const std::vector<CodeBlock>& blocks) {
  std::vector<const CodeBlock*> references;
  for (const CodeBlock& block : blocks) references.push_back(&block);
  return write_quantum_code_bin(references);
}

TEST(BinQuantumCode, EmptyListIsEightZeroBytes) {
  const ByteBuffer written = write_code({});
  EXPECT_EQ(to_vector(written), std::vector<uint8_t>(8, 0));
  EXPECT_EQ(read_quantum_code_bin(written.bytes())->size(), 0u);
}

TEST(BinQuantumCode, OneBlockHoldingHaltIsFortyBytes) {
  CodeBlock block;
  block.instructions.push_back(End{Halt{}});
  const Bytes expected = Bytes().u64(1).u64(1).raw({8, 0, 0, 0, 2, 0, 0, 0}).u64(0).u64(0);
  ASSERT_EQ(expected.data.size(), 40u);
  EXPECT_EQ(to_vector(write_code({block})), expected.data);
  EXPECT_EQ(*read_quantum_code_bin(expected.span()), std::vector<CodeBlock>{block});
}

struct InstructionCase {
  const char* name;
  Instruction instruction;
  Bytes bytes;
};

Unitary sample_unitary() {
  Unitary unitary;
  for (int i = 0; i < 4; ++i) unitary.matrix[i] = {0.5 * i, -0.25 * i};
  return unitary;
}

Bytes unitary_bytes() {
  Bytes bytes;
  for (int i = 0; i < 4; ++i) bytes.f64(0.5 * i).f64(-0.25 * i);
  return bytes;
}

std::vector<InstructionCase> instruction_cases() {
  return {
      {"alloc", Alloc{false, 0}, Bytes().raw({0, 0, 0, 0, 0}).u64(0)},
      {"free dirty", Free{true, 7}, Bytes().u32(1).u8(1).u64(7)},
      {"hadamard", Gate{Hadamard{}, 5, {}}, Bytes().raw({2, 0, 0, 0, 3, 0, 0, 0, 5}).raw({0, 0, 0, 0, 0, 0, 0}).u64(0)},
      {"rz, angle before target", Gate{RZ{0.5}, 5, {}}, Bytes().u32(2).u32(7).f64(0.5).u64(5).u64(0)},
      {"pauli x with controls", Gate{PauliX{}, 1, {2, 3}}, Bytes().u32(2).u32(0).u64(1).u64(2).u64(2).u64(3)},
      {"unitary", Gate{sample_unitary(), 4, {9}}, Bytes().u32(2).u32(8).append(unitary_bytes()).u64(4).u64(1).u64(9)},
      {"measure", Measure{{0, 1}, 3}, Bytes().u32(3).u64(2).u64(0).u64(1).u64(3)},
      {"measure nothing", Measure{{}, 1}, Bytes().u32(3).u64(0).u64(1)},
      {"plugin, args after target", Plugin{"pown", {0, 1, 2}, "15 7,"}, Bytes().u32(4).string("pown").u64(3).u64(0).u64(1).u64(2).string("15 7,")},
      {"plugin empty", Plugin{"", {}, ""}, Bytes().u32(4).u64(0).u64(0).u64(0)},
      {"int op xor", IntOp{ClassicalOp::Xor, 3, 1, 2}, Bytes().raw({5, 0, 0, 0, 15, 0, 0, 0}).u64(3).u64(1).u64(2)},
      {"int set negative", IntSet{2, -2}, Bytes().u32(6).u64(2).u64(UINT64_MAX - 1)},
      {"dump", Dump{{4}, 0}, Bytes().u32(7).u64(1).u64(4).u64(0)},
      {"jump", End{Jump{3}}, Bytes().u32(8).u32(0).u64(3)},
      {"branch", End{Branch{1, 2, 3}}, Bytes().raw({8, 0, 0, 0, 1, 0, 0, 0}).u64(1).u64(2).u64(3)},
      {"halt", End{Halt{}}, Bytes().u32(8).u32(2)},
  };
}

TEST(BinQuantumCode, EachInstructionHasItsFieldsInDeclarationOrder) {
  // Sizes that the layout gives: 13, 24 + p + 8n, 20 + 8n, 28 + Ln + 8n + La,
  // 32, 20, 16 / 32 / 8.
  const std::vector<std::size_t> sizes = {13, 13, 24, 32, 40, 96, 36, 20, 61, 28, 32, 20, 28, 16, 32, 8};
  const std::vector<InstructionCase> cases = instruction_cases();
  ASSERT_EQ(cases.size(), sizes.size());
  for (std::size_t i = 0; i < cases.size(); ++i) {
    const InstructionCase& c = cases[i];
    SCOPED_TRACE(c.name);
    EXPECT_EQ(c.bytes.data.size(), sizes[i]);
    CodeBlock block;
    block.instructions.push_back(c.instruction);
    const Bytes whole = Bytes().u64(1).u64(1).append(c.bytes).u64(0).u64(0);
    const ByteBuffer written = write_code({block});
    EXPECT_EQ(to_vector(written), whole.data);
    EXPECT_EQ(quantum_code_bin_size(std::vector<const CodeBlock*>{&block}), whole.data.size());
    EXPECT_EQ(*read_quantum_code_bin(whole.span()), std::vector<CodeBlock>{block});
  }
}

TEST(BinQuantumCode, GateCountEntriesReadBackInEitherOrder) {
  CodeBlock block;
  block.gate_count = {{1, 3}, {2, 1}};
  block.depth = 4;
  const ByteBuffer written = write_code({block});
  EXPECT_EQ(written.size(), 8u + 24 + 2 * 16);  // the list count, then the block
  const std::vector<uint8_t> bytes = to_vector(written);
  EXPECT_EQ(std::vector<uint8_t>(bytes.begin() + 16, bytes.begin() + 24),
            (std::vector<uint8_t>{2, 0, 0, 0, 0, 0, 0, 0}));
  for (const Bytes& input : {Bytes().u64(1).u64(0).u64(2).u64(1).u64(3).u64(2).u64(1).u64(4),
                             Bytes().u64(1).u64(0).u64(2).u64(2).u64(1).u64(1).u64(3).u64(4)}) {
    EXPECT_EQ(*read_quantum_code_bin(input.span()), std::vector<CodeBlock>{block});
  }
}

TEST(BinQuantumCode, RepeatedGateCountKeyKeepsTheLaterValue) {
  const Bytes input = Bytes().u64(1).u64(0).u64(2).u64(1).u64(3).u64(1).u64(8).u64(0);
  const auto blocks = read_quantum_code_bin(input.span());
  ASSERT_TRUE(blocks);
  EXPECT_EQ((*blocks)[0].gate_count, (GateCount{{1, 8}}));
}

TEST(BinQuantumCode, NanAngleKeepsItsBitPattern) {
  const double nan = std::bit_cast<double>(uint64_t{0x7FF800000000ABCDULL});
  CodeBlock block;
  block.instructions.push_back(Gate{RX{nan}, 0, {}});
  const ByteBuffer written = write_code({block});
  const auto blocks = read_quantum_code_bin(written.bytes());
  ASSERT_TRUE(blocks);
  const double angle = std::get<RX>(std::get<Gate>((*blocks)[0].instructions[0]).gate).angle;
  EXPECT_EQ(std::bit_cast<uint64_t>(angle), 0x7FF800000000ABCDULL);
}

// ------------------------------------------------------------------ results

ResultData two_futures_one_dump() {
  return ResultData{{0, 5}, {Vector{{{3}}, {1.0}, {0.0}}}, 0.25};
}

TEST(BinResult, TwoFuturesAndOneDumpIsOneHundredBytes) {
  const Bytes expected = Bytes()
                             .u64(2).u64(0).u64(5)
                             .u64(1)
                             .u32(0).u64(1).u64(1).u64(3).u64(1).f64(1.0).u64(1).f64(0.0)
                             .f64(0.25);
  ASSERT_EQ(expected.data.size(), 100u);
  const ResultData result = two_futures_one_dump();
  EXPECT_EQ(result_bin_size(result), 100u);
  const ByteBuffer written = write_result_bin(result);
  EXPECT_EQ(to_vector(written), expected.data);
  EXPECT_EQ(written.capacity(), written.size());
  const Decoded<ResultData> read = read_result_bin(expected.span());
  ASSERT_TRUE(read);
  EXPECT_EQ(*read, result);
  EXPECT_EQ(to_vector(write_result_bin(*read)), expected.data);
}

TEST(BinResult, DumpNeverReachedIsTwentyBytes) {
  const ResultData result{{0}, {Probability{}}, 0.0};
  const Bytes dump = Bytes().u32(1).u64(0).u64(0);
  ASSERT_EQ(dump.data.size(), 20u);
  EXPECT_EQ(to_vector(write_result_bin(result)),
            Bytes().u64(1).u64(0).u64(1).append(dump).f64(0.0).data);
}

TEST(BinResult, ShotsCountsTakeFourBytesAndTotalEight) {
  const ResultData result{{}, {Shots{{{0}, {1, 2}}, {UINT32_MAX, 9}, uint64_t{1} << 40}}, 1.0};
  const Bytes expected = Bytes()
                             .u64(0)
                             .u64(1)
                             .u32(2).u64(2).u64(1).u64(0).u64(2).u64(1).u64(2)
                             .u64(2).u32(UINT32_MAX).u32(9).u64(uint64_t{1} << 40)
                             .f64(1.0);
  EXPECT_EQ(result_bin_size(result), expected.data.size());
  EXPECT_EQ(to_vector(write_result_bin(result)), expected.data);
  EXPECT_EQ(*read_result_bin(expected.span()), result);
}

TEST(BinResult, ListsOfDifferentLengthsReadUnchanged) {
  const ResultData result{{0}, {Vector{{{1}, {2}, {3, 4}}, {0.5, 0.5}, {}}}, -0.0};
  const ByteBuffer written = write_result_bin(result);
  const Decoded<ResultData> read = read_result_bin(written.bytes());
  ASSERT_TRUE(read);
  EXPECT_EQ(*read, result);
  EXPECT_TRUE(std::signbit(read->exec_time));
}

TEST(BinResult, NanExecTimeReadsBackAsNan) {
  ResultData result = two_futures_one_dump();
  result.exec_time = std::numeric_limits<double>::quiet_NaN();
  const Decoded<ResultData> read = read_result_bin(write_result_bin(result).bytes());
  ASSERT_TRUE(read);
  EXPECT_TRUE(std::isnan(read->exec_time));
}

}  // namespace
