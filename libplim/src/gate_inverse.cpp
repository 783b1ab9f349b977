#include "libplim/src/gate_inverse.hpp"

#include <bit>
#include <cstdint>
#include <type_traits>

namespace plim {
namespace {

// Flips only the sign bit, so that 0.0 and NaN payloads come out exact.
double flip_sign(double angle) {
  return std::bit_cast<double>(std::bit_cast<uint64_t>(angle) ^ (uint64_t{1} << 63));
}

Complex conj(Complex value) { return {value.re, flip_sign(value.im)}; }

}  // namespace

QuantumGate inverse(const QuantumGate& gate) {
  return std::visit(
      [](const auto& g) -> QuantumGate {
        using G = std::decay_t<decltype(g)>;
        if constexpr (std::is_same_v<G, Phase> || std::is_same_v<G, RX> ||
                      std::is_same_v<G, RY> || std::is_same_v<G, RZ>) {
          return G{flip_sign(g.angle)};
        } else if constexpr (std::is_same_v<G, Unitary>) {
          // [m0, m1, m2, m3] -> [conj m0, conj m2, conj m1, conj m3]: the
          // transpose swaps m1 and m2 whichever way the numbers are read.
          const auto& m = g.matrix;
          return Unitary{{conj(m[0]), conj(m[2]), conj(m[1]), conj(m[3])}};
        } else {
          return g;
        }
      },
      gate);
}

}  // namespace plim
