// The execution engine: interprets quantum code on one back end. Written
// once over the back-end concept and instantiated per back end at build
// time, so the per-instruction path makes direct calls only.
#pragma once

#include <chrono>
#include <cstdint>
#include <exception>
#include <span>
#include <utility>
#include <variant>

#include "fenn/src/quantum_execution/backend.hpp"
#include "fenn/src/quantum_execution/integer_ops.hpp"
#include "fenn/src/quantum_execution/map_qubits.hpp"
#include "fenn/src/quantum_execution/run_state.hpp"
#include "libplim/src/model.hpp"

namespace fenn {

namespace engine_detail {

using Clock = std::chrono::steady_clock;

inline plim::Unexpected<FennError> fail(FennError error) { return plim::Unexpected{error}; }
inline plim::Unexpected<FennError> malformed() { return fail(FennError::UndefinedError); }

// A block is entered only when it ends with End, so a run never spins on a
// block that cannot leave itself.
inline bool well_formed(const plim::CodeBlock& block) {
  return !block.instructions.empty() && std::holds_alternative<plim::End>(block.instructions.back());
}

// What an instruction asks of the loop after it has been carried out.
enum class Step { Next, Halt };

template <QuantumExecution B>
class Interpreter {
 public:
  Interpreter(B& backend, std::span<const plim::CodeBlock* const> code, RunState& state)
      : backend_(backend), code_(code), state_(state) {}

  uint64_t successor = 0;

  FennResult<Step> execute(const plim::Instruction& instruction) {
    // A switch on the alternative's index rather than std::visit, which may
    // dispatch through a table of function pointers.
    switch (instruction.index()) {
      case 0: return alloc(*std::get_if<plim::Alloc>(&instruction));
      case 1: return free(*std::get_if<plim::Free>(&instruction));
      case 2: return gate(*std::get_if<plim::Gate>(&instruction));
      case 3: return measure(*std::get_if<plim::Measure>(&instruction));
      case 4: return plugin(*std::get_if<plim::Plugin>(&instruction));
      case 5: return int_op(*std::get_if<plim::IntOp>(&instruction));
      case 6: return int_set(*std::get_if<plim::IntSet>(&instruction));
      case 7: return dump(*std::get_if<plim::Dump>(&instruction));
      case 8: return end(std::get_if<plim::End>(&instruction)->end);
    }
    return malformed();
  }

 private:
  FennResult<Step> alloc(const plim::Alloc& alloc) {
    const auto position = state_.take_position(alloc.dirty);
    if (!position) return fail(FennError::OutOfQubits);
    if (alloc.target >= state_.qubit_map.size()) return malformed();
    state_.qubit_map[alloc.target] = *position;
    return Step::Next;
  }

  FennResult<Step> free(const plim::Free& free) {
    if (free.target >= state_.qubit_map.size()) return malformed();
    state_.release_position(state_.qubit_map[free.target], free.dirty);
    return Step::Next;
  }

  FennResult<Step> gate(const plim::Gate& gate) {
    if (gate.target >= state_.qubit_map.size()) return malformed();
    const uint64_t target = state_.qubit_map[gate.target];
    if (!map_qubits_into(gate.control, state_.qubit_map, state_.positions)) return malformed();
    const Positions controls(state_.positions);
    const plim::QuantumGate& kind = gate.gate;
    switch (kind.index()) {
      case 0: backend_.pauli_x(target, controls); break;
      case 1: backend_.pauli_y(target, controls); break;
      case 2: backend_.pauli_z(target, controls); break;
      case 3: backend_.hadamard(target, controls); break;
      case 4: backend_.phase(std::get_if<plim::Phase>(&kind)->angle, target, controls); break;
      case 5: backend_.rx(std::get_if<plim::RX>(&kind)->angle, target, controls); break;
      case 6: backend_.ry(std::get_if<plim::RY>(&kind)->angle, target, controls); break;
      case 7: backend_.rz(std::get_if<plim::RZ>(&kind)->angle, target, controls); break;
      case 8:
        if constexpr (B::supports_unitary) {
          backend_.unitary(std::get_if<plim::Unitary>(&kind)->matrix, target, controls);
          break;
        } else {
          return fail(FennError::UnsupportedPlugin);
        }
      default: return malformed();
    }
    return Step::Next;
  }

  FennResult<Step> measure(const plim::Measure& measure) {
    // The last listed qubit gives bit 0; past 64 qubits the bits wrap.
    uint64_t packed = 0;
    uint64_t k = 0;
    for (auto it = measure.qubits.rbegin(); it != measure.qubits.rend(); ++it, ++k) {
      if (*it >= state_.qubit_map.size()) return malformed();
      const FennResult<uint8_t> bit = backend_.measure(state_.qubit_map[*it]);
      if (!bit) return fail(bit.error());
      packed |= static_cast<uint64_t>(*bit != 0) << (k % 64);
    }
    if (measure.output >= state_.futures.size()) return malformed();
    state_.futures[measure.output] = static_cast<int64_t>(packed);
    return Step::Next;
  }

  FennResult<Step> plugin(const plim::Plugin& plugin) {
    if (!map_qubits_into(plugin.target, state_.qubit_map, state_.positions)) return malformed();
    const Status status = backend_.plugin(plugin.name, plugin.args, Positions(state_.positions));
    if (!status) return fail(status.error());
    return Step::Next;
  }

  FennResult<Step> int_op(const plim::IntOp& op) {
    auto& futures = state_.futures;
    if (op.lhs >= futures.size() || op.rhs >= futures.size()) return malformed();
    const int64_t a = futures[op.lhs];
    const int64_t b = futures[op.rhs];
    if (undefined_division(op.op, a, b)) return malformed();
    if (op.result >= futures.size()) return malformed();
    futures[op.result] = evaluate_int_op(op.op, a, b);
    return Step::Next;
  }

  FennResult<Step> int_set(const plim::IntSet& set) {
    if (set.result >= state_.futures.size()) return malformed();
    state_.futures[set.result] = set.value;
    return Step::Next;
  }

  FennResult<Step> dump(const plim::Dump& dump) {
    if (!map_qubits_into(dump.qubits, state_.qubit_map, state_.positions)) return malformed();
    plim::DumpData data = backend_.dump(Positions(state_.positions));
    if (dump.output >= state_.dumps.size()) return malformed();
    state_.dumps[dump.output] = std::move(data);
    return Step::Next;
  }

  // Jump and Branch only choose the successor; it is checked here, where the
  // malformed address stands, rather than when the block ends.
  FennResult<Step> end(const plim::EndInstruction& end) {
    switch (end.index()) {
      case 0: {
        const uint64_t addr = std::get_if<plim::Jump>(&end)->addr;
        if (addr >= code_.size()) return malformed();
        successor = addr;
        return Step::Next;
      }
      case 1: {
        const auto& branch = *std::get_if<plim::Branch>(&end);
        if (branch.test >= state_.futures.size()) return malformed();
        const uint64_t next = state_.futures[branch.test] != 0 ? branch.then : branch.otherwise;
        if (next >= code_.size()) return malformed();
        successor = next;
        return Step::Next;
      }
      case 2: return Step::Halt;
    }
    return malformed();
  }

  B& backend_;
  std::span<const plim::CodeBlock* const> code_;
  RunState& state_;
};

// Whole seconds elapsed strictly beyond the limit.
inline bool timed_out(Clock::time_point start, uint64_t limit) {
  const auto whole = std::chrono::duration_cast<std::chrono::seconds>(Clock::now() - start);
  return static_cast<uint64_t>(whole.count()) > limit;
}

template <QuantumExecution B>
FennResult<plim::ResultData> run_checked(B& backend, std::span<const plim::CodeBlock* const> code,
                                         const plim::Metrics& metrics) {
  if (!metrics.ready) return fail(FennError::NotReady);
  if (!RunState::fits_in_memory(metrics)) return fail(FennError::UndefinedError);
  RunState state(metrics);
  const Clock::time_point start = Clock::now();
  if (code.empty()) return malformed();

  Interpreter<B> interpreter(backend, code, state);
  const bool limited = metrics.timeout.has_value();
  const uint64_t limit = metrics.timeout.value_or(0);
  for (;;) {
    const plim::CodeBlock& block = *code[interpreter.successor];
    if (!well_formed(block)) return malformed();
    for (const plim::Instruction& instruction : block.instructions) {
      if (limited && timed_out(start, limit)) return fail(FennError::Timeout);
      const FennResult<Step> step = interpreter.execute(instruction);
      if (!step) return fail(step.error());
      if (*step == Step::Halt) {
        plim::ResultData result;
        result.exec_time = seconds_of(Clock::now() - start);
        result.future = std::move(state.futures);
        result.dump = std::move(state.dumps);
        return result;
      }
    }
  }
}

}  // namespace engine_detail

// Runs the quantum code on `backend` from block 0 until Halt. NotReady
// before anything is built; UndefinedError for code that breaks the
// engine's rules, for a run state that this process cannot get (refused
// before it is built) and for memory exhausted during the run.
template <QuantumExecution B>
FennResult<plim::ResultData> run(B& backend, std::span<const plim::CodeBlock* const> code,
                                 const plim::Metrics& metrics) {
  try {
    return engine_detail::run_checked(backend, code, metrics);
  } catch (const std::exception&) {
    // Memory exhausted (bad_alloc, length_error), or no seed from the
    // operating system for a measurement.
    return plim::Unexpected{FennError::UndefinedError};
  }
}

}  // namespace fenn
