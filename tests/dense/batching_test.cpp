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
// split into many blocks and sub-blocks, and once one gate at a time; every
// dump and the final state must agree bit for bit. The gates-only programs
// make batches long enough to be cut by every bound.
TEST(DenseBatching, SameBitsAsOneGateAtATime) {
  // {positions, gates, low run, inner positions, inner low run, work}.
  const BatchBounds bounds_list[] = {
      {2, 1, 2, 1, 0, 32},     // one gate per batch
      {2, 3, 2, 1, 0, 32},     // sub-blocks of 2 amplitudes
      {3, 4, 2, 2, 0, 32},     // strided sub-blocks, pieces of 1
      {4, 2, 2, 2, 1, 32},
      {5, 7, 2, 3, 1, 32},
      {3, 32, 2, 3, 2, 32},    // sub-block = block: one stage
      {7, 5, 5, 4, 2, 32},
      {6, 256, 2, 3, 0, 256},  // long batches, many stages
      {8, 256, 3, 5, 3, 2},    // cut by work
      {9, 64, 4, 6, 4, 16},
  };
  for (unsigned qubits = 1; qubits <= 16; ++qubits) {
    for (const BatchBounds& bounds : bounds_list) {
      for (const bool gates_only : {false, true}) {
        SCOPED_TRACE(::testing::Message()
                     << qubits << " qubits, batches of " << bounds.gates << " gates and work "
                     << bounds.work << " on " << bounds.positions << " positions, low run "
                     << bounds.low_run << ", sub-blocks of " << bounds.inner_positions
                     << ", low run " << bounds.inner_low_run << (gates_only ? ", gates only" : ""));
        support::RandomGates gates(qubits * 31 + bounds.positions * 7 + bounds.gates + gates_only,
                                   support::Unitaries::General);
        DenseSimulator batched = make_pown(qubits);
        DenseSimulator single = make_pown(qubits);
        batched.set_batch_bounds(bounds);
        single.set_batching(false);
        std::vector<uint64_t> everything(qubits);
        std::iota(everything.begin(), everything.end(), uint64_t{0});
        const int steps = qubits <= 12 ? 120 : 40;
        for (int step = 0; step < steps; ++step) {
          const Op op = random_op(gates, qubits, true);
          const bool gate =
              op.kind != OpKind::Dump && op.kind != OpKind::Measure && op.kind != OpKind::Pown;
          if (gates_only && !gate) continue;
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
}

// The shapes batching serves, with this machine's bounds on a register two
// qubits larger than one block: layers on every qubit, chains of controlled
// gates, and the rows of a Fourier transform, whose diagonal gates have
// targets and controls outside the blocks.
TEST(DenseBatching, CircuitShapesOnARegisterLargerThanABlock) {
  const unsigned qubits = fenn::dense::machine_bounds(32).positions + 2;
  DenseSimulator batched = make(qubits);
  DenseSimulator single = make(qubits);
  single.set_batching(false);
  const auto both = [&](auto gate) {
    gate(batched);
    gate(single);
  };
  for (int layer = 0; layer < 2; ++layer) {
    for (uint64_t q = 0; q < qubits; ++q) {
      both([&](DenseSimulator& s) { s.hadamard(q, {}); });
      both([&](DenseSimulator& s) { s.rx(0.1 * static_cast<double>(q + layer), q, {}); });
    }
    for (uint64_t q = 0; q + 1 < qubits; ++q) {
      both([&](DenseSimulator& s) { s.pauli_x(q + 1, Positions{q}); });
      both([&](DenseSimulator& s) { s.rz(0.2, q, Positions{q + 1}); });
    }
    for (uint64_t q = qubits; q-- > 0;) {
      both([&](DenseSimulator& s) { s.hadamard(q, {}); });
      for (uint64_t c = q; c-- > 0;)
        both([&](DenseSimulator& s) { s.phase(0.7 / static_cast<double>(q - c), q, Positions{c}); });
      both([&](DenseSimulator& s) { s.pauli_z(qubits - 1 - q, Positions{q}); });
    }
  }
  const auto a = batched.state();
  const auto b = single.state();
  for (std::size_t i = 0; i < a.size(); ++i) ASSERT_TRUE(same_bits(a[i], b[i])) << i;
}

// The low run trades piece length for batches: a layer on every qubit takes
// as few batches as pieces of 64 amplitudes or more allow, and the longest
// pieces that keep that count.
TEST(DenseBatching, LowRunTakesTheFewestBatchesThenTheLongestPieces) {
  struct Case {
    unsigned qubits, positions, longest, low_run;
  };
  const Case cases[] = {
      {26, 16, 10, 6},   // two batches (16 + 10) instead of three
      {24, 16, 10, 8},   // two batches already with 8
      {28, 16, 10, 10},  // three batches whatever the run: the longest
      {26, 14, 8, 8},    // two would need pieces of 4: three, the longest
      {20, 16, 10, 10},  // one more batch in any case
      {16, 16, 10, 10},  // a register no larger than a block
      {26, 12, 4, 4},    // bounds below 64 amplitudes stay as they are
      {40, 18, 12, 7},   // 18 + 11 + 11
  };
  for (const Case& c : cases)
    EXPECT_EQ(fenn::dense::layer_low_run(c.qubits, c.positions, c.longest), c.low_run)
        << c.qubits << " qubits, blocks of 2^" << c.positions << ", pieces up to 2^" << c.longest;
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
