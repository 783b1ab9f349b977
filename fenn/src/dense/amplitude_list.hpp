// The storage of one list of 2^n amplitudes.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <memory>

#include "fenn/src/dense/complex_math.hpp"

namespace fenn::dense {

struct FreeAmplitudes {
  void operator()(Amplitude* list) const noexcept { std::free(list); }
};
using AmplitudeList = std::unique_ptr<Amplitude[], FreeAmplitudes>;

// A list of `size` amplitudes, all (0.0, 0.0), or null when the memory is not
// available. The pages are first written by the worker pool, not serially.
AmplitudeList allocate_zeroed(uint64_t size);

}  // namespace fenn::dense
