#include "libplim/src/code_block.hpp"

#include <algorithm>
#include <utility>

namespace plim {
namespace {

// Grows the list ahead of a move into it, geometrically as push_back would,
// so that running out of memory strikes before anything has changed.
void make_room(std::vector<Instruction>& list, std::size_t extra) {
  const std::size_t needed = list.size() + extra;
  if (needed > list.capacity()) list.reserve(std::max(needed, 2 * list.capacity()));
}

}  // namespace

PlimError CodeBlockHandler::add_instruction(Instruction instruction) {
  if (terminated_) return PlimError::TerminatedBlock;

  if (auto* gate = std::get_if<Gate>(&instruction)) {
    std::vector<Instruction>& destination =
        adj_instructions_.empty() ? block_.instructions : adj_instructions_.back();
    make_room(destination, 1);
    // Counted as it enters, whether it lands in the block or in a scope.
    ++block_.gate_count[gate->control.size() + 1];
    ++qubit_depth_[gate->target];
    for (uint64_t control : gate->control) ++qubit_depth_[control];
    destination.push_back(std::move(instruction));
    return PlimError::Success;
  }

  if (!adj_instructions_.empty()) return PlimError::NonGateInstruction;

  make_room(block_.instructions, 1);
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
  std::vector<Instruction>& closed = adj_instructions_.back();
  // The enclosing level receives the scope's gates last to first.
  std::vector<Instruction>& destination = adj_instructions_.size() == 1
                                              ? block_.instructions
                                              : adj_instructions_[adj_instructions_.size() - 2];
  make_room(destination, closed.size());
  destination.insert(destination.end(), std::make_move_iterator(closed.rbegin()),
                     std::make_move_iterator(closed.rend()));
  adj_instructions_.pop_back();
  return PlimError::Success;
}

}  // namespace plim
