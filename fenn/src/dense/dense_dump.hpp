// The dense simulator's dump: the amplitudes above 1e-15 in magnitude, in
// index order, each with its index packed over the dumped positions.
#pragma once

#include <span>

#include "fenn/src/math/complex_math.hpp"
#include "fenn/src/quantum_execution/backend.hpp"
#include "libplim/src/model.hpp"

namespace fenn::dense {

// `state` holds the 2^n amplitudes of n qubits; every position is below n.
// Collected on the worker pool in two passes: one counts each block's
// entries, the other writes them at their place in index order.
plim::DumpData dump_amplitudes(std::span<const Amplitude> state, Positions positions);

}  // namespace fenn::dense
