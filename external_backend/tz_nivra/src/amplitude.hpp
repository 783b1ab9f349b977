// Complex amplitudes as a pair of doubles, with just the arithmetic the
// register needs.
#pragma once

#include <cmath>

namespace tz_nivra {

struct Amplitude {
  double re = 0.0;
  double im = 0.0;

  bool is_zero() const noexcept { return re == 0.0 && im == 0.0; }
  double norm() const noexcept { return re * re + im * im; }
  double magnitude() const noexcept { return std::sqrt(norm()); }
};

inline Amplitude operator+(Amplitude a, Amplitude b) noexcept { return {a.re + b.re, a.im + b.im}; }

inline Amplitude operator*(Amplitude a, Amplitude b) noexcept {
  return {a.re * b.re - a.im * b.im, a.re * b.im + a.im * b.re};
}

inline Amplitude operator*(double factor, Amplitude a) noexcept { return {factor * a.re, factor * a.im}; }

// e^(i angle).
inline Amplitude unit_phase(double angle) noexcept { return {std::cos(angle), std::sin(angle)}; }

}  // namespace tz_nivra
