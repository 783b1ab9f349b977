#include "fenn/src/dense/engine_dense.hpp"

namespace fenn {

template FennResult<plim::ResultData> run<dense::DenseSimulator>(
    dense::DenseSimulator&, std::span<const plim::CodeBlock* const>, const plim::Metrics&);

}  // namespace fenn
