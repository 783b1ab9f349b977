#include <cmath>
#include <string>

#include "builder/process_fixture.hpp"

namespace builder_test {
namespace {

using namespace plim;

using GateTest = ProcessTest;
using ControlTest = ProcessTest;
using PluginTest = ProcessTest;

Instruction x_on(uint64_t target, std::vector<uint64_t> control = {}) {
  return Gate{PauliX{}, target, std::move(control)};
}

TEST_F(GateTest, ChecksInOrder) {
  struct Case {
    const char* name;
    bool released;
    bool other_pid;
    bool on_control;
    bool terminated;
    bool control_released;
    PlimError expected;
  };
  const Case cases[] = {
      {"released first", true, true, true, true, true, PlimError::DeallocatedQubit},
      {"then pid", false, true, true, true, true, PlimError::UnmatchedPid},
      {"then control", false, false, true, true, true, PlimError::TargetOnControl},
      {"then the ended block", false, false, false, true, true, PlimError::TerminatedBlock},
      {"then a released control", false, false, false, false, true, PlimError::DeallocatedQubit},
      {"accepted", false, false, false, false, false, PlimError::Success},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Process fresh{kPid};
    std::swap(process, fresh);
    auto own = qubit();
    auto control = qubit();
    Qubit target = *own;
    target.allocated = !c.released;
    target.pid = c.other_pid ? kOtherPid : kPid;
    Qubit* list[] = {control.get(), c.on_control ? own.get() : control.get()};
    ASSERT_EQ(process.ctrl_push(list), PlimError::Success);
    if (c.control_released) {
      ASSERT_EQ(process.free_qubit(*control, false), PlimError::Success);
    }
    if (c.terminated) terminate();
    const std::size_t before = code(0).size();
    const GateCount counted = process.blocks[0].block().gate_count;

    EXPECT_EQ(process.apply_gate(PauliX{}, target), c.expected);
    const bool accepted = c.expected == PlimError::Success;
    EXPECT_EQ(code(0).size(), before + (accepted ? 1 : 0));
    if (!accepted) {
      EXPECT_EQ(process.blocks[0].block().gate_count, counted);
    }
  }
}

TEST_F(GateTest, ReleasedQubitOfAnotherProcessIsDeallocatedBeforeUnmatched) {
  Qubit stranger = foreign_qubit(0, false);
  EXPECT_EQ(process.apply_gate(PauliX{}, stranger), PlimError::DeallocatedQubit);
  EXPECT_EQ(process.free_qubit(stranger, false), PlimError::UnmatchedPid);
}

TEST_F(GateTest, ControlIsEveryPushedListOldestFirst) {
  auto a = qubit(), b = qubit(), c = qubit(), d = qubit();
  Qubit* first[] = {b.get(), a.get()};
  Qubit* second[] = {d.get()};
  ASSERT_EQ(process.ctrl_push(first), PlimError::Success);
  ASSERT_EQ(process.ctrl_push(second), PlimError::Success);
  ASSERT_EQ(process.apply_gate(Hadamard{}, *c), PlimError::Success);
  EXPECT_EQ(last(), (Instruction{Gate{Hadamard{}, 2, {1, 0, 3}}}));
  EXPECT_EQ(process.apply_gate(PauliX{}, *a), PlimError::TargetOnControl);

  ASSERT_EQ(process.ctrl_pop(), PlimError::Success);
  ASSERT_EQ(process.apply_gate(PauliX{}, *d), PlimError::Success);
  EXPECT_EQ(last(), x_on(3, {1, 0}));
  EXPECT_EQ(process.blocks[0].block().gate_count, (GateCount{{4, 1}, {3, 1}}));
}

// Angles are compared bit for bit, so that 0.0 and -0.0 differ.
bool same_bits(const QuantumGate& a, const QuantumGate& b) {
  return a.index() == b.index() &&
         std::visit(
             [&](const auto& left) {
               using G = std::decay_t<decltype(left)>;
               const auto& right = std::get<G>(b);
               if constexpr (requires { left.angle; }) {
                 return std::bit_cast<uint64_t>(left.angle) == std::bit_cast<uint64_t>(right.angle);
               } else if constexpr (std::is_same_v<G, Unitary>) {
                 for (int i = 0; i < 4; ++i)
                   if (std::bit_cast<uint64_t>(left.matrix[i].re) !=
                           std::bit_cast<uint64_t>(right.matrix[i].re) ||
                       std::bit_cast<uint64_t>(left.matrix[i].im) !=
                           std::bit_cast<uint64_t>(right.matrix[i].im))
                     return false;
                 return true;
               } else {
                 return true;
               }
             },
             a);
}

TEST_F(GateTest, OddNumberOfOpenScopesStoresTheInverse) {
  const Unitary u{{Complex{1, 2}, Complex{3, 4}, Complex{5, 6}, Complex{7, 0.0}}};
  const Unitary u_dagger{{Complex{1, -2}, Complex{5, -6}, Complex{3, -4}, Complex{7, -0.0}}};
  struct Case {
    QuantumGate gate;
    QuantumGate inverted;
  };
  const Case cases[] = {
      {PauliX{}, PauliX{}},       {PauliY{}, PauliY{}},   {PauliZ{}, PauliZ{}},
      {Hadamard{}, Hadamard{}},   {Phase{0.0}, Phase{-0.0}}, {Phase{-0.25}, Phase{0.25}},
      {RX{0.5}, RX{-0.5}},        {RY{1.5}, RY{-1.5}},    {RZ{-3.0}, RZ{3.0}},
      {u, u_dagger},
  };
  for (const Case& c : cases) {
    for (int scopes : {0, 1, 2, 3}) {
      SCOPED_TRACE(testing::Message() << "gate " << c.gate.index() << ", scopes " << scopes);
      Process fresh{kPid};
      std::swap(process, fresh);
      auto q = qubit();
      for (int i = 0; i < scopes; ++i) ASSERT_EQ(process.adj_begin(), PlimError::Success);
      ASSERT_EQ(process.apply_gate(c.gate, *q), PlimError::Success);
      const auto& held = scopes == 0 ? code(0) : process.blocks[0].adj_instructions().back();
      const QuantumGate& stored = std::get<Gate>(held.back()).gate;
      EXPECT_TRUE(same_bits(stored, scopes % 2 == 1 ? c.inverted : c.gate));
    }
  }
}

TEST_F(GateTest, ScopeAppliesOnlyInItsOwnBlock) {
  auto q = qubit();
  auto other = label();
  ASSERT_EQ(process.adj_begin(), PlimError::Success);
  ASSERT_EQ(process.open_block(*other), PlimError::Success);
  ASSERT_EQ(process.apply_gate(RX{0.5}, *q), PlimError::Success);
  EXPECT_EQ(code(1), (Instructions{Gate{RX{0.5}, 0, {}}}));
  EXPECT_EQ(process.blocks[0].open_scopes(), 1u);
}

TEST_F(GateTest, ControlStackOutlivesABlockSwitch) {
  auto a = qubit(), b = qubit();
  auto other = label();
  Qubit* list[] = {a.get()};
  ASSERT_EQ(process.ctrl_push(list), PlimError::Success);
  ASSERT_EQ(process.open_block(*other), PlimError::Success);
  ASSERT_EQ(process.apply_gate(PauliX{}, *b), PlimError::Success);
  EXPECT_EQ(code(1), (Instructions{x_on(1, {0})}));
}

TEST_F(GateTest, AdjointOfASequenceReachesTheBlockReversedAndInverted) {
  auto q = qubit();
  ASSERT_EQ(process.adj_begin(), PlimError::Success);
  ASSERT_EQ(process.apply_gate(RX{1.0}, *q), PlimError::Success);
  ASSERT_EQ(process.apply_gate(RZ{2.0}, *q), PlimError::Success);
  ASSERT_EQ(process.adj_end(), PlimError::Success);
  EXPECT_EQ(code(0), (Instructions{Alloc{false, 0}, Gate{RZ{-2.0}, 0, {}}, Gate{RX{-1.0}, 0, {}}}));
  EXPECT_EQ(process.adj_end(), PlimError::NoAdj);
}

TEST_F(GateTest, ScopeCannotOpenInAnEndedBlock) {
  terminate();
  EXPECT_EQ(process.adj_begin(), PlimError::TerminatedBlock);
}

TEST_F(ControlTest, PushChecksInOrder) {
  auto a = qubit(), b = qubit(), c = qubit();
  Qubit released = *c;
  released.allocated = false;
  Qubit stranger = foreign_qubit(2);
  Qubit released_stranger = foreign_qubit(2, false);
  struct Case {
    const char* name;
    std::vector<Qubit*> stack;  // one list pushed first, none when empty
    std::vector<Qubit*> pushed;
    PlimError expected;
  };
  const Case cases[] = {
      {"released before pid, empty stack", {}, {&released_stranger}, PlimError::DeallocatedQubit},
      {"pid, empty stack", {}, {b.get(), &stranger}, PlimError::UnmatchedPid},
      {"repeats within a list are allowed", {}, {a.get(), a.get()}, PlimError::Success},
      {"empty list", {}, {}, PlimError::Success},
      {"released, under a list", {a.get()}, {&released}, PlimError::DeallocatedQubit},
      {"pid, under a list", {a.get()}, {&stranger}, PlimError::UnmatchedPid},
      {"already a control", {a.get()}, {b.get(), a.get()}, PlimError::ControlTwice},
      {"first qubit decides", {a.get()}, {a.get(), &released}, PlimError::ControlTwice},
      {"first qubit decides, released", {a.get()}, {&released, a.get()},
       PlimError::DeallocatedQubit},
      {"new qubit", {a.get()}, {b.get(), c.get()}, PlimError::Success},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    process.ctrl_stack.clear();
    if (!k.stack.empty()) {
      ASSERT_EQ(process.ctrl_push(k.stack), PlimError::Success);
    }
    const std::size_t before = process.ctrl_stack.size();
    EXPECT_EQ(process.ctrl_push(k.pushed), k.expected);
    const bool accepted = k.expected == PlimError::Success;
    ASSERT_EQ(process.ctrl_stack.size(), before + (accepted ? 1 : 0));
    if (accepted) {
      std::vector<uint64_t> indices;
      for (const Qubit* q : k.pushed) indices.push_back(q->index);
      EXPECT_EQ(process.ctrl_stack.back(), indices);
    }
  }
}

TEST_F(ControlTest, QubitInAnOlderListIsStillRefused) {
  auto a = qubit(), b = qubit();
  Qubit* first[] = {a.get()};
  Qubit* second[] = {b.get()};
  ASSERT_EQ(process.ctrl_push(first), PlimError::Success);
  ASSERT_EQ(process.ctrl_push(second), PlimError::Success);
  EXPECT_EQ(process.ctrl_push(first), PlimError::ControlTwice);
  EXPECT_EQ(process.ctrl_stack.size(), 2u);
}

TEST_F(ControlTest, PopRemovesTheNewestListAndRefusesAnEmptyStack) {
  EXPECT_EQ(process.ctrl_pop(), PlimError::NoCtrl);
  ASSERT_EQ(process.ctrl_push({}), PlimError::Success);
  EXPECT_EQ(process.ctrl_pop(), PlimError::Success);
  EXPECT_EQ(process.ctrl_pop(), PlimError::NoCtrl);
}

TEST_F(PluginTest, ChecksInOrder) {
  auto q = qubit();
  Qubit stranger = foreign_qubit();
  Features registered;
  registered.registered_plugins = {"pown"};
  struct Case {
    const char* name;
    bool registered;
    bool controlled;
    bool foreign_target;
    bool in_scope;
    PlimError expected;
    bool name_recorded;
  };
  const Case cases[] = {
      {"unregistered first", false, true, true, true, PlimError::PluginNotRegistered, false},
      {"then controls", true, true, true, true, PlimError::PluginOnCtrl, false},
      {"then target pid", true, false, true, true, PlimError::UnmatchedPid, false},
      {"then the append", true, false, false, true, PlimError::NonGateInstruction, true},
      {"accepted", true, false, false, false, PlimError::Success, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    process.metrics.plugins.clear();
    process.ctrl_stack.clear();
    process.features = c.registered ? registered : Features{};
    if (c.controlled) process.ctrl_stack.push_back({});
    if (c.in_scope) {
      ASSERT_EQ(process.adj_begin(), PlimError::Success);
    }
    Qubit* targets[] = {q.get(), c.foreign_target ? &stranger : q.get()};
    const std::size_t before = code(0).size();

    EXPECT_EQ(process.apply_plugin("pown", "3 5", targets), c.expected);
    EXPECT_EQ(process.metrics.plugins.contains("pown"), c.name_recorded);
    EXPECT_EQ(code(0).size(), before + (c.expected == PlimError::Success ? 1 : 0));
    if (c.in_scope) {
      ASSERT_EQ(process.adj_end(), PlimError::Success);
    }
  }
}

TEST_F(PluginTest, AppendsNameTargetsAndArgumentsAndRecordsTheNameOnce) {
  auto a = qubit(), b = qubit();
  ASSERT_EQ(process.free_qubit(*b, false), PlimError::Success);
  process.features.registered_plugins = {"pown", ""};
  Qubit* targets[] = {b.get(), a.get()};
  ASSERT_EQ(process.apply_plugin("pown", "7 15", targets), PlimError::Success)
      << "a released target is accepted";
  EXPECT_EQ(last(), (Instruction{Plugin{"pown", {1, 0}, "7 15"}}));
  ASSERT_EQ(process.apply_plugin("pown", "", {}), PlimError::Success);
  EXPECT_EQ(last(), (Instruction{Plugin{"pown", {}, ""}}));
  ASSERT_EQ(process.apply_plugin("", "x", {}), PlimError::Success);
  EXPECT_EQ(process.metrics.plugins, (std::unordered_set<std::string>{"pown", ""}));
  EXPECT_EQ(process.apply_plugin("Pown", "", {}), PlimError::PluginNotRegistered);
}

}  // namespace
}  // namespace builder_test
