// The storage of one list of 2^n amplitudes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>

#include "fenn/src/math/complex_math.hpp"

namespace fenn::dense {

struct FreeAmplitudes {
  void operator()(Amplitude* list) const noexcept { std::free(list); }
};
using AmplitudeList = std::unique_ptr<Amplitude[], FreeAmplitudes>;

// A list of `size` amplitudes, not initialised, starting on a cache line (or
// on a multiple of `alignment`, a power of two); null when the memory is not
// available.
AmplitudeList allocate_aligned(uint64_t size, std::size_t alignment = 64);

// A list of `size` amplitudes, all (0.0, 0.0), starting on a cache line, or
// null when the memory is not available. The pages are first written by the
// worker pool, not serially, and large lists ask for transparent huge pages.
AmplitudeList allocate_zeroed(uint64_t size);

// Whether `lists` lists of `size` amplitudes fit in the machine's memory and
// swap at all. With overcommitted memory an allocation beyond that succeeds
// and the first pass that touches it gets the process killed; refusing it
// up front gives the caller an error code instead.
bool lists_fit_in_memory(uint64_t lists, uint64_t size);

}  // namespace fenn::dense
