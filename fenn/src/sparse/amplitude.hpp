// Complex amplitudes of the sparse simulator and the arithmetic its gate
// rules are written in. Every operation is spelled out part by part so that
// signed zeros and not-a-number values come out exactly as the rules state.
#pragma once

#include <cmath>

#include "libplim/src/model.hpp"

namespace fenn::sparse {

using Amplitude = plim::Complex;

// A sum whose magnitude is strictly below this is dropped from the map.
inline constexpr double kNegligible = 1e-15;

inline Amplitude add(Amplitude x, Amplitude y) noexcept { return {x.re + y.re, x.im + y.im}; }

inline Amplitude mul(Amplitude x, Amplitude y) noexcept {
  return {x.re * y.re - x.im * y.im, x.re * y.im + x.im * y.re};
}

inline Amplitude neg(Amplitude x) noexcept { return {-x.re, -x.im}; }

// A real factor multiplies both parts (not the complex product with (f, 0),
// which would differ for signed zeros).
inline Amplitude scaled(Amplitude x, double factor) noexcept {
  return {x.re * factor, x.im * factor};
}

// hypot(re, im) < 1e-15; not a number never counts as negligible. The
// magnitude is never below its larger part, so a part of twice the threshold
// settles the question without the (slow) hypot call.
inline bool negligible(Amplitude x) noexcept {
  if (std::fabs(x.re) >= 2 * kNegligible || std::fabs(x.im) >= 2 * kNegligible) return false;
  return std::hypot(x.re, x.im) < kNegligible;
}

struct SinCos {
  double sin;
  double cos;
};

// One sincos call, so sine and cosine come from the same reduction.
inline SinCos sin_cos(double angle) noexcept {
  SinCos result{};
  ::sincos(angle, &result.sin, &result.cos);
  return result;
}

// The complex exponential of (0 * y, y): (cos y, sin y) for a finite y, not a
// number in both parts for an infinite or not-a-number y.
inline Amplitude unit_phase(double y) noexcept {
  const double radius = std::exp(0.0 * y);
  const SinCos sc = sin_cos(y);
  return {radius * sc.cos, radius * sc.sin};
}

}  // namespace fenn::sparse
