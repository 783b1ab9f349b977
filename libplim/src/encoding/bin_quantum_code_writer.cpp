#include <cstddef>
#include <cstdint>
#include <span>
#include <utility>
#include <vector>

#include "libplim/src/encoding/bin.hpp"
#include "libplim/src/encoding/bin_primitives.hpp"

namespace plim::encoding {
namespace {

using bin::kIndex;
using bin::kWord;

std::size_t gate_payload_size(const QuantumGate& gate) noexcept {
  switch (gate.index()) {
    case 0: case 1: case 2: case 3: return 0;
    case 8: return 8 * kWord;
    default: return kWord;
  }
}

std::size_t end_instruction_bin_size(const EndInstruction& end) noexcept {
  switch (end.index()) {
    case 0: return kIndex + kWord;
    case 1: return kIndex + 3 * kWord;
    default: return kIndex;
  }
}

std::size_t list_size(const std::vector<uint64_t>& list) noexcept {
  return kWord + kWord * list.size();
}

// Adds the exact BIN size of one instruction to a running total.
void instruction_bin_size(const Instruction& instruction, std::size_t& total) noexcept {
  std::size_t size = kIndex;
  switch (instruction.index()) {
    case 0: case 1: size += 1 + kWord; break;
    case 2: {
      const auto& gate = *std::get_if<Gate>(&instruction);
      size += kIndex + gate_payload_size(gate.gate) + kWord + list_size(gate.control);
      break;
    }
    case 3: size += list_size(std::get_if<Measure>(&instruction)->qubits) + kWord; break;
    case 4: {
      const auto& plugin = *std::get_if<Plugin>(&instruction);
      size += kWord + plugin.name.size() + list_size(plugin.target) + kWord + plugin.args.size();
      break;
    }
    case 5: size += kIndex + 3 * kWord; break;
    case 6: size += 2 * kWord; break;
    case 7: size += list_size(std::get_if<Dump>(&instruction)->qubits) + kWord; break;
    default: size += end_instruction_bin_size(std::get_if<End>(&instruction)->end); break;
  }
  total += size;
}

std::size_t code_block_bin_size(const CodeBlock& block) noexcept {
  std::size_t size = kWord + kWord + 2 * kWord * block.gate_count.size() + kWord;
  for (const Instruction& instruction : block.instructions) instruction_bin_size(instruction, size);
  return size;
}

void write_gate_bin(const QuantumGate& gate, bin::Writer& w) noexcept {
  w.u32(static_cast<uint32_t>(gate.index()));
  switch (gate.index()) {
    case 4: w.f64(std::get_if<Phase>(&gate)->angle); break;
    case 5: w.f64(std::get_if<RX>(&gate)->angle); break;
    case 6: w.f64(std::get_if<RY>(&gate)->angle); break;
    case 7: w.f64(std::get_if<RZ>(&gate)->angle); break;
    case 8:
      for (const Complex& entry : std::get_if<Unitary>(&gate)->matrix) {
        w.f64(entry.re);
        w.f64(entry.im);
      }
      break;
    default: break;
  }
}

void write_end_instruction_bin(const EndInstruction& end, bin::Writer& w) noexcept {
  w.u32(static_cast<uint32_t>(end.index()));
  if (const auto* jump = std::get_if<Jump>(&end)) {
    w.u64(jump->addr);
  } else if (const auto* branch = std::get_if<Branch>(&end)) {
    w.u64(branch->test);
    w.u64(branch->then);
    w.u64(branch->otherwise);
  }
}

void write_instruction_bin(const Instruction& instruction, bin::Writer& w) noexcept {
  w.u32(static_cast<uint32_t>(instruction.index()));
  switch (instruction.index()) {
    case 0: {
      const auto& alloc = *std::get_if<Alloc>(&instruction);
      w.boolean(alloc.dirty);
      w.u64(alloc.target);
      break;
    }
    case 1: {
      const auto& free = *std::get_if<Free>(&instruction);
      w.boolean(free.dirty);
      w.u64(free.target);
      break;
    }
    case 2: {
      const auto& gate = *std::get_if<Gate>(&instruction);
      write_gate_bin(gate.gate, w);
      w.u64(gate.target);
      w.list<uint64_t>(gate.control);
      break;
    }
    case 3: {
      const auto& measure = *std::get_if<Measure>(&instruction);
      w.list<uint64_t>(measure.qubits);
      w.u64(measure.output);
      break;
    }
    case 4: {
      const auto& plugin = *std::get_if<Plugin>(&instruction);
      w.string(plugin.name);
      w.list<uint64_t>(plugin.target);
      w.string(plugin.args);
      break;
    }
    case 5: {
      const auto& op = *std::get_if<IntOp>(&instruction);
      w.u32(static_cast<uint32_t>(op.op));
      w.u64(op.result);
      w.u64(op.lhs);
      w.u64(op.rhs);
      break;
    }
    case 6: {
      const auto& set = *std::get_if<IntSet>(&instruction);
      w.u64(set.result);
      w.i64(set.value);
      break;
    }
    case 7: {
      const auto& dump = *std::get_if<Dump>(&instruction);
      w.list<uint64_t>(dump.qubits);
      w.u64(dump.output);
      break;
    }
    default: write_end_instruction_bin(std::get_if<End>(&instruction)->end, w); break;
  }
}

void write_code_block_bin(const CodeBlock& block, bin::Writer& w) noexcept {
  w.u64(block.instructions.size());
  for (const Instruction& instruction : block.instructions) write_instruction_bin(instruction, w);
  w.u64(block.gate_count.size());
  for (const auto& [key, value] : block.gate_count) {
    w.u64(key);
    w.u64(value);
  }
  w.u64(block.depth);
}

}  // namespace

std::size_t quantum_code_bin_size(std::span<const CodeBlock* const> blocks) {
  std::size_t size = kWord;
  for (const CodeBlock* block : blocks) size += code_block_bin_size(*block);
  return size;
}

ByteBuffer write_quantum_code_bin(std::span<const CodeBlock* const> blocks) {
  const std::size_t size = quantum_code_bin_size(blocks);
  ByteBuffer out(size);
  bin::Writer w(out.append_uninitialized(size));
  w.u64(blocks.size());
  for (const CodeBlock* block : blocks) write_code_block_bin(*block, w);
  return out;
}

}  // namespace plim::encoding
