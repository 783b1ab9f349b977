// One instruction: always a one-key object, the key naming the variant; eight
// record variants and `End`, whose content is an end instruction.
#include <string>

#include "libplim/src/encoding/json_compound.hpp"
#include "libplim/src/encoding/json_quantum_code_parts.hpp"
#include "libplim/src/encoding/json_writer.hpp"

namespace plim::encoding {

namespace {

constexpr std::string_view kInstructionNames[] = {"Alloc",  "Free",   "Gate", "Measure", "Plugin",
                                                  "IntOp",  "IntSet", "Dump", "End"};
constexpr VariantKind kInstructionKinds[] = {
    VariantKind::Struct, VariantKind::Struct, VariantKind::Struct,
    VariantKind::Struct, VariantKind::Struct, VariantKind::Struct,
    VariantKind::Struct, VariantKind::Struct, VariantKind::Newtype};
static_assert(std::size(kInstructionNames) == kInstructionVariants);
const EnumShape kInstructionShape{kInstructionNames, kInstructionKinds};

constexpr std::string_view kQubitFields[] = {"dirty", "target"};
constexpr std::string_view kGateFields[] = {"gate", "target", "control"};
constexpr std::string_view kListFields[] = {"qubits", "output"};
constexpr std::string_view kPluginFields[] = {"name", "target", "args"};
constexpr std::string_view kIntOpFields[] = {"op", "result", "lhs", "rhs"};
constexpr std::string_view kIntSetFields[] = {"result", "value"};

const RecordShape kAllocShape{"struct variant Instruction::Alloc",
                              "struct variant Instruction::Alloc with 2 elements", kQubitFields};
const RecordShape kFreeShape{"struct variant Instruction::Free",
                             "struct variant Instruction::Free with 2 elements", kQubitFields};
const RecordShape kGateShape{"struct variant Instruction::Gate",
                             "struct variant Instruction::Gate with 3 elements", kGateFields};
const RecordShape kMeasureShape{"struct variant Instruction::Measure",
                                "struct variant Instruction::Measure with 2 elements",
                                kListFields};
const RecordShape kPluginShape{"struct variant Instruction::Plugin",
                               "struct variant Instruction::Plugin with 3 elements",
                               kPluginFields};
const RecordShape kIntOpShape{"struct variant Instruction::IntOp",
                              "struct variant Instruction::IntOp with 4 elements", kIntOpFields};
const RecordShape kIntSetShape{"struct variant Instruction::IntSet",
                              "struct variant Instruction::IntSet with 2 elements",
                              kIntSetFields};
const RecordShape kDumpShape{"struct variant Instruction::Dump",
                             "struct variant Instruction::Dump with 2 elements", kListFields};

// Alloc and Free share their fields.
template <class QubitStep>
bool read_qubit_step(JsonReader& reader, const RecordShape& shape, Instruction& out) {
  QubitStep step;
  if (!read_record(reader, shape, [&](std::size_t field) {
        return field == 0 ? reader.read_bool(step.dirty) : reader.read_u64(step.target);
      })) {
    return false;
  }
  out = step;
  return true;
}

// Measure and Dump share their fields.
template <class ListStep>
bool read_list_step(JsonReader& reader, const RecordShape& shape, Instruction& out) {
  ListStep step;
  if (!read_record(reader, shape, [&](std::size_t field) {
        return field == 0 ? read_u64_list(reader, step.qubits) : reader.read_u64(step.output);
      })) {
    return false;
  }
  out = std::move(step);
  return true;
}

bool read_gate_body(JsonReader& reader, Instruction& out) {
  Gate gate;
  if (!read_record(reader, kGateShape, [&](std::size_t field) {
        switch (field) {
          case 0: return read_gate_json(reader, gate.gate);
          case 1: return reader.read_u64(gate.target);
          default: return read_u64_list(reader, gate.control);
        }
      })) {
    return false;
  }
  out = std::move(gate);
  return true;
}

bool read_plugin_body(JsonReader& reader, Instruction& out) {
  Plugin plugin;
  if (!read_record(reader, kPluginShape, [&](std::size_t field) {
        switch (field) {
          case 0: return reader.read_string(plugin.name);
          case 1: return read_u64_list(reader, plugin.target);
          default: return reader.read_string(plugin.args);
        }
      })) {
    return false;
  }
  out = std::move(plugin);
  return true;
}

bool read_int_op_body(JsonReader& reader, Instruction& out) {
  IntOp op;
  uint64_t* const operands[] = {&op.result, &op.lhs, &op.rhs};
  if (!read_record(reader, kIntOpShape, [&](std::size_t field) {
        return field == 0 ? read_classical_op_json(reader, op.op)
                          : reader.read_u64(*operands[field - 1]);
      })) {
    return false;
  }
  out = op;
  return true;
}

bool read_int_set_body(JsonReader& reader, Instruction& out) {
  IntSet set;
  if (!read_record(reader, kIntSetShape, [&](std::size_t field) {
        return field == 0 ? reader.read_u64(set.result) : reader.read_i64(set.value);
      })) {
    return false;
  }
  out = set;
  return true;
}

bool read_end_body(JsonReader& reader, Instruction& out) {
  End end;
  if (!read_end_instruction_json(reader, end.end)) return false;
  out = end;
  return true;
}

class InstructionWriter {
 public:
  explicit InstructionWriter(ByteBuffer& out) : out_(out) {}

  void operator()(const Alloc& step) const { qubit_step("{\"Alloc\":{\"dirty\":", step); }
  void operator()(const Free& step) const { qubit_step("{\"Free\":{\"dirty\":", step); }
  void operator()(const Gate& gate) const {
    write_json_raw("{\"Gate\":{\"gate\":", out_);
    write_gate_json(gate.gate, out_);
    write_json_raw(",\"target\":", out_);
    write_json_u64(gate.target, out_);
    write_json_raw(",\"control\":", out_);
    write_json_u64_array(gate.control, out_);
    write_json_raw("}}", out_);
  }
  void operator()(const Measure& step) const { list_step("{\"Measure\":{\"qubits\":", step); }
  void operator()(const Plugin& plugin) const {
    write_json_raw("{\"Plugin\":{\"name\":", out_);
    write_json_string(plugin.name, out_);
    write_json_raw(",\"target\":", out_);
    write_json_u64_array(plugin.target, out_);
    write_json_raw(",\"args\":", out_);
    write_json_string(plugin.args, out_);
    write_json_raw("}}", out_);
  }
  void operator()(const IntOp& op) const {
    write_json_raw("{\"IntOp\":{\"op\":", out_);
    write_classical_op_json(op.op, out_);
    write_json_raw(",\"result\":", out_);
    write_json_u64(op.result, out_);
    write_json_raw(",\"lhs\":", out_);
    write_json_u64(op.lhs, out_);
    write_json_raw(",\"rhs\":", out_);
    write_json_u64(op.rhs, out_);
    write_json_raw("}}", out_);
  }
  void operator()(const IntSet& set) const {
    write_json_raw("{\"IntSet\":{\"result\":", out_);
    write_json_u64(set.result, out_);
    write_json_raw(",\"value\":", out_);
    write_json_i64(set.value, out_);
    write_json_raw("}}", out_);
  }
  void operator()(const Dump& step) const { list_step("{\"Dump\":{\"qubits\":", step); }
  void operator()(const End& end) const {
    write_json_raw("{\"End\":", out_);
    write_end_instruction_json(end.end, out_);
    out_.push_back('}');
  }

 private:
  template <class Step>
  void qubit_step(std::string_view opening, const Step& step) const {
    write_json_raw(opening, out_);
    write_json_bool(step.dirty, out_);
    write_json_raw(",\"target\":", out_);
    write_json_u64(step.target, out_);
    write_json_raw("}}", out_);
  }
  template <class Step>
  void list_step(std::string_view opening, const Step& step) const {
    write_json_raw(opening, out_);
    write_json_u64_array(step.qubits, out_);
    write_json_raw(",\"output\":", out_);
    write_json_u64(step.output, out_);
    write_json_raw("}}", out_);
  }

  ByteBuffer& out_;
};

}  // namespace

void write_instruction_json(const Instruction& instruction, ByteBuffer& out) {
  std::visit(InstructionWriter(out), instruction);
}

bool read_instruction_json(JsonReader& reader, Instruction& out) {
  std::size_t index = 0;
  return read_enum(reader, kInstructionShape, index, [&](std::size_t variant) {
    switch (variant) {
      case 0: return read_qubit_step<Alloc>(reader, kAllocShape, out);
      case 1: return read_qubit_step<Free>(reader, kFreeShape, out);
      case 2: return read_gate_body(reader, out);
      case 3: return read_list_step<Measure>(reader, kMeasureShape, out);
      case 4: return read_plugin_body(reader, out);
      case 5: return read_int_op_body(reader, out);
      case 6: return read_int_set_body(reader, out);
      case 7: return read_list_step<Dump>(reader, kDumpShape, out);
      default: return read_end_body(reader, out);
    }
  });
}

}  // namespace plim::encoding
