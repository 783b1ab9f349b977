#include <limits>

#include "tests/dense/dense_fixture.hpp"

namespace dense_test {
namespace {

using fenn::FennError;

// Which plug-in names pass is the simulators' shared check.
TEST(DenseConstruction, QubitLimitComesBeforePluginNames) {
  struct Case {
    const char* name;
    uint64_t qubits;
    std::vector<std::string> plugins;
    std::optional<FennError> error;
  };
  const Case cases[] = {
      {"33 qubits", 33, {}, FennError::TooManyQubits},
      {"qubit limit checked before names", 33, {"Pown"}, FennError::TooManyQubits},
      {"pown only", 3, {"pown"}, std::nullopt},
      {"no plug-ins", 0, {}, std::nullopt},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    auto made = DenseSimulator::create(metrics_for(c.qubits, c.plugins));
    if (c.error) {
      ASSERT_FALSE(made.has_value());
      EXPECT_EQ(made.error(), *c.error);
    } else {
      ASSERT_TRUE(made.has_value());
      EXPECT_EQ(made->size(), uint64_t{1} << c.qubits);
      EXPECT_EQ(made->state()[0], (Amplitude{1.0, 0.0}));
    }
  }
}

TEST(DenseConstruction, ListsBeyondTheMachinesMemoryAreTooManyQubits) {
  EXPECT_TRUE(fenn::dense::lists_fit_in_memory(2, 1));
  EXPECT_FALSE(fenn::dense::lists_fit_in_memory(2, uint64_t{1} << 62));
  // 32 qubits need 128 GiB; only where that is more than the machine has
  // can the refusal be seen without filling the memory.
  if (fenn::dense::lists_fit_in_memory(2, uint64_t{1} << 32))
    GTEST_SKIP() << "this machine could hold 32 qubits";
  auto made = DenseSimulator::create(metrics_for(32));
  ASSERT_FALSE(made.has_value());
  EXPECT_EQ(made.error(), FennError::TooManyQubits);
}

TEST(DenseConstruction, StartsInAllZeros) {
  // 14 qubits: large enough for the pool to fill the lists in parallel.
  DenseSimulator sim = make(14);
  const auto state = amplitudes(sim);
  EXPECT_EQ(state[0], (Amplitude{1.0, 0.0}));
  for (std::size_t i = 1; i < state.size(); ++i) ASSERT_EQ(state[i], (Amplitude{0.0, 0.0})) << i;
}

plim::Vector vector_of(const plim::DumpData& data) {
  EXPECT_TRUE(std::holds_alternative<plim::Vector>(data));
  return std::get<plim::Vector>(data);
}

TEST(DenseDump, NoQubitsListOneStateOfAmplitudeOne) {
  EXPECT_EQ(vector_of(make(0).dump({})), (plim::Vector{{{0}}, {1.0}, {0.0}}));
}

TEST(DenseDump, MoreThan64PositionsTakeSeveralWords) {
  DenseSimulator sim = make(2);
  sim.pauli_x(0, {});
  // 65 positions: the first listed is the most significant bit, alone in
  // the first word; the last listed is bit 0 of the last word.
  Positions first_set(65, 1);
  first_set.front() = 0;
  EXPECT_EQ(vector_of(sim.dump(first_set)).basis_states,
            (plim::BasisStates{{1, 0}}));
  Positions last_set(65, 1);
  last_set.back() = 0;
  EXPECT_EQ(vector_of(sim.dump(last_set)).basis_states,
            (plim::BasisStates{{0, 1}}));
  Positions all_set(128, 0);
  EXPECT_EQ(vector_of(sim.dump(all_set)).basis_states,
            (plim::BasisStates{{~uint64_t{0}, ~uint64_t{0}}}));
}

TEST(DenseDump, ThresholdAndNaNLeaveAmplitudesOut) {
  struct Case {
    const char* name;
    Amplitude m0;
    std::size_t entries;
  };
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const Case cases[] = {
      {"exactly 1e-15", {1e-15, 0.0}, 0},
      {"imaginary 1e-15", {0.0, 1e-15}, 0},
      {"just above", {2e-15, 0.0}, 1},
      {"NaN", {nan, 0.0}, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    DenseSimulator sim = make(1);
    sim.unitary({c.m0, {}, {}, {}}, 0, {});
    EXPECT_EQ(vector_of(sim.dump(Positions{0})).basis_states.size(), c.entries);
  }
}

TEST(DenseDump, LeavesTheStateAlone) {
  DenseSimulator sim = make(3);
  sim.hadamard(1, {});
  const auto before = amplitudes(sim);
  const auto dumped = vector_of(sim.dump(Positions{2, 1, 0}));
  EXPECT_EQ(dumped.basis_states, (plim::BasisStates{{0}, {2}}));
  EXPECT_EQ(amplitudes(sim), before);
}

}  // namespace
}  // namespace dense_test
