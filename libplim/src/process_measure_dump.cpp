// Measurement into futures and state dumps.
#include "libplim/src/process.hpp"

using plim::PlimError;

namespace {

std::vector<uint64_t> indices_of(std::span<Qubit* const> qubits) {
  std::vector<uint64_t> indices;
  indices.reserve(qubits.size());
  for (const Qubit* qubit : qubits) indices.push_back(qubit->index);
  return indices;
}

}  // namespace

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
