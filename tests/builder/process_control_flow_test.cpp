#include "builder/process_fixture.hpp"

namespace builder_test {
namespace {

using namespace plim;

using IntOpTest = ProcessTest;
using LabelTest = ProcessTest;
using PrepareTest = ProcessTest;

TEST_F(IntOpTest, AddIntOpChecksInOrderAndKeepsTheFutureOfARefusedAppend) {
  auto own = future();
  Future stranger = foreign_future();
  struct Case {
    const char* name;
    bool allowed;
    const Future* lhs;
    const Future* rhs;
    bool in_scope;
    PlimError expected;
    uint64_t futures_made;
  };
  const Case cases[] = {
      {"feature first", false, &stranger, &stranger, true, PlimError::ControlFlowNotAllowed, 0},
      {"lhs pid", true, &stranger, own.get(), true, PlimError::UnmatchedPid, 0},
      {"rhs pid", true, own.get(), &stranger, true, PlimError::UnmatchedPid, 0},
      {"then the append", true, own.get(), own.get(), true, PlimError::NonGateInstruction, 1},
      {"accepted", true, own.get(), own.get(), false, PlimError::Success, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const uint64_t before = process.metrics.future_count;
    process.features = c.allowed ? Features{} : without(&Features::allow_control_flow);
    if (c.in_scope) {
      ASSERT_EQ(process.adj_begin(), PlimError::Success);
    }
    auto made = process.add_int_op(ClassicalOp::Sub, *c.lhs, *c.rhs);
    EXPECT_EQ(error_of(made), c.expected);
    EXPECT_EQ(process.metrics.future_count, before + c.futures_made);
    EXPECT_EQ(process.futures.size(), process.metrics.future_count);
    if (made) {
      EXPECT_EQ(last(), (Instruction{IntOp{ClassicalOp::Sub, before, 1, 1}}));
      EXPECT_EQ((*made)->index, before);
    }
    if (c.in_scope) {
      ASSERT_EQ(process.adj_end(), PlimError::Success);
    }
  }
}

TEST_F(IntOpTest, IntNewAppendsItsValueButLeavesTheCellEmpty) {
  auto made = process.int_new(7);
  ASSERT_TRUE(made);
  EXPECT_EQ((*made)->index, 1u);
  EXPECT_EQ(last(), (Instruction{IntSet{1, 7}}));
  EXPECT_FALSE((*made)->value->has_value());

  process.features = without(&Features::allow_control_flow);
  EXPECT_EQ(error_of(process.int_new(8)), PlimError::ControlFlowNotAllowed);
  EXPECT_EQ(process.metrics.future_count, 2u);
}

TEST_F(IntOpTest, IntNewInAnEndedBlockUsesTheNumberUp) {
  terminate();
  EXPECT_EQ(error_of(process.int_new(8)), PlimError::TerminatedBlock);
  EXPECT_EQ(process.metrics.future_count, 2u);
  EXPECT_EQ(process.futures.size(), 2u);
}

TEST_F(IntOpTest, IntSetAddsTheSourceToTheConstantZero) {
  auto f = future(), g = future();
  ASSERT_EQ(process.int_set(*f, *g), PlimError::Success);
  EXPECT_EQ(last(), (Instruction{IntOp{ClassicalOp::Add, 1, 0, 2}}));
  EXPECT_EQ(process.metrics.future_count, 3u);
}

TEST_F(IntOpTest, IntSetChecksInOrder) {
  auto own = future();
  Future stranger = foreign_future();
  struct Case {
    const char* name;
    bool allowed;
    const Future* destination;
    const Future* source;
    PlimError expected;
  };
  const Case cases[] = {
      {"feature first", false, &stranger, &stranger, PlimError::ControlFlowNotAllowed},
      {"destination pid", true, &stranger, own.get(), PlimError::UnmatchedPid},
      {"source pid", true, own.get(), &stranger, PlimError::UnmatchedPid},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    process.features = c.allowed ? Features{} : without(&Features::allow_control_flow);
    EXPECT_EQ(process.int_set(*c.destination, *c.source), c.expected);
    EXPECT_EQ(code(0).size(), 1u);
  }
  terminate();
  EXPECT_EQ(process.int_set(*own, *own), PlimError::TerminatedBlock);
}

TEST_F(LabelTest, LabelMakesANewBlockWithoutSwitching) {
  auto first = label();
  EXPECT_EQ(first->index, 1u);
  EXPECT_EQ(first->pid, kPid);
  EXPECT_EQ(process.metrics.block_count, 2u);
  EXPECT_EQ(process.blocks.size(), 2u);
  EXPECT_EQ(process.current_block, 0u);

  process.features = without(&Features::allow_control_flow);
  EXPECT_EQ(error_of(process.get_label()), PlimError::ControlFlowNotAllowed);
  EXPECT_EQ(process.metrics.block_count, 2u);
}

TEST_F(LabelTest, OpenBlockRefusesLabelsThatAreNotThisProcesss) {
  auto own = label();
  Label stranger = foreign_label();
  EXPECT_EQ(process.open_block(stranger), PlimError::UnmatchedPid);
  // Same pid, but no such block here: refused rather than left dangling.
  Label impostor{5, kPid};
  EXPECT_EQ(process.open_block(impostor), PlimError::UnmatchedPid);
  EXPECT_EQ(process.current_block, 0u);
  EXPECT_EQ(process.open_block(*own), PlimError::Success);
  EXPECT_EQ(process.current_block, 1u);
}

TEST_F(LabelTest, JumpAndBranchEndTheCurrentBlockWithoutLeavingIt) {
  auto then = label(), otherwise = label(), join = label();
  auto test = future();
  process.features = without(&Features::allow_control_flow);
  ASSERT_EQ(process.branch(*test, *then, *otherwise), PlimError::Success);
  EXPECT_EQ(last(), (Instruction{End{Branch{1, 1, 2}}}));
  EXPECT_EQ(process.current_block, 0u);
  EXPECT_EQ(process.jump(*join), PlimError::TerminatedBlock);

  ASSERT_EQ(process.open_block(*then), PlimError::Success);
  ASSERT_EQ(process.jump(*join), PlimError::Success);
  EXPECT_EQ(last(), (Instruction{End{Jump{3}}}));
  EXPECT_EQ(process.current_block, 1u);
  EXPECT_EQ(process.blocks[1].block().depth, 0u);
}

TEST_F(LabelTest, JumpAndBranchCheckPidsInOrder) {
  auto own_label = label();
  auto own_future = future();
  Label stranger_label = foreign_label();
  Future stranger_future = foreign_future();
  EXPECT_EQ(process.jump(stranger_label), PlimError::UnmatchedPid);
  struct Case {
    const char* name;
    const Future* test;
    const Label* then;
    const Label* otherwise;
  };
  const Case cases[] = {
      {"test", &stranger_future, own_label.get(), own_label.get()},
      {"then", own_future.get(), &stranger_label, own_label.get()},
      {"otherwise", own_future.get(), own_label.get(), &stranger_label},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(process.branch(*c.test, *c.then, *c.otherwise), PlimError::UnmatchedPid);
  }
  EXPECT_FALSE(process.blocks[0].terminated());
}

TEST_F(PrepareTest, NewProcessPreparedAtOnce) {
  ASSERT_EQ(process.prepare_for_execution(), PlimError::Success);
  EXPECT_EQ(code(0), (Instructions{End{Halt{}}}));
  EXPECT_TRUE(process.metrics.ready);
  EXPECT_EQ(process.metrics.future_count, 1u);
  EXPECT_EQ(process.metrics.block_count, 1u);
  EXPECT_EQ(process.metrics.dump_count, 0u);
}

TEST_F(PrepareTest, OneQubitProgram) {
  auto q = qubit();
  ASSERT_EQ(process.prepare_for_execution(), PlimError::Success);
  const CodeBlock& block = *process.get_quantum_code().at(0);
  EXPECT_EQ(block.instructions, (Instructions{Alloc{false, 0}, End{Halt{}}}));
  EXPECT_TRUE(block.gate_count.empty());
  EXPECT_EQ(block.depth, 0u);
}

TEST_F(PrepareTest, SecondCallAppendsNothing) {
  ASSERT_EQ(process.prepare_for_execution(), PlimError::Success);
  EXPECT_EQ(process.prepare_for_execution(), PlimError::Success);
  EXPECT_EQ(code(0).size(), 1u);
}

TEST_F(PrepareTest, RefusedHaltLeavesTheProcessOpen) {
  ASSERT_EQ(process.adj_begin(), PlimError::Success);
  EXPECT_EQ(process.prepare_for_execution(), PlimError::NonGateInstruction);
  EXPECT_FALSE(process.metrics.ready);
  EXPECT_TRUE(code(0).empty());
  ASSERT_EQ(process.adj_end(), PlimError::Success);
  EXPECT_EQ(process.prepare_for_execution(), PlimError::Success);
  EXPECT_TRUE(process.metrics.ready);
  EXPECT_EQ(code(0), (Instructions{End{Halt{}}}));
}

TEST_F(PrepareTest, ConditionalProgramHandsOutEveryBlockInOrder) {
  auto q = qubit();
  Qubit* qubits[] = {q.get()};
  auto bit = std::move(process.measure(qubits)).value();
  auto a = label(), b = label(), c = label();
  ASSERT_EQ(process.branch(*bit, *a, *b), PlimError::Success);
  ASSERT_EQ(process.open_block(*a), PlimError::Success);
  ASSERT_EQ(process.apply_gate(PauliX{}, *q), PlimError::Success);
  ASSERT_EQ(process.jump(*c), PlimError::Success);
  ASSERT_EQ(process.open_block(*b), PlimError::Success);
  ASSERT_EQ(process.jump(*c), PlimError::Success);
  ASSERT_EQ(process.open_block(*c), PlimError::Success);
  ASSERT_EQ(process.prepare_for_execution(), PlimError::Success);

  const auto blocks = process.get_quantum_code();
  ASSERT_EQ(blocks.size(), 4u);
  EXPECT_EQ(blocks[0], &process.blocks[0].block()) << "references, not copies";
  EXPECT_EQ(blocks[0]->instructions,
            (Instructions{Alloc{false, 0}, Measure{{0}, 1}, End{Branch{1, 1, 2}}}));
  EXPECT_EQ(blocks[1]->instructions, (Instructions{Gate{PauliX{}, 0, {}}, End{Jump{3}}}));
  EXPECT_EQ(blocks[1]->depth, 1u);
  EXPECT_EQ(blocks[2]->instructions, (Instructions{End{Jump{3}}}));
  EXPECT_EQ(blocks[3]->instructions, (Instructions{End{Halt{}}}));
}

}  // namespace
}  // namespace builder_test
