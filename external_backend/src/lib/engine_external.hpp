// The engine bound to the external back end, instantiated once in
// engine_external.cpp; whoever runs it includes this header, so that it
// calls that instance instead of making its own.
#pragma once

#include "external_backend/src/lib/external_backend.hpp"
#include "fenn/src/quantum_execution/engine.hpp"

namespace fenn {

extern template FennResult<plim::ResultData> run<external_backend::ExternalBackend>(
    external_backend::ExternalBackend&, std::span<const plim::CodeBlock* const>,
    const plim::Metrics&);

}  // namespace fenn
