// The gates and the swap of the dense simulator. Each gate's factors are
// computed once per call, before any pass; the per-pair arithmetic is in
// dense_kernel_body.inc.
#include "fenn/src/dense/dense_simulator.hpp"
#include "fenn/src/runtime/worker_pool.hpp"

namespace fenn::dense {

namespace {

PreparedGate prepare(GateKind kind, unsigned qubits, uint64_t target, Positions controls) {
  uint64_t mask = 0;
  for (uint64_t c : controls) mask |= uint64_t{1} << c;
  PreparedGate gate;
  gate.kind = kind;
  gate.layout = PairLayout(qubits, target, mask);
  return gate;
}

}  // namespace

void DenseSimulator::submit(const PreparedGate& gate) {
  if (!queue_.enabled()) return apply_gate(state_.get(), gate, active_kernel_path());
  // An empty queue takes any gate.
  if (!queue_.accepts(gate)) flush();
  queue_.push(gate);
  if (queue_.full()) flush();
}

void DenseSimulator::flush() const {
  queue_.apply(state_.get(), static_cast<unsigned>(qubits_), active_kernel_path());
}

void DenseSimulator::set_batching(bool on) {
  flush();
  queue_.set_enabled(on);
}

bool DenseSimulator::set_batch_bounds(BatchBounds bounds) {
  flush();
  return queue_.set_bounds(bounds);
}

void DenseSimulator::pauli_x(uint64_t target, Positions controls) {
  submit(prepare(GateKind::PauliX, static_cast<unsigned>(qubits_), target, controls));
}

void DenseSimulator::pauli_y(uint64_t target, Positions controls) {
  PreparedGate gate = prepare(GateKind::PauliY, static_cast<unsigned>(qubits_), target, controls);
  // -i for a clear target bit, +i for a set one, signed zeros included.
  gate.f[0] = Amplitude{-0.0, -1.0};
  gate.f[1] = Amplitude{+0.0, +1.0};
  submit(gate);
}

void DenseSimulator::pauli_z(uint64_t target, Positions controls) {
  submit(prepare(GateKind::PauliZ, static_cast<unsigned>(qubits_), target, controls));
}

void DenseSimulator::hadamard(uint64_t target, Positions controls) {
  PreparedGate gate = prepare(GateKind::Hadamard, static_cast<unsigned>(qubits_), target, controls);
  gate.r[0] = kHalfSqrt2;
  submit(gate);
}

void DenseSimulator::phase(double angle, uint64_t target, Positions controls) {
  PreparedGate gate = prepare(GateKind::Phase, static_cast<unsigned>(qubits_), target, controls);
  gate.f[1] = exp_i(angle);
  submit(gate);
}

void DenseSimulator::rx(double angle, uint64_t target, Positions controls) {
  PreparedGate gate = prepare(GateKind::RX, static_cast<unsigned>(qubits_), target, controls);
  const SinCos sc = sin_cos(angle * 0.5);
  // -i (the pauli_y factor (-0.0, -1.0)) times the real sin(theta/2).
  gate.f[0] = Amplitude{-0.0 * sc.sin, -sc.sin};
  gate.r[0] = sc.cos;
  submit(gate);
}

void DenseSimulator::ry(double angle, uint64_t target, Positions controls) {
  PreparedGate gate = prepare(GateKind::RY, static_cast<unsigned>(qubits_), target, controls);
  const SinCos sc = sin_cos(angle * 0.5);
  gate.r[0] = -sc.sin;
  gate.r[1] = sc.sin;
  gate.r[2] = sc.cos;
  submit(gate);
}

void DenseSimulator::rz(double angle, uint64_t target, Positions controls) {
  PreparedGate gate = prepare(GateKind::RZ, static_cast<unsigned>(qubits_), target, controls);
  const double half = angle * 0.5;
  gate.f[0] = exp_i(-half);
  gate.f[1] = exp_i(half);
  submit(gate);
}

void DenseSimulator::unitary(const Matrix& m, uint64_t target, Positions controls) {
  // (m0, m1) is the first column, (m2, m3) the second.
  PreparedGate gate = prepare(GateKind::Unitary, static_cast<unsigned>(qubits_), target, controls);
  gate.f = {m[0], m[1], m[2], m[3]};
  submit(gate);
}

void DenseSimulator::swap(uint64_t a, uint64_t b) {
  // A position beyond the register holds no bit of any index; the plug-in
  // runs such a pair only as an exchange of a position with itself.
  if (a == b || a >= qubits_ || b >= qubits_) return;
  flush();
  const uint64_t low = std::min(a, b), high = std::max(a, b);
  const uint64_t bit_a = uint64_t{1} << a, bit_b = uint64_t{1} << b;
  Amplitude* const list = state_.get();
  // Only the indices whose two bits differ move, each pair by one task:
  // bit a set and bit b clear exchanges with bit a clear and bit b set.
  runtime::parallel_for(size() >> 2, [=](uint64_t begin, uint64_t end) {
    for (uint64_t j = begin; j < end; ++j) {
      uint64_t i = ((j >> low) << (low + 1)) | (j & ((uint64_t{1} << low) - 1));
      i = ((i >> high) << (high + 1)) | (i & ((uint64_t{1} << high) - 1));
      std::swap(list[i | bit_a], list[i | bit_b]);
    }
  });
}

}  // namespace fenn::dense
