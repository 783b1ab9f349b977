#include "external_backend/src/lib/engine_external.hpp"

namespace fenn {

template FennResult<plim::ResultData> run<external_backend::ExternalBackend>(
    external_backend::ExternalBackend&, std::span<const plim::CodeBlock* const>,
    const plim::Metrics&);

}  // namespace fenn
