// The pown plug-in where the dense simulator has its own: its destination
// list, and the scatter of a whole register on the worker pool. The contract that all
// back ends share is in tests/quantum_execution.
#include "fenn/src/bitwise/pown.hpp"
#include "tests/dense/dense_fixture.hpp"
#include "tests/support/backend_calls.hpp"

namespace dense_test {
namespace {

// The destination of the scatter is made at construction when the metrics
// name the plug-in, else at the first call: both give the same state.
TEST(DensePown, DestinationMadeAtTheCallWhenTheMetricsDoNotNameIt) {
  DenseSimulator listed = make_pown(3);
  DenseSimulator unlisted = make(3);
  for (DenseSimulator* sim : {&listed, &unlisted}) {
    sim->hadamard(0, {});
    sim->pauli_x(2, {});
    ASSERT_TRUE(sim->plugin("pown", "1 3", Positions{1, 2, 0}).has_value());
  }
  const auto a = amplitudes(listed);
  const auto b = amplitudes(unlisted);
  for (std::size_t i = 0; i < a.size(); ++i) EXPECT_TRUE(same_bits(a[i], b[i])) << i;
}

TEST(DensePown, FullRegisterOnTheWorkerPool) {
  // 14 qubits, every one in the register, checked against a sequential
  // scatter over increasing source indices.
  struct Case {
    const char* args;
    fenn::bitwise::PownCall call;
  };
  const Case cases[] = {
      {"2 3", {14, 2, 2, 3}},
      {"7 15", {14, 4, 7, 15}},
      // Products wrap at 64 bits: the power is not the true one.
      {"4294967311 5", {14, 3, 4294967311u, 5}},
      {"3 4294967311", {14, 33, 3, 4294967311u}},
  };
  const Positions targets{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args);
    DenseSimulator sim = make_pown(14);
    support::spread(sim, targets);
    const auto old = amplitudes(sim);
    ASSERT_TRUE(sim.plugin("pown", c.args, targets).has_value());
    std::vector<Amplitude> expected(old.size());
    for (uint64_t i = 0; i < old.size(); ++i)
      expected[fenn::bitwise::pown_index(i, c.call)] = old[i];
    EXPECT_EQ(amplitudes(sim), expected);
  }
}

}  // namespace
}  // namespace dense_test
