// The one generator of random gates for every test that drives a back end
// or the engine with random circuits.
#pragma once

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstdint>
#include <random>
#include <span>
#include <vector>

#include "libplim/src/model.hpp"

namespace support {

struct RandomGate {
  plim::QuantumGate gate;
  uint64_t target = 0;
  std::vector<uint64_t> controls;
};

// Gates by their index in QuantumGate.
inline constexpr int kEveryGate[] = {0, 1, 2, 3, 4, 5, 6, 7, 8};
inline constexpr int kEveryGateButUnitary[] = {0, 1, 2, 3, 4, 5, 6, 7};
// X, Y, Z, Phase and RZ send every basis state to one basis state, so they
// never add to the number of stored states.
inline constexpr int kGatesThatSplitNoState[] = {0, 1, 2, 4, 7};

enum class Unitaries {
  // e^{ia} [[e^{ib} cos g, i sin g], [i sin g, e^{-ib} cos g]]: read the same
  // by rows and by columns.
  Symmetric,
  // e^{ia} Rz(b) Ry(g) Rz(d), which tells a reading by rows from one by
  // columns.
  General,
};

class RandomGates {
 public:
  explicit RandomGates(uint64_t seed, Unitaries unitaries = Unitaries::Symmetric)
      : rng_(seed), unitaries_(unitaries) {}

  std::mt19937_64& rng() { return rng_; }
  uint64_t pick(uint64_t below) { return std::uniform_int_distribution<uint64_t>(0, below - 1)(rng_); }
  double angle() { return std::uniform_real_distribution<double>(-7.0, 7.0)(rng_); }

  // A gate of one of `kinds` on one of `qubits` qubits, whose target is not
  // in `avoid`, with up to two distinct controls other than the target.
  RandomGate next(uint64_t qubits, std::span<const int> kinds, std::span<const uint64_t> avoid = {}) {
    RandomGate g;
    do {
      g.target = pick(qubits);
    } while (std::count(avoid.begin(), avoid.end(), g.target) != 0);
    const uint64_t wanted = std::min(pick(3), qubits - 1);
    while (g.controls.size() < wanted) {
      const uint64_t c = pick(qubits);
      if (c != g.target && std::count(g.controls.begin(), g.controls.end(), c) == 0)
        g.controls.push_back(c);
    }
    switch (kinds[pick(kinds.size())]) {
      case 0: g.gate = plim::PauliX{}; break;
      case 1: g.gate = plim::PauliY{}; break;
      case 2: g.gate = plim::PauliZ{}; break;
      case 3: g.gate = plim::Hadamard{}; break;
      case 4: g.gate = plim::Phase{angle()}; break;
      case 5: g.gate = plim::RX{angle()}; break;
      case 6: g.gate = plim::RY{angle()}; break;
      case 7: g.gate = plim::RZ{angle()}; break;
      default: g.gate = unitary(); break;
    }
    return g;
  }

 private:
  plim::Unitary unitary() {
    using C = std::complex<double>;
    auto stored = [](C z) { return plim::Complex{z.real(), z.imag()}; };
    if (unitaries_ == Unitaries::Symmetric) {
      const double a = angle(), b = angle(), g = angle();
      const C off = std::polar(1.0, a) * C(0.0, std::sin(g));
      return {{stored(std::polar(1.0, a + b) * std::cos(g)), stored(off), stored(off),
               stored(std::polar(1.0, a - b) * std::cos(g))}};
    }
    const double a = angle(), b = angle(), g = angle(), d = angle();
    return {{stored(std::polar(std::cos(g / 2), a - (b + d) / 2)),
             stored(-std::polar(std::sin(g / 2), a - (b - d) / 2)),
             stored(std::polar(std::sin(g / 2), a + (b - d) / 2)),
             stored(std::polar(std::cos(g / 2), a + (b + d) / 2))}};
  }

  std::mt19937_64 rng_;
  Unitaries unitaries_;
};

}  // namespace support
