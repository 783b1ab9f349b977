// Quantum code: an array of code blocks, each an object of its instructions,
// its gate counts (a map with decimal string keys) and its depth.
#include <span>

#include "libplim/src/encoding/json.hpp"
#include "libplim/src/encoding/json_compound.hpp"
#include "libplim/src/encoding/json_quantum_code_parts.hpp"
#include "libplim/src/encoding/json_writer.hpp"
#include "libplim/src/unsigned_decimal.hpp"

namespace plim::encoding {

namespace {

constexpr std::string_view kBlockFields[] = {"instructions", "gate_count", "depth"};
const RecordShape kBlockShape{"CodeBlock", kBlockFields};

bool read_gate_count(JsonReader& reader, GateCount& out) {
  if (reader.peek() != '{') return reader.fail_invalid_type("a map");
  const bool entries = read_object_entries(reader, [&](std::string_view text) {
    const auto key = parse_unsigned_decimal(text);
    if (!key) {
      return reader.fail("invalid type: string \"" + std::string(text) + "\", expected u64");
    }
    uint64_t count = 0;
    if (!reader.expect_colon() || !reader.read_u64(count)) return false;
    out.insert_or_assign(*key, count);  // a repeated key keeps its last value
    return true;
  });
  if (!entries) return false;
  reader.close_object();
  return true;
}

}  // namespace

void write_code_block_json(const CodeBlock& block, ByteBuffer& out) {
  write_json_raw(kBlockShape.key(0), out);
  write_json_array(block.instructions, out, write_instruction_json);
  write_json_raw(kBlockShape.key(1), out);
  out.push_back('{');
  bool first = true;
  for (const auto& [qubits, count] : block.gate_count) {
    write_json_raw(first ? "\"" : ",\"", out);
    first = false;
    write_json_u64(qubits, out);
    write_json_raw("\":", out);
    write_json_u64(count, out);
  }
  out.push_back('}');
  write_json_raw(kBlockShape.key(2), out);
  write_json_u64(block.depth, out);
  write_json_raw(kBlockShape.close(), out);
}

bool read_code_block_json(JsonReader& reader, CodeBlock& out) {
  return read_record(reader, kBlockShape, [&](std::size_t field) {
    switch (field) {
      case 0:
        return reader.read_array("a sequence", [&] {
          out.instructions.emplace_back();
          return read_instruction_json(reader, out.instructions.back());
        });
      case 1:
        return read_gate_count(reader, out.gate_count);
      default:
        return reader.read_u64(out.depth);
    }
  });
}

void write_quantum_code_json(std::span<const CodeBlock* const> blocks, ByteBuffer& out) {
  write_json_array(blocks, out,
                   [](const CodeBlock* block, ByteBuffer& o) { write_code_block_json(*block, o); });
}

Decoded<std::vector<CodeBlock>> read_quantum_code_json(std::span<const uint8_t> input) {
  return read_json_document<std::vector<CodeBlock>>(
      input, [](JsonReader& reader, std::vector<CodeBlock>& blocks) {
        return reader.read_array("a sequence", [&] {
          blocks.emplace_back();
          return read_code_block_json(reader, blocks.back());
        });
      });
}

}  // namespace plim::encoding
