// Quantum code that breaks the engine's rules ends the run with
// UndefinedError; the effects of earlier instructions have happened, those
// of later ones have not.
#include "tests/quantum_execution/engine_fixture.hpp"

namespace engine_test {
namespace {

using plim::ClassicalOp;

struct MalformedCase {
  const char* name;
  std::vector<std::vector<Instruction>> blocks;
  std::size_t calls_before;  // back-end calls made before the failure
};

TEST_F(EngineTest, MalformedCodeIsUndefinedError) {
  // Two qubits, three futures, one dump, as many blocks as listed.
  const MalformedCase cases[] = {
      {"no blocks", {}, 0},
      {"alloc target", {{alloc(2), halt()}}, 0},
      {"free target", {{release(2), halt()}}, 0},
      {"gate target", {{x(0), x(2), halt()}}, 1},
      {"gate control", {{x(0, {1, 5}), halt()}}, 0},
      {"measure qubit checked just before its own measurement", {{measure({5, 1}, 1), halt()}}, 1},
      {"measure output", {{measure({0}, 3), halt()}}, 1},
      {"plugin target", {{plugin({0, 2}, "1 1"), halt()}}, 0},
      {"dump qubit", {{dump({2}, 0), halt()}}, 0},
      {"dump output checked after the dump", {{dump({0}, 1), halt()}}, 1},
      {"int op lhs", {{op(ClassicalOp::Add, 0, 3, 0), halt()}}, 0},
      {"int op rhs", {{op(ClassicalOp::Add, 0, 0, 3), halt()}}, 0},
      {"int op result", {{op(ClassicalOp::Add, 3, 0, 0), halt()}}, 0},
      {"int set result", {{set(3, 1), halt()}}, 0},
      {"division by zero", {{set(1, 4), op(ClassicalOp::Div, 2, 1, 0), halt()}}, 0},
      {"remainder by zero", {{set(1, 4), op(ClassicalOp::Mod, 2, 1, 0), halt()}}, 0},
      {"least value by -1",
       {{set(1, INT64_MIN), set(2, -1), op(ClassicalOp::Div, 0, 1, 2), halt()}},
       0},
      {"least value mod -1",
       {{set(1, INT64_MIN), set(2, -1), op(ClassicalOp::Mod, 0, 1, 2), halt()}},
       0},
      {"jump address", {{x(0), jump(1)}}, 1},
      {"branch test", {{branch(3, 0, 0)}}, 0},
      {"branch target", {{set(1, 1), branch(1, 4, 0)}}, 0},
      {"empty block", {{jump(1)}, {}}, 0},
      {"block without an end is refused before it runs", {{jump(1)}, {x(0), x(1)}}, 0},
      {"block 0 without an end", {{x(0), set(1, 1)}}, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Script::reset();
    Program p(2, 3, 1);
    for (const auto& instructions : c.blocks) p.block(instructions);
    auto result = p.run();
    ASSERT_FALSE(result.has_value());
    EXPECT_EQ(result.error(), fenn::FennError::UndefinedError);
    EXPECT_EQ(calls().size(), c.calls_before);
  }
}

TEST_F(EngineTest, RunStateTooLargeForMemoryIsUndefinedError) {
  Program p(0, uint64_t{1} << 62);
  p.block({halt()});
  auto result = p.run();
  ASSERT_FALSE(result.has_value());
  EXPECT_EQ(result.error(), fenn::FennError::UndefinedError);
}

}  // namespace
}  // namespace engine_test
