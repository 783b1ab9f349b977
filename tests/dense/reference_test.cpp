// The dense simulator against the textbook reference on random circuits, and
// circuits undone by inverse scopes.
#include "fenn/src/dense/engine_dense.hpp"
#include "libplim/src/code_block.hpp"
#include "tests/dense/dense_fixture.hpp"
#include "tests/support/backend_calls.hpp"
#include "tests/support/random_gates.hpp"
#include "tests/support/reference_gates.hpp"

namespace dense_test {
namespace {

using support::RandomGate;
using support::RandomGates;

TEST(DenseAgainstReference, RandomCircuitsWithControls) {
  // 14 qubits runs the passes on the pool; the others inline.
  for (unsigned qubits : {1u, 2u, 3u, 5u, 8u, 10u, 14u}) {
    for (uint64_t seed = 1; seed <= 3; ++seed) {
      SCOPED_TRACE(::testing::Message() << qubits << " qubits, seed " << seed);
      // General unitaries tell the reading by columns from one by rows.
      RandomGates random(seed * 1000 + qubits, support::Unitaries::General);
      DenseSimulator sim = make(qubits);
      reference::State expected(qubits);
      // Start away from |0...0> so that every gate meets amplitudes.
      for (unsigned q = 0; q < qubits; ++q) {
        sim.hadamard(q, {});
        expected.apply(reference::hadamard(), q, {});
      }
      const int gates = qubits >= 14 ? 40 : 120;
      for (int n = 0; n < gates; ++n) {
        const RandomGate g = random.next(qubits, support::kEveryGate);
        support::apply_gate(sim, g.gate, g.target, g.controls);
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
    // Its unitaries are unitary, so their adjoint is their inverse.
    RandomGates random(qubits, support::Unitaries::General);
    std::vector<RandomGate> circuit;
    for (int n = 0; n < 60; ++n) circuit.push_back(random.next(qubits, support::kEveryGate));
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
