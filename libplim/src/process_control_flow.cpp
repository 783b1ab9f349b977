// Integer operations on futures, labels and blocks, jumps, branches and
// closing the process for execution.
#include "libplim/src/process.hpp"

using plim::PlimError;

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
