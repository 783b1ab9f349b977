#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "encoding/json_test_support.hpp"
#include "libplim/src/encoding/json.hpp"
#include "libplim/src/encoding/json_quantum_code_parts.hpp"

namespace {

using namespace plim;
using namespace plim::encoding;
using json_test::written;

std::string instruction_text(const Instruction& instruction) {
  return written(instruction, write_instruction_json);
}

TEST(JsonMetricsWriter, WritesEveryFieldInDeclarationOrder) {
  Metrics metrics = json_test::example_metrics();
  EXPECT_EQ(written(metrics, write_metrics_json),
            R"({"qubit_simultaneous":3,"qubit_count":3,"future_count":2,"dump_count":0,)"
            R"("block_count":1,"timeout":null,"plugins":["pown"],"ready":true})");

  metrics.timeout = 5;
  metrics.plugins.clear();
  metrics.ready = false;
  metrics.qubit_simultaneous = UINT64_MAX;
  EXPECT_EQ(written(metrics, write_metrics_json),
            R"({"qubit_simultaneous":18446744073709551615,"qubit_count":3,"future_count":2,)"
            R"("dump_count":0,"block_count":1,"timeout":5,"plugins":[],"ready":false})");
}

TEST(JsonMetricsWriter, WritesEachPluginNameOnce) {
  Metrics metrics;
  metrics.plugins = {"pown", "a\"b", "x"};
  const std::string text = written(metrics, write_metrics_json);
  for (const char* name : {R"("pown")", R"("a\"b")", R"("x")"}) {
    SCOPED_TRACE(name);
    const std::size_t at = text.find(name);
    ASSERT_NE(at, std::string::npos);
    EXPECT_EQ(text.find(name, at + 1), std::string::npos);
  }
}

TEST(JsonInstructionWriter, WritesOneCompactObjectPerInstruction) {
  struct Case {
    Instruction instruction;
    const char* text;
  };
  const Case cases[] = {
      {Alloc{false, 0}, R"({"Alloc":{"dirty":false,"target":0}})"},
      {Free{true, 3}, R"({"Free":{"dirty":true,"target":3}})"},
      {Gate{Hadamard{}, 0, {}}, R"({"Gate":{"gate":"Hadamard","target":0,"control":[]}})"},
      {Gate{RZ{0.5}, 2, {0, 1}}, R"({"Gate":{"gate":{"RZ":0.5},"target":2,"control":[0,1]}})"},
      {Measure{{0, 1}, 1}, R"({"Measure":{"qubits":[0,1],"output":1}})"},
      {Plugin{"pown", {0, 1, 2}, "2 15"},
       R"({"Plugin":{"name":"pown","target":[0,1,2],"args":"2 15"}})"},
      {IntOp{ClassicalOp::Add, 3, 1, 2}, R"({"IntOp":{"op":"Add","result":3,"lhs":1,"rhs":2}})"},
      {IntSet{1, -5}, R"({"IntSet":{"result":1,"value":-5}})"},
      {IntSet{2, INT64_MIN}, R"({"IntSet":{"result":2,"value":-9223372036854775808}})"},
      {Dump{{1, 0}, 0}, R"({"Dump":{"qubits":[1,0],"output":0}})"},
      {End{Jump{1}}, R"({"End":{"Jump":{"addr":1}}})"},
      {End{Branch{1, 1, 2}}, R"({"End":{"Branch":{"test":1,"then":1,"otherwise":2}}})"},
      {End{Halt{}}, R"({"End":"Halt"})"},
      {Measure{{}, 0}, R"({"Measure":{"qubits":[],"output":0}})"},
      {Plugin{"", {}, ""}, R"({"Plugin":{"name":"","target":[],"args":""}})"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(instruction_text(c.instruction), c.text);
  }
}

TEST(JsonGateWriter, WritesUnitGatesAsNamesAndTheOthersAsOneKeyObjects) {
  Unitary identity;
  identity.matrix = {Complex{1, 0}, Complex{0, 0}, Complex{0, 0}, Complex{1, 0}};
  Unitary ordered;
  ordered.matrix = {Complex{1, 2}, Complex{3, 4}, Complex{5, 6}, Complex{7, -0.5}};
  Unitary broken;
  broken.matrix[1].im = std::numeric_limits<double>::quiet_NaN();
  struct Case {
    QuantumGate gate;
    const char* text;
  };
  const Case cases[] = {
      {PauliX{}, R"("PauliX")"},
      {PauliY{}, R"("PauliY")"},
      {PauliZ{}, R"("PauliZ")"},
      {Hadamard{}, R"("Hadamard")"},
      {Phase{1.0}, R"({"Phase":1.0})"},
      {RX{-0.0}, R"({"RX":-0.0})"},
      {RY{1e16}, R"({"RY":1e16})"},
      {RZ{std::numeric_limits<double>::infinity()}, R"({"RZ":null})"},
      {identity, R"({"Unitary":[[[1.0,0.0],[0.0,0.0]],[[0.0,0.0],[1.0,0.0]]]})"},
      {ordered, R"({"Unitary":[[[1.0,2.0],[3.0,4.0]],[[5.0,6.0],[7.0,-0.5]]]})"},
      {broken, R"({"Unitary":[[[0.0,0.0],[0.0,null]],[[0.0,0.0],[0.0,0.0]]]})"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(written(c.gate, write_gate_json), c.text);
  }
}

TEST(JsonClassicalOpWriter, WritesEveryNameInIndexOrder) {
  const char* names[] = {"Eq",  "Neq", "Gt",  "Geq", "Lt",  "Leq", "Add", "Sub",
                         "Mul", "Mod", "Div", "Sll", "Srl", "And", "Or",  "Xor"};
  for (uint32_t i = 0; i != kClassicalOpVariants; ++i) {
    SCOPED_TRACE(names[i]);
    EXPECT_EQ(written(static_cast<ClassicalOp>(i), write_classical_op_json),
              "\"" + std::string(names[i]) + "\"");
  }
}

TEST(JsonCodeBlockWriter, WritesBlocksInOrderWithTheirCountsAndDepth) {
  CodeBlock first;
  first.instructions = {Alloc{false, 0}, Gate{PauliX{}, 0, {}}, End{Halt{}}};
  first.gate_count = {{1, 1}};
  first.depth = 1;
  CodeBlock empty;
  EXPECT_EQ(written(empty, write_code_block_json),
            R"({"instructions":[],"gate_count":{},"depth":0})");

  const std::vector<const CodeBlock*> blocks = {&first, &empty};
  EXPECT_EQ(written(std::span<const CodeBlock* const>(blocks), write_quantum_code_json),
            R"([{"instructions":[{"Alloc":{"dirty":false,"target":0}},)"
            R"({"Gate":{"gate":"PauliX","target":0,"control":[]}},{"End":"Halt"}],)"
            R"("gate_count":{"1":1},"depth":1},)"
            R"({"instructions":[],"gate_count":{},"depth":0}])");
  EXPECT_EQ(written(std::span<const CodeBlock* const>(), write_quantum_code_json), "[]");
}

TEST(JsonCodeBlockWriter, WritesEveryGateCountEntryOnceInSomeOrder) {
  CodeBlock block;
  block.gate_count = {{1, 3}, {2, 1}, {18446744073709551615u, 7}};
  const std::string text = written(block, write_code_block_json);
  for (const char* entry : {R"("1":3)", R"("2":1)", R"("18446744073709551615":7)"}) {
    SCOPED_TRACE(entry);
    EXPECT_NE(text.find(entry), std::string::npos);
  }
  EXPECT_EQ(text.size(), std::string(R"({"instructions":[],"gate_count":{"1":3,"2":1,)"
                                     R"("18446744073709551615":7},"depth":0})")
                             .size());
}

TEST(JsonResultWriter, WritesTheExamplesExactly) {
  ResultData with_dump;
  with_dump.future = {0, 5};
  with_dump.dump = {Vector{{{3}}, {1.0}, {0.0}}};
  with_dump.exec_time = 0.25;
  ResultData bare;
  bare.future = {0};
  ResultData each_kind;
  each_kind.future = {INT64_MIN, -1, INT64_MAX};
  each_kind.dump = {Probability{}, Shots{{{0}, {3}}, {7, 9}, 16},
                    Shots{{{1, 2}}, {4294967295u}, 4294967296u},
                    Vector{{}, {std::numeric_limits<double>::quiet_NaN()}, {}}};
  each_kind.exec_time = std::numeric_limits<double>::infinity();
  struct Case {
    const ResultData* result;
    const char* text;
  };
  const Case cases[] = {
      {&with_dump,
       R"({"future":[0,5],"dump":[{"Vector":{"basis_states":[[3]],"amplitudes_real":[1.0],)"
       R"("amplitudes_imag":[0.0]}}],"exec_time":0.25})"},
      {&bare, R"({"future":[0],"dump":[],"exec_time":0.0})"},
      {&each_kind,
       R"({"future":[-9223372036854775808,-1,9223372036854775807],"dump":[)"
       R"({"Probability":{"basis_states":[],"probabilities":[]}},)"
       R"({"Shots":{"basis_states":[[0],[3]],"count":[7,9],"total":16}},)"
       R"({"Shots":{"basis_states":[[1,2]],"count":[4294967295],"total":4294967296}},)"
       R"({"Vector":{"basis_states":[],"amplitudes_real":[null],"amplitudes_imag":[]}}],)"
       R"("exec_time":null})"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(written(*c.result, write_result_json), c.text);
  }
}

TEST(JsonWriter, AppendsAfterWhatTheBufferHolds) {
  ByteBuffer out(4);
  out.append("xy");
  write_metrics_json(Metrics{}, out);
  EXPECT_EQ(out.view().substr(0, 3), "xy{");
  EXPECT_EQ(out.view().back(), '}');
}

}  // namespace
