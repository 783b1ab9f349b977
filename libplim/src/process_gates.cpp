// Gates under the control stack, control lists, inverse scopes and plug-ins.
#include <algorithm>
#include <string>

#include "libplim/src/gate_inverse.hpp"
#include "libplim/src/process.hpp"

using plim::PlimError;

namespace {

bool contains(const std::vector<uint64_t>& list, uint64_t index) {
  return std::find(list.begin(), list.end(), index) != list.end();
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

  std::vector<uint64_t> indices;
  indices.reserve(qubits.size());
  for (const Qubit* qubit : qubits) indices.push_back(qubit->index);
  ctrl_stack.push_back(std::move(indices));
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
