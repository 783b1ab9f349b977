// The C interface of a process: measurement, dumps, integer operations,
// labels, jumps, branches and closing for execution.
#include <span>

#include "libplim/src/c_wrapper/guard.hpp"
#include "libplim/src/process.hpp"
#include "plim.h"

using plim::deliver;
using plim::guarded;
using plim::PlimError;
using plim::to_int;

extern "C" int plim_process_measure(Process* process, Qubit** qubits, size_t size,
                                    Future** future) {
  return guarded(
      [&] { return deliver(process->measure(std::span<Qubit* const>(qubits, size)), future); });
}

extern "C" int plim_process_dump(Process* process, Qubit** qubits, size_t size, Dump** dump) {
  return guarded(
      [&] { return deliver(process->dump(std::span<Qubit* const>(qubits, size)), dump); });
}

extern "C" int plim_process_add_int_op(Process* process, int op, Future* lhs, Future* rhs,
                                       Future** result) {
  // The number is checked before anything else is looked at.
  const auto number = static_cast<unsigned>(op);
  if (number >= plim::kClassicalOpVariants) return to_int(PlimError::UndefinedClassicalOp);
  return guarded([&] {
    return deliver(process->add_int_op(static_cast<plim::ClassicalOp>(number), *lhs, *rhs), result);
  });
}

extern "C" int plim_process_int_new(Process* process, int64_t value, Future** future) {
  return guarded([&] { return deliver(process->int_new(value), future); });
}

extern "C" int plim_process_int_set(Process* process, Future* destination, Future* source) {
  return guarded([&] { return to_int(process->int_set(*destination, *source)); });
}

extern "C" int plim_process_get_label(Process* process, Label** label) {
  return guarded([&] { return deliver(process->get_label(), label); });
}

extern "C" int plim_process_open_block(Process* process, Label* label) {
  return guarded([&] { return to_int(process->open_block(*label)); });
}

extern "C" int plim_process_jump(Process* process, Label* label) {
  return guarded([&] { return to_int(process->jump(*label)); });
}

extern "C" int plim_process_branch(Process* process, Future* test, Label* then, Label* otherwise) {
  return guarded([&] { return to_int(process->branch(*test, *then, *otherwise)); });
}

extern "C" int plim_process_prepare_for_execution(Process* process) {
  return guarded([&] { return to_int(process->prepare_for_execution()); });
}
