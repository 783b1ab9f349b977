#include "libplim/src/code_block.hpp"

#include <algorithm>
#include <utility>

namespace plim {

PlimError CodeBlockHandler::add_instruction(Instruction instruction) {
  if (terminated_) return PlimError::TerminatedBlock;

  if (auto* gate = std::get_if<Gate>(&instruction)) {
    // Counted as it enters, whether it lands in the block or in a scope.
    ++block_.gate_count[gate->control.size() + 1];
    ++qubit_depth_[gate->target];
    for (uint64_t control : gate->control) ++qubit_depth_[control];
    if (adj_instructions_.empty())
      block_.instructions.push_back(std::move(instruction));
    else
      adj_instructions_.back().push_back(std::move(instruction));
    return PlimError::Success;
  }

  if (!adj_instructions_.empty()) return PlimError::NonGateInstruction;

  if (std::holds_alternative<End>(instruction)) {
    terminated_ = true;
    uint64_t deepest = 0;
    for (const auto& [qubit, count] : qubit_depth_) deepest = std::max(deepest, count);
    block_.depth = deepest;
  }
  block_.instructions.push_back(std::move(instruction));
  return PlimError::Success;
}

PlimError CodeBlockHandler::adj_begin() {
  if (terminated_) return PlimError::TerminatedBlock;
  adj_instructions_.emplace_back();
  return PlimError::Success;
}

PlimError CodeBlockHandler::adj_end() {
  if (adj_instructions_.empty()) return PlimError::NoAdj;
  std::vector<Instruction> closed = std::move(adj_instructions_.back());
  adj_instructions_.pop_back();
  // The enclosing level receives the scope's gates last to first.
  std::vector<Instruction>& destination =
      adj_instructions_.empty() ? block_.instructions : adj_instructions_.back();
  destination.insert(destination.end(), std::make_move_iterator(closed.rbegin()),
                     std::make_move_iterator(closed.rend()));
  return PlimError::Success;
}

}  // namespace plim
