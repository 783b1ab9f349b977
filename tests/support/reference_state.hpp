// A deliberately plain state-vector reference for checking simulators:
// textbook 2x2 matrices applied to the pairs of amplitudes that differ in
// the target bit, with std::complex arithmetic. Slow and simple on purpose;
// it shares no code with the simulators.
#pragma once

#include <cmath>
#include <complex>
#include <cstdint>
#include <vector>

namespace reference {

using C = std::complex<double>;

// Row-major: {{a, b}, {c, d}} maps (x0, x1) to (a x0 + b x1, c x0 + d x1).
struct Matrix2 {
  C a, b, c, d;
};

inline Matrix2 pauli_x() { return {0.0, 1.0, 1.0, 0.0}; }
inline Matrix2 pauli_y() { return {0.0, C(0, -1), C(0, 1), 0.0}; }
inline Matrix2 pauli_z() { return {1.0, 0.0, 0.0, -1.0}; }
inline Matrix2 hadamard() {
  const double h = 1.0 / std::sqrt(2.0);
  return {h, h, h, -h};
}
inline Matrix2 phase(double lambda) { return {1.0, 0.0, 0.0, std::polar(1.0, lambda)}; }
inline Matrix2 rx(double theta) {
  const double c = std::cos(theta / 2), s = std::sin(theta / 2);
  return {c, C(0, -s), C(0, -s), c};
}
inline Matrix2 ry(double theta) {
  const double c = std::cos(theta / 2), s = std::sin(theta / 2);
  return {c, -s, s, c};
}
inline Matrix2 rz(double theta) {
  return {std::polar(1.0, -theta / 2), 0.0, 0.0, std::polar(1.0, theta / 2)};
}

class State {
 public:
  explicit State(unsigned qubits) : amplitudes_(std::size_t{1} << qubits) { amplitudes_[0] = 1.0; }

  // Applies m to the target qubit on the part of the state where every
  // control qubit is 1.
  void apply(const Matrix2& m, unsigned target, const std::vector<uint64_t>& controls) {
    const std::size_t t = std::size_t{1} << target;
    for (std::size_t i = 0; i < amplitudes_.size(); ++i) {
      if (i & t) continue;
      bool active = true;
      for (uint64_t c : controls) active = active && ((i >> c) & 1);
      if (!active) continue;
      const C x0 = amplitudes_[i], x1 = amplitudes_[i | t];
      amplitudes_[i] = m.a * x0 + m.b * x1;
      amplitudes_[i | t] = m.c * x0 + m.d * x1;
    }
  }

  double probability_of_one(unsigned qubit) const {
    double p = 0;
    for (std::size_t i = 0; i < amplitudes_.size(); ++i)
      if ((i >> qubit) & 1) p += std::norm(amplitudes_[i]);
    return p;
  }

  const std::vector<C>& amplitudes() const { return amplitudes_; }
  std::vector<C>& amplitudes() { return amplitudes_; }

 private:
  std::vector<C> amplitudes_;
};

}  // namespace reference
