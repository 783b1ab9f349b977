// The JSON writers and readers of the pieces of quantum code: gates,
// classical operations, end instructions, instructions and code blocks.
// Readers read one value at the reader's position.
#pragma once

#include "libplim/src/byte_buffer.hpp"
#include "libplim/src/encoding/json_reader.hpp"
#include "libplim/src/model.hpp"

namespace plim::encoding {

void write_gate_json(const QuantumGate& gate, ByteBuffer& out);
void write_classical_op_json(ClassicalOp op, ByteBuffer& out);
void write_end_instruction_json(const EndInstruction& end, ByteBuffer& out);
void write_instruction_json(const Instruction& instruction, ByteBuffer& out);
void write_code_block_json(const CodeBlock& block, ByteBuffer& out);

bool read_gate_json(JsonReader& reader, QuantumGate& out);
bool read_classical_op_json(JsonReader& reader, ClassicalOp& out);
bool read_end_instruction_json(JsonReader& reader, EndInstruction& out);
bool read_instruction_json(JsonReader& reader, Instruction& out);
bool read_code_block_json(JsonReader& reader, CodeBlock& out);

}  // namespace plim::encoding
