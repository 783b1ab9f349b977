// Prepared processes run end to end on the dense simulator.
#include <memory>

#include "fenn/src/c_wrapper/run_roads.hpp"
#include "fenn/src/dense/engine_dense.hpp"
#include "libplim/src/process.hpp"
#include "tests/dense/dense_fixture.hpp"

namespace dense_test {
namespace {

using plim::Instruction;

// A ready process whose block 0 holds `code`, with `futures` futures and
// `dumps` dumps, built without the builder's operations.
std::unique_ptr<Process> prepared(uint64_t qubits, uint64_t futures, uint64_t dumps,
                                  std::vector<Instruction> code) {
  auto process = std::make_unique<Process>(1);
  for (uint64_t i = 1; i < futures; ++i) process->futures.push_back(plim::make_empty_cell<int64_t>());
  for (uint64_t i = 0; i < dumps; ++i) process->dumps.push_back(plim::make_empty_cell<plim::DumpData>());
  process->metrics.qubit_simultaneous = qubits;
  process->metrics.qubit_count = qubits;
  process->metrics.future_count = futures;
  process->metrics.dump_count = dumps;
  process->metrics.ready = true;
  for (auto& instruction : code)
    EXPECT_EQ(process->blocks[0].add_instruction(std::move(instruction)), plim::PlimError::Success);
  return process;
}

Instruction gate(plim::QuantumGate g, uint64_t target, std::vector<uint64_t> control = {}) {
  return plim::Gate{std::move(g), target, std::move(control)};
}

TEST(DenseProcess, BellPairMeasuresEqualBits) {
  for (int run = 0; run < 20; ++run) {
    auto process = prepared(2, 2, 1,
                            {plim::Alloc{false, 0}, plim::Alloc{false, 1},
                             gate(plim::Hadamard{}, 0), gate(plim::PauliX{}, 1, {0}),
                             plim::Dump{{0, 1}, 0}, plim::Measure{{0, 1}, 1},
                             plim::End{plim::Halt{}}});
    ASSERT_TRUE(fenn::run_and_set_result<DenseSimulator>(*process).has_value());
    const int64_t value = process->futures[1]->value();
    EXPECT_TRUE(value == 0 || value == 3) << value;
    const auto& dumped = std::get<plim::Vector>(process->dumps[0]->value());
    EXPECT_EQ(dumped.basis_states, (std::vector<plim::BasisState>{{0}, {3}}));
    EXPECT_EQ(dumped.amplitudes_real, (std::vector<double>{0.7071067811865476, 0.7071067811865476}));
    EXPECT_TRUE(process->exec_time.has_value());
  }
}

TEST(DenseProcess, PownThroughTheEngine) {
  // Qubits 0-3 allocated in order land on positions 3, 2, 1, 0: the
  // plug-in's targets list them so that y = 1 sits in the low positions.
  auto process = prepared(
      4, 2, 0,
      {plim::Alloc{false, 0}, plim::Alloc{false, 1}, plim::Alloc{false, 2}, plim::Alloc{false, 3},
       gate(plim::PauliX{}, 3), gate(plim::PauliX{}, 1),
       plim::Plugin{"pown", {3, 2, 1, 0}, "2 3"}, plim::Measure{{0, 1, 2, 3}, 1},
       plim::End{plim::Halt{}}});
  process->metrics.plugins.insert("pown");
  ASSERT_TRUE(fenn::run_and_set_result<DenseSimulator>(*process).has_value());
  // Register 0b0101: x = 1, y = 1, c = 2, image (1 << 2) | 2 = 6; the
  // measurement lists the qubits from position 3 down to position 0.
  EXPECT_EQ(process->futures[1]->value(), 6);
}

TEST(DenseProcess, ConstructionFailuresLeaveTheProcessUnchanged) {
  struct Case {
    const char* name;
    uint64_t qubits;
    const char* plugin;
    fenn::FennError error;
  };
  const Case cases[] = {
      {"33 qubits", 33, nullptr, fenn::FennError::TooManyQubits},
      {"foreign plug-in", 2, "qft", fenn::FennError::UnsupportedPlugin},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    auto process = prepared(c.qubits, 2, 0, {plim::IntSet{1, 5}, plim::End{plim::Halt{}}});
    if (c.plugin) process->metrics.plugins.insert(c.plugin);
    auto status = fenn::run_and_set_result<DenseSimulator>(*process);
    ASSERT_FALSE(status.has_value());
    EXPECT_EQ(status.error(), c.error);
    EXPECT_FALSE(process->futures[1]->has_value());
    EXPECT_FALSE(process->exec_time.has_value());
  }
}

TEST(DenseProcess, UnitaryRunsOnTheDenseSimulator) {
  // m1 = 1 on the first column: |0> to |1>.
  auto process = prepared(1, 2, 0,
                          {gate(plim::Unitary{{{{0, 0}, {1, 0}, {0, 0}, {0, 0}}}}, 0),
                           plim::Measure{{0}, 1}, plim::End{plim::Halt{}}});
  ASSERT_TRUE(fenn::run_and_set_result<DenseSimulator>(*process).has_value());
  EXPECT_EQ(process->futures[1]->value(), 1);
}

}  // namespace
}  // namespace dense_test
