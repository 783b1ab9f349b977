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

}  // namespace
}  // namespace contract_test
