// The engine bound to the dense simulator, instantiated once in
// engine_dense.cpp.
#pragma once

#include "fenn/src/dense/dense_simulator.hpp"
#include "fenn/src/quantum_execution/engine.hpp"

namespace fenn {

extern template FennResult<plim::ResultData> run<dense::DenseSimulator>(
    dense::DenseSimulator&, std::span<const plim::CodeBlock* const>, const plim::Metrics&);
extern template Status run_and_set_result<dense::DenseSimulator>(Process&);

}  // namespace fenn
