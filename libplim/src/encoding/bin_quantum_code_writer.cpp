#include <cstdint>
#include <span>
#include <variant>

#include "libplim/src/encoding/bin.hpp"
#include "libplim/src/encoding/bin_primitives.hpp"

namespace plim::encoding {
namespace {

// Each writer takes its output as a template: a bin::Counter sizes what a
// bin::Writer then writes, in the same walk.

template <class Out>
void write_gate_bin(const QuantumGate& gate, Out& w) noexcept {
  w.u32(static_cast<uint32_t>(gate.index()));
  std::visit(
      [&](const auto& g) {
        using G = std::decay_t<decltype(g)>;
        if constexpr (std::is_same_v<G, Unitary>) {
          for (const Complex& entry : g.matrix) {
            w.f64(entry.re);
            w.f64(entry.im);
          }
        } else if constexpr (requires { g.angle; }) {
          w.f64(g.angle);
        }
      },
      gate);
}

template <class Out>
struct InstructionFields {
  Out& w;

  void operator()(const Alloc& alloc) const noexcept { qubit_step(alloc); }
  void operator()(const Free& free) const noexcept { qubit_step(free); }
  void operator()(const Gate& gate) const noexcept {
    write_gate_bin(gate.gate, w);
    w.u64(gate.target);
    w.template list<uint64_t>(gate.control);
  }
  void operator()(const Measure& measure) const noexcept { list_step(measure); }
  void operator()(const Plugin& plugin) const noexcept {
    w.string(plugin.name);
    w.template list<uint64_t>(plugin.target);
    w.string(plugin.args);
  }
  void operator()(const IntOp& op) const noexcept {
    w.u32(static_cast<uint32_t>(op.op));
    w.u64(op.result);
    w.u64(op.lhs);
    w.u64(op.rhs);
  }
  void operator()(const IntSet& set) const noexcept {
    w.u64(set.result);
    w.i64(set.value);
  }
  void operator()(const Dump& dump) const noexcept { list_step(dump); }
  void operator()(const End& end) const noexcept {
    w.u32(static_cast<uint32_t>(end.end.index()));
    if (const auto* jump = std::get_if<Jump>(&end.end)) {
      w.u64(jump->addr);
    } else if (const auto* branch = std::get_if<Branch>(&end.end)) {
      w.u64(branch->test);
      w.u64(branch->then);
      w.u64(branch->otherwise);
    }
  }

  template <class Step>
  void qubit_step(const Step& step) const noexcept {
    w.boolean(step.dirty);
    w.u64(step.target);
  }
  template <class Step>
  void list_step(const Step& step) const noexcept {
    w.template list<uint64_t>(step.qubits);
    w.u64(step.output);
  }
};

template <class Out>
void write_instruction_bin(const Instruction& instruction, Out& w) noexcept {
  w.u32(static_cast<uint32_t>(instruction.index()));
  std::visit(InstructionFields<Out>{w}, instruction);
}

template <class Out>
void write_code_block_bin(const CodeBlock& block, Out& w) noexcept {
  w.u64(block.instructions.size());
  for (const Instruction& instruction : block.instructions) write_instruction_bin(instruction, w);
  w.u64(block.gate_count.size());
  for (const auto& [key, value] : block.gate_count) {
    w.u64(key);
    w.u64(value);
  }
  w.u64(block.depth);
}

// One walk sizes and writes.
constexpr auto write_blocks_bin = [](std::span<const CodeBlock* const> blocks, auto& w) noexcept {
  w.u64(blocks.size());
  for (const CodeBlock* block : blocks) write_code_block_bin(*block, w);
};

}  // namespace

std::size_t quantum_code_bin_size(std::span<const CodeBlock* const> blocks) {
  return bin::counted_size(blocks, write_blocks_bin);
}

ByteBuffer write_quantum_code_bin(std::span<const CodeBlock* const> blocks) {
  return bin::write_exact(blocks, write_blocks_bin);
}

}  // namespace plim::encoding
