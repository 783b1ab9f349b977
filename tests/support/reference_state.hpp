// A deliberately plain state-vector reference for checking back ends:
// textbook 2x2 matrices applied to the pairs of amplitudes that differ in
// the target bit, with std::complex arithmetic, a textbook measurement
// collapse, and the pown scatter as the plug-in defines it. Slow and simple
// on purpose; it shares no code with the simulators. Qubit i is bit i of an
// index.
#pragma once

#include <cmath>
#include <complex>
#include <cstdint>
#include <stdexcept>
#include <utility>
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

// b^x mod m by x plain multiplications, for a modulus of at most 2^32 (no
// product overflows); x = 0 gives 1.
inline uint64_t true_pow_mod(uint64_t b, uint64_t x, uint64_t m) {
  if (m > (uint64_t{1} << 32)) throw std::out_of_range("modulus above 2^32");
  if (x == 0) return 1;
  uint64_t result = 1 % m;
  for (uint64_t i = 0; i < x; ++i) result = result * (b % m) % m;
  return result;
}

// The register value j of a pown call read as x (its bits from nbits up) and
// y (its nbits low bits) goes to |x, y * (base^x mod modulus)>.
inline uint64_t pown_image(uint64_t j, unsigned nbits, uint64_t base, uint64_t modulus) {
  const uint64_t x = j >> nbits;
  const uint64_t y = j & ((uint64_t{1} << nbits) - 1);
  return (x << nbits) | (y * true_pow_mod(base, x, modulus));
}

// The exchanges a pown call applies before and after its transformation,
// derived from the targets with a working table 0..k-1: at step i, when the
// table's entry i differs from target i, record (i, entry i) and exchange the
// table's entries i and target i.
inline std::vector<std::pair<unsigned, unsigned>> pown_swap_list(const std::vector<unsigned>& targets) {
  std::vector<unsigned> table(targets.size());
  for (unsigned i = 0; i < table.size(); ++i) table[i] = i;
  std::vector<std::pair<unsigned, unsigned>> swaps;
  for (unsigned i = 0; i < targets.size(); ++i) {
    if (table[i] == targets[i]) continue;
    swaps.emplace_back(i, table[i]);
    std::swap(table[i], table.at(targets[i]));
  }
  return swaps;
}

class State {
 public:
  explicit State(unsigned qubits) : amplitudes_(std::size_t{1} << qubits) { amplitudes_[0] = 1.0; }

  std::size_t size() const { return amplitudes_.size(); }
  C operator[](std::size_t index) const { return amplitudes_[index]; }
  const std::vector<C>& amplitudes() const { return amplitudes_; }
  std::vector<C>& amplitudes() { return amplitudes_; }

  // Applies m to the target qubit on the part of the state where every
  // control qubit is 1.
  template <class Controls = std::vector<uint64_t>>
  void apply(const Matrix2& m, unsigned target, const Controls& controls = {}) {
    const std::size_t t = std::size_t{1} << target;
    for (std::size_t i = 0; i < amplitudes_.size(); ++i) {
      if (i & t) continue;
      bool active = true;
      for (auto c : controls) active = active && ((i >> c) & 1);
      if (!active) continue;
      const C x0 = amplitudes_[i], x1 = amplitudes_[i | t];
      amplitudes_[i] = m.a * x0 + m.b * x1;
      amplitudes_[i | t] = m.c * x0 + m.d * x1;
    }
  }

  // Exchanges the values of qubits a and b.
  void swap(unsigned a, unsigned b) {
    for (std::size_t i = 0; i < amplitudes_.size(); ++i) {
      const std::size_t j = exchanged(i, a, b);
      if (i < j) std::swap(amplitudes_[i], amplitudes_[j]);
    }
  }

  double probability_of_one(unsigned qubit) const {
    double p = 0;
    for (std::size_t i = 0; i < amplitudes_.size(); ++i)
      if ((i >> qubit) & 1) p += std::norm(amplitudes_[i]);
    return p;
  }

  // Keeps the part with the qubit at `outcome`, renormalised.
  void collapse(unsigned qubit, unsigned outcome) {
    double mass = 0.0;
    for (std::size_t i = 0; i < amplitudes_.size(); ++i)
      if (((i >> qubit) & 1) == outcome) mass += std::norm(amplitudes_[i]);
    for (std::size_t i = 0; i < amplitudes_.size(); ++i)
      amplitudes_[i] = ((i >> qubit) & 1) == outcome ? amplitudes_[i] / std::sqrt(mass) : 0.0;
  }

  // The pown plug-in on qubits `targets` (a permutation of 0..k-1): the
  // exchanges, then the register of qubits 0..k-1 read as x (its bits from
  // nbits up) and y (its nbits low bits) with nbits the bit length of the
  // modulus; each nonzero amplitude moves from |x, y> to
  // |x, y * (base^x mod modulus)>, the qubits above k unchanged; where two
  // sources meet the higher index wins; then the same exchanges again.
  // Throws when an image leaves the register (outside the call's contract)
  // and for moduli above 2^32, where the plug-in's wrapping products part
  // from the true power.
  void pown(const std::vector<unsigned>& targets, uint64_t base, uint64_t modulus) {
    if (modulus > (uint64_t{1} << 32)) throw std::out_of_range("modulus above 2^32");
    const auto swaps = pown_swap_list(targets);
    for (auto [a, b] : swaps) swap(a, b);
    const std::size_t k = targets.size();
    const std::size_t mask = (std::size_t{1} << k) - 1;
    unsigned nbits = 0;
    while (nbits < 64 && (modulus >> nbits) != 0) ++nbits;
    std::vector<C> moved(amplitudes_.size());
    for (std::size_t i = 0; i < amplitudes_.size(); ++i) {
      if (amplitudes_[i] == C(0.0, 0.0)) continue;
      const std::size_t image = pown_image(i & mask, nbits, base, modulus);
      if (image > mask) throw std::out_of_range("pown image beyond the register");
      moved[(i & ~mask) | image] = amplitudes_[i];
    }
    amplitudes_ = std::move(moved);
    for (auto [a, b] : swaps) swap(a, b);
  }

 private:
  static std::size_t exchanged(std::size_t i, unsigned a, unsigned b) {
    if (((i >> a) & 1) == ((i >> b) & 1)) return i;
    return i ^ (std::size_t{1} << a) ^ (std::size_t{1} << b);
  }

  std::vector<C> amplitudes_;
};

}  // namespace reference
