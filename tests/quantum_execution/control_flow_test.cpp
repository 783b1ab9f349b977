#include "tests/quantum_execution/engine_fixture.hpp"

namespace engine_test {
namespace {

TEST_F(EngineTest, BranchTakesThenOnAnyNonzeroValue) {
  for (int64_t test : {int64_t{-1}, int64_t{0}, int64_t{7}}) {
    SCOPED_TRACE(test);
    Program p(0, 3);
    p.block({set(1, test), branch(1, 1, 2)});
    p.block({set(2, 10), halt()});
    p.block({set(2, 20), halt()});
    auto result = p.run();
    ASSERT_TRUE(result.has_value());
    EXPECT_EQ(result->future[2], test != 0 ? 10 : 20);
  }
}

TEST_F(EngineTest, HaltEndsTheRunInTheMiddleOfABlock) {
  Program p(1, 2);
  p.block({set(1, 1), halt(), set(1, 2), x(0), halt()});
  auto result = p.run();
  ASSERT_TRUE(result.has_value());
  EXPECT_EQ(result->future[1], 1);
  EXPECT_TRUE(calls().empty());
}

TEST_F(EngineTest, InstructionsAfterAJumpStillRun) {
  // The block must still end with an end instruction of its own.
  Program p(0, 3);
  p.block({jump(1), set(1, 5), jump(1)});
  p.block({op(plim::ClassicalOp::Add, 2, 1, 1), halt()});
  auto result = p.run();
  ASSERT_TRUE(result.has_value());
  EXPECT_EQ(result->future[2], 10);
}

TEST_F(EngineTest, LaterEndInstructionOverridesTheSuccessor) {
  Program p(0, 2);
  p.block({jump(1), jump(2)});
  p.block({set(1, 1), halt()});
  p.block({set(1, 2), halt()});
  auto result = p.run();
  ASSERT_TRUE(result.has_value());
  EXPECT_EQ(result->future[1], 2);
}

TEST_F(EngineTest, LoopCountsDownThroughBlocks) {
  // future 1 counts from 5 down to 0; future 2 counts the iterations.
  Program p(0, 5);
  p.block({set(1, 5), set(3, 1), jump(1)});
  p.block({op(plim::ClassicalOp::Sub, 1, 1, 3), op(plim::ClassicalOp::Add, 2, 2, 3),
           branch(1, 1, 2)});
  p.block({halt()});
  auto result = p.run();
  ASSERT_TRUE(result.has_value());
  EXPECT_EQ(result->future[1], 0);
  EXPECT_EQ(result->future[2], 5);
}

TEST_F(EngineTest, NotReadyComesFirstAndCallsNothing) {
  Program p(2, 1);
  p.metrics.ready = false;
  p.block({x(0), x(9), halt()});
  auto result = p.run();
  ASSERT_FALSE(result.has_value());
  EXPECT_EQ(result.error(), fenn::FennError::NotReady);
  EXPECT_TRUE(calls().empty());

  // Not even the shape of the code is looked at.
  Program empty(2, 1);
  empty.metrics.ready = false;
  EXPECT_EQ(empty.run().error(), fenn::FennError::NotReady);
}

}  // namespace
}  // namespace engine_test
