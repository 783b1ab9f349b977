// What every plim_* function does around its body: no exception leaves the
// library, and an out-parameter is written only on success.
#pragma once

#include <memory>
#include <utility>

#include "libplim/src/error.hpp"
#include "libplim/src/expected.hpp"

namespace plim {

// Runs the body and turns anything it throws (memory exhaustion above all)
// into UndefinedError.
template <class Body>
int guarded(Body&& body) noexcept {
  try {
    return std::forward<Body>(body)();
  } catch (...) {
    return to_int(PlimError::UndefinedError);
  }
}

// Hands a new handle to the host, or returns the refusal untouched.
template <class T>
int deliver(Expected<std::unique_ptr<T>, PlimError> made, T** out) noexcept {
  if (!made) return to_int(made.error());
  *out = std::move(made).value().release();
  return to_int(PlimError::Success);
}

}  // namespace plim
