// Gates held back and applied in cache-sized batches give the bits of one
// gate at a time; and a run with a time limit still stops in time.
#include <chrono>
#include <string>

#include "fenn/src/dense/engine_dense.hpp"
#include "tests/dense/dense_fixture.hpp"
#include "tests/dense/literal_reference.hpp"
#include "tests/dense/random_program.hpp"

namespace dense_test {
namespace {

using fenn::dense::BatchBounds;

// Random programs with measurements, dumps and pown between the gates, run
// once batched with bounds small enough that registers of a few qubits are
// split into many blocks, and once one gate at a time; every dump and the
// final state must agree bit for bit.
TEST(DenseBatching, SameBitsAsOneGateAtATime) {
  // Pieces of 4 amplitudes, so that blocks are strided even on a few qubits;
  // and the default low run on a bound of 7.
  const BatchBounds bounds_list[] = {{2, 1, 2}, {2, 3, 2}, {3, 4, 2}, {4, 2, 2},
                                     {5, 7, 2}, {3, 32, 2}, {7, 5, 5}};
  for (unsigned qubits = 1; qubits <= 16; ++qubits) {
    for (const BatchBounds& bounds : bounds_list) {
      SCOPED_TRACE(::testing::Message() << qubits << " qubits, batches of " << bounds.gates
                                        << " gates on " << bounds.positions << " positions, low run "
                                        << bounds.low_run);
      support::RandomGates gates(qubits * 31 + bounds.positions * 7 + bounds.gates,
                                 support::Unitaries::General);
      DenseSimulator batched = make_pown(qubits);
      DenseSimulator single = make_pown(qubits);
      batched.set_batch_bounds(bounds);
      single.set_batching(false);
      const int steps = qubits <= 12 ? 120 : 40;
      std::vector<uint64_t> everything(qubits);
      std::iota(everything.begin(), everything.end(), uint64_t{0});
      for (int step = 0; step < steps; ++step) {
        const Op op = random_op(gates, qubits, true);
        switch (op.kind) {
          case OpKind::Dump: {
            const plim::DumpData a = batched.dump(everything);
            const plim::DumpData b = single.dump(everything);
            const auto& va = std::get<plim::Vector>(a);
            const auto& vb = std::get<plim::Vector>(b);
            ASSERT_EQ(va.basis_states, vb.basis_states) << "step " << step;
            for (std::size_t i = 0; i < va.amplitudes_real.size(); ++i)
              ASSERT_TRUE(same_bits({va.amplitudes_real[i], va.amplitudes_imag[i]},
                                    {vb.amplitudes_real[i], vb.amplitudes_imag[i]}))
                  << "step " << step << ", entry " << i;
            break;
          }
          case OpKind::Measure: {
            // Both collapse alike; the sum is taken in index order from the
            // one-at-a-time state so that both see the same scale.
            const Collapse c =
                draw_collapse(literal::probability_of_one(single.state(), op.target), op.draw);
            batched.collapse(op.target, c.outcome, c.scale);
            single.collapse(op.target, c.outcome, c.scale);
            break;
          }
          case OpKind::Pown: {
            const std::string args = std::to_string(op.base) + " " + std::to_string(op.modulus);
            ASSERT_TRUE(batched.plugin("pown", args, op.pown_targets).has_value());
            ASSERT_TRUE(single.plugin("pown", args, op.pown_targets).has_value());
            break;
          }
          default:
            apply_gate_op(batched, op);
            apply_gate_op(single, op);
        }
      }
      const auto a = batched.state();
      const auto b = single.state();
      for (std::size_t i = 0; i < a.size(); ++i) ASSERT_TRUE(same_bits(a[i], b[i])) << i;
    }
  }
}

// Layers of gates on every qubit, the shape that batching serves, with the
// default bounds on a register larger than one block.
TEST(DenseBatching, LayersOnALargeRegister) {
  constexpr unsigned kQubits = 17;
  DenseSimulator batched = make(kQubits);
  DenseSimulator single = make(kQubits);
  single.set_batching(false);
  for (int layer = 0; layer < 3; ++layer) {
    for (uint64_t q = 0; q < kQubits; ++q) {
      batched.hadamard(q, {});
      single.hadamard(q, {});
      batched.rx(0.1 * static_cast<double>(q + layer), q, {});
      single.rx(0.1 * static_cast<double>(q + layer), q, {});
    }
    for (uint64_t q = 0; q + 1 < kQubits; ++q) {
      batched.phase(0.3, q + 1, Positions{q});
      single.phase(0.3, q + 1, Positions{q});
    }
  }
  const auto a = batched.state();
  const auto b = single.state();
  for (std::size_t i = 0; i < a.size(); ++i) ASSERT_TRUE(same_bits(a[i], b[i])) << i;
}

// A second of time limit on a program whose gates take several seconds:
// held-back gates are applied as the queue fills, so the time passes between
// instructions, where the limit is checked.
TEST(DenseBatching, TimeLimitStillEndsALongGateSequence) {
  constexpr unsigned kQubits = 24;
  plim::CodeBlock block;
  for (int g = 0; g < 3000; ++g)
    block.instructions.push_back(plim::Gate{plim::Hadamard{}, static_cast<uint64_t>(g % kQubits), {}});
  block.instructions.push_back(plim::End{plim::Halt{}});
  plim::Metrics metrics = metrics_for(kQubits);
  metrics.timeout = 1;
  DenseSimulator sim = make(kQubits);
  const plim::CodeBlock* code[] = {&block};
  const auto start = std::chrono::steady_clock::now();
  const auto result = fenn::run(sim, code, metrics);
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  ASSERT_FALSE(result.has_value());
  EXPECT_EQ(result.error(), fenn::FennError::Timeout);
  // Whole seconds strictly above 1: stopped from 2 s on, within one batch.
  EXPECT_GE(seconds, 2.0);
  EXPECT_LT(seconds, 30.0);
}

}  // namespace
}  // namespace dense_test
