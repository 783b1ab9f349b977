// No exception crosses the C interface: whatever escapes an operation (in
// practice, memory exhausted on the way) is reported as UndefinedError.
#pragma once

#include <cstdint>

#include "fenn/src/quantum_execution/fenn_error.hpp"
#include "libplim/src/c_wrapper/guard.hpp"

namespace fenn {

template <class Body>
int32_t guarded(const Body& body) noexcept {
  return plim::guarded_with(error_code(FennError::UndefinedError), body);
}

}  // namespace fenn
