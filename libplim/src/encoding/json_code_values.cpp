// Gates, classical operations and end instructions: the enumerations that
// stand inside instructions.
#include <array>

#include "libplim/src/encoding/json_compound.hpp"
#include "libplim/src/encoding/json_quantum_code_parts.hpp"
#include "libplim/src/encoding/json_writer.hpp"

namespace plim::encoding {

namespace {

constexpr std::string_view kGateNames[] = {"PauliX", "PauliY", "PauliZ", "Hadamard", "Phase",
                                           "RX",     "RY",     "RZ",     "Unitary"};
constexpr VariantKind kGateKinds[] = {
    VariantKind::Unit,    VariantKind::Unit,    VariantKind::Unit,
    VariantKind::Unit,    VariantKind::Newtype, VariantKind::Newtype,
    VariantKind::Newtype, VariantKind::Newtype, VariantKind::Newtype};
static_assert(std::size(kGateNames) == kGateVariants);
const EnumShape kGateShape{kGateNames, kGateKinds};

constexpr std::string_view kOpNames[] = {"Eq",  "Neq", "Gt",  "Geq", "Lt",  "Leq",
                                         "Add", "Sub", "Mul", "Mod", "Div", "Sll",
                                         "Srl", "And", "Or",  "Xor"};
static_assert(std::size(kOpNames) == kClassicalOpVariants);
constexpr std::array<VariantKind, kClassicalOpVariants> kOpKinds{};  // all unit variants
const EnumShape kOpShape{kOpNames, kOpKinds};

constexpr std::string_view kEndNames[] = {"Jump", "Branch", "Halt"};
constexpr VariantKind kEndKinds[] = {VariantKind::Struct, VariantKind::Struct, VariantKind::Unit};
const EnumShape kEndShape{kEndNames, kEndKinds};

constexpr std::string_view kJumpFields[] = {"addr"};
const RecordShape kJumpShape{"struct variant EndInstruction::Jump",
                             "struct variant EndInstruction::Jump with 1 element", kJumpFields};
constexpr std::string_view kBranchFields[] = {"test", "then", "otherwise"};
const RecordShape kBranchShape{"struct variant EndInstruction::Branch",
                               "struct variant EndInstruction::Branch with 3 elements",
                               kBranchFields};

// The quoted names, ready to append.
constexpr std::string_view kQuotedUnitGates[] = {"\"PauliX\"", "\"PauliY\"", "\"PauliZ\"",
                                                 "\"Hadamard\""};
constexpr std::string_view kAngleGateOpenings[] = {"{\"Phase\":", "{\"RX\":", "{\"RY\":",
                                                   "{\"RZ\":"};
constexpr std::string_view kQuotedOps[] = {
    "\"Eq\"",  "\"Neq\"", "\"Gt\"",  "\"Geq\"", "\"Lt\"",  "\"Leq\"", "\"Add\"", "\"Sub\"",
    "\"Mul\"", "\"Mod\"", "\"Div\"", "\"Sll\"", "\"Srl\"", "\"And\"", "\"Or\"",  "\"Xor\""};

double angle_of(const QuantumGate& gate) {
  switch (gate.index()) {
    case 4: return std::get<Phase>(gate).angle;
    case 5: return std::get<RX>(gate).angle;
    case 6: return std::get<RY>(gate).angle;
    default: return std::get<RZ>(gate).angle;
  }
}

QuantumGate angle_gate(std::size_t index, double angle) {
  switch (index) {
    case 4: return Phase{angle};
    case 5: return RX{angle};
    case 6: return RY{angle};
    default: return RZ{angle};
  }
}

void write_matrix(const Unitary& unitary, ByteBuffer& out) {
  const auto& m = unitary.matrix;
  for (std::size_t i = 0; i != 4; ++i) {
    write_json_raw(i == 0 ? "[[[" : i == 2 ? "]],[[" : "],[", out);
    write_json_double(m[i].re, out);
    out.push_back(',');
    write_json_double(m[i].im, out);
  }
  write_json_raw("]]]", out);
}

// [[m0, m1], [m2, m3]], each entry a [re, im] pair.
bool read_matrix(JsonReader& reader, Unitary& unitary) {
  return read_fixed_array(reader, "an array of length 2", 2, [&](std::size_t row) {
    return read_fixed_array(reader, "an array of length 2", 2, [&](std::size_t column) {
      Complex& entry = unitary.matrix[row * 2 + column];
      return read_fixed_array(reader, "a tuple of size 2", 2, [&](std::size_t part) {
        return reader.read_f64(part == 0 ? entry.re : entry.im);
      });
    });
  });
}

}  // namespace

void write_gate_json(const QuantumGate& gate, ByteBuffer& out) {
  const std::size_t index = gate.index();
  if (index < 4) {
    write_json_raw(kQuotedUnitGates[index], out);
  } else if (index < 8) {
    write_json_raw(kAngleGateOpenings[index - 4], out);
    write_json_double(angle_of(gate), out);
    out.push_back('}');
  } else {
    write_json_raw("{\"Unitary\":", out);
    write_matrix(std::get<Unitary>(gate), out);
    out.push_back('}');
  }
}

void write_classical_op_json(ClassicalOp op, ByteBuffer& out) {
  write_json_raw(kQuotedOps[static_cast<uint32_t>(op)], out);
}

void write_end_instruction_json(const EndInstruction& end, ByteBuffer& out) {
  if (const auto* jump = std::get_if<Jump>(&end)) {
    write_json_raw("{\"Jump\":{\"addr\":", out);
    write_json_u64(jump->addr, out);
    write_json_raw("}}", out);
  } else if (const auto* branch = std::get_if<Branch>(&end)) {
    write_json_raw("{\"Branch\":{\"test\":", out);
    write_json_u64(branch->test, out);
    write_json_raw(",\"then\":", out);
    write_json_u64(branch->then, out);
    write_json_raw(",\"otherwise\":", out);
    write_json_u64(branch->otherwise, out);
    write_json_raw("}}", out);
  } else {
    write_json_raw("\"Halt\"", out);
  }
}

bool read_gate_json(JsonReader& reader, QuantumGate& out) {
  std::size_t index = 0;
  const bool read = read_enum(reader, kGateShape, index, [&](std::size_t variant) {
    if (variant == 8) {
      Unitary unitary;
      if (!read_matrix(reader, unitary)) return false;
      out = unitary;
      return true;
    }
    double angle = 0.0;
    if (!reader.read_f64(angle)) return false;
    out = angle_gate(variant, angle);
    return true;
  });
  if (!read) return false;
  switch (index) {
    case 0: out = PauliX{}; break;
    case 1: out = PauliY{}; break;
    case 2: out = PauliZ{}; break;
    case 3: out = Hadamard{}; break;
    default: break;  // set with its content
  }
  return true;
}

bool read_classical_op_json(JsonReader& reader, ClassicalOp& out) {
  std::size_t index = 0;
  if (!read_enum(reader, kOpShape, index, [](std::size_t) { return true; })) return false;
  out = static_cast<ClassicalOp>(index);
  return true;
}

bool read_end_instruction_json(JsonReader& reader, EndInstruction& out) {
  std::size_t index = 0;
  const bool read = read_enum(reader, kEndShape, index, [&](std::size_t variant) {
    if (variant == 0) {
      Jump jump;
      if (!read_record(reader, kJumpShape, [&](std::size_t) { return reader.read_u64(jump.addr); })) {
        return false;
      }
      out = jump;
      return true;
    }
    Branch branch;
    uint64_t* const fields[] = {&branch.test, &branch.then, &branch.otherwise};
    if (!read_record(reader, kBranchShape,
                     [&](std::size_t field) { return reader.read_u64(*fields[field]); })) {
      return false;
    }
    out = branch;
    return true;
  });
  if (!read) return false;
  if (index == 2) out = Halt{};
  return true;
}

}  // namespace plim::encoding
