// The gate passes and the swap pass of the dense simulator.
#include <array>

#include "fenn/src/dense/dense_simulator.hpp"
#include "fenn/src/dense/passes.hpp"

namespace fenn::dense {

namespace {

// The double nearest to 1/sqrt(2); 1.0 / std::sqrt(2.0) is one unit lower.

ControlMask control_mask(Positions controls) {
  ControlMask ctl;
  for (uint64_t c : controls) ctl.mask |= uint64_t{1} << c;
  return ctl;
}

}  // namespace

template <class First, class Second>
void DenseSimulator::three_pass(uint64_t target, Positions controls, const First& first,
                                const Second& second) {
  const ControlMask ctl = control_mask(controls);
  const uint64_t t = uint64_t{1} << target;
  Amplitude *old_list = nullptr, *new_list = nullptr;
  flip(old_list, new_list);
  const uint64_t n = size();
  for_each_index(n, [=, &first](uint64_t i) {
    new_list[i] = ctl(i) ? first(i & t, old_list[i ^ t]) : Amplitude{0.0, 0.0};
  });
  for_each_index(n, [=, &second](uint64_t i) {
    if (ctl(i)) old_list[i] = second(i & t, old_list[i]);
  });
  // Off the controls the amplitude moves over untouched: adding it to a zero
  // would turn a -0.0 part into +0.0.
  for_each_index(n, [=](uint64_t i) {
    new_list[i] = ctl(i) ? add(new_list[i], old_list[i]) : old_list[i];
  });
}

void DenseSimulator::pauli_x(uint64_t target, Positions controls) {
  const ControlMask ctl = control_mask(controls);
  const uint64_t t = uint64_t{1} << target;
  Amplitude *old_list = nullptr, *new_list = nullptr;
  flip(old_list, new_list);
  for_each_index(size(), [=](uint64_t i) { new_list[i] = old_list[ctl(i) ? i ^ t : i]; });
}

void DenseSimulator::pauli_y(uint64_t target, Positions controls) {
  const ControlMask ctl = control_mask(controls);
  const uint64_t t = uint64_t{1} << target;
  // +i for a set target bit, -i for a clear one, signed zeros included.
  const std::array<Amplitude, 2> factor{{{-0.0, -1.0}, {+0.0, +1.0}}};
  Amplitude *old_list = nullptr, *new_list = nullptr;
  flip(old_list, new_list);
  for_each_index(size(), [=](uint64_t i) {
    new_list[i] = ctl(i) ? mul(factor[(i & t) != 0], old_list[i ^ t]) : old_list[i];
  });
}

void DenseSimulator::pauli_z(uint64_t target, Positions controls) {
  const ControlMask ctl = control_mask(controls);
  const uint64_t t = uint64_t{1} << target;
  Amplitude *old_list = nullptr, *new_list = nullptr;
  flip(old_list, new_list);
  for_each_index(size(), [=](uint64_t i) {
    new_list[i] = ctl(i) && (i & t) != 0 ? negate(old_list[i]) : old_list[i];
  });
}

void DenseSimulator::phase(double angle, uint64_t target, Positions controls) {
  const ControlMask ctl = control_mask(controls);
  const uint64_t t = uint64_t{1} << target;
  const Amplitude factor = exp_i(angle);
  Amplitude *old_list = nullptr, *new_list = nullptr;
  flip(old_list, new_list);
  for_each_index(size(), [=](uint64_t i) {
    new_list[i] = ctl(i) && (i & t) != 0 ? mul(factor, old_list[i]) : old_list[i];
  });
}

void DenseSimulator::rz(double angle, uint64_t target, Positions controls) {
  const ControlMask ctl = control_mask(controls);
  const uint64_t t = uint64_t{1} << target;
  const double half = angle * 0.5;
  const std::array<Amplitude, 2> factor{{exp_i(-half), exp_i(half)}};
  Amplitude *old_list = nullptr, *new_list = nullptr;
  flip(old_list, new_list);
  for_each_index(size(), [=](uint64_t i) {
    new_list[i] = ctl(i) ? mul(factor[(i & t) != 0], old_list[i]) : old_list[i];
  });
}

void DenseSimulator::hadamard(uint64_t target, Positions controls) {
  const std::array<double, 2> sign{{kHalfSqrt2, -kHalfSqrt2}};
  three_pass(
      target, controls, [](uint64_t, Amplitude a) { return scale(kHalfSqrt2, a); },
      [sign](uint64_t bit, Amplitude a) { return scale(sign[bit != 0], a); });
}

void DenseSimulator::rx(double angle, uint64_t target, Positions controls) {
  const SinCos sc = sin_cos(angle * 0.5);
  // -i (the pauli_y factor (-0.0, -1.0)) times the real sin(theta/2).
  const Amplitude minus_i_sin{-0.0 * sc.sin, -sc.sin};
  const double cos = sc.cos;
  three_pass(
      target, controls, [minus_i_sin](uint64_t, Amplitude a) { return mul(minus_i_sin, a); },
      [cos](uint64_t, Amplitude a) { return scale(cos, a); });
}

void DenseSimulator::ry(double angle, uint64_t target, Positions controls) {
  const SinCos sc = sin_cos(angle * 0.5);
  const std::array<double, 2> sin{{-sc.sin, sc.sin}};
  const double cos = sc.cos;
  three_pass(
      target, controls, [sin](uint64_t bit, Amplitude a) { return scale(sin[bit != 0], a); },
      [cos](uint64_t, Amplitude a) { return scale(cos, a); });
}

void DenseSimulator::unitary(const Matrix& m, uint64_t target, Positions controls) {
  // (m0, m1) is the first column, (m2, m3) the second.
  const std::array<Amplitude, 2> off{{m[2], m[1]}};
  const std::array<Amplitude, 2> diagonal{{m[0], m[3]}};
  three_pass(
      target, controls, [off](uint64_t bit, Amplitude a) { return mul(off[bit != 0], a); },
      [diagonal](uint64_t bit, Amplitude a) { return mul(diagonal[bit != 0], a); });
}

void DenseSimulator::swap(uint64_t a, uint64_t b) {
  // A position beyond 63 holds no bit of any index; the plug-in runs such
  // a pair only as an exchange of a position with itself.
  const uint64_t bit_a = a < 64 ? uint64_t{1} << a : 0;
  const uint64_t bit_b = b < 64 ? uint64_t{1} << b : 0;
  Amplitude *old_list = nullptr, *new_list = nullptr;
  flip(old_list, new_list);
  for_each_index(size(), [=](uint64_t i) {
    // Exchanging two unequal bits flips both of them.
    const bool differ = ((i & bit_a) != 0) != ((i & bit_b) != 0);
    new_list[i] = old_list[differ ? i ^ bit_a ^ bit_b : i];
  });
}

}  // namespace fenn::dense
