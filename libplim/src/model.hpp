// The quantum-code model shared by the builder, the encodings and the
// executors. Variant alternatives and record fields stand in their wire order:
// a variant's index() is the number that every encoding writes for it.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <variant>
#include <vector>

namespace plim {

// A complex number as (real part, imaginary part).
struct Complex {
  double re = 0.0;
  double im = 0.0;
  friend bool operator==(const Complex&, const Complex&) = default;
};

// ---------------------------------------------------------------- QuantumGate

struct PauliX { friend bool operator==(const PauliX&, const PauliX&) = default; };
struct PauliY { friend bool operator==(const PauliY&, const PauliY&) = default; };
struct PauliZ { friend bool operator==(const PauliZ&, const PauliZ&) = default; };
struct Hadamard { friend bool operator==(const Hadamard&, const Hadamard&) = default; };
struct Phase { double angle = 0.0; friend bool operator==(const Phase&, const Phase&) = default; };
struct RX { double angle = 0.0; friend bool operator==(const RX&, const RX&) = default; };
struct RY { double angle = 0.0; friend bool operator==(const RY&, const RY&) = default; };
struct RZ { double angle = 0.0; friend bool operator==(const RZ&, const RZ&) = default; };
// m0, m1, m2, m3 in stored order; how a back end reads them as a matrix is its own.
struct Unitary {
  std::array<Complex, 4> matrix{};
  friend bool operator==(const Unitary&, const Unitary&) = default;
};

using QuantumGate = std::variant<PauliX, PauliY, PauliZ, Hadamard, Phase, RX, RY, RZ, Unitary>;
inline constexpr std::size_t kGateVariants = std::variant_size_v<QuantumGate>;

// ---------------------------------------------------------------- ClassicalOp

enum class ClassicalOp : uint32_t {
  Eq, Neq, Gt, Geq, Lt, Leq, Add, Sub, Mul, Mod, Div, Sll, Srl, And, Or, Xor
};
inline constexpr uint32_t kClassicalOpVariants = 16;

// ------------------------------------------------------------- EndInstruction

struct Jump {
  uint64_t addr = 0;
  friend bool operator==(const Jump&, const Jump&) = default;
};
struct Branch {
  uint64_t test = 0;
  uint64_t then = 0;
  uint64_t otherwise = 0;
  friend bool operator==(const Branch&, const Branch&) = default;
};
struct Halt { friend bool operator==(const Halt&, const Halt&) = default; };

using EndInstruction = std::variant<Jump, Branch, Halt>;

// ---------------------------------------------------------------- Instruction

struct Alloc {
  bool dirty = false;
  uint64_t target = 0;
  friend bool operator==(const Alloc&, const Alloc&) = default;
};
struct Free {
  bool dirty = false;
  uint64_t target = 0;
  friend bool operator==(const Free&, const Free&) = default;
};
struct Gate {
  QuantumGate gate;
  uint64_t target = 0;
  std::vector<uint64_t> control;
  friend bool operator==(const Gate&, const Gate&) = default;
};
struct Measure {
  std::vector<uint64_t> qubits;
  uint64_t output = 0;
  friend bool operator==(const Measure&, const Measure&) = default;
};
struct Plugin {
  std::string name;
  std::vector<uint64_t> target;
  std::string args;
  friend bool operator==(const Plugin&, const Plugin&) = default;
};
struct IntOp {
  ClassicalOp op = ClassicalOp::Eq;
  uint64_t result = 0;
  uint64_t lhs = 0;
  uint64_t rhs = 0;
  friend bool operator==(const IntOp&, const IntOp&) = default;
};
struct IntSet {
  uint64_t result = 0;
  int64_t value = 0;
  friend bool operator==(const IntSet&, const IntSet&) = default;
};
struct Dump {
  std::vector<uint64_t> qubits;
  uint64_t output = 0;
  friend bool operator==(const Dump&, const Dump&) = default;
};
struct End {
  EndInstruction end;
  friend bool operator==(const End&, const End&) = default;
};

using Instruction = std::variant<Alloc, Free, Gate, Measure, Plugin, IntOp, IntSet, Dump, End>;
inline constexpr std::size_t kInstructionVariants = std::variant_size_v<Instruction>;

// ------------------------------------------------------------------ CodeBlock

// Key: number of qubits a gate acts on (controls + 1); value: how many gates.
using GateCount = std::unordered_map<uint64_t, uint64_t>;

struct CodeBlock {
  std::vector<Instruction> instructions;
  GateCount gate_count;
  uint64_t depth = 0;
  friend bool operator==(const CodeBlock&, const CodeBlock&) = default;
};

// -------------------------------------------------------------------- Metrics

struct Metrics {
  uint64_t qubit_simultaneous = 0;
  uint64_t qubit_count = 0;
  uint64_t future_count = 0;
  uint64_t dump_count = 0;
  uint64_t block_count = 0;
  std::optional<uint64_t> timeout;
  std::unordered_set<std::string> plugins;
  bool ready = false;
  friend bool operator==(const Metrics&, const Metrics&) = default;
};

// ------------------------------------------------------------------- DumpData

// Words of one basis state, most significant word first.
using BasisState = std::vector<uint64_t>;

struct Vector {
  std::vector<BasisState> basis_states;
  std::vector<double> amplitudes_real;
  std::vector<double> amplitudes_imag;
  friend bool operator==(const Vector&, const Vector&) = default;
};
struct Probability {
  std::vector<BasisState> basis_states;
  std::vector<double> probabilities;
  friend bool operator==(const Probability&, const Probability&) = default;
};
struct Shots {
  std::vector<BasisState> basis_states;
  std::vector<uint32_t> count;
  uint64_t total = 0;
  friend bool operator==(const Shots&, const Shots&) = default;
};

using DumpData = std::variant<Vector, Probability, Shots>;

// ----------------------------------------------------------------- ResultData

struct ResultData {
  std::vector<int64_t> future;
  std::vector<DumpData> dump;
  double exec_time = 0.0;
  friend bool operator==(const ResultData&, const ResultData&) = default;
};

// ------------------------------------------------------------------- DataType

enum class DataType : int32_t { JSON = 0, BIN = 1 };

// The C interface passes data types as plain ints; anything but 0 and 1 is refused.
inline std::optional<DataType> data_type_from_int(int value) {
  if (value == 0) return DataType::JSON;
  if (value == 1) return DataType::BIN;
  return std::nullopt;
}

}  // namespace plim
