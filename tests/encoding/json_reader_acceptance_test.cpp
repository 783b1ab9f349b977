#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <optional>
#include <string>
#include <variant>

#include "encoding/json_readers.hpp"

namespace {

using namespace plim;
using namespace plim::encoding;
using json_test::bytes;
using json_test::example_metrics;
using json_test::read_text;

TEST(JsonReaderAccepts, MetricsInEveryForm) {
  const Metrics expected = example_metrics();
  const char* texts[] = {
      R"({"qubit_simultaneous":3,"qubit_count":3,"future_count":2,"dump_count":0,)"
      R"("block_count":1,"timeout":null,"plugins":["pown"],"ready":true})",
      " \t\r\n{ \"qubit_simultaneous\" :\t3 ,\n\"qubit_count\"\r: 3 , \"future_count\" : 2 , "
      "\"dump_count\" : 0 , \"block_count\" : 1 , \"timeout\" : null , \"plugins\" : [ \"pown\" ] "
      ", \"ready\" : true } \n\t",
      R"({"ready":true,"plugins":["pown"],"block_count":1,"dump_count":0,"future_count":2,)"
      R"("qubit_count":3,"qubit_simultaneous":3})",
      R"({"qubit_simultaneous":3,"qubit_count":3,"future_count":2,"dump_count":0,"block_count":1,)"
      R"("plugins":["pown","pown"],"ready":true,"timeOut":5,"Ready":false,"extra":{"a":[1,-2.5e3,)"
      R"(true,false,null,"\u00e9\n"]}})",
      R"([3,3,2,0,1,null,["pown"],true])",
      "[ 3 , 3 , 2 , 0 , 1 , null , [ \"pown\" ] , true ]",
      R"({"qubit_simultaneous":3,"qubit_count":3,"future_count":2,"dump_count":0,)"
      R"("block_count":1,"plugins":["p\u006Fwn"],"\u0072eady":true})",
  };
  for (const char* text : texts) {
    SCOPED_TRACE(text);
    const auto decoded = read_metrics_json(bytes(text));
    ASSERT_TRUE(decoded.has_value()) << decoded.error().description;
    EXPECT_EQ(*decoded, expected);
  }
  const auto with_timeout = read_metrics_json(bytes(R"([0,0,1,0,1,5,[],false])"));
  ASSERT_TRUE(with_timeout.has_value());
  EXPECT_EQ(with_timeout->timeout, 5u);
}

TEST(JsonReaderAccepts, UnknownKeysNestedBeyondTheDepthLimit) {
  std::string deep;
  for (int i = 0; i != 200; ++i) deep += i % 2 == 0 ? "[" : "{\"k\":";
  deep += "0";
  for (int i = 199; i >= 0; --i) deep += i % 2 == 0 ? "]" : "}";
  const std::string text = R"({"note":)" + deep +
                           R"(,"qubit_simultaneous":3,"qubit_count":3,"future_count":2,)"
                           R"("dump_count":0,"block_count":1,"plugins":["pown"],"ready":true})";
  const auto decoded = read_metrics_json(bytes(text));
  ASSERT_TRUE(decoded.has_value()) << decoded.error().description;
  EXPECT_EQ(*decoded, example_metrics());
}

TEST(JsonReaderAccepts, InstructionsInEveryForm) {
  struct Case {
    const char* text;
    Instruction expected;
  };
  const Case cases[] = {
      {R"({"Alloc":{"target":4,"dirty":true}})", Alloc{true, 4}},
      {R"({"Alloc":[true,4]})", Alloc{true, 4}},
      {R"({ "Alloc" : { "dirty" : true , "target" : 4 } })", Alloc{true, 4}},
      {R"({"Alloc":{"dirty":true,"target":4,"note":{"a":[1,2]}}})", Alloc{true, 4}},
      {R"({"Alloc":{"gate":"PauliX","dirty":true,"target":4}})", Alloc{true, 4}},
      {R"({"Free":[false,18446744073709551615]})", Free{false, UINT64_MAX}},
      {R"({"Gate":["PauliX",0,[]]})", Gate{PauliX{}, 0, {}}},
      {R"({"Gate":{"gate":{"RZ":1},"target":2,"control":[0,1]}})", Gate{RZ{1.0}, 2, {0, 1}}},
      {R"({"Gate":{"gate":{"Hadamard":null},"target":2,"control":[2]}})", Gate{Hadamard{}, 2, {2}}},
      {R"({"Measure":{"qubits":[],"output":0}})", Measure{{}, 0}},
      {R"({"Measure":{"qubits":[1,1],"output":2}})", Measure{{1, 1}, 2}},
      {R"({"Plugin":{"name":"","target":[],"args":""}})", Plugin{"", {}, ""}},
      {R"({"Plugin":["pown",[0,1,2],"2 15"]})", Plugin{"pown", {0, 1, 2}, "2 15"}},
      {R"({"IntOp":["Add",3,1,2]})", IntOp{ClassicalOp::Add, 3, 1, 2}},
      {R"({"IntOp":{"rhs":2,"lhs":1,"result":3,"op":{"Xor":null}}})", IntOp{ClassicalOp::Xor, 3, 1, 2}},
      {R"({"IntSet":{"result":1,"value":-9223372036854775808}})", IntSet{1, INT64_MIN}},
      {R"({"IntSet":[1,9223372036854775807]})", IntSet{1, INT64_MAX}},
      {R"({"Dump":{"qubits":[1,0],"output":0}})", Dump{{1, 0}, 0}},
      {R"({"End":"Halt"})", End{Halt{}}},
      {R"({"End":{"Halt":null}})", End{Halt{}}},
      {R"({"End":{"Jump":{"addr":1}}})", End{Jump{1}}},
      {R"({"End":{"Jump":[1]}})", End{Jump{1}}},
      {R"({"End":{"Branch":{"otherwise":2,"then":1,"test":1}}})", End{Branch{1, 1, 2}}},
      {R"({"End":{"Branch":[1,1,2]}})", End{Branch{1, 1, 2}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    const auto decoded = read_text<Instruction>(c.text, read_instruction_json);
    ASSERT_TRUE(decoded.has_value()) << decoded.error().description;
    EXPECT_EQ(*decoded, c.expected);
  }
}

TEST(JsonReaderAccepts, GatesAndOperationsInBothEnumerationForms) {
  Unitary identity;
  identity.matrix = {Complex{1, 0}, Complex{0, 0}, Complex{0, 0}, Complex{1, 0}};
  struct Case {
    const char* text;
    QuantumGate expected;
  };
  const Case cases[] = {
      {R"("PauliX")", PauliX{}},
      {R"({"PauliX":null})", PauliX{}},
      {R"("PauliY")", PauliY{}},
      {R"("PauliZ")", PauliZ{}},
      {R"({"Phase":1})", Phase{1.0}},
      {R"({"RX":-2.5e-3})", RX{-2.5e-3}},
      {R"({"RY":-0})", RY{-0.0}},
      {R"({"Unitary":[[[1.0,0.0],[0.0,0.0]],[[0.0,0.0],[1.0,0.0]]]})", identity},
      {R"({"Unitary":[[[1,0],[0,0]],[[0,0],[1,0]]]})", identity},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    const auto decoded = read_text<QuantumGate>(c.text, read_gate_json);
    ASSERT_TRUE(decoded.has_value()) << decoded.error().description;
    EXPECT_EQ(*decoded, c.expected);
  }
  for (const char* text : {R"("Add")", R"({"Add":null})", R"( { "Add" : null } )"}) {
    SCOPED_TRACE(text);
    const auto decoded = read_text<ClassicalOp>(text, read_classical_op_json);
    ASSERT_TRUE(decoded.has_value()) << decoded.error().description;
    EXPECT_EQ(*decoded, ClassicalOp::Add);
  }
}

TEST(JsonReaderAccepts, CodeBlocksWithFreeKeyOrderAndLenientMapKeys) {
  struct Case {
    const char* text;
    GateCount gate_count;
    uint64_t depth;
  };
  const Case cases[] = {
      {R"({"instructions":[],"gate_count":{"1":2,"1":5},"depth":0})", {{1, 5}}, 0},
      {R"([[],{},0])", {}, 0},
      {R"({"depth":4,"gate_count":{},"instructions":[],"note":[1,{"a":null}]})", {}, 4},
      {R"({"instructions":[],"gate_count":{"+007":1,"2":3},"depth":1})", {{7, 1}, {2, 3}}, 1},
      {R"({"instructions":[],"gate_count":{"0018446744073709551615":1},"depth":1})",
       {{UINT64_MAX, 1}}, 1},
      {R"({"instructions":[],"gate_count":{"\u0031":9},"depth":1})", {{1, 9}}, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    const auto decoded = read_text<CodeBlock>(c.text, read_code_block_json);
    ASSERT_TRUE(decoded.has_value()) << decoded.error().description;
    EXPECT_TRUE(decoded->instructions.empty());
    EXPECT_EQ(decoded->gate_count, c.gate_count);
    EXPECT_EQ(decoded->depth, c.depth);
  }
  const auto none = read_quantum_code_json(bytes(" [ ] "));
  ASSERT_TRUE(none.has_value());
  EXPECT_TRUE(none->empty());
}

TEST(JsonReaderAccepts, ResultsInEveryForm) {
  ResultData expected;
  expected.future = {0, 5};
  expected.dump = {Vector{{{3}}, {1.0}, {0.0}}};
  expected.exec_time = 0.25;
  const char* texts[] = {
      R"({"future":[0,5],"dump":[{"Vector":{"basis_states":[[3]],"amplitudes_real":[1.0],)"
      R"("amplitudes_imag":[0.0]}}],"exec_time":0.25})",
      R"({ "exec_time" : 0.25 , "dump" : [ { "Vector" : { "amplitudes_imag" : [ 0 ] , )"
      R"("amplitudes_real" : [ 1 ] , "basis_states" : [ [ 3 ] ] } } ] , "future" : [ 0 , 5 ] })",
      R"({"future":[0,5],"x":[1,2],"dump":[{"Vector":{"basis_states":[[3]],"x":[1,2],)"
      R"("amplitudes_real":[1.0],"amplitudes_imag":[0.0]}}],"exec_time":25e-2})",
      R"({"future":[0,5],"dump":[{"Vector":[[[3]],[1.0],[0.0]]}],"exec_time":0.25})",
      R"([[0,5],[{"Vector":[[[3]],[1],[0]]}],0.25])",
  };
  for (const char* text : texts) {
    SCOPED_TRACE(text);
    const auto decoded = read_result_json(bytes(text));
    ASSERT_TRUE(decoded.has_value()) << decoded.error().description;
    EXPECT_EQ(*decoded, expected);
  }

  // Lengths are not compared with each other.
  const auto uneven = read_result_json(bytes(
      R"({"future":[],"dump":[{"Vector":{"basis_states":[[1],[2,3],[]],"amplitudes_real":[1,2],)"
      R"("amplitudes_imag":[]}},{"Shots":[[[0]],[4294967295],4294967296]}],"exec_time":7})"));
  ASSERT_TRUE(uneven.has_value()) << uneven.error().description;
  EXPECT_EQ(std::get<Vector>(uneven->dump[0]).basis_states.size(), 3u);
  EXPECT_EQ(std::get<Shots>(uneven->dump[1]), (Shots{{{0}}, {4294967295u}, 4294967296u}));
  EXPECT_EQ(uneven->exec_time, 7.0);
}

TEST(JsonReaderAccepts, NumbersForDoublesAsTheNearestDouble) {
  struct Case {
    const char* text;
    double expected;
  };
  const Case cases[] = {
      {"7", 7.0},
      {"-7", -7.0},
      {"-0", -0.0},
      {"-0.0", -0.0},
      {"0.1", 0.1},
      {"1E2", 100.0},
      {"1e+2", 100.0},
      {"12345678901234567", 12345678901234568.0},
      {"9007199254740993", 9007199254740992.0},
      {"18446744073709551616", 18446744073709551616.0},
      {"-9223372036854775809", -9223372036854775808.0},
      {"5e-324", 5e-324},
      {"2.2250738585072014e-308", 2.2250738585072014e-308},
      {"1.7976931348623157e308", std::numeric_limits<double>::max()},
      {"1e-400", 0.0},
      {"-1e-400", -0.0},
      {"0.0000000000000000000000000000000000000000000000000000000000000000000000000000000000000"
       "00000000000000000000000000000000000000000000000000000000000000000000000000000000000000"
       "00000000000000000000000000000000000000000000000000000000000000000000000000000000000000"
       "00000000000000000000000000000000000000000000000000000000000000000000000000000000000001",
       0.0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    const auto decoded = read_text<double>(c.text, [](JsonReader& reader, double& value) {
      return reader.read_f64(value);
    });
    ASSERT_TRUE(decoded.has_value()) << decoded.error().description;
    EXPECT_EQ(*decoded, c.expected);
    EXPECT_EQ(std::signbit(*decoded), std::signbit(c.expected));
  }
}

// The writer's null for a value that is not finite reads back wherever a
// double stands, as a quiet NaN.
TEST(JsonReaderAccepts, NullForADoubleAsNotANumber) {
  struct Case {
    const char* name;
    std::function<std::optional<double>()> read;
  };
  auto angle = [](const char* text) -> std::optional<double> {
    const auto gate = read_text<QuantumGate>(text, read_gate_json);
    if (!gate) return std::nullopt;
    return std::visit(
        [](const auto& g) -> std::optional<double> {
          if constexpr (requires { g.angle; }) return g.angle;
          else return std::nullopt;
        },
        *gate);
  };
  auto result = [](const char* dump, const char* exec_time) {
    return read_result_json(bytes(std::string(R"({"future":[0],"dump":[)") + dump +
                                  R"(],"exec_time":)" + exec_time + "}"));
  };
  const Case cases[] = {
      {"Phase", [&] { return angle(R"({"Phase":null})"); }},
      {"RX", [&] { return angle(R"({"RX":null})"); }},
      {"RY", [&] { return angle(R"({ "RY" : null })"); }},
      {"RZ", [&] { return angle(R"({"RZ":null})"); }},
      {"Unitary entry",
       [&]() -> std::optional<double> {
         const auto gate =
             read_text<QuantumGate>(R"({"Unitary":[[[1,0],[0,0]],[[0,null],[1,0]]]})", read_gate_json);
         if (!gate) return std::nullopt;
         return std::get<Unitary>(*gate).matrix[2].im;
       }},
      {"amplitude",
       [&]() -> std::optional<double> {
         const auto read =
             result(R"({"Vector":{"basis_states":[[3]],"amplitudes_real":[null],"amplitudes_imag":[0]}})",
                    "0.5");
         if (!read) return std::nullopt;
         return std::get<Vector>(read->dump[0]).amplitudes_real[0];
       }},
      {"probability",
       [&]() -> std::optional<double> {
         const auto read = result(R"({"Probability":[[[3]],[0.5,null]]})", "0.5");
         if (!read) return std::nullopt;
         return std::get<Probability>(read->dump[0]).probabilities[1];
       }},
      {"exec_time",
       [&]() -> std::optional<double> {
         const auto read = result("", "null");
         if (!read) return std::nullopt;
         return read->exec_time;
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::optional<double> value = c.read();
    ASSERT_TRUE(value.has_value());
    EXPECT_TRUE(std::isnan(*value));
  }
}

TEST(JsonReaderAccepts, StringsWithEveryEscapeAndRawUtf8) {
  struct Case {
    const char* text;
    std::string expected;
  };
  const Case cases[] = {
      {R"("\"\\\/\b\f\n\r\t")", "\"\\/\b\f\n\r\t"},
      {R"("\u00e9\u00E9")", "\xC3\xA9\xC3\xA9"},
      {R"("\ud83d\ude00")", "\xF0\x9F\x98\x80"},
      {R"("\u0000")", std::string(1, '\0')},
      {"\"\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80\x7F\"", "\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80\x7F"},
      {R"("a\u0062c")", "abc"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    const auto decoded = read_text<std::string>(
        c.text, [](JsonReader& reader, std::string& value) { return reader.read_string(value); });
    ASSERT_TRUE(decoded.has_value()) << decoded.error().description;
    EXPECT_EQ(*decoded, c.expected);
  }
}

// The depth limit counts only the values that a reader decodes: 127 levels
// inside one another pass, the 128th is refused.
bool read_nested(JsonReader& reader, int& levels) {
  ++levels;
  return reader.read_array("a sequence", [&] { return read_nested(reader, levels); });
}

TEST(JsonReaderDepth, RefusesTheHundredAndTwentyEighthLevel) {
  for (int depth : {127, 128}) {
    SCOPED_TRACE(depth);
    const std::string text = std::string(depth, '[') + std::string(depth, ']');
    const auto decoded = read_text<int>(text, read_nested);
    if (depth == 127) {
      EXPECT_TRUE(decoded.has_value()) << decoded.error().description;
    } else {
      EXPECT_EQ(json_test::error_text(decoded), "recursion limit exceeded");
    }
  }
}

}  // namespace
