// The gate that undoes a gate: what an odd number of open inverse scopes
// stores in place of the gate applied.
#pragma once

#include "libplim/src/model.hpp"

namespace plim {

// Pauli gates and Hadamard are their own inverse; the rotations and Phase
// get their angle's sign bit flipped (0.0 becomes -0.0); Unitary becomes its
// conjugate transpose.
QuantumGate inverse(const QuantumGate& gate);

}  // namespace plim
