// What a reader reports when its input does not hold a value of the expected
// type. The description is for diagnostics only: callers act on the failure
// alone and reduce it to the code their own C function names.
#pragma once

#include <string>

#include "libplim/src/expected.hpp"

namespace plim::encoding {

struct DecodeError {
  std::string description;
};

// A reader's outcome: the whole value or one error, never part of a value.
template <class T>
using Decoded = Expected<T, DecodeError>;

}  // namespace plim::encoding
