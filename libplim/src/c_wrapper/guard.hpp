// What every plim_* function does around its body: no exception leaves the
// library, and an out-parameter is written only on success.
#pragma once

#include <cstring>
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

// A host binding may pass any non-zero byte as true; read the byte itself
// instead of trusting it to hold 0 or 1, which the compiler would assume.
inline bool byte_flag(bool flag) noexcept {
  unsigned char raw;
  std::memcpy(&raw, &flag, 1);
  asm("" : "+r"(raw));
  return raw != 0;
}

}  // namespace plim
