// What every plim_* function does around its body: no exception leaves the
// library, and an out-parameter is written only on success.
#pragma once

#include <memory>
#include <utility>

#include "libplim/src/error.hpp"
#include "libplim/src/expected.hpp"

namespace plim {

// Runs the body and turns anything it throws (memory exhaustion above all)
// into the family's `fallback` code. Every family's C functions use this.
template <class Body>
int guarded_with(int fallback, Body&& body) noexcept {
  try {
    return std::forward<Body>(body)();
  } catch (...) {
    return fallback;
  }
}

// The builder's functions answer with UndefinedError.
template <class Body>
int guarded(Body&& body) noexcept {
  return guarded_with(to_int(PlimError::UndefinedError), std::forward<Body>(body));
}

// Hands a new handle to the host, or returns the refusal untouched.
template <class T>
int deliver(Expected<std::unique_ptr<T>, PlimError> made, T** out) noexcept {
  if (!made) return to_int(made.error());
  *out = std::move(made).value().release();
  return to_int(PlimError::Success);
}

}  // namespace plim
