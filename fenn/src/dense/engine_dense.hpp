// The engine bound to the dense simulator, instantiated once in
// engine_dense.cpp; whoever runs it includes this header, so that it calls
// that instance instead of making its own.
#pragma once

#include "fenn/src/dense/dense_simulator.hpp"
#include "fenn/src/quantum_execution/engine.hpp"

namespace fenn {

extern template FennResult<plim::ResultData> run<dense::DenseSimulator>(
    dense::DenseSimulator&, std::span<const plim::CodeBlock* const>, const plim::Metrics&);

}  // namespace fenn
