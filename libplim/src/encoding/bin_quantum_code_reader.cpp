#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <utility>
#include <vector>

#include "libplim/src/encoding/bin.hpp"
#include "libplim/src/encoding/bin_primitives.hpp"

namespace plim::encoding {
namespace {

using bin::kIndex;
using bin::kWord;

constexpr std::size_t kMinBlock = 3 * kWord;         // no instruction, no entry
constexpr std::size_t kMinInstruction = 2 * kIndex;  // End with Halt

template <class T>
constexpr uint32_t kGate = bin::index_of<QuantumGate, T>();
template <class T>
constexpr uint32_t kInstruction = bin::index_of<Instruction, T>();
template <class T>
constexpr uint32_t kEnd = bin::index_of<EndInstruction, T>();

QuantumGate read_gate_bin(bin::Reader& r) {
  switch (r.variant<QuantumGate>()) {
    case kGate<PauliX>: return PauliX{};
    case kGate<PauliY>: return PauliY{};
    case kGate<PauliZ>: return PauliZ{};
    case kGate<Hadamard>: return Hadamard{};
    case kGate<Phase>: return Phase{r.f64()};
    case kGate<RX>: return RX{r.f64()};
    case kGate<RY>: return RY{r.f64()};
    case kGate<RZ>: return RZ{r.f64()};
    default: {
      r.need(8 * kWord);
      Unitary unitary;
      for (Complex& entry : unitary.matrix) {
        entry.re = r.load_f64();
        entry.im = r.load_f64();
      }
      return unitary;
    }
  }
}

EndInstruction read_end_instruction_bin(bin::Reader& r) {
  const uint32_t index = r.variant<EndInstruction>();
  if (index == kEnd<Jump>) return Jump{r.u64()};
  if (index == kEnd<Branch>) {
    r.need(3 * kWord);
    Branch branch;
    branch.test = r.load<uint64_t>();
    branch.then = r.load<uint64_t>();
    branch.otherwise = r.load<uint64_t>();
    return branch;
  }
  return Halt{};
}

// Constructs the instruction in place at the end of `out`.
void read_instruction_bin(bin::Reader& r, std::vector<Instruction>& out) {
  const uint32_t index = r.variant<Instruction>();
  switch (index) {
    case kInstruction<Alloc>:
    case kInstruction<Free>: {
      r.need(1 + kWord);
      const bool dirty = r.load_boolean();
      const uint64_t target = r.load<uint64_t>();
      if (index == kInstruction<Alloc>)
        out.emplace_back(Alloc{dirty, target});
      else
        out.emplace_back(Free{dirty, target});
      break;
    }
    case kInstruction<Gate>: {
      QuantumGate gate = read_gate_bin(r);
      auto& made = std::get<Gate>(out.emplace_back(std::in_place_type<Gate>));
      made.gate = gate;
      made.target = r.u64();
      r.list(made.control);
      break;
    }
    case kInstruction<Measure>:
    case kInstruction<Dump>: {
      std::vector<uint64_t> qubits;
      r.list(qubits);
      const uint64_t output = r.u64();
      if (index == kInstruction<Measure>)
        out.emplace_back(Measure{std::move(qubits), output});
      else
        out.emplace_back(Dump{std::move(qubits), output});
      break;
    }
    case kInstruction<Plugin>: {
      Plugin plugin;
      plugin.name = r.string();
      r.list(plugin.target);
      plugin.args = r.string();
      out.emplace_back(std::move(plugin));
      break;
    }
    case kInstruction<IntOp>: {
      const auto op = static_cast<ClassicalOp>(r.variant(kClassicalOpVariants));
      r.need(3 * kWord);
      const uint64_t result = r.load<uint64_t>();
      const uint64_t lhs = r.load<uint64_t>();
      const uint64_t rhs = r.load<uint64_t>();
      out.emplace_back(IntOp{op, result, lhs, rhs});
      break;
    }
    case kInstruction<IntSet>: {
      r.need(2 * kWord);
      const uint64_t result = r.load<uint64_t>();
      const int64_t value = r.load<int64_t>();
      out.emplace_back(IntSet{result, value});
      break;
    }
    default: out.emplace_back(End{read_end_instruction_bin(r)}); break;
  }
}

void read_code_block_bin(bin::Reader& r, CodeBlock& block) {
  const uint64_t instructions = r.u64();
  block.instructions.reserve(r.reservation(instructions, kMinInstruction));
  for (uint64_t i = 0; i < instructions; ++i) read_instruction_bin(r, block.instructions);
  const uint64_t entries = r.u64();
  block.gate_count.reserve(r.reservation(entries, 2 * kWord));
  for (uint64_t i = 0; i < entries; ++i) {
    r.need(2 * kWord);
    const uint64_t key = r.load<uint64_t>();
    // A key given again replaces the value read before.
    block.gate_count[key] = r.load<uint64_t>();
  }
  block.depth = r.u64();
}

}  // namespace

Decoded<std::vector<CodeBlock>> read_quantum_code_bin(std::span<const uint8_t> input) {
  return bin::decode<std::vector<CodeBlock>>(input, [](bin::Reader& r) {
    std::vector<CodeBlock> blocks;
    const uint64_t count = r.u64();
    blocks.reserve(r.reservation(count, kMinBlock));
    for (uint64_t i = 0; i < count; ++i) read_code_block_bin(r, blocks.emplace_back());
    return blocks;
  });
}

}  // namespace plim::encoding
