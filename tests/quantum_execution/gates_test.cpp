// Every gate against its textbook matrix, on basis states and under
// controls, on every back end.
#include <functional>

#include "tests/quantum_execution/contract_fixture.hpp"
#include "tests/support/reference_gates.hpp"
#include "tests/support/reference_state.hpp"

namespace contract_test {
namespace {

template <class B>
class GateContract : public ::testing::Test {};
TYPED_TEST_SUITE(GateContract, BackEnds, BackEndNames);

template <class B>
class SimulatorGates : public ::testing::Test {};
TYPED_TEST_SUITE(SimulatorGates, Simulators, BackEndNames);

constexpr double kTolerance = 1e-12;

// The reference's amplitudes keyed like a whole-state dump.
Amplitudes keyed(const reference::State& state) {
  Amplitudes amplitudes;
  for (std::size_t i = 0; i < state.size(); ++i) amplitudes[i] = state[i];
  return amplitudes;
}

// The eight gates every back end has; a symmetric Unitary joins them where
// the back end has one, since both readings of its numbers agree.
template <class B>
std::vector<plim::QuantumGate> gates_of() {
  std::vector<plim::QuantumGate> gates{plim::PauliX{}, plim::PauliY{}, plim::PauliZ{},
                                       plim::Hadamard{}, plim::Phase{0.7}, plim::RX{0.7},
                                       plim::RY{-2.1},   plim::RZ{4.0}};
  if constexpr (B::supports_unitary)
    gates.push_back(plim::Unitary{{{{0.6, 0.0}, {0.0, 0.8}, {0.0, 0.8}, {0.6, 0.0}}}});
  return gates;
}

TYPED_TEST(GateContract, EveryGateMatchesItsTextbookMatrixOnBothBasisStates) {
  for (const plim::QuantumGate& gate : gates_of<TypeParam>()) {
    for (bool one : {false, true}) {
      SCOPED_TRACE(::testing::Message() << "gate " << gate.index() << " on |" << one << ">");
      Register<TypeParam> reg(1);
      reference::State expected(1);
      if (one) {
        reg->pauli_x(0, {});
        expected.apply(reference::pauli_x(), 0);
      }
      support::apply_gate(*reg, gate, 0, {});
      expected.apply(reference::textbook(gate, reference::UnitaryReading::Rows), 0);
      support::expect_near(reg.state(), keyed(expected), 2, kTolerance, "after the gate");
    }
  }
}

// Qubits 0 to 2 in superposition, qubit 3 at 0: controls [1, 2] hold on a
// quarter of the state, controls [1, 3] nowhere.
TYPED_TEST(GateContract, GatesActOnlyWhereEveryControlHolds) {
  const std::vector<std::vector<uint64_t>> control_lists{{1, 2}, {2}, {1, 3}, {3}};
  for (const plim::QuantumGate& gate : gates_of<TypeParam>()) {
    for (const auto& controls : control_lists) {
      SCOPED_TRACE(::testing::Message() << "gate " << gate.index() << " under "
                                        << ::testing::PrintToString(controls));
      Register<TypeParam> reg(4);
      reference::State expected(4);
      const double angles[] = {0.9, 1.7, 2.3};
      for (uint64_t q = 0; q < 3; ++q) {
        reg->ry(angles[q], q, {});
        expected.apply(reference::ry(angles[q]), static_cast<unsigned>(q));
      }
      support::apply_gate(*reg, gate, 0, controls);
      expected.apply(reference::textbook(gate, reference::UnitaryReading::Rows), 0, controls);
      support::expect_near(reg.state(), keyed(expected), 16, kTolerance, "after the gate");
    }
  }
}

// Amplitudes off a gate's controls stay as they were bit for bit, the signs
// of zero parts included: X then Z on qubit 0 leaves (-1.0, -0.0) at index 1.
// Qubit 2 is 0 everywhere, qubit 0 now and then; 14 qubits run the dense
// passes on the pool. A general Unitary, since neither reading may touch them.
TYPED_TEST(SimulatorGates, GatesOffTheirControlsLeaveAmplitudesBitForBit) {
  const struct {
    const char* name;
    bool superposition;  // H on qubits 0 and 1 instead of X then Z on qubit 0
    uint64_t target;
    Positions controls;
  } cases[] = {
      {"negative zero, one control", false, 1, {2}},
      {"negative zero, two controls", false, 1, {2, 0}},
      {"superposition, a control that holds in part", true, 0, {1, 2}},
  };
  std::vector<plim::QuantumGate> gates = gates_of<TypeParam>();
  gates.push_back(plim::Unitary{{{{0.1, 0.2}, {0.3, 0.4}, {0.5, 0.6}, {0.7, 0.8}}}});
  for (uint64_t qubits : {3u, 14u}) {
    for (const auto& c : cases) {
      for (const plim::QuantumGate& gate : gates) {
        SCOPED_TRACE(::testing::Message() << c.name << ", gate " << gate.index() << ", " << qubits
                                          << " qubits");
        Register<TypeParam> reg(qubits);
        if (c.superposition) {
          reg->hadamard(0, {});
          reg->hadamard(1, {});
        } else {
          reg->pauli_x(0, {});
          reg->pauli_z(0, {});
        }
        Positions all;
        for (uint64_t p = qubits; p-- > 0;) all.push_back(p);
        const support::Entries before = support::dump_entries(reg->dump(all));
        support::apply_gate(*reg, gate, c.target, c.controls);
        const support::Entries after = support::dump_entries(reg->dump(all));
        ASSERT_EQ(after.size(), before.size());
        for (const auto& [state, a] : before) {
          ASSERT_EQ(after.count(state), 1u);
          EXPECT_TRUE(support::same_bits(after.at(state).re, a.re) &&
                      support::same_bits(after.at(state).im, a.im))
              << ::testing::PrintToString(state);
        }
      }
    }
  }
}

}  // namespace
}  // namespace contract_test
