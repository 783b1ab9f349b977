// Complex arithmetic on amplitudes, shared by both simulators and spelt out
// part by part so that every product and sum, signed zeros and not-a-number
// values come out exactly as the gate rules define them (no fused
// operations, no library special-casing of infinities).
#pragma once

#include <cmath>

#include "libplim/src/model.hpp"

namespace fenn {

using Amplitude = plim::Complex;

// The double nearest to 1/sqrt(2); 1.0 / std::sqrt(2.0) is one unit lower.
inline constexpr double kHalfSqrt2 = 0.7071067811865476;

// (a + bi)(c + di) = (ac - bd) + (ad + bc)i
inline Amplitude mul(Amplitude x, Amplitude y) noexcept {
  return {x.re * y.re - x.im * y.im, x.re * y.im + x.im * y.re};
}

// A real factor multiplies both parts (not the complex product with (f, 0),
// which would differ for signed zeros).
inline Amplitude scale(double factor, Amplitude x) noexcept { return {factor * x.re, factor * x.im}; }

inline Amplitude add(Amplitude x, Amplitude y) noexcept { return {x.re + y.re, x.im + y.im}; }

inline Amplitude negate(Amplitude x) noexcept { return {-x.re, -x.im}; }

struct SinCos {
  double sin;
  double cos;
};

// One sine-and-cosine evaluation.
inline SinCos sin_cos(double angle) noexcept {
  SinCos result{};
  ::sincos(angle, &result.sin, &result.cos);
  return result;
}

// e^{iy} as the complex exponential of (0 * y, y): (cos y, sin y) for a
// finite y, not-a-number in both parts for an infinite or NaN angle.
inline Amplitude exp_i(double y) noexcept {
  const double magnitude = std::exp(0.0 * y);
  const SinCos sc = sin_cos(y);
  return {magnitude * sc.cos, magnitude * sc.sin};
}

// hypot(re, im). hypot(x, +-0) is exactly |x| (and so for a zero real
// part), which spares the library call for the real and the imaginary
// amplitudes that most circuits are full of.
inline double magnitude(Amplitude x) noexcept {
  if (x.im == 0.0) return std::fabs(x.re);
  if (x.re == 0.0) return std::fabs(x.im);
  return std::hypot(x.re, x.im);
}

}  // namespace fenn
