// Allocating and releasing qubits.
#include <algorithm>
#include <memory>

#include "libplim/src/process.hpp"

using plim::PlimError;

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
