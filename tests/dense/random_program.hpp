// Random programs of every dense operation, for comparing two ways of running
// them bit for bit. A measurement is a collapse to an outcome the test draws
// itself, with the scale taken from a sum in index order: the simulator's
// own sum is a parallel reduction whose last bits depend on the split, and
// comparing its draws would compare two random draws.
#pragma once

#include <algorithm>
#include <array>
#include <cmath>
#include <numeric>
#include <random>
#include <type_traits>
#include <variant>
#include <vector>

#include "libplim/src/model.hpp"
#include "tests/support/random_gates.hpp"

namespace dense_test {

enum class OpKind { PauliX, PauliY, PauliZ, Hadamard, Phase, RX, RY, RZ, Unitary, Measure, Pown, Dump };

struct Op {
  OpKind kind = OpKind::PauliX;
  uint64_t target = 0;
  std::vector<uint64_t> controls;
  double angle = 0;
  std::array<plim::Complex, 4> matrix{};
  std::vector<uint64_t> pown_targets;
  uint64_t base = 0, modulus = 1;
  uint64_t draw = 0;  // picks the outcome of a measurement
};

// The gates come from the shared generator; now and then a third control,
// the target among its controls (which only hand-written code holds but the
// engine passes on), or an angle of zero, whose parts carry signs.
inline Op random_op(support::RandomGates& gates, unsigned qubits, bool with_pown) {
  std::mt19937_64& rng = gates.rng();
  Op op;
  const unsigned roll = static_cast<unsigned>(rng() % 100);
  if (roll < 6) {
    op.kind = OpKind::Measure;
    op.target = gates.pick(qubits);
    op.draw = rng();
    return op;
  }
  if (roll < 10) {
    op.kind = OpKind::Dump;
    return op;
  }
  if (roll < 14 && with_pown && qubits >= 2) {
    // k targets, a permutation of the k low positions; a modulus of at most
    // k/2 bits keeps every image below 2^k.
    op.kind = OpKind::Pown;
    const unsigned k = 2 + static_cast<unsigned>(rng() % (qubits - 1));
    op.pown_targets.resize(k);
    std::iota(op.pown_targets.begin(), op.pown_targets.end(), uint64_t{0});
    std::shuffle(op.pown_targets.begin(), op.pown_targets.end(), rng);
    const unsigned nbits = std::max(1u, k / 2);
    op.modulus = 1 + rng() % ((uint64_t{1} << nbits) - 1);
    op.base = rng() % 16;
    return op;
  }
  const support::RandomGate gate = gates.next(qubits, support::kEveryGate);
  op.kind = static_cast<OpKind>(gate.gate.index());
  op.target = gate.target;
  // Room for the extra controls below, made up front.
  op.controls.reserve(gate.controls.size() + 2);
  op.controls.assign(gate.controls.begin(), gate.controls.end());
  std::visit(
      [&op](const auto& g) {
        using G = std::decay_t<decltype(g)>;
        if constexpr (std::is_same_v<G, plim::Unitary>) {
          op.matrix = g.matrix;
        } else if constexpr (requires { g.angle; }) {
          op.angle = g.angle;
        }
      },
      gate.gate);
  if (op.controls.size() == 2 && qubits > 3 && rng() % 4 == 0) {
    uint64_t c = gates.pick(qubits);
    while (c == op.target || std::count(op.controls.begin(), op.controls.end(), c) != 0)
      c = gates.pick(qubits);
    op.controls.push_back(c);
  }
  if (rng() % 40 == 0) op.controls.push_back(op.target);
  if (rng() % 30 == 0) op.angle = 0.0;
  return op;
}

// Applies a gate op to anything with the simulator's gate calls.
template <class Target>
void apply_gate_op(Target& s, const Op& op) {
  const auto& c = op.controls;
  switch (op.kind) {
    case OpKind::PauliX: s.pauli_x(op.target, c); break;
    case OpKind::PauliY: s.pauli_y(op.target, c); break;
    case OpKind::PauliZ: s.pauli_z(op.target, c); break;
    case OpKind::Hadamard: s.hadamard(op.target, c); break;
    case OpKind::Phase: s.phase(op.angle, op.target, c); break;
    case OpKind::RX: s.rx(op.angle, op.target, c); break;
    case OpKind::RY: s.ry(op.angle, op.target, c); break;
    case OpKind::RZ: s.rz(op.angle, op.target, c); break;
    case OpKind::Unitary: s.unitary(op.matrix, op.target, c); break;
    default: break;
  }
}

struct Collapse {
  bool outcome;
  double scale;
};

// The outcome a measurement draw picks and its scale, from p1 as in sampling
// (p0 = 1 - p1, never below 0); an outcome of no weight is never picked.
inline Collapse draw_collapse(double p1, uint64_t draw) {
  const double p0 = 1.0 - p1 >= 0.0 ? 1.0 - p1 : 0.0;
  bool outcome = (draw & 1) != 0;
  if (p1 <= 0.0) outcome = false;
  if (p0 <= 0.0) outcome = true;
  return {outcome, 1.0 / std::sqrt(outcome ? p1 : p0)};
}

}  // namespace dense_test
