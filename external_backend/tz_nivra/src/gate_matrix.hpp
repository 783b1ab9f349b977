// The 2x2 matrices of the library's gates: new0 = m00 a0 + m01 a1 and
// new1 = m10 a0 + m11 a1 for the amplitudes a0, a1 of a target's 0 and 1.
#pragma once

#include "amplitude.hpp"

namespace tz_nivra {

struct GateMatrix {
  Amplitude m00, m01, m10, m11;
};

GateMatrix pauli_x_matrix() noexcept;
GateMatrix pauli_y_matrix() noexcept;
GateMatrix pauli_z_matrix() noexcept;
GateMatrix hadamard_matrix() noexcept;
GateMatrix phase_matrix(double angle) noexcept;
GateMatrix rx_matrix(double angle) noexcept;
GateMatrix ry_matrix(double angle) noexcept;
GateMatrix rz_matrix(double angle) noexcept;

}  // namespace tz_nivra
