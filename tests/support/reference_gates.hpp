// The textbook matrix of each gate of the quantum-code model, for driving
// the reference state alongside a back end.
#pragma once

#include <variant>

#include "libplim/src/model.hpp"
#include "tests/support/reference_state.hpp"

namespace reference {

// How a back end reads the four stored numbers of a Unitary gate: the dense
// simulator takes (m0, m1) as the first column, the others as the first row.
enum class UnitaryReading { Rows, Columns };

inline Matrix2 textbook(const plim::QuantumGate& gate, UnitaryReading reading) {
  switch (gate.index()) {
    case 0: return pauli_x();
    case 1: return pauli_y();
    case 2: return pauli_z();
    case 3: return hadamard();
    case 4: return phase(std::get<plim::Phase>(gate).angle);
    case 5: return rx(std::get<plim::RX>(gate).angle);
    case 6: return ry(std::get<plim::RY>(gate).angle);
    case 7: return rz(std::get<plim::RZ>(gate).angle);
    default: {
      const auto& m = std::get<plim::Unitary>(gate).matrix;
      auto c = [](plim::Complex z) { return C(z.re, z.im); };
      if (reading == UnitaryReading::Columns) return {c(m[0]), c(m[2]), c(m[1]), c(m[3])};
      return {c(m[0]), c(m[1]), c(m[2]), c(m[3])};
    }
  }
}

}  // namespace reference
