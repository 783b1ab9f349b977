// Calls on a back end that tests make directly, without the engine: a
// gate's operation by its kind, and a state with an amplitude on every index.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <variant>

#include "fenn/src/quantum_execution/backend.hpp"
#include "libplim/src/model.hpp"

namespace support {

// Calls the back-end operation of `gate`, as the engine does for a Gate.
template <class B>
void apply_gate(B& backend, const plim::QuantumGate& gate, uint64_t target, fenn::Positions controls) {
  switch (gate.index()) {
    case 0: backend.pauli_x(target, controls); break;
    case 1: backend.pauli_y(target, controls); break;
    case 2: backend.pauli_z(target, controls); break;
    case 3: backend.hadamard(target, controls); break;
    case 4: backend.phase(std::get<plim::Phase>(gate).angle, target, controls); break;
    case 5: backend.rx(std::get<plim::RX>(gate).angle, target, controls); break;
    case 6: backend.ry(std::get<plim::RY>(gate).angle, target, controls); break;
    case 7: backend.rz(std::get<plim::RZ>(gate).angle, target, controls); break;
    default:
      if constexpr (B::supports_unitary) {
        backend.unitary(std::get<plim::Unitary>(gate).matrix, target, controls);
      } else {
        ADD_FAILURE() << "this back end has no unitary";
      }
  }
}

// RY then Phase on each listed position, with angles that differ from one
// position to the next: a product state whose amplitudes are all distinct
// and none zero.
template <class B>
void spread(B& backend, fenn::Positions positions) {
  for (std::size_t i = 0; i < positions.size(); ++i) {
    backend.ry(0.4 + 0.37 * static_cast<double>(i), positions[i], {});
    backend.phase(0.1 * static_cast<double>(i + 1), positions[i], {});
  }
}

}  // namespace support
