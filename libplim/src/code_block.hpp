// One code block while it grows: the CodeBlock that executors see, plus the
// builder's own state (open inverse scopes, per-qubit gate counts, whether
// the block has been ended).
#pragma once

#include <cstdint>
#include <unordered_map>
#include <vector>

#include "libplim/src/error.hpp"
#include "libplim/src/model.hpp"

namespace plim {

class CodeBlockHandler {
 public:
  // Appends one instruction, or refuses it with TerminatedBlock or
  // NonGateInstruction leaving the record as it was. Gates are counted
  // first and go to the innermost open scope when there is one.
  PlimError add_instruction(Instruction instruction);

  // Opens an inverse scope; TerminatedBlock once the block is ended.
  PlimError adj_begin();

  // Closes the innermost scope, passing its gates in reverse order to the
  // enclosing scope or to the block; NoAdj when none is open.
  PlimError adj_end();

  std::size_t open_scopes() const noexcept { return adj_instructions_.size(); }
  bool terminated() const noexcept { return terminated_; }
  const CodeBlock& block() const noexcept { return block_; }
  const std::unordered_map<uint64_t, uint64_t>& qubit_depth() const noexcept {
    return qubit_depth_;
  }
  const std::vector<std::vector<Instruction>>& adj_instructions() const noexcept {
    return adj_instructions_;
  }

 private:
  CodeBlock block_;
  std::vector<std::vector<Instruction>> adj_instructions_;
  std::unordered_map<uint64_t, uint64_t> qubit_depth_;
  bool terminated_ = false;
};

}  // namespace plim
