#include <gtest/gtest.h>

#include <string>

#include "encoding/json_readers.hpp"

namespace {

using namespace json_test;

struct Refusal {
  ErrorOf reader;
  std::string text;
  std::string error;  // the description without its position
};

void expect_refusals(const std::vector<Refusal>& cases) {
  for (const Refusal& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(c.reader(c.text), c.error);
  }
}

// A metrics object whose `count` field holds `value`.
std::string metrics_with(const std::string& field, const std::string& value) {
  std::string text =
      R"({"qubit_simultaneous":3,"qubit_count":3,"future_count":2,"dump_count":0,)"
      R"("block_count":1,"timeout":null,"plugins":["pown"],"ready":true})";
  const std::string key = "\"" + field + "\":";
  const std::size_t start = text.find(key) + key.size();
  const std::size_t end = text.find_first_of(",}", text.find_first_of("]0123456789nt", start) + 1);
  return text.replace(start, end - start, value);
}

TEST(JsonReaderRefuses, MalformedMetrics) {
  const std::string all =
      R"("qubit_simultaneous":3,"qubit_count":3,"future_count":2,"dump_count":0,"block_count":1,)";
  expect_refusals({
      {metrics_error, "{" + all + R"("timeout":null,"plugins":["pown"]})", "missing field `ready`"},
      {metrics_error, "{" + all + R"("timeout":null,"plugins":[],"Ready":true})",
       "missing field `ready`"},
      {metrics_error, R"({"ready":true})", "missing field `qubit_simultaneous`"},
      {metrics_error, "{" + all + R"("timeout":null,"timeout":5,"plugins":[],"ready":true})",
       "duplicate field `timeout`"},
      {metrics_error, R"({"ready":true,"ready":true})", "duplicate field `ready`"},
      {metrics_error, R"([3,3,2,0,1,null,["pown"]])",
       "invalid length 7, expected struct Metrics with 8 elements"},
      {metrics_error, "[]", "invalid length 0, expected struct Metrics with 8 elements"},
      {metrics_error, R"([3,3,2,0,1,["pown"],true])", "invalid type: sequence, expected u64"},
      {metrics_error, R"([3,3,2,0,1,null,["pown"],true,1])", "trailing characters"},
      {metrics_error, R"([3,3,2,0,1,null,["pown"],true,])", "trailing comma"},
      {metrics_error, R"("metrics")", "invalid type: string \"metrics\", expected struct Metrics"},
      {metrics_error, "null", "invalid type: null, expected struct Metrics"},
      {metrics_error, "", "EOF while parsing a value"},
      {metrics_error, " \t\r\n", "EOF while parsing a value"},
      {metrics_error, "\xEF\xBB\xBF[3,3,2,0,1,null,[],true]", "expected value"},
      {metrics_error, metrics_with("qubit_count", "-1"), "invalid value: integer `-1`, expected u64"},
      {metrics_error, metrics_with("qubit_count", "1.0"),
       "invalid type: floating point `1.0`, expected u64"},
      {metrics_error, metrics_with("qubit_count", "1e3"),
       "invalid type: floating point `1000.0`, expected u64"},
      {metrics_error, metrics_with("qubit_count", "-0"),
       "invalid type: floating point `-0.0`, expected u64"},
      {metrics_error, metrics_with("qubit_count", "18446744073709551616"),
       "invalid type: floating point `1.8446744073709552e19`, expected u64"},
      {metrics_error, metrics_with("qubit_count", "01"), "invalid number"},
      {metrics_error, metrics_with("qubit_count", "-"), "invalid number"},
      {metrics_error, metrics_with("qubit_count", "1."), "invalid number"},
      {metrics_error, metrics_with("qubit_count", "1e"), "invalid number"},
      {metrics_error, metrics_with("qubit_count", "+1"), "expected value"},
      {metrics_error, metrics_with("qubit_count", "1e400"), "number out of range"},
      {metrics_error, metrics_with("qubit_count", "null"), "invalid type: null, expected u64"},
      {metrics_error, metrics_with("qubit_count", R"("3")"),
       "invalid type: string \"3\", expected u64"},
      {metrics_error, metrics_with("qubit_count", "true"),
       "invalid type: boolean `true`, expected u64"},
      {metrics_error, metrics_with("timeout", "-5"), "invalid value: integer `-5`, expected u64"},
      {metrics_error, metrics_with("ready", "1"), "invalid type: integer `1`, expected a boolean"},
      {metrics_error, metrics_with("ready", "null"), "invalid type: null, expected a boolean"},
      {metrics_error, metrics_with("plugins", R"("pown")"),
       "invalid type: string \"pown\", expected a sequence"},
      {metrics_error, metrics_with("plugins", "[1]"), "invalid type: integer `1`, expected a string"},
      {metrics_error, metrics_with("plugins", R"(["a",])"), "trailing comma"},
      {metrics_error, metrics_with("plugins", R"(["a" "b"])"), "expected `,` or `]`"},
      {metrics_error, metrics_with("plugins", R"(["a")"), "expected `,` or `]`"},
  });
}

TEST(JsonReaderRefuses, BrokenSyntax) {
  expect_refusals({
      {metrics_error, R"([3,3,2,0,1,null,[],true] x)", "trailing characters"},
      {metrics_error, R"([3,3,2,0,1,null,[],true]{})", "trailing characters"},
      {metrics_error, R"({"qubit_count":3,})", "trailing comma"},
      {metrics_error, R"({"qubit_count" 3})", "expected `:`"},
      {metrics_error, R"({"qubit_count":3 "ready":true})", "expected `,` or `}`"},
      {metrics_error, R"({3:1})", "key must be a string"},
      {metrics_error, R"({'ready':true})", "key must be a string"},
      {metrics_error, R"({"ready":true,3:1})", "key must be a string"},
      {metrics_error, R"({"x":tru})", "expected ident"},
      {metrics_error, R"({"x":nul)", "EOF while parsing a value"},
      {metrics_error, R"({"x":NaN})", "expected value"},
      {metrics_error, R"({"x":[1,2})", "expected `,` or `]`"},
      {metrics_error, R"({"x":[1,]})", "trailing comma"},
      {metrics_error, R"({"x":{"a":1,}})", "trailing comma"},
      {metrics_error, R"({"x":{"a" 1}})", "expected `:`"},
      {metrics_error, R"({"x":01})", "invalid number"},
      {metrics_error, R"({"x":})", "expected value"},
      {metrics_error, R"({"x":)", "EOF while parsing a value"},
      {metrics_error, R"({"x":[)", "EOF while parsing a value"},
      {metrics_error, R"({"qubit_count":3)", "EOF while parsing an object"},
      {metrics_error, R"({"qubit_count")", "EOF while parsing an object"},
      {metrics_error, R"({"qubit_co)", "EOF while parsing a string"},
      {metrics_error, "{\"a\x01\":1}", "control character (\\u0000-\\u001F) found while parsing a string"},
      {metrics_error, R"({"a\q":1})", "invalid escape"},
      {metrics_error, R"({"a\u12G4":1})", "invalid escape"},
      {metrics_error, R"({"\ud800":1})", "unexpected end of hex escape"},
      {metrics_error, R"({"\ud800\n":1})", "unexpected end of hex escape"},
      {metrics_error, R"({"\ud800\u0041":1})", "lone leading surrogate in hex escape"},
      {metrics_error, R"({"\udc00":1})", "lone leading surrogate in hex escape"},
      {metrics_error, "{\"\xFF\":1}", "invalid unicode code point"},
      {metrics_error, "{\"\xC0\x80\":1}", "invalid unicode code point"},
      {metrics_error, "{\"\xED\xA0\x80\":1}", "invalid unicode code point"},
      {metrics_error, "{\"\xF4\x90\x80\x80\":1}", "invalid unicode code point"},
      {metrics_error, "{\"\xC3\":1}", "invalid unicode code point"},
      {metrics_error, "{\"x\":\"\xE2\x82\"}", "invalid unicode code point"},
      {metrics_error, "{\"x\":\"\xE2\x82", "EOF while parsing a string"},
  });
}

TEST(JsonReaderRefuses, MalformedInstructions) {
  const std::string names =
      "expected one of `Alloc`, `Free`, `Gate`, `Measure`, `Plugin`, `IntOp`, `IntSet`, `Dump`, "
      "`End`";
  expect_refusals({
      {instruction_error, R"("Alloc")", "invalid type: unit variant, expected struct variant"},
      {instruction_error, R"("Gate")", "invalid type: unit variant, expected struct variant"},
      {instruction_error, R"("End")", "invalid type: unit variant, expected newtype variant"},
      {instruction_error, R"("Halt")", "unknown variant `Halt`, " + names},
      {instruction_error, R"("alloc")", "unknown variant `alloc`, " + names},
      {instruction_error, R"({"alloc":{"dirty":true,"target":4}})", "unknown variant `alloc`, " + names},
      {instruction_error, R"({"Alloc":{"dirty":true}})", "missing field `target`"},
      {instruction_error, R"({"Alloc":{}})", "missing field `dirty`"},
      {instruction_error, R"({"Gate":{"control":[],"target":0}})", "missing field `gate`"},
      {instruction_error, R"({"IntOp":{"op":"Add","result":1,"rhs":2}})", "missing field `lhs`"},
      {instruction_error, R"({"Alloc":{"dirty":true,"target":4,"target":5}})",
       "duplicate field `target`"},
      {instruction_error, R"({"Alloc":[true]})",
       "invalid length 1, expected struct variant Instruction::Alloc with 2 elements"},
      {instruction_error, R"({"IntOp":["Add",3,1]})",
       "invalid length 3, expected struct variant Instruction::IntOp with 4 elements"},
      {instruction_error, R"({"Dump":[]})",
       "invalid length 0, expected struct variant Instruction::Dump with 2 elements"},
      {instruction_error, R"({"Alloc":[true,4,5]})", "trailing characters"},
      {instruction_error, R"({"Alloc":[true,4,]})", "trailing comma"},
      {instruction_error, R"({"Alloc":null})",
       "invalid type: null, expected struct variant Instruction::Alloc"},
      {instruction_error, R"({"Alloc":5})",
       "invalid type: integer `5`, expected struct variant Instruction::Alloc"},
      {instruction_error, R"({"Alloc":{"dirty":false,"target":null}})",
       "invalid type: null, expected u64"},
      {instruction_error, R"({"Gate":{"gate":"PauliX","target":0,"control":[null]}})",
       "invalid type: null, expected u64"},
      {instruction_error, R"({"IntSet":{"result":1,"value":null}})",
       "invalid type: null, expected i64"},
      {instruction_error, R"({"Alloc":{"dirty":null,"target":0}})",
       "invalid type: null, expected a boolean"},
      {instruction_error, R"({"Plugin":"pown"})",
       "invalid type: string \"pown\", expected struct variant Instruction::Plugin"},
      {instruction_error, R"({"Alloc":{"dirty":1,"target":4}})",
       "invalid type: integer `1`, expected a boolean"},
      {instruction_error,
       R"({"Alloc":{"dirty":true,"target":4},"Free":{"dirty":true,"target":4}})",
       "expected value"},
      {instruction_error, R"({"Alloc":{"dirty":true,"target":4})", "EOF while parsing an object"},
      {instruction_error, R"({"Plugin":{"name":"pown","target":5,"args":"1 2"}})",
       "invalid type: integer `5`, expected a sequence"},
      {instruction_error, R"({"Plugin":{"name":7,"target":[],"args":""}})",
       "invalid type: integer `7`, expected a string"},
      {instruction_error, R"({"Free":{"dirty":false,"target":[5]}})",
       "invalid type: sequence, expected u64"},
      {instruction_error, R"({"IntSet":{"result":1,"value":9223372036854775808}})",
       "invalid value: integer `9223372036854775808`, expected i64"},
      {instruction_error, R"({"IntSet":{"result":1,"value":-9223372036854775809}})",
       "invalid type: floating point `-9.223372036854776e18`, expected i64"},
      {instruction_error, R"({"IntSet":{"result":-1,"value":0}})",
       "invalid value: integer `-1`, expected u64"},
      {instruction_error, R"({"Measure":{"qubits":[0,-1],"output":0}})",
       "invalid value: integer `-1`, expected u64"},
      {instruction_error, R"({"End":null})", "expected value"},
      {instruction_error, R"({"End":["Halt"]})", "expected value"},
      {instruction_error, R"({})", "expected value"},
      {instruction_error, R"({5:{}})", "invalid type: integer `5`, expected variant identifier"},
      {instruction_error, R"({"Alloc" {}})", "expected `:`"},
      {instruction_error, "5", "expected value"},
      {instruction_error, R"([{"Alloc":[true,4]}])", "expected value"},
      {instruction_error, "", "EOF while parsing a value"},
  });
}

TEST(JsonReaderRefuses, MalformedGatesOperationsAndEnds) {
  const std::string gate_names =
      "expected one of `PauliX`, `PauliY`, `PauliZ`, `Hadamard`, `Phase`, `RX`, `RY`, `RZ`, "
      "`Unitary`";
  const std::string op_names =
      "expected one of `Eq`, `Neq`, `Gt`, `Geq`, `Lt`, `Leq`, `Add`, `Sub`, `Mul`, `Mod`, "
      "`Div`, `Sll`, `Srl`, `And`, `Or`, `Xor`";
  expect_refusals({
      {gate_error, R"("Phase")", "invalid type: unit variant, expected newtype variant"},
      {gate_error, R"("Unitary")", "invalid type: unit variant, expected newtype variant"},
      {gate_error, R"({"Phase":nul})", "expected ident"},
      {gate_error, R"({"RX":"0.5"})", "invalid type: string \"0.5\", expected f64"},
      {gate_error, R"({"RY":1e309})", "number out of range"},
      {gate_error, R"({"RZ":-1e309})", "number out of range"},
      {gate_error, R"({"Phase":0.5,"RX":1.0})", "expected value"},
      {gate_error, R"("paulix")", "unknown variant `paulix`, " + gate_names},
      {gate_error, R"("Paulix")", "unknown variant `Paulix`, " + gate_names},
      {gate_error, R"({"PauliX":1})", "invalid type: integer `1`, expected unit"},
      {gate_error, R"({"Unitary":[[[1,0],[0,0],[0,0]],[[0,0],[1,0]]]})", "trailing characters"},
      {gate_error, R"({"Unitary":[[[1],[0,0]],[[0,0],[1,0]]]})",
       "invalid length 1, expected a tuple of size 2"},
      {gate_error, R"({"Unitary":[[[1,0,0],[0,0]],[[0,0],[1,0]]]})", "trailing characters"},
      {gate_error, R"({"Unitary":[[[1,0],[0,0]]]})", "invalid length 1, expected an array of length 2"},
      {gate_error, R"({"Unitary":[[[1,0]],[[0,0],[1,0]]]})",
       "invalid length 1, expected an array of length 2"},
      {gate_error, R"({"Unitary":5})", "invalid type: integer `5`, expected an array of length 2"},
      {gate_error, R"({"Unitary":[[5,[0,0]],[[0,0],[1,0]]]})",
       "invalid type: integer `5`, expected a tuple of size 2"},
      {op_error, R"("add")", "unknown variant `add`, " + op_names},
      {op_error, R"({"Add":0})", "invalid type: integer `0`, expected unit"},
      {op_error, "6", "expected value"},
      {end_error, R"("Jump")", "invalid type: unit variant, expected struct variant"},
      {end_error, R"("Stop")", "unknown variant `Stop`, expected one of `Jump`, `Branch`, `Halt`"},
      {end_error, R"({"Jump":{}})", "missing field `addr`"},
      {end_error, R"({"Branch":{"test":0,"otherwise":1}})", "missing field `then`"},
      {end_error, R"({"Branch":[0,2]})",
       "invalid length 2, expected struct variant EndInstruction::Branch with 3 elements"},
      {end_error, R"({"Jump":[]})",
       "invalid length 0, expected struct variant EndInstruction::Jump with 1 element"},
      {end_error, R"({"Jump":null})", "invalid type: null, expected struct variant EndInstruction::Jump"},
      {end_error, R"({"Halt":null,"Jump":[1]})", "expected value"},
  });
}

TEST(JsonReaderRefuses, MalformedCodeBlocks) {
  expect_refusals({
      {block_error, R"([[],{}])", "invalid length 2, expected struct CodeBlock with 3 elements"},
      {block_error, R"({"gate_count":{},"depth":0})", "missing field `instructions`"},
      {block_error, R"({"instructions":[]})", "missing field `gate_count`"},
      {block_error, R"({"instructions":[],"gate_count":{}})", "missing field `depth`"},
      {block_error, R"({"instructions":{},"gate_count":{},"depth":0})",
       "invalid type: map, expected a sequence"},
      {block_error, R"({"instructions":[],"gate_count":[],"depth":0})",
       "invalid type: sequence, expected a map"},
      {block_error, R"({"instructions":[],"gate_count":{"-1":1},"depth":0})",
       "invalid type: string \"-1\", expected u64"},
      {block_error, R"({"instructions":[],"gate_count":{"x":1},"depth":0})",
       "invalid type: string \"x\", expected u64"},
      {block_error, R"({"instructions":[],"gate_count":{"":1},"depth":0})",
       "invalid type: string \"\", expected u64"},
      {block_error, R"({"instructions":[],"gate_count":{"+":1},"depth":0})",
       "invalid type: string \"+\", expected u64"},
      {block_error, R"({"instructions":[],"gate_count":{" 1":1},"depth":0})",
       "invalid type: string \" 1\", expected u64"},
      {block_error, R"({"instructions":[],"gate_count":{"18446744073709551616":1},"depth":0})",
       "invalid type: string \"18446744073709551616\", expected u64"},
      {block_error, R"({"instructions":[],"gate_count":{"1":-1},"depth":0})",
       "invalid value: integer `-1`, expected u64"},
      {block_error, R"({"instructions":[],"gate_count":{"1":1,},"depth":0})", "trailing comma"},
      {block_error, R"({"instructions":[],"gate_count":{},"depth":0.5})",
       "invalid type: floating point `0.5`, expected u64"},
      {code_error, "[1]", "invalid type: integer `1`, expected struct CodeBlock"},
      {code_error, "{}", "invalid type: map, expected a sequence"},
      {code_error, "[", "EOF while parsing a list"},
      {code_error, R"([{"instructions":[],"gate_count":{},"depth":0})", "EOF while parsing a list"},
      {code_error, R"([{"instructions":[],"gate_count":{},"depth":0},])", "trailing comma"},
      {code_error, R"([{"instructions":["Halt"],"gate_count":{},"depth":0}])",
       "unknown variant `Halt`, expected one of `Alloc`, `Free`, `Gate`, `Measure`, `Plugin`, "
       "`IntOp`, `IntSet`, `Dump`, `End`"},
      {code_error, R"([] [])", "trailing characters"},
  });
}

TEST(JsonReaderRefuses, MalformedResults) {
  expect_refusals({
      {dump_error, R"({"Vector":null})", "invalid type: null, expected struct variant DumpData::Vector"},
      {dump_error, R"({"Shots":7})", "invalid type: integer `7`, expected struct variant DumpData::Shots"},
      {dump_error, R"("Vector")", "invalid type: unit variant, expected struct variant"},
      {dump_error, R"("vector")", "unknown variant `vector`, expected one of `Vector`, `Probability`, `Shots`"},
      {dump_error, R"({"vector":[[],[],[]]})",
       "unknown variant `vector`, expected one of `Vector`, `Probability`, `Shots`"},
      {dump_error, R"({"Vector":[[],[],[]],"Shots":[[],[],0]})", "expected value"},
      {dump_error, R"({})", "expected value"},
      {dump_error, R"({7:[]})", "invalid type: integer `7`, expected variant identifier"},
      {dump_error, "5", "expected value"},
      {dump_error, R"({"Shots":{"basis_states":[[0]],"count":[4294967296],"total":1}})",
       "invalid value: integer `4294967296`, expected u32"},
      {dump_error, R"({"Shots":{"basis_states":[[0]],"count":[-1],"total":1}})",
       "invalid value: integer `-1`, expected u32"},
      {dump_error, R"({"Probability":{"basis_states":[[-1]],"probabilities":[1]}})",
       "invalid value: integer `-1`, expected u64"},
      {dump_error, R"({"Probability":{"basis_states":[3],"probabilities":[1]}})",
       "invalid type: integer `3`, expected a sequence"},
      {dump_error, R"({"Vector":{"basis_states":[[3]],"amplitudes_real":[1.0]}})",
       "missing field `amplitudes_imag`"},
      {dump_error, R"({"Shots":{"basis_states":[[0]],"count":[null],"total":1}})",
       "invalid type: null, expected u32"},
      {dump_error, R"({"Shots":{"basis_states":[[0]],"count":[1],"total":null}})",
       "invalid type: null, expected u64"},
      {dump_error, R"({"Vector":{"basis_states":[[null]],"amplitudes_real":[1],"amplitudes_imag":[0]}})",
       "invalid type: null, expected u64"},
      {dump_error, R"({"Probability":[[]]})",
       "invalid length 1, expected struct variant DumpData::Probability with 2 elements"},
      {dump_error, R"({"Vector":[[],[]]})",
       "invalid length 2, expected struct variant DumpData::Vector with 3 elements"},
      {dump_error, R"({"Shots":[[],[]]})",
       "invalid length 2, expected struct variant DumpData::Shots with 3 elements"},
      {result_error, R"({"future":[null],"dump":[],"exec_time":0})", "invalid type: null, expected i64"},
      {result_error, R"({"future":[0],"dump":[],"exec_time":1e400})", "number out of range"},
      {result_error, R"({"future":[9223372036854775808],"dump":[],"exec_time":0})",
       "invalid value: integer `9223372036854775808`, expected i64"},
      {result_error, R"({"future":[1.5],"dump":[],"exec_time":0})",
       "invalid type: floating point `1.5`, expected i64"},
      {result_error, R"([[0],[]])", "invalid length 2, expected struct ResultData with 3 elements"},
      {result_error, "5", "invalid type: integer `5`, expected struct ResultData"},
      {result_error, R"({"future":[0],"dump":[]})", "missing field `exec_time`"},
      {result_error, R"({"exec_time":0})", "missing field `future`"},
      {result_error, R"({"future":[],"future":[],"dump":[],"exec_time":0})", "duplicate field `future`"},
      {result_error, R"({"future":[],"dump":[],"exec_time":0}0)", "trailing characters"},
  });
}

std::string full_code_error(std::string_view text) {
  return plim::encoding::read_quantum_code_json(bytes(text)).error().description;
}
std::string full_metrics_error(std::string_view text) {
  return plim::encoding::read_metrics_json(bytes(text)).error().description;
}

// The position names the line and the column where the reader stopped.
TEST(JsonReaderRefuses, WithThePositionWhereReadingStopped) {
  struct Case {
    ErrorOf description;
    const char* text;
    const char* expected;
  };
  const Case cases[] = {
      {full_code_error, "[1]", "invalid type: integer `1`, expected struct CodeBlock at line 1 column 2"},
      {full_code_error, "[] x", "trailing characters at line 1 column 4"},
      {full_code_error, "", "EOF while parsing a value at line 1 column 0"},
      {full_metrics_error, "{\n\"qubit_simultaneous\":1}",
       "missing field `qubit_count` at line 2 column 22"},
      {full_metrics_error, "[\n\n  1,]", "trailing comma at line 3 column 5"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(c.description(c.text), c.expected);
  }
}

}  // namespace
