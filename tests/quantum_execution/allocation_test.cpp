#include "fenn/src/quantum_execution/map_qubits.hpp"
#include "tests/quantum_execution/engine_fixture.hpp"

namespace engine_test {
namespace {

using fenn::FennError;

TEST_F(EngineTest, FirstAllocationsTakeTheHighestPositions) {
  Program p(3, 1);
  p.block({alloc(0), alloc(1), alloc(2), x(0), x(1), x(2), halt()});
  ASSERT_TRUE(p.run().has_value());
  EXPECT_EQ(gate_targets(), (std::vector<uint64_t>{2, 1, 0}));
}

TEST_F(EngineTest, AllocationBeyondTheRegisterIsOutOfQubits) {
  Program p(3, 1);
  p.block({alloc(0), alloc(1), alloc(2), x(0), alloc(0), x(1), halt()});
  auto result = p.run();
  ASSERT_FALSE(result.has_value());
  EXPECT_EQ(result.error(), FennError::OutOfQubits);
  // Everything before the failing allocation took effect, nothing after it.
  EXPECT_EQ(gate_targets(), (std::vector<uint64_t>{2}));
}

TEST_F(EngineTest, QubitsNeedNoAllocationBeforeUse) {
  // The map starts as the identity.
  Program p(4, 1);
  p.block({x(3, {0, 2}), halt()});
  ASSERT_TRUE(p.run().has_value());
  ASSERT_EQ(calls().size(), 1u);
  EXPECT_EQ(calls()[0].target, 3u);
  EXPECT_EQ(calls()[0].positions, (std::vector<uint64_t>{0, 2}));
}

TEST_F(EngineTest, ReleasedPositionIsHandedOutNext) {
  Program p(3, 1);
  p.block({alloc(0), alloc(1), release(0), alloc(2), x(2), halt()});
  ASSERT_TRUE(p.run().has_value());
  EXPECT_EQ(gate_targets(), (std::vector<uint64_t>{2}));
}

TEST_F(EngineTest, ControlsAreMappedInListOrder) {
  Program p(3, 1);
  p.block({alloc(0), alloc(1), alloc(2), x(0, {2, 1}), halt()});
  ASSERT_TRUE(p.run().has_value());
  ASSERT_EQ(calls().size(), 1u);
  EXPECT_EQ(calls()[0].target, 2u);
  EXPECT_EQ(calls()[0].positions, (std::vector<uint64_t>{0, 1}));
}

struct DirtyCase {
  const char* name;
  std::vector<Instruction> code;
  std::optional<FennError> error;
  std::vector<uint64_t> targets;
};

TEST_F(EngineTest, DirtyAndCleanStacks) {
  const DirtyCase cases[] = {
      {"clean alloc never takes a dirty position",
       {alloc(0), alloc(1), release(1, true), alloc(1), halt()},
       FennError::OutOfQubits,
       {}},
      {"dirty alloc reuses the dirty position",
       {alloc(0), alloc(1), release(1, true), alloc(1, true), x(1), halt()},
       std::nullopt,
       {0}},
      {"dirty alloc falls back to a clean position",
       {alloc(0, true), x(0), halt()},
       std::nullopt,
       {1}},
      {"dirty alloc with both stacks empty",
       {alloc(0), alloc(1), alloc(0, true), halt()},
       FennError::OutOfQubits,
       {}},
      {"dirty release keeps the position out of the clean stack",
       {alloc(0), release(0, true), alloc(1), x(1), halt()},
       std::nullopt,
       {0}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Script::reset();
    Program p(2, 1);
    p.block(c.code);
    auto result = p.run();
    if (c.error) {
      ASSERT_FALSE(result.has_value());
      EXPECT_EQ(result.error(), *c.error);
    } else {
      EXPECT_TRUE(result.has_value());
    }
    EXPECT_EQ(gate_targets(), c.targets);
  }
}

TEST(MapQubits, TranslatesThroughTheMapIntoTheCallersBuffer) {
  const std::vector<uint64_t> map{5, 3, 9};
  std::vector<uint64_t> out{1, 1, 1, 1};
  ASSERT_TRUE(fenn::map_qubits_into(std::vector<uint64_t>{2, 0, 2}, map, out));
  EXPECT_EQ(out, (std::vector<uint64_t>{9, 5, 9}));
  ASSERT_TRUE(fenn::map_qubits_into({}, map, out));
  EXPECT_TRUE(out.empty());
  EXPECT_FALSE(fenn::map_qubits_into(std::vector<uint64_t>{1, 3}, map, out));
}

}  // namespace
}  // namespace engine_test
