// Each JSON reader as a function from text to its error text, so that one
// table of cases can drive them all.
#pragma once

#include <string>
#include <string_view>

#include "encoding/json_test_support.hpp"
#include "libplim/src/encoding/json.hpp"
#include "libplim/src/encoding/json_quantum_code_parts.hpp"

namespace json_test {

using ErrorOf = std::string (*)(std::string_view);

inline std::string metrics_error(std::string_view text) {
  return error_text(plim::encoding::read_metrics_json(bytes(text)));
}
inline std::string code_error(std::string_view text) {
  return error_text(plim::encoding::read_quantum_code_json(bytes(text)));
}
inline std::string result_error(std::string_view text) {
  return error_text(plim::encoding::read_result_json(bytes(text)));
}
inline std::string block_error(std::string_view text) {
  return error_text(read_text<plim::CodeBlock>(text, plim::encoding::read_code_block_json));
}
inline std::string instruction_error(std::string_view text) {
  return error_text(read_text<plim::Instruction>(text, plim::encoding::read_instruction_json));
}
inline std::string gate_error(std::string_view text) {
  return error_text(read_text<plim::QuantumGate>(text, plim::encoding::read_gate_json));
}
inline std::string op_error(std::string_view text) {
  return error_text(read_text<plim::ClassicalOp>(text, plim::encoding::read_classical_op_json));
}
inline std::string end_error(std::string_view text) {
  return error_text(
      read_text<plim::EndInstruction>(text, plim::encoding::read_end_instruction_json));
}
// A result whose one dump is `dump`.
inline std::string dump_error(std::string_view dump) {
  return result_error(R"({"future":[0],"dump":[)" + std::string(dump) + R"(],"exec_time":0.5})");
}

}  // namespace json_test
