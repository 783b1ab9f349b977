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

// The fields of each record variant, in variant index order.
const RecordShape kShapes[] = {
    {"Instruction", kInstructionNames[0], kQubitFields},
    {"Instruction", kInstructionNames[1], kQubitFields},
    {"Instruction", kInstructionNames[2], kGateFields},
    {"Instruction", kInstructionNames[3], kListFields},
    {"Instruction", kInstructionNames[4], kPluginFields},
    {"Instruction", kInstructionNames[5], kIntOpFields},
    {"Instruction", kInstructionNames[6], kIntSetFields},
    {"Instruction", kInstructionNames[7], kListFields},
};

// Each body reader fills the alternative that the name selected, in place.
struct BodyReader {
  JsonReader& reader;
  const RecordShape& shape;

  template <class Read>
  bool record(Read&& field) const {
    return read_record(reader, shape, field);
  }

  // Alloc and Free share their fields.
  template <class Step>
    requires requires(Step step) { step.dirty; }
  bool operator()(Step& step) const {
    return record([&](std::size_t field) {
      return field == 0 ? reader.read_bool(step.dirty) : reader.read_u64(step.target);
    });
  }
  // Measure and Dump share their fields.
  template <class Step>
    requires requires(Step step) { step.qubits; }
  bool operator()(Step& step) const {
    return record([&](std::size_t field) {
      return field == 0 ? read_u64_list(reader, step.qubits) : reader.read_u64(step.output);
    });
  }
  bool operator()(Gate& gate) const {
    return record([&](std::size_t field) {
      switch (field) {
        case 0: return read_gate_json(reader, gate.gate);
        case 1: return reader.read_u64(gate.target);
        default: return read_u64_list(reader, gate.control);
      }
    });
  }
  bool operator()(Plugin& plugin) const {
    return record([&](std::size_t field) {
      switch (field) {
        case 0: return reader.read_string(plugin.name);
        case 1: return read_u64_list(reader, plugin.target);
        default: return reader.read_string(plugin.args);
      }
    });
  }
  bool operator()(IntOp& op) const {
    uint64_t* const operands[] = {&op.result, &op.lhs, &op.rhs};
    return record([&](std::size_t field) {
      return field == 0 ? read_classical_op_json(reader, op.op)
                        : reader.read_u64(*operands[field - 1]);
    });
  }
  bool operator()(IntSet& set) const {
    return record([&](std::size_t field) {
      return field == 0 ? reader.read_u64(set.result) : reader.read_i64(set.value);
    });
  }
  bool operator()(End& end) const { return read_end_instruction_json(reader, end.end); }
};

class InstructionWriter {
 public:
  InstructionWriter(const RecordShape& shape, ByteBuffer& out) : shape_(shape), out_(out) {}

  template <class Step>
    requires requires(Step step) { step.dirty; }
  void operator()(const Step& step) const {
    record([&] { write_json_bool(step.dirty, out_); }, [&] { write_json_u64(step.target, out_); });
  }
  template <class Step>
    requires requires(Step step) { step.qubits; }
  void operator()(const Step& step) const {
    record([&] { write_json_u64_array(step.qubits, out_); },
           [&] { write_json_u64(step.output, out_); });
  }
  void operator()(const Gate& gate) const {
    record([&] { write_gate_json(gate.gate, out_); }, [&] { write_json_u64(gate.target, out_); },
           [&] { write_json_u64_array(gate.control, out_); });
  }
  void operator()(const Plugin& plugin) const {
    record([&] { write_json_string(plugin.name, out_); },
           [&] { write_json_u64_array(plugin.target, out_); },
           [&] { write_json_string(plugin.args, out_); });
  }
  void operator()(const IntOp& op) const {
    record([&] { write_classical_op_json(op.op, out_); }, [&] { write_json_u64(op.result, out_); },
           [&] { write_json_u64(op.lhs, out_); }, [&] { write_json_u64(op.rhs, out_); });
  }
  void operator()(const IntSet& set) const {
    record([&] { write_json_u64(set.result, out_); }, [&] { write_json_i64(set.value, out_); });
  }
  void operator()(const End& end) const {
    write_json_raw(kInstructionShape.opening(std::size(kShapes)), out_);
    write_end_instruction_json(end.end, out_);
    out_.push_back('}');
  }

 private:
  // Each field's key from the shape, then its value by the matching writer.
  template <class... Values>
  void record(const Values&... values) const {
    std::size_t field = 0;
    ((write_json_raw(shape_.key(field++), out_), values()), ...);
    write_json_raw(shape_.close(), out_);
  }

  const RecordShape& shape_;
  ByteBuffer& out_;
};

// End, the one variant without fields of its own, comes last.
static_assert(std::size(kShapes) + 1 == kInstructionVariants);

const RecordShape& shape_of(std::size_t variant) {
  return kShapes[variant < std::size(kShapes) ? variant : 0];
}

}  // namespace

void write_instruction_json(const Instruction& instruction, ByteBuffer& out) {
  std::visit(InstructionWriter(shape_of(instruction.index()), out), instruction);
}

bool read_instruction_json(JsonReader& reader, Instruction& out) {
  std::size_t index = 0;
  return read_enum(reader, kInstructionShape, index, [&](std::size_t variant) {
    out = alternative_at<Instruction>(variant);
    return std::visit(BodyReader{reader, shape_of(variant)}, out);
  });
}

}  // namespace plim::encoding
