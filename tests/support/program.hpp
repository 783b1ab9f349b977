// Quantum code written directly as blocks of instructions, with the metrics
// of a ready run, and a run of it through the engine on any back end.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "fenn/src/quantum_execution/engine.hpp"
#include "libplim/src/model.hpp"

namespace support {

using plim::Instruction;

struct Program {
  std::vector<plim::CodeBlock> blocks;
  plim::Metrics metrics;

  Program(uint64_t qubits, uint64_t futures, uint64_t dumps = 0) {
    metrics.qubit_simultaneous = qubits;
    metrics.future_count = futures;
    metrics.dump_count = dumps;
    metrics.ready = true;
  }

  // Appends a block of these instructions; returns its index.
  uint64_t block(std::vector<Instruction> instructions) {
    plim::CodeBlock b;
    b.instructions = std::move(instructions);
    blocks.push_back(std::move(b));
    return blocks.size() - 1;
  }

  // Appends to the last block, block 0 when there is none yet.
  void add(Instruction instruction) {
    if (blocks.empty()) block({});
    blocks.back().instructions.push_back(std::move(instruction));
  }

  std::vector<const plim::CodeBlock*> code() const {
    std::vector<const plim::CodeBlock*> refs;
    for (const auto& b : blocks) refs.push_back(&b);
    return refs;
  }

  template <class B>
  fenn::FennResult<plim::ResultData> run() const {
    auto made = B::create(metrics);
    if (!made) return plim::Unexpected{made.error()};
    B backend = std::move(*made);
    return fenn::run(backend, code(), metrics);
  }
};

inline Instruction halt() { return plim::End{plim::Halt{}}; }
inline Instruction jump(uint64_t addr) { return plim::End{plim::Jump{addr}}; }
inline Instruction branch(uint64_t test, uint64_t then, uint64_t otherwise) {
  return plim::End{plim::Branch{test, then, otherwise}};
}
inline Instruction alloc(uint64_t target, bool dirty = false) { return plim::Alloc{dirty, target}; }
inline Instruction release(uint64_t target, bool dirty = false) { return plim::Free{dirty, target}; }
inline Instruction x(uint64_t target, std::vector<uint64_t> control = {}) {
  return plim::Gate{plim::PauliX{}, target, std::move(control)};
}
inline Instruction measure(std::vector<uint64_t> qubits, uint64_t output) {
  return plim::Measure{std::move(qubits), output};
}
inline Instruction set(uint64_t result, int64_t value) { return plim::IntSet{result, value}; }
inline Instruction op(plim::ClassicalOp o, uint64_t result, uint64_t lhs, uint64_t rhs) {
  return plim::IntOp{o, result, lhs, rhs};
}
inline Instruction dump(std::vector<uint64_t> qubits, uint64_t output) {
  return plim::Dump{std::move(qubits), output};
}
inline Instruction plugin(std::vector<uint64_t> targets, std::string args) {
  return plim::Plugin{"pown", std::move(targets), std::move(args)};
}

}  // namespace support
