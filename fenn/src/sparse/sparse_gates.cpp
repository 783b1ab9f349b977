// The gate rules. Every factor is computed once per call, before the pass.
#include "fenn/src/sparse/sparse_simulator.hpp"

namespace fenn::sparse {

namespace {

// The pauli_y factors for a set and a clear target bit.
constexpr Amplitude kPlusI{0.0, 1.0};
constexpr Amplitude kMinusI{-0.0, -1.0};

}  // namespace

void SparseSimulator::pauli_x(uint64_t target, Positions controls) {
  visit([&](auto& state) { state.moving_pass(target, controls, [](bool, Amplitude a) { return a; }); });
}

void SparseSimulator::pauli_y(uint64_t target, Positions controls) {
  visit([&](auto& state) {
    state.moving_pass(target, controls,
                      [](bool b, Amplitude a) { return mul(b ? kMinusI : kPlusI, a); });
  });
}

void SparseSimulator::pauli_z(uint64_t target, Positions controls) {
  visit([&](auto& state) {
    state.diagonal_pass(target, controls, [](bool b, Amplitude a) { return b ? negate(a) : a; });
  });
}

void SparseSimulator::hadamard(uint64_t target, Positions controls) {
  visit([&](auto& state) {
    state.mixing_pass(
        target, controls, [](bool, Amplitude a) { return scale(kHalfSqrt2, a); },
        [](bool b, Amplitude a) {
          const Amplitude half = scale(kHalfSqrt2, a);
          return b ? negate(half) : half;
        });
  });
}

void SparseSimulator::phase(double angle, uint64_t target, Positions controls) {
  const Amplitude factor = exp_i(angle);
  visit([&](auto& state) {
    state.diagonal_pass(target, controls,
                        [factor](bool b, Amplitude a) { return b ? mul(a, factor) : a; });
  });
}

void SparseSimulator::rx(double angle, uint64_t target, Positions controls) {
  const SinCos sc = sin_cos(angle * 0.5);
  const Amplitude moved{-0.0 * sc.sin, -sc.sin};
  const Amplitude kept{sc.cos, 0.0};
  visit([&](auto& state) {
    state.mixing_pass(
        target, controls, [moved](bool, Amplitude a) { return mul(moved, a); },
        [kept](bool, Amplitude a) { return mul(kept, a); });
  });
}

void SparseSimulator::ry(double angle, uint64_t target, Positions controls) {
  const SinCos sc = sin_cos(angle * 0.5);
  const Amplitude moved_from_one{-sc.sin, -0.0};
  const Amplitude moved_from_zero{sc.sin, 0.0};
  const Amplitude kept{sc.cos, 0.0};
  visit([&](auto& state) {
    state.mixing_pass(
        target, controls,
        [=](bool b, Amplitude a) { return mul(b ? moved_from_one : moved_from_zero, a); },
        [kept](bool, Amplitude a) { return mul(kept, a); });
  });
}

void SparseSimulator::rz(double angle, uint64_t target, Positions controls) {
  const Amplitude when_one = exp_i(angle * 0.5);
  const Amplitude when_zero = exp_i(angle * -0.5);
  visit([&](auto& state) {
    state.diagonal_pass(target, controls, [=](bool b, Amplitude a) {
      return mul(a, b ? when_one : when_zero);
    });
  });
}

void SparseSimulator::unitary(const Matrix& matrix, uint64_t target, Positions controls) {
  // Named references rather than a structured binding, which clang before 16
  // cannot capture in the passes' lambdas.
  const Amplitude& m0 = matrix[0];
  const Amplitude& m1 = matrix[1];
  const Amplitude& m2 = matrix[2];
  const Amplitude& m3 = matrix[3];
  visit([&](auto& state) {
    state.mixing_pass(
        target, controls, [&](bool b, Amplitude a) { return mul(b ? m1 : m2, a); },
        [&](bool b, Amplitude a) { return mul(b ? m3 : m0, a); });
  });
}

}  // namespace fenn::sparse
