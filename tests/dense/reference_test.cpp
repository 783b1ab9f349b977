// The dense simulator against the textbook reference on random circuits, and
// circuits undone by inverse scopes.
#include <random>

#include "fenn/src/dense/engine_dense.hpp"
#include "libplim/src/code_block.hpp"
#include "tests/dense/dense_fixture.hpp"
#include "tests/support/reference_gates.hpp"

namespace dense_test {
namespace {

struct RandomGate {
  plim::QuantumGate gate;
  uint64_t target;
  Positions controls;
};

// Up to two distinct controls, all different from the target.
RandomGate random_gate(std::mt19937_64& rng, unsigned qubits) {
  std::uniform_real_distribution<double> angle(-7.0, 7.0);
  std::uniform_int_distribution<unsigned> pick(0, qubits - 1);
  std::uniform_int_distribution<int> kind(0, 8);
  std::uniform_int_distribution<int> control_count(0, std::min(2u, qubits - 1));
  RandomGate g;
  g.target = pick(rng);
  for (int n = control_count(rng); static_cast<int>(g.controls.size()) < n;) {
    const uint64_t c = pick(rng);
    if (c != g.target && std::find(g.controls.begin(), g.controls.end(), c) == g.controls.end())
      g.controls.push_back(c);
  }
  switch (kind(rng)) {
    case 0: g.gate = plim::PauliX{}; break;
    case 1: g.gate = plim::PauliY{}; break;
    case 2: g.gate = plim::PauliZ{}; break;
    case 3: g.gate = plim::Hadamard{}; break;
    case 4: g.gate = plim::Phase{angle(rng)}; break;
    case 5: g.gate = plim::RX{angle(rng)}; break;
    case 6: g.gate = plim::RY{angle(rng)}; break;
    case 7: g.gate = plim::RZ{angle(rng)}; break;
    default: {
      // Any matrix will do: both sides apply the same linear map.
      plim::Unitary u;
      for (auto& entry : u.matrix) entry = {angle(rng) / 7, angle(rng) / 7};
      g.gate = u;
    }
  }
  return g;
}

void apply(DenseSimulator& sim, const RandomGate& g) {
  const Positions& c = g.controls;
  switch (g.gate.index()) {
    case 0: sim.pauli_x(g.target, c); break;
    case 1: sim.pauli_y(g.target, c); break;
    case 2: sim.pauli_z(g.target, c); break;
    case 3: sim.hadamard(g.target, c); break;
    case 4: sim.phase(std::get<plim::Phase>(g.gate).angle, g.target, c); break;
    case 5: sim.rx(std::get<plim::RX>(g.gate).angle, g.target, c); break;
    case 6: sim.ry(std::get<plim::RY>(g.gate).angle, g.target, c); break;
    case 7: sim.rz(std::get<plim::RZ>(g.gate).angle, g.target, c); break;
    default: sim.unitary(std::get<plim::Unitary>(g.gate).matrix, g.target, c);
  }
}

TEST(DenseAgainstReference, RandomCircuitsWithControls) {
  // 14 qubits runs the passes on the pool; the others inline.
  for (unsigned qubits : {1u, 2u, 3u, 5u, 8u, 10u, 14u}) {
    for (uint64_t seed = 1; seed <= 3; ++seed) {
      SCOPED_TRACE(::testing::Message() << qubits << " qubits, seed " << seed);
      std::mt19937_64 rng(seed * 1000 + qubits);
      DenseSimulator sim = make(qubits);
      reference::State expected(qubits);
      // Start away from |0...0> so that every gate meets amplitudes.
      for (unsigned q = 0; q < qubits; ++q) {
        sim.hadamard(q, {});
        expected.apply(reference::hadamard(), q, {});
      }
      const int gates = qubits >= 14 ? 40 : 120;
      for (int n = 0; n < gates; ++n) {
        const RandomGate g = random_gate(rng, qubits);
        apply(sim, g);
        const auto matrix = reference::textbook(g.gate, reference::UnitaryReading::Columns);
        expected.apply(matrix, static_cast<unsigned>(g.target), g.controls);
      }
      const auto state = sim.state();
      for (std::size_t i = 0; i < state.size(); ++i) {
        ASSERT_NEAR(state[i].re, expected.amplitudes()[i].real(), 1e-12) << i;
        ASSERT_NEAR(state[i].im, expected.amplitudes()[i].imag(), 1e-12) << i;
      }
    }
  }
}

// The inverse a builder stores for a gate added inside an odd number of
// open inverse scopes.
plim::QuantumGate inverted(plim::QuantumGate gate) {
  if (auto* p = std::get_if<plim::Phase>(&gate)) p->angle = -p->angle;
  if (auto* p = std::get_if<plim::RX>(&gate)) p->angle = -p->angle;
  if (auto* p = std::get_if<plim::RY>(&gate)) p->angle = -p->angle;
  if (auto* p = std::get_if<plim::RZ>(&gate)) p->angle = -p->angle;
  if (auto* u = std::get_if<plim::Unitary>(&gate)) {
    auto conj = [](plim::Complex z) { return plim::Complex{z.re, -z.im}; };
    const auto m = u->matrix;
    u->matrix = {conj(m[0]), conj(m[2]), conj(m[1]), conj(m[3])};
  }
  return gate;
}

TEST(DenseAgainstReference, CircuitThenItsInverseScopeGivesBackZero) {
  for (unsigned qubits : {3u, 7u, 13u}) {
    SCOPED_TRACE(qubits);
    std::mt19937_64 rng(qubits);
    std::vector<RandomGate> circuit;
    for (int n = 0; n < 60; ++n) {
      RandomGate g = random_gate(rng, qubits);
      // Only unitary matrices have their adjoint as inverse.
      if (std::holds_alternative<plim::Unitary>(g.gate)) {
        const double a = 0.3 * n;
        g.gate = plim::Unitary{{{{std::cos(a), 0}, {0, std::sin(a)}, {0, std::sin(a)}, {std::cos(a), 0}}}};
      }
      circuit.push_back(g);
    }
    plim::CodeBlockHandler block;
    for (const auto& g : circuit)
      ASSERT_EQ(block.add_instruction(plim::Gate{g.gate, g.target, g.controls}), plim::PlimError::Success);
    ASSERT_EQ(block.adj_begin(), plim::PlimError::Success);
    for (const auto& g : circuit)
      ASSERT_EQ(block.add_instruction(plim::Gate{inverted(g.gate), g.target, g.controls}),
                plim::PlimError::Success);
    ASSERT_EQ(block.adj_end(), plim::PlimError::Success);
    ASSERT_EQ(block.add_instruction(plim::End{plim::Halt{}}), plim::PlimError::Success);
    ASSERT_EQ(block.add_instruction(plim::Dump{{}, 0}), plim::PlimError::TerminatedBlock);

    plim::Metrics metrics = metrics_for(qubits);
    metrics.dump_count = 0;
    DenseSimulator sim = make(qubits);
    const plim::CodeBlock* code[] = {&block.block()};
    ASSERT_TRUE(fenn::run(sim, code, metrics).has_value());
    EXPECT_NEAR(sim.state()[0].re, 1.0, 1e-12);
    EXPECT_NEAR(sim.state()[0].im, 0.0, 1e-12);
    EXPECT_NEAR(norm(sim), 1.0, 1e-12);
  }
}

}  // namespace
}  // namespace dense_test
