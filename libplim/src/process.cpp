#include "libplim/src/process.hpp"

#include <memory>
#include <utility>

using plim::PlimError;

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
