#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "libplim/src/code_block.hpp"

namespace {

using namespace plim;
using Instructions = std::vector<Instruction>;

Instruction x(uint64_t target, std::vector<uint64_t> control = {}) {
  return Gate{PauliX{}, target, std::move(control)};
}
Instruction rx(double angle, uint64_t target) { return Gate{RX{angle}, target, {}}; }
Instruction halt() { return End{Halt{}}; }

// One of each kind of instruction but Gate and End.
const Instruction kNonGates[] = {
    Alloc{false, 0},
    Free{true, 0},
    Measure{{0}, 1},
    Plugin{"pown", {0}, "3 5"},
    IntOp{ClassicalOp::Add, 1, 0, 0},
    IntSet{1, 7},
    Dump{{0}, 0},
};

TEST(CodeBlockHandler, CountsGatesBySizeAndDepthByQubitAtTheEnd) {
  CodeBlockHandler block;
  ASSERT_EQ(block.add_instruction(x(0)), PlimError::Success);
  ASSERT_EQ(block.add_instruction(x(1, {0})), PlimError::Success);
  ASSERT_EQ(block.add_instruction(Gate{Hadamard{}, 1, {}}), PlimError::Success);
  EXPECT_EQ(block.block().depth, 0u) << "depth is fixed only by End";
  ASSERT_EQ(block.add_instruction(halt()), PlimError::Success);

  EXPECT_EQ(block.block().gate_count, (GateCount{{1, 2}, {2, 1}}));
  EXPECT_EQ(block.qubit_depth(), (std::unordered_map<uint64_t, uint64_t>{{0, 2}, {1, 2}}));
  EXPECT_EQ(block.block().depth, 2u);
  EXPECT_TRUE(block.terminated());
}

TEST(CodeBlockHandler, RepeatedControlCountsTwice) {
  CodeBlockHandler block;
  ASSERT_EQ(block.add_instruction(x(1, {0, 0})), PlimError::Success);
  ASSERT_EQ(block.add_instruction(halt()), PlimError::Success);
  EXPECT_EQ(block.block().gate_count, (GateCount{{3, 1}}));
  EXPECT_EQ(block.block().depth, 2u);
}

TEST(CodeBlockHandler, BlockWithoutGatesEndsWithDepthZero) {
  CodeBlockHandler block;
  ASSERT_EQ(block.add_instruction(Alloc{false, 0}), PlimError::Success);
  ASSERT_EQ(block.add_instruction(halt()), PlimError::Success);
  EXPECT_EQ(block.block().depth, 0u);
  EXPECT_TRUE(block.block().gate_count.empty());
}

TEST(CodeBlockHandler, ClosedScopeReversesItsGates) {
  CodeBlockHandler block;
  ASSERT_EQ(block.adj_begin(), PlimError::Success);
  ASSERT_EQ(block.add_instruction(rx(1.0, 0)), PlimError::Success);
  ASSERT_EQ(block.add_instruction(rx(2.0, 0)), PlimError::Success);
  EXPECT_TRUE(block.block().instructions.empty()) << "gates wait in the scope";
  ASSERT_EQ(block.adj_end(), PlimError::Success);
  EXPECT_EQ(block.block().instructions, (Instructions{rx(2.0, 0), rx(1.0, 0)}));
  EXPECT_EQ(block.open_scopes(), 0u);
}

TEST(CodeBlockHandler, NestedScopePassesItsGatesReversedToTheEnclosingScope) {
  CodeBlockHandler block;
  ASSERT_EQ(block.add_instruction(rx(9.0, 3)), PlimError::Success);
  ASSERT_EQ(block.adj_begin(), PlimError::Success);
  ASSERT_EQ(block.add_instruction(rx(-1.0, 0)), PlimError::Success);  // G1'
  ASSERT_EQ(block.adj_begin(), PlimError::Success);
  ASSERT_EQ(block.add_instruction(rx(2.0, 0)), PlimError::Success);  // G2
  ASSERT_EQ(block.add_instruction(rx(3.0, 0)), PlimError::Success);  // G3

  ASSERT_EQ(block.adj_end(), PlimError::Success);
  ASSERT_EQ(block.adj_instructions().size(), 1u);
  EXPECT_EQ(block.adj_instructions()[0], (Instructions{rx(-1.0, 0), rx(3.0, 0), rx(2.0, 0)}));
  EXPECT_EQ(block.block().instructions, (Instructions{rx(9.0, 3)}));

  ASSERT_EQ(block.adj_end(), PlimError::Success);
  EXPECT_EQ(block.block().instructions,
            (Instructions{rx(9.0, 3), rx(2.0, 0), rx(3.0, 0), rx(-1.0, 0)}));
  EXPECT_EQ(block.block().gate_count, (GateCount{{1, 4}})) << "closing changes no count";
}

TEST(CodeBlockHandler, EmptyScopeChangesNothing) {
  CodeBlockHandler block;
  ASSERT_EQ(block.add_instruction(x(0)), PlimError::Success);
  ASSERT_EQ(block.adj_begin(), PlimError::Success);
  ASSERT_EQ(block.adj_end(), PlimError::Success);
  EXPECT_EQ(block.block().instructions, (Instructions{x(0)}));
  EXPECT_EQ(block.open_scopes(), 0u);
}

TEST(CodeBlockHandler, EndInsideAScopeIsRefusedUntilTheScopeCloses) {
  CodeBlockHandler block;
  ASSERT_EQ(block.adj_begin(), PlimError::Success);
  ASSERT_EQ(block.add_instruction(x(0)), PlimError::Success);
  EXPECT_EQ(block.add_instruction(halt()), PlimError::NonGateInstruction);
  EXPECT_FALSE(block.terminated());
  EXPECT_TRUE(block.block().instructions.empty());

  ASSERT_EQ(block.adj_end(), PlimError::Success);
  EXPECT_EQ(block.add_instruction(halt()), PlimError::Success);
  EXPECT_EQ(block.block().instructions, (Instructions{x(0), halt()}));
  EXPECT_EQ(block.block().depth, 1u);
}

TEST(CodeBlockHandler, NonGateInstructionsAreRefusedInsideAScope) {
  for (const Instruction& instruction : kNonGates) {
    SCOPED_TRACE(instruction.index());
    CodeBlockHandler block;
    ASSERT_EQ(block.adj_begin(), PlimError::Success);
    EXPECT_EQ(block.add_instruction(instruction), PlimError::NonGateInstruction);
    EXPECT_TRUE(block.adj_instructions()[0].empty());
    ASSERT_EQ(block.adj_end(), PlimError::Success);
    EXPECT_TRUE(block.block().instructions.empty());
  }
}

TEST(CodeBlockHandler, EndedBlockRefusesEverythingAndCountsNothing) {
  std::vector<Instruction> all(std::begin(kNonGates), std::end(kNonGates));
  all.push_back(x(5, {6}));
  all.push_back(halt());
  for (const Instruction& instruction : all) {
    SCOPED_TRACE(instruction.index());
    CodeBlockHandler block;
    ASSERT_EQ(block.add_instruction(halt()), PlimError::Success);
    EXPECT_EQ(block.add_instruction(instruction), PlimError::TerminatedBlock);
    EXPECT_EQ(block.block().instructions, (Instructions{halt()}));
    EXPECT_TRUE(block.block().gate_count.empty());
    EXPECT_TRUE(block.qubit_depth().empty());
  }
  CodeBlockHandler block;
  ASSERT_EQ(block.add_instruction(halt()), PlimError::Success);
  EXPECT_EQ(block.adj_begin(), PlimError::TerminatedBlock);
  EXPECT_EQ(block.open_scopes(), 0u);
}

TEST(CodeBlockHandler, ClosingWithoutAScopeGivesNoAdj) {
  CodeBlockHandler block;
  EXPECT_EQ(block.adj_end(), PlimError::NoAdj);
  ASSERT_EQ(block.adj_begin(), PlimError::Success);
  ASSERT_EQ(block.adj_end(), PlimError::Success);
  EXPECT_EQ(block.adj_end(), PlimError::NoAdj);
}

TEST(CodeBlockHandler, GatesOfAScopeNeverClosedAreCountedButNotInTheBlock) {
  CodeBlockHandler block;
  ASSERT_EQ(block.adj_begin(), PlimError::Success);
  ASSERT_EQ(block.add_instruction(x(2, {4})), PlimError::Success);
  EXPECT_TRUE(block.block().instructions.empty());
  EXPECT_EQ(block.block().gate_count, (GateCount{{2, 1}}));
  EXPECT_EQ(block.qubit_depth(), (std::unordered_map<uint64_t, uint64_t>{{2, 1}, {4, 1}}));
  EXPECT_EQ(block.block().depth, 0u);
}

}  // namespace
