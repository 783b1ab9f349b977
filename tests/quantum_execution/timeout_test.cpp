#include <chrono>

#include "tests/quantum_execution/engine_fixture.hpp"

namespace engine_test {
namespace {

using namespace std::chrono_literals;

TEST_F(EngineTest, SpinningProgramStopsAfterAFullSecondWithLimitZero) {
  Program p(0, 2);
  p.metrics.timeout = 0;
  p.block({op(plim::ClassicalOp::Add, 1, 1, 1), jump(0)});
  const auto start = std::chrono::steady_clock::now();
  auto result = p.run();
  const auto elapsed = std::chrono::steady_clock::now() - start;
  ASSERT_FALSE(result.has_value());
  EXPECT_EQ(result.error(), fenn::FennError::Timeout);
  EXPECT_GE(elapsed, 1s);
  EXPECT_LT(elapsed, 3s);
}

// One slow gate, then one more instruction: the limit is tested before it.
TEST_F(EngineTest, LimitIsWholeSecondsStrictlyExceeded) {
  struct Case {
    const char* name;
    std::optional<uint64_t> timeout;
    std::chrono::milliseconds delay;
    bool times_out;
  };
  const Case cases[] = {
      {"limit 0, 1.1 s", 0, 1100ms, true},
      {"limit 1, 1.5 s", 1, 1500ms, false},
      {"no limit, 1.1 s", std::nullopt, 1100ms, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Script::reset();
    Script::get().gate_delay = c.delay;
    Program p(1, 2);
    p.metrics.timeout = c.timeout;
    p.block({x(0), set(1, 1), halt()});
    auto result = p.run();
    EXPECT_EQ(calls().size(), 1u);
    if (c.times_out) {
      ASSERT_FALSE(result.has_value());
      EXPECT_EQ(result.error(), fenn::FennError::Timeout);
    } else {
      ASSERT_TRUE(result.has_value());
      EXPECT_EQ(result->future[1], 1);
      EXPECT_GE(result->exec_time, std::chrono::duration<double>(c.delay).count());
    }
  }
}

}  // namespace
}  // namespace engine_test
