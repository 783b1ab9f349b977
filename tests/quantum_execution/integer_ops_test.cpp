#include <limits>

#include "fenn/src/quantum_execution/integer_ops.hpp"
#include "tests/quantum_execution/engine_fixture.hpp"

namespace engine_test {
namespace {

using plim::ClassicalOp;
constexpr int64_t kMin = std::numeric_limits<int64_t>::min();
constexpr int64_t kMax = std::numeric_limits<int64_t>::max();

struct OpCase {
  ClassicalOp op;
  int64_t a;
  int64_t b;
  int64_t value;
};

class IntegerOps : public EngineTest, public ::testing::WithParamInterface<OpCase> {};

// Each case runs through the engine: futures 1 and 2 hold the operands and
// the value lands in future 3.
TEST_P(IntegerOps, ValueOnSignedWords) {
  const OpCase& c = GetParam();
  Program p(0, 4);
  p.block({set(1, c.a), set(2, c.b), op(c.op, 3, 1, 2), halt()});
  auto result = p.run();
  ASSERT_TRUE(result.has_value());
  EXPECT_EQ(result->future[3], c.value);
}

INSTANTIATE_TEST_SUITE_P(
    EdgeValues, IntegerOps,
    ::testing::Values(OpCase{ClassicalOp::Eq, 3, 3, 1}, OpCase{ClassicalOp::Eq, 3, -3, 0},
                      OpCase{ClassicalOp::Neq, 3, -3, 1}, OpCase{ClassicalOp::Neq, 0, 0, 0},
                      OpCase{ClassicalOp::Gt, -1, 0, 0}, OpCase{ClassicalOp::Gt, 0, -1, 1},
                      OpCase{ClassicalOp::Geq, 5, 5, 1}, OpCase{ClassicalOp::Geq, kMin, kMax, 0},
                      OpCase{ClassicalOp::Lt, -1, 0, 1}, OpCase{ClassicalOp::Lt, 0, 0, 0},
                      OpCase{ClassicalOp::Leq, 0, 0, 1}, OpCase{ClassicalOp::Leq, kMax, kMin, 0},
                      OpCase{ClassicalOp::Add, kMax, 1, kMin}, OpCase{ClassicalOp::Add, -2, 5, 3},
                      OpCase{ClassicalOp::Sub, kMin, 1, kMax}, OpCase{ClassicalOp::Sub, 2, 5, -3},
                      OpCase{ClassicalOp::Mul, kMax, 2, -2}, OpCase{ClassicalOp::Mul, kMin, -1, kMin},
                      OpCase{ClassicalOp::Mod, -7, 2, -1}, OpCase{ClassicalOp::Mod, 7, -2, 1},
                      OpCase{ClassicalOp::Mod, kMin, 1, 0}, OpCase{ClassicalOp::Div, -7, 2, -3},
                      OpCase{ClassicalOp::Div, 7, -2, -3}, OpCase{ClassicalOp::Div, kMin, 1, kMin},
                      OpCase{ClassicalOp::Sll, 1, 65, 2}, OpCase{ClassicalOp::Sll, 1, -1, kMin},
                      OpCase{ClassicalOp::Sll, 3, 64, 3}, OpCase{ClassicalOp::Srl, -8, 1, -4},
                      OpCase{ClassicalOp::Srl, kMin, 63, -1}, OpCase{ClassicalOp::Srl, 8, 66, 2},
                      OpCase{ClassicalOp::And, -1, 12, 12}, OpCase{ClassicalOp::Or, 8, 3, 11},
                      OpCase{ClassicalOp::Xor, -1, 0, -1}, OpCase{ClassicalOp::Xor, 6, 3, 5}),
    [](const ::testing::TestParamInfo<OpCase>& param) {
      return "op" + std::to_string(static_cast<int>(param.param.op)) + "_case" +
             std::to_string(param.index);
    });

TEST(UndefinedDivision, ZeroDivisorAndOverflow) {
  EXPECT_TRUE(fenn::undefined_division(ClassicalOp::Div, 1, 0));
  EXPECT_TRUE(fenn::undefined_division(ClassicalOp::Mod, 1, 0));
  EXPECT_TRUE(fenn::undefined_division(ClassicalOp::Div, kMin, -1));
  EXPECT_TRUE(fenn::undefined_division(ClassicalOp::Mod, kMin, -1));
  EXPECT_FALSE(fenn::undefined_division(ClassicalOp::Div, kMin + 1, -1));
  EXPECT_FALSE(fenn::undefined_division(ClassicalOp::Mul, kMin, -1));
  EXPECT_FALSE(fenn::undefined_division(ClassicalOp::Add, 1, 0));
}

}  // namespace
}  // namespace engine_test
