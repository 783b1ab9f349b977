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
#include <vector>

#include "libplim/src/model.hpp"

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

// Up to three distinct controls; now and then the target among them, which
// only hand-written code holds but the engine passes on.
inline Op random_op(std::mt19937_64& rng, unsigned qubits, bool with_pown) {
  std::uniform_real_distribution<double> angle(-7.0, 7.0);
  std::uniform_int_distribution<unsigned> pick(0, qubits - 1);
  Op op;
  const unsigned roll = static_cast<unsigned>(rng() % 100);
  if (roll < 6) {
    op.kind = OpKind::Measure;
    op.target = pick(rng);
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
  op.kind = static_cast<OpKind>(rng() % 9);
  op.target = pick(rng);
  const unsigned controls = std::min<unsigned>(static_cast<unsigned>(rng() % 4), qubits - 1);
  while (op.controls.size() < controls) {
    const uint64_t c = pick(rng);
    if (c != op.target && std::find(op.controls.begin(), op.controls.end(), c) == op.controls.end())
      op.controls.push_back(c);
  }
  if (rng() % 40 == 0) op.controls.push_back(op.target);
  op.angle = angle(rng);
  if (rng() % 30 == 0) op.angle = 0.0;  // zero parts with signs
  for (auto& m : op.matrix) m = {angle(rng) / 7, angle(rng) / 7};
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
