#include "gate_matrix.hpp"

#include <cmath>

namespace tz_nivra {

namespace {

constexpr Amplitude kZero{0.0, 0.0};
constexpr Amplitude kOne{1.0, 0.0};

}  // namespace

GateMatrix pauli_x_matrix() noexcept { return {kZero, kOne, kOne, kZero}; }

GateMatrix pauli_y_matrix() noexcept { return {kZero, {0.0, -1.0}, {0.0, 1.0}, kZero}; }

GateMatrix pauli_z_matrix() noexcept { return {kOne, kZero, kZero, {-1.0, 0.0}}; }

GateMatrix hadamard_matrix() noexcept {
  const double h = 1.0 / std::sqrt(2.0);
  return {{h, 0.0}, {h, 0.0}, {h, 0.0}, {-h, 0.0}};
}

GateMatrix phase_matrix(double angle) noexcept { return {kOne, kZero, kZero, unit_phase(angle)}; }

GateMatrix rx_matrix(double angle) noexcept {
  const double c = std::cos(angle / 2);
  const double s = std::sin(angle / 2);
  return {{c, 0.0}, {0.0, -s}, {0.0, -s}, {c, 0.0}};
}

GateMatrix ry_matrix(double angle) noexcept {
  const double c = std::cos(angle / 2);
  const double s = std::sin(angle / 2);
  return {{c, 0.0}, {-s, 0.0}, {s, 0.0}, {c, 0.0}};
}

GateMatrix rz_matrix(double angle) noexcept {
  return {unit_phase(-angle / 2), kZero, kZero, unit_phase(angle / 2)};
}

}  // namespace tz_nivra
