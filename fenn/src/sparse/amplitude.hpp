// The sparse simulator's rule for dropping an entry: only a sum with an
// existing entry is tested against the threshold.
#pragma once

#include <cmath>

#include "fenn/src/math/complex_math.hpp"

namespace fenn::sparse {

// A sum whose magnitude is strictly below this is dropped from the map.
inline constexpr double kNegligible = 1e-15;

// hypot(re, im) < 1e-15; not a number never counts as negligible. The
// magnitude is never below its larger part, so a part of twice the threshold
// settles the question without the (slow) hypot call.
inline bool negligible(Amplitude x) noexcept {
  if (std::fabs(x.re) >= 2 * kNegligible || std::fabs(x.im) >= 2 * kNegligible) return false;
  return std::hypot(x.re, x.im) < kNegligible;
}

}  // namespace fenn::sparse
