// The C interface of a process: its life, qubits, gates, control lists,
// inverse scopes and plug-ins.
#include <span>
#include <string_view>
#include <utility>

#include "libplim/src/c_wrapper/guard.hpp"
#include "libplim/src/process.hpp"
#include "plim.h"

using plim::deliver;
using plim::guarded;
using plim::PlimError;
using plim::to_int;

namespace {

constexpr int kSuccess = 0;

// Gate numbers 0 to 7; the angle matters only for Phase and the rotations.
plim::QuantumGate gate_from_number(unsigned number, double angle) {
  switch (number) {
    case 0: return plim::PauliX{};
    case 1: return plim::PauliY{};
    case 2: return plim::PauliZ{};
    case 3: return plim::Hadamard{};
    case 4: return plim::Phase{angle};
    case 5: return plim::RX{angle};
    case 6: return plim::RY{angle};
    default: return plim::RZ{angle};
  }
}

}  // namespace

extern "C" int plim_process_new(uint64_t pid, Process** process) {
  return guarded([&] {
    *process = new Process(pid);
    return kSuccess;
  });
}

extern "C" int plim_process_delete(Process* process) {
  // The process lets go of its cells; handles keep theirs.
  delete process;
  return kSuccess;
}

extern "C" int plim_process_set_features(Process* process, Features* features) {
  return guarded([&] {
    // Copied whole, names included, so the host's later registrations do not
    // reach the process; the copy is made before the old value is touched.
    Features copy = *features;
    process->features = std::move(copy);
    return kSuccess;
  });
}

// A flag byte counts as set when it is not 0; the code stores true or false,
// so that BIN writes the byte as 0x01 or 0x00 whatever the host gave.
extern "C" int plim_process_allocate_qubit(Process* process, unsigned char dirty, Qubit** qubit) {
  return guarded([&] { return deliver(process->allocate_qubit(dirty != 0), qubit); });
}

extern "C" int plim_process_free_qubit(Process* process, Qubit* qubit, unsigned char dirty) {
  return guarded([&] { return to_int(process->free_qubit(*qubit, dirty != 0)); });
}

extern "C" int plim_process_apply_gate(Process* process, int gate, double param, Qubit* target) {
  // The number is checked before anything else is looked at.
  const auto number = static_cast<unsigned>(gate);
  if (number >= 8) return to_int(PlimError::UndefinedGate);
  return guarded(
      [&] { return to_int(process->apply_gate(gate_from_number(number, param), *target)); });
}

extern "C" int plim_process_ctrl_push(Process* process, Qubit** qubits, size_t size) {
  return guarded([&] { return to_int(process->ctrl_push(std::span<Qubit* const>(qubits, size))); });
}

extern "C" int plim_process_ctrl_pop(Process* process) {
  return guarded([&] { return to_int(process->ctrl_pop()); });
}

extern "C" int plim_process_adj_begin(Process* process) {
  return guarded([&] { return to_int(process->adj_begin()); });
}

extern "C" int plim_process_adj_end(Process* process) {
  return guarded([&] { return to_int(process->adj_end()); });
}

extern "C" int plim_process_apply_plugin(Process* process, const char* name, const char* args,
                                         Qubit** target, size_t size) {
  return guarded([&] {
    return to_int(process->apply_plugin(std::string_view(name), std::string_view(args),
                                        std::span<Qubit* const>(target, size)));
  });
}
