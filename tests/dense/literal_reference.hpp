// The dense simulator's rules written out index by index on two lists, the
// way they are defined: new[i] from old, every index on its own, the
// arithmetic spelt out here rather than taken from the library. The kernels
// must give these bits exactly.
#pragma once

#include <cmath>
#include <cstdint>
#include <vector>

#include "fenn/src/bitwise/pown.hpp"
#include "libplim/src/model.hpp"

namespace literal {

using C = plim::Complex;

inline C mul(C x, C y) { return {x.re * y.re - x.im * y.im, x.re * y.im + x.im * y.re}; }
inline C real(double f, C x) { return {f * x.re, f * x.im}; }
inline C sum(C x, C y) { return {x.re + y.re, x.im + y.im}; }
inline C exp_i(double y) {
  double s = 0, c = 0;
  ::sincos(y, &s, &c);
  const double m = std::exp(0.0 * y);
  return {m * c, m * s};
}

constexpr double kS = 0.7071067811865476;

// The weight of outcome 1 of position q, summed in index order.
template <class List>
double probability_of_one(const List& list, uint64_t q) {
  double p1 = 0;
  for (uint64_t i = 0; i < list.size(); ++i)
    if ((i >> q) & 1) {
      const double m = std::hypot(list[i].re, list[i].im);
      p1 += m * m;
    }
  return p1;
}

struct State {
  unsigned qubits;
  std::vector<C> list;

  explicit State(unsigned n) : qubits(n), list(std::size_t{1} << n) { list[0] = {1.0, 0.0}; }

  // new[i] = rule(i, bit t of i set, old) where every control holds, old[i]
  // elsewhere.
  template <class Rule>
  void gate(uint64_t target, const std::vector<uint64_t>& controls, const Rule& rule) {
    uint64_t mask = 0;
    for (uint64_t c : controls) mask |= uint64_t{1} << c;
    const uint64_t t = uint64_t{1} << target;
    const std::vector<C> old = list;
    for (uint64_t i = 0; i < old.size(); ++i)
      list[i] = (i & mask) == mask ? rule(i, (i & t) != 0, i ^ t, old) : old[i];
  }

  void pauli_x(uint64_t t, const std::vector<uint64_t>& c) {
    gate(t, c, [](uint64_t, bool, uint64_t j, const std::vector<C>& old) { return old[j]; });
  }
  void pauli_y(uint64_t t, const std::vector<uint64_t>& c) {
    gate(t, c, [](uint64_t, bool set, uint64_t j, const std::vector<C>& old) {
      return mul(set ? C{0.0, 1.0} : C{-0.0, -1.0}, old[j]);
    });
  }
  void pauli_z(uint64_t t, const std::vector<uint64_t>& c) {
    gate(t, c, [](uint64_t i, bool set, uint64_t, const std::vector<C>& old) {
      return set ? C{-old[i].re, -old[i].im} : old[i];
    });
  }
  void hadamard(uint64_t t, const std::vector<uint64_t>& c) {
    gate(t, c, [](uint64_t i, bool set, uint64_t j, const std::vector<C>& old) {
      return sum(real(kS, old[j]), real(set ? -kS : kS, old[i]));
    });
  }
  void phase(double angle, uint64_t t, const std::vector<uint64_t>& c) {
    const C e = exp_i(angle);
    gate(t, c, [e](uint64_t i, bool set, uint64_t, const std::vector<C>& old) {
      return set ? mul(e, old[i]) : old[i];
    });
  }
  void rx(double angle, uint64_t t, const std::vector<uint64_t>& c) {
    double s = 0, co = 0;
    ::sincos(angle * 0.5, &s, &co);
    const C minus_i_sin{-0.0 * s, -s};
    gate(t, c, [=](uint64_t i, bool, uint64_t j, const std::vector<C>& old) {
      return sum(mul(minus_i_sin, old[j]), real(co, old[i]));
    });
  }
  void ry(double angle, uint64_t t, const std::vector<uint64_t>& c) {
    double s = 0, co = 0;
    ::sincos(angle * 0.5, &s, &co);
    gate(t, c, [=](uint64_t i, bool set, uint64_t j, const std::vector<C>& old) {
      return sum(real(set ? s : -s, old[j]), real(co, old[i]));
    });
  }
  void rz(double angle, uint64_t t, const std::vector<uint64_t>& c) {
    const C plus = exp_i(angle * 0.5), minus = exp_i(-(angle * 0.5));
    gate(t, c, [=](uint64_t i, bool set, uint64_t, const std::vector<C>& old) {
      return mul(set ? plus : minus, old[i]);
    });
  }
  void unitary(const std::array<C, 4>& m, uint64_t t, const std::vector<uint64_t>& c) {
    gate(t, c, [&m](uint64_t i, bool set, uint64_t j, const std::vector<C>& old) {
      return sum(mul(set ? m[1] : m[2], old[j]), mul(set ? m[3] : m[0], old[i]));
    });
  }

  double probability_of_one(uint64_t q) const { return literal::probability_of_one(list, q); }

  void collapse(uint64_t q, bool outcome, double scale) {
    for (uint64_t i = 0; i < list.size(); ++i)
      list[i] = (((i >> q) & 1) != 0) == outcome ? real(scale, list[i]) : C{0.0, 0.0};
  }

  void swap(uint64_t a, uint64_t b) {
    const std::vector<C> old = list;
    for (uint64_t i = 0; i < old.size(); ++i) {
      const uint64_t bit_a = (i >> a) & 1, bit_b = (i >> b) & 1;
      const uint64_t j = bit_a == bit_b ? i : i ^ (uint64_t{1} << a) ^ (uint64_t{1} << b);
      list[i] = old[j];
    }
  }

  // The pown steps on the k low positions: every source that holds
  // amplitude moves to its image, a later source replacing an earlier one;
  // nothing else lands anywhere.
  void pown(const std::vector<uint64_t>& targets, uint64_t base, uint64_t modulus) {
    const auto swaps = fenn::bitwise::derive_swap_list(targets);
    for (const auto& [a, b] : *swaps) swap(a, b);
    const fenn::bitwise::PownCall call{targets.size(), fenn::bitwise::bit_length(modulus), base,
                                       modulus};
    const std::vector<C> old = list;
    std::fill(list.begin(), list.end(), C{0.0, 0.0});
    const uint64_t mask = call.register_mask();
    for (uint64_t i = 0; i < old.size(); ++i) {
      if (old[i].re == 0.0 && old[i].im == 0.0) continue;
      list[(i & ~mask) | fenn::bitwise::pown_index(i, call)] = old[i];
    }
    for (const auto& [a, b] : *swaps) swap(a, b);
  }
};

}  // namespace literal
