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
static_assert(std::size(kEndNames) == std::variant_size_v<EndInstruction>);
const EnumShape kEndShape{kEndNames, kEndKinds};

constexpr std::string_view kJumpFields[] = {"addr"};
const RecordShape kJumpShape{"EndInstruction", kEndNames[0], kJumpFields};
constexpr std::string_view kBranchFields[] = {"test", "then", "otherwise"};
const RecordShape kBranchShape{"EndInstruction", kEndNames[1], kBranchFields};

double angle_of(const QuantumGate& gate) {
  return std::visit(
      [](const auto& g) {
        if constexpr (requires { g.angle; }) return g.angle;
        else return 0.0;
      },
      gate);
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
  if (kGateKinds[index] == VariantKind::Unit) {
    write_json_raw(kGateShape.quoted(index), out);
    return;
  }
  write_json_raw(kGateShape.opening(index), out);
  if (const auto* unitary = std::get_if<Unitary>(&gate)) write_matrix(*unitary, out);
  else write_json_double(angle_of(gate), out);
  out.push_back('}');
}

void write_classical_op_json(ClassicalOp op, ByteBuffer& out) {
  write_json_raw(kOpShape.quoted(static_cast<uint32_t>(op)), out);
}

void write_end_instruction_json(const EndInstruction& end, ByteBuffer& out) {
  if (const auto* jump = std::get_if<Jump>(&end)) {
    write_json_raw(kJumpShape.key(0), out);
    write_json_u64(jump->addr, out);
    write_json_raw(kJumpShape.close(), out);
  } else if (const auto* branch = std::get_if<Branch>(&end)) {
    const uint64_t fields[] = {branch->test, branch->then, branch->otherwise};
    for (std::size_t i = 0; i != std::size(fields); ++i) {
      write_json_raw(kBranchShape.key(i), out);
      write_json_u64(fields[i], out);
    }
    write_json_raw(kBranchShape.close(), out);
  } else {
    write_json_raw(kEndShape.quoted(end.index()), out);
  }
}

bool read_gate_json(JsonReader& reader, QuantumGate& out) {
  std::size_t index = 0;
  const bool read = read_enum(reader, kGateShape, index, [&](std::size_t variant) {
    out = alternative_at<QuantumGate>(variant);
    return std::visit(
        [&](auto& gate) {
          if constexpr (requires { gate.matrix; }) return read_matrix(reader, gate);
          else if constexpr (requires { gate.angle; }) return reader.read_f64(gate.angle);
          else return true;
        },
        out);
  });
  if (!read) return false;
  if (kGateKinds[index] == VariantKind::Unit) out = alternative_at<QuantumGate>(index);
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
    out = alternative_at<EndInstruction>(variant);
    if (auto* jump = std::get_if<Jump>(&out))
      return read_record(reader, kJumpShape, [&](std::size_t) { return reader.read_u64(jump->addr); });
    auto& branch = std::get<Branch>(out);
    uint64_t* const fields[] = {&branch.test, &branch.then, &branch.otherwise};
    return read_record(reader, kBranchShape,
                       [&](std::size_t field) { return reader.read_u64(*fields[field]); });
  });
  if (!read) return false;
  if (kEndKinds[index] == VariantKind::Unit) out = alternative_at<EndInstruction>(index);
  return true;
}

}  // namespace plim::encoding
