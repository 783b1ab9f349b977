// The builder state of one quantum program. Every building operation checks
// its rules in a fixed order and reports the first that fails; effects made
// before a refused append stay in place.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "libplim/src/code_block.hpp"
#include "libplim/src/error.hpp"
#include "libplim/src/expected.hpp"
#include "libplim/src/features.hpp"
#include "libplim/src/model.hpp"
#include "libplim/src/object.hpp"
#include "libplim/src/serialized_data.hpp"

template <class T>
using PlimResult = plim::Expected<T, plim::PlimError>;

struct Process {
  explicit Process(uint64_t pid);

  uint64_t pid;
  plim::Metrics metrics;
  uint64_t allocated_qubits = 0;
  std::vector<plim::CodeBlockHandler> blocks;
  uint64_t current_block = 0;
  std::vector<std::vector<uint64_t>> ctrl_stack;
  // One entry per qubit number: set once the process has released the qubit
  // or measured it away. A control list may still name such a qubit after
  // its handle reads as no longer allocated.
  std::vector<bool> deallocated_qubits;
  std::vector<plim::ValueCell<int64_t>> futures;
  std::vector<plim::ValueCell<plim::DumpData>> dumps;
  std::optional<plim::SerializedData> serialized_quantum_code;
  std::optional<plim::SerializedData> serialized_metrics;
  std::optional<double> exec_time;
  Features features;

  // ---- qubits, gates, controls, inverse scopes, plug-ins
  PlimResult<std::unique_ptr<Qubit>> allocate_qubit(bool dirty);
  plim::PlimError free_qubit(Qubit& qubit, bool dirty);
  plim::PlimError apply_gate(plim::QuantumGate gate, Qubit& target);
  plim::PlimError ctrl_push(std::span<Qubit* const> qubits);
  plim::PlimError ctrl_pop();
  plim::PlimError adj_begin();
  plim::PlimError adj_end();
  plim::PlimError apply_plugin(std::string_view name, std::string_view args,
                               std::span<Qubit* const> target);

  // ---- measurement, dumps and control flow
  PlimResult<std::unique_ptr<Future>> measure(std::span<Qubit* const> qubits);
  PlimResult<std::unique_ptr<Dump>> dump(std::span<Qubit* const> qubits);
  PlimResult<std::unique_ptr<Future>> add_int_op(plim::ClassicalOp op, const Future& lhs,
                                                 const Future& rhs);
  PlimResult<std::unique_ptr<Future>> int_new(int64_t value);
  plim::PlimError int_set(const Future& destination, const Future& source);
  PlimResult<std::unique_ptr<Label>> get_label();
  plim::PlimError open_block(const Label& label);
  plim::PlimError jump(const Label& label);
  plim::PlimError branch(const Future& test, const Label& then, const Label& otherwise);
  plim::PlimError prepare_for_execution();

  // ---- serialisation and result intake
  const plim::SerializedData& serialize_metrics(plim::DataType type);
  const plim::SerializedData& serialize_quantum_code(plim::DataType type);
  // Success, FailToParseResult, or the refusal of set_result.
  plim::PlimError set_serialized_result(const plim::SerializedData& data);

  // ---- what executors use
  // The process's own metrics, valid until the process next changes.
  const plim::Metrics& get_metrics() const noexcept { return metrics; }
  // One reference per block, in block order; the blocks stay the process's.
  std::vector<const plim::CodeBlock*> get_quantum_code() const;
  // Success, or UnexpectedResultData with nothing changed.
  plim::PlimError set_result(plim::ResultData result);

  // ---- shared by the building operations
  // Appends to the current block: TerminatedBlock or NonGateInstruction when
  // the block refuses.
  plim::PlimError append(plim::Instruction instruction);
  // Makes the next future number with its empty cell, counted and recorded in
  // one step, and the handle that shares the cell.
  std::unique_ptr<Future> new_future();
  // The same for the next dump number.
  std::unique_ptr<Dump> new_dump();
  // Clears the handle's allocated flag and records its number as gone; a
  // plain store, so it cannot fail after an instruction went in.
  void deallocate(Qubit& qubit) noexcept;
  bool deallocated(uint64_t index) const noexcept;
};
