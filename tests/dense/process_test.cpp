// Processes built through the builder run end to end on the dense simulator.
#include "fenn/src/c_wrapper/run_roads.hpp"
#include "fenn/src/dense/engine_dense.hpp"
#include "tests/dense/dense_fixture.hpp"
#include "tests/support/built_process.hpp"

namespace dense_test {
namespace {

using support::BuiltProcess;

TEST(DenseProcess, BellPairMeasuresEqualBits) {
  for (int run = 0; run < 20; ++run) {
    BuiltProcess built(2);
    built.entangle();
    const auto dumped = built.dump();
    const auto measured = built.measure();
    built.prepare();
    ASSERT_TRUE(fenn::run_and_set_result<DenseSimulator>(built.process()).has_value());
    const int64_t value = measured->value->value();
    EXPECT_TRUE(value == 0 || value == 3) << value;
    const auto& state = std::get<plim::Vector>(dumped->value->value());
    EXPECT_EQ(state.basis_states, (plim::BasisStates{{0}, {3}}));
    EXPECT_EQ(state.amplitudes_real, (std::vector<double>{0.7071067811865476, 0.7071067811865476}));
    EXPECT_TRUE(built.process().exec_time.has_value());
  }
}

TEST(DenseProcess, PownThroughTheEngine) {
  // Qubits 0-3 allocated in order land on positions 3, 2, 1, 0: the
  // plug-in's targets list them so that y = 1 sits in the low positions.
  BuiltProcess built(4);
  built.gate(plim::PauliX{}, 3);
  built.gate(plim::PauliX{}, 1);
  built.plugin("pown", "2 3", {3, 2, 1, 0});
  const auto measured = built.measure();
  built.prepare();
  ASSERT_TRUE(fenn::run_and_set_result<DenseSimulator>(built.process()).has_value());
  // Register 0b0101: x = 1, y = 1, c = 2, image (1 << 2) | 2 = 6; the
  // measurement lists the qubits from position 3 down to position 0.
  EXPECT_EQ(measured->value->value(), 6);
}

TEST(DenseProcess, ConstructionFailuresLeaveTheProcessUnchanged) {
  struct Case {
    const char* name;
    unsigned qubits;
    const char* plugin;
    fenn::FennError error;
  };
  const Case cases[] = {
      {"33 qubits", 33, nullptr, fenn::FennError::TooManyQubits},
      {"foreign plug-in", 2, "qft", fenn::FennError::UnsupportedPlugin},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    BuiltProcess built(c.qubits);
    const auto five = built.constant(5);
    if (c.plugin) built.plugin(c.plugin, "", {0});
    built.prepare();
    auto status = fenn::run_and_set_result<DenseSimulator>(built.process());
    ASSERT_FALSE(status.has_value());
    EXPECT_EQ(status.error(), c.error);
    EXPECT_FALSE(five->value->has_value());
    EXPECT_FALSE(built.process().exec_time.has_value());
  }
}

TEST(DenseProcess, UnitaryRunsOnTheDenseSimulator) {
  // m1 = 1 on the first column: |0> to |1>.
  BuiltProcess built(1);
  built.gate(plim::Unitary{{{{0, 0}, {1, 0}, {0, 0}, {0, 0}}}}, 0);
  const auto measured = built.measure();
  built.prepare();
  ASSERT_TRUE(fenn::run_and_set_result<DenseSimulator>(built.process()).has_value());
  EXPECT_EQ(measured->value->value(), 1);
}

}  // namespace
}  // namespace dense_test
