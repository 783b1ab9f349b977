// The process builder: every operation that builds a quantum program, its
// metrics, result intake and the kept encodings.
#include "libplim/src/process.hpp"

#include <algorithm>
#include <memory>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "libplim/src/encoding/serialize.hpp"
#include "libplim/src/gate_inverse.hpp"

using plim::PlimError;

// Construction, the code and result intake.

Process::Process(uint64_t pid_) : pid(pid_) {
  metrics.future_count = 1;
  metrics.block_count = 1;
  blocks.emplace_back();
  // Future 0 is the constant 0; no handle is ever made for it.
  futures.push_back(std::make_shared<std::optional<int64_t>>(0));
}

std::vector<const plim::CodeBlock*> Process::get_quantum_code() const {
  std::vector<const plim::CodeBlock*> code;
  code.reserve(blocks.size());
  for (const plim::CodeBlockHandler& handler : blocks) code.push_back(&handler.block());
  return code;
}

PlimError Process::set_result(plim::ResultData result) {
  if (result.future.size() != futures.size() || result.dump.size() != dumps.size())
    return PlimError::UnexpectedResultData;
  for (std::size_t i = 0; i < futures.size(); ++i) *futures[i] = result.future[i];
  for (std::size_t j = 0; j < dumps.size(); ++j) *dumps[j] = std::move(result.dump[j]);
  exec_time = result.exec_time;
  return PlimError::Success;
}

PlimError Process::append(plim::Instruction instruction) {
  return blocks[current_block].add_instruction(std::move(instruction));
}

std::unique_ptr<Future> Process::new_future() {
  // Everything that can run out of memory happens before the count moves, so
  // the count and the list of cells never disagree.
  auto handle = std::make_unique<Future>();
  handle->index = metrics.future_count;
  handle->pid = pid;
  handle->value = plim::make_empty_cell<int64_t>();
  futures.push_back(handle->value);
  ++metrics.future_count;
  return handle;
}

void Process::deallocate(Qubit& qubit) noexcept {
  qubit.allocated = false;
  // A handle of another process with the same pid may carry a number this
  // process never made; there is nothing of ours to record for it.
  if (qubit.index < deallocated_qubits.size()) deallocated_qubits[qubit.index] = true;
}

bool Process::deallocated(uint64_t index) const noexcept {
  return index < deallocated_qubits.size() && deallocated_qubits[index];
}

std::unique_ptr<Dump> Process::new_dump() {
  auto handle = std::make_unique<Dump>();
  handle->value = plim::make_empty_cell<plim::DumpData>();
  dumps.push_back(handle->value);
  ++metrics.dump_count;
  return handle;
}

// Allocating and releasing qubits.

PlimResult<std::unique_ptr<Qubit>> Process::allocate_qubit(bool dirty) {
  if (dirty && !features.allow_dirty_qubits) return plim::Unexpected{PlimError::DirtyNotAllowed};

  auto qubit = std::make_unique<Qubit>();
  qubit->index = metrics.qubit_count;
  qubit->pid = pid;
  // Made before the counters move, so that running out of memory here
  // changes nothing.
  deallocated_qubits.push_back(false);
  // The number is used up even when the append below is refused.
  ++metrics.qubit_count;
  ++allocated_qubits;
  metrics.qubit_simultaneous = std::max(metrics.qubit_simultaneous, allocated_qubits);

  if (PlimError e = append(plim::Alloc{dirty, qubit->index}); e != PlimError::Success)
    return plim::Unexpected{e};
  return qubit;
}

PlimError Process::free_qubit(Qubit& qubit, bool dirty) {
  if (dirty && !features.allow_dirty_qubits) return PlimError::DirtyNotAllowed;
  if (!features.allow_free) return PlimError::FreeNotAllowed;
  if (qubit.pid != pid) return PlimError::UnmatchedPid;
  if (!qubit.allocated) return PlimError::DeallocatedQubit;

  if (PlimError e = append(plim::Free{dirty, qubit.index}); e != PlimError::Success) return e;
  // allocated_qubits stays: qubit_simultaneous counts every allocation.
  deallocate(qubit);
  return PlimError::Success;
}

// Gates under the control stack, control lists, inverse scopes and plug-ins.

namespace {

bool contains(const std::vector<uint64_t>& list, uint64_t index) {
  return std::find(list.begin(), list.end(), index) != list.end();
}

std::vector<uint64_t> indices_of(std::span<Qubit* const> qubits) {
  std::vector<uint64_t> indices;
  indices.reserve(qubits.size());
  for (const Qubit* qubit : qubits) indices.push_back(qubit->index);
  return indices;
}

}  // namespace

PlimError Process::apply_gate(plim::QuantumGate gate, Qubit& target) {
  if (!target.allocated) return PlimError::DeallocatedQubit;
  if (target.pid != pid) return PlimError::UnmatchedPid;

  std::vector<uint64_t> control;
  for (const auto& list : ctrl_stack) control.insert(control.end(), list.begin(), list.end());
  if (contains(control, target.index)) return PlimError::TargetOnControl;

  // Each odd level of open scopes inverts the gate once on its way out, so
  // only the parity of the current count matters here.
  if (blocks[current_block].open_scopes() % 2 == 1) gate = plim::inverse(gate);

  // A control whose qubit is gone would leave its position to the next
  // allocation, and the gate would run controlled by whatever qubit took it.
  // Checked after everything else, the ended block's own refusal included, so
  // that only a gate that would otherwise be taken is refused for it.
  const plim::CodeBlockHandler& block = blocks[current_block];
  if (block.terminated()) return PlimError::TerminatedBlock;
  for (uint64_t qubit : control)
    if (deallocated(qubit)) return PlimError::DeallocatedQubit;
  return append(plim::Gate{std::move(gate), target.index, std::move(control)});
}

PlimError Process::ctrl_push(std::span<Qubit* const> qubits) {
  auto usable = [this](const Qubit& qubit) {
    if (!qubit.allocated) return PlimError::DeallocatedQubit;
    if (qubit.pid != pid) return PlimError::UnmatchedPid;
    return PlimError::Success;
  };
  if (ctrl_stack.empty()) {
    for (const Qubit* qubit : qubits)
      if (PlimError e = usable(*qubit); e != PlimError::Success) return e;
  }
  for (const auto& list : ctrl_stack) {
    for (const Qubit* qubit : qubits) {
      if (PlimError e = usable(*qubit); e != PlimError::Success) return e;
      if (contains(list, qubit->index)) return PlimError::ControlTwice;
    }
  }

  ctrl_stack.push_back(indices_of(qubits));
  return PlimError::Success;
}

PlimError Process::ctrl_pop() {
  if (ctrl_stack.empty()) return PlimError::NoCtrl;
  ctrl_stack.pop_back();
  return PlimError::Success;
}

PlimError Process::adj_begin() { return blocks[current_block].adj_begin(); }

PlimError Process::adj_end() { return blocks[current_block].adj_end(); }

PlimError Process::apply_plugin(std::string_view name, std::string_view args,
                                std::span<Qubit* const> target) {
  std::string owned_name(name);
  if (!features.registered_plugins.contains(owned_name)) return PlimError::PluginNotRegistered;
  if (!ctrl_stack.empty()) return PlimError::PluginOnCtrl;
  // Released targets are accepted: only ownership is checked.
  for (const Qubit* qubit : target)
    if (qubit->pid != pid) return PlimError::UnmatchedPid;

  plim::Plugin call{owned_name, {}, std::string(args)};
  call.target.reserve(target.size());
  for (const Qubit* qubit : target) call.target.push_back(qubit->index);
  // Recorded before the append, and kept when the append is refused.
  metrics.plugins.insert(std::move(owned_name));
  return append(std::move(call));
}

// Measurement into futures and state dumps.

PlimResult<std::unique_ptr<Future>> Process::measure(std::span<Qubit* const> qubits) {
  if (!features.allow_measure) return plim::Unexpected{PlimError::MeasureNotAllowed};
  std::vector<uint64_t> indices = indices_of(qubits);

  // Each accepted qubit is marked before the next is checked, and a later
  // refusal leaves the earlier marks in place.
  for (Qubit* qubit : qubits) {
    if (qubit->pid != pid) return plim::Unexpected{PlimError::UnmatchedPid};
    if (!qubit->allocated) return plim::Unexpected{PlimError::DeallocatedQubit};
    qubit->measured = true;
  }
  if (!features.valid_after_measure)
    for (Qubit* qubit : qubits) deallocate(*qubit);

  std::unique_ptr<Future> future = new_future();
  if (PlimError e = append(plim::Measure{std::move(indices), future->index});
      e != PlimError::Success)
    return plim::Unexpected{e};
  return future;
}

PlimResult<std::unique_ptr<Dump>> Process::dump(std::span<Qubit* const> qubits) {
  if (!features.allow_dump) return plim::Unexpected{PlimError::DumpNotAllowed};
  for (const Qubit* qubit : qubits) {
    if (qubit->pid != pid) return plim::Unexpected{PlimError::UnmatchedPid};
    if (!qubit->allocated) return plim::Unexpected{PlimError::DeallocatedQubit};
  }

  const uint64_t output = metrics.dump_count;
  std::unique_ptr<Dump> handle = new_dump();
  if (PlimError e = append(plim::Dump{indices_of(qubits), output}); e != PlimError::Success)
    return plim::Unexpected{e};

  if (!features.continue_after_dump && !metrics.ready) {
    // The block has just taken the Dump, so it is open and outside any
    // scope: this End cannot be refused.
    metrics.ready = true;
    append(plim::End{plim::Halt{}});
  }
  return handle;
}

// Integer operations, labels and blocks, jumps, branches, closing for execution.

PlimResult<std::unique_ptr<Future>> Process::add_int_op(plim::ClassicalOp op, const Future& lhs,
                                                        const Future& rhs) {
  if (!features.allow_control_flow) return plim::Unexpected{PlimError::ControlFlowNotAllowed};
  if (lhs.pid != pid || rhs.pid != pid) return plim::Unexpected{PlimError::UnmatchedPid};

  std::unique_ptr<Future> result = new_future();
  if (PlimError e = append(plim::IntOp{op, result->index, lhs.index, rhs.index});
      e != PlimError::Success)
    return plim::Unexpected{e};
  return result;
}

PlimResult<std::unique_ptr<Future>> Process::int_new(int64_t value) {
  if (!features.allow_control_flow) return plim::Unexpected{PlimError::ControlFlowNotAllowed};

  // The cell stays empty: the value arrives with the run's result.
  std::unique_ptr<Future> future = new_future();
  if (PlimError e = append(plim::IntSet{future->index, value}); e != PlimError::Success)
    return plim::Unexpected{e};
  return future;
}

PlimError Process::int_set(const Future& destination, const Future& source) {
  if (!features.allow_control_flow) return PlimError::ControlFlowNotAllowed;
  if (destination.pid != pid || source.pid != pid) return PlimError::UnmatchedPid;
  // destination = 0 + source, future 0 being the constant 0.
  return append(plim::IntOp{plim::ClassicalOp::Add, destination.index, 0, source.index});
}

PlimResult<std::unique_ptr<Label>> Process::get_label() {
  if (!features.allow_control_flow) return plim::Unexpected{PlimError::ControlFlowNotAllowed};

  auto label = std::make_unique<Label>();
  label->index = metrics.block_count;
  label->pid = pid;
  blocks.emplace_back();
  ++metrics.block_count;
  return label;
}

PlimError Process::open_block(const Label& label) {
  if (label.pid != pid) return PlimError::UnmatchedPid;
  // Only a label of another process with the same pid can name a block that
  // does not exist here; it is refused as not this process's own rather than
  // left to make the current block dangle.
  if (label.index >= blocks.size()) return PlimError::UnmatchedPid;
  current_block = label.index;
  return PlimError::Success;
}

PlimError Process::jump(const Label& label) {
  if (label.pid != pid) return PlimError::UnmatchedPid;
  return append(plim::End{plim::Jump{label.index}});
}

PlimError Process::branch(const Future& test, const Label& then, const Label& otherwise) {
  if (test.pid != pid || then.pid != pid || otherwise.pid != pid) return PlimError::UnmatchedPid;
  return append(plim::End{plim::Branch{test.index, then.index, otherwise.index}});
}

PlimError Process::prepare_for_execution() {
  if (metrics.ready) return PlimError::Success;
  // Ready only with the Halt in place: a refused call leaves the process
  // open, and a later call, once the block takes the Halt, closes it.
  if (PlimError e = append(plim::End{plim::Halt{}}); e != PlimError::Success) return e;
  metrics.ready = true;
  return PlimError::Success;
}

// Kept encodings and the serialised result.

const plim::SerializedData& Process::serialize_metrics(plim::DataType type) {
  serialized_metrics = plim::SerializedData{type, plim::encoding::encode_metrics(metrics, type)};
  return *serialized_metrics;
}

const plim::SerializedData& Process::serialize_quantum_code(plim::DataType type) {
  const std::vector<const plim::CodeBlock*> code = get_quantum_code();
  serialized_quantum_code =
      plim::SerializedData{type, plim::encoding::encode_quantum_code(code, type)};
  return *serialized_quantum_code;
}

PlimError Process::set_serialized_result(const plim::SerializedData& data) {
  // JSON that is not UTF-8 does not decode: the reader refuses it like any
  // other malformed text.
  plim::encoding::Decoded<plim::ResultData> result =
      plim::encoding::decode_result(data.bytes.bytes(), data.type);
  if (!result) return PlimError::FailToParseResult;
  return set_result(std::move(result).value());
}
