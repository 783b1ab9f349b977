#include <numeric>

#include "tests/quantum_execution/engine_fixture.hpp"

namespace engine_test {
namespace {

using fenn::FennError;

std::vector<uint64_t> first_qubits(uint64_t count) {
  std::vector<uint64_t> qubits(count);
  std::iota(qubits.begin(), qubits.end(), 0);
  return qubits;
}

TEST_F(EngineTest, MeasurementPacksTheLastListedQubitAtBitZero) {
  // Measured from the last listed qubit to the first: q2 gives 1, q1 0, q0 1.
  Script::get().outcomes = {1, 0, 1};
  Program p(3, 2);
  p.block({measure({0, 1, 2}, 1), halt()});
  auto result = p.run();
  ASSERT_TRUE(result.has_value());
  EXPECT_EQ(result->future[1], 5);
  ASSERT_EQ(calls().size(), 3u);
  EXPECT_EQ(gate_targets(), (std::vector<uint64_t>{2, 1, 0}));
}

TEST_F(EngineTest, MeasurementPackingEdges) {
  struct Case {
    const char* name;
    uint64_t qubits;
    std::deque<uint8_t> outcomes;  // in measurement order: last listed first
    int64_t value;
  };
  std::deque<uint8_t> top_of_64(64, 0);
  top_of_64.back() = 1;
  std::deque<uint8_t> wrapped(65, 0);
  wrapped.back() = 1;  // the 65th from the end lands on bit 0 again
  std::deque<uint8_t> both(65, 0);
  both.front() = 1;
  both.back() = 1;
  const Case cases[] = {
      {"empty list", 0, {}, 0},
      {"first of 64 is the sign bit", 64, top_of_64, INT64_MIN},
      {"65 qubits wrap", 65, wrapped, 1},
      {"wrapped bits are OR-ed", 65, both, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Script::reset();
    Script::get().outcomes = c.outcomes;
    Program p(c.qubits, 2);
    p.block({set(1, 99), measure(first_qubits(c.qubits), 1), halt()});
    auto result = p.run();
    ASSERT_TRUE(result.has_value());
    EXPECT_EQ(result->future[1], c.value);
    EXPECT_EQ(calls().size(), c.qubits);
  }
}

TEST_F(EngineTest, FailedMeasurementEndsTheRun) {
  // A back end whose weights cannot be sampled answers with its code.
  struct FailingMeasure : RecordingBackend {
    static fenn::FennResult<FailingMeasure> create(const plim::Metrics&) { return FailingMeasure{}; }
    fenn::FennResult<uint8_t> measure(uint64_t) { return plim::Unexpected{FennError::UndefinedError}; }
  };
  static_assert(fenn::QuantumExecution<FailingMeasure>);
  Program p(1, 2);
  p.block({measure({0}, 1), set(1, 3), halt()});
  auto result = p.run<FailingMeasure>();
  ASSERT_FALSE(result.has_value());
  EXPECT_EQ(result.error(), FennError::UndefinedError);
}

TEST_F(EngineTest, DumpsAndFuturesNeverWrittenKeepTheirStartValues) {
  Program p(2, 3, 3);
  p.block({dump({1, 0}, 1), set(2, -4), halt()});
  auto result = p.run();
  ASSERT_TRUE(result.has_value());
  EXPECT_EQ(result->future, (std::vector<int64_t>{0, 0, -4}));
  ASSERT_EQ(result->dump.size(), 3u);
  EXPECT_EQ(result->dump[0], plim::DumpData{plim::Probability{}});
  EXPECT_EQ(result->dump[1], Script::get().dump_answer);
  EXPECT_EQ(result->dump[2], plim::DumpData{plim::Probability{}});
  ASSERT_EQ(calls().size(), 1u);
  EXPECT_EQ(calls()[0].positions, (std::vector<uint64_t>{1, 0}));
  EXPECT_GE(result->exec_time, 0.0);
  EXPECT_LT(result->exec_time, 1.0);
}

TEST_F(EngineTest, GatesReachTheirOperationsWithTheirAngles) {
  Program p(2, 1);
  p.block({plim::Gate{plim::PauliY{}, 0, {1}}, plim::Gate{plim::PauliZ{}, 1, {}},
           plim::Gate{plim::Hadamard{}, 0, {}}, plim::Gate{plim::Phase{0.5}, 1, {}},
           plim::Gate{plim::RX{1.5}, 0, {}}, plim::Gate{plim::RY{2.5}, 1, {}},
           plim::Gate{plim::RZ{-3.5}, 0, {}},
           plim::Gate{plim::Unitary{{{{0.25, 0}, {}, {}, {}}}}, 1, {0}}, halt()});
  ASSERT_TRUE(p.run().has_value());
  const std::vector<Call> expected{
      {"pauli_y", 0, {1}, 0.0, ""}, {"pauli_z", 1, {}, 0.0, ""}, {"hadamard", 0, {}, 0.0, ""},
      {"phase", 1, {}, 0.5, ""},    {"rx", 0, {}, 1.5, ""},      {"ry", 1, {}, 2.5, ""},
      {"rz", 0, {}, -3.5, ""},      {"unitary", 1, {0}, 0.25, ""},
  };
  EXPECT_EQ(calls(), expected);
}

TEST_F(EngineTest, UnitaryOnABackEndWithoutItIsAnUnsupportedPlugin) {
  Program p(1, 2);
  p.block({plim::Gate{plim::Unitary{}, 0, {}}, set(1, 1), halt()});
  auto result = p.run<NoUnitaryBackend>();
  ASSERT_FALSE(result.has_value());
  EXPECT_EQ(result.error(), FennError::UnsupportedPlugin);
  EXPECT_TRUE(calls().empty());
}

TEST_F(EngineTest, PluginGetsItsTextAndMappedTargets) {
  Program p(3, 1);
  p.block({alloc(0), alloc(1), plugin({1, 0}, "7 15"), halt()});
  ASSERT_TRUE(p.run().has_value());
  ASSERT_EQ(calls().size(), 1u);
  EXPECT_EQ(calls()[0].positions, (std::vector<uint64_t>{1, 2}));
  EXPECT_EQ(calls()[0].text, "pown|7 15");
}

TEST_F(EngineTest, PluginFailureEndsTheRunWithItsCode) {
  Script::get().plugin_status = plim::Unexpected{FennError::UnsupportedPlugin};
  Program p(2, 2);
  p.block({plugin({0}, "x"), x(0), halt()});
  auto result = p.run();
  ASSERT_FALSE(result.has_value());
  EXPECT_EQ(result.error(), FennError::UnsupportedPlugin);
  EXPECT_EQ(calls().size(), 1u);
}

}  // namespace
}  // namespace engine_test
