#include <functional>

#include "builder/process_fixture.hpp"

namespace builder_test {
namespace {

using plim::Alloc;
using plim::Free;

using QubitTest = ProcessTest;

TEST_F(QubitTest, ReleaseDoesNotLowerTheQubitCounts) {
  auto a = qubit();
  ASSERT_EQ(process.free_qubit(*a, false), PlimError::Success);
  auto b = qubit();
  EXPECT_EQ(a->index, 0u);
  EXPECT_EQ(b->index, 1u);
  EXPECT_EQ(b->pid, kPid);
  EXPECT_FALSE(a->allocated);
  EXPECT_TRUE(b->allocated);
  EXPECT_EQ(process.metrics.qubit_count, 2u);
  EXPECT_EQ(process.metrics.qubit_simultaneous, 2u);
  EXPECT_EQ(code(0), (Instructions{Alloc{false, 0}, Free{false, 0}, Alloc{false, 1}}));
}

TEST_F(QubitTest, DirtyAllocationIsRecorded) {
  auto made = process.allocate_qubit(true);
  ASSERT_TRUE(made);
  ASSERT_EQ(process.free_qubit(**made, true), PlimError::Success);
  EXPECT_EQ(code(0), (Instructions{Alloc{true, 0}, Free{true, 0}}));
}

TEST_F(QubitTest, DirtyAllocationWithoutTheFeatureChangesNothing) {
  process.features = without(&Features::allow_dirty_qubits);
  EXPECT_EQ(error_of(process.allocate_qubit(true)), PlimError::DirtyNotAllowed);
  EXPECT_EQ(process.metrics.qubit_count, 0u);
  EXPECT_EQ(process.metrics.qubit_simultaneous, 0u);
  EXPECT_TRUE(code(0).empty());
  EXPECT_TRUE(process.allocate_qubit(false)) << "clean allocation is unaffected";
}

TEST_F(QubitTest, RefusedAppendUsesTheNumberUp) {
  struct Case {
    const char* name;
    std::function<void(QubitTest&)> block_the_append;
    PlimError expected;
  };
  const Case cases[] = {
      {"ended block", [](QubitTest& t) { t.terminate(); }, PlimError::TerminatedBlock},
      {"open inverse scope",
       [](QubitTest& t) { ASSERT_EQ(t.process.adj_begin(), PlimError::Success); },
       PlimError::NonGateInstruction},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Process fresh{kPid};
    std::swap(process, fresh);
    auto label = this->label();
    c.block_the_append(*this);
    EXPECT_EQ(error_of(process.allocate_qubit(false)), c.expected);
    EXPECT_EQ(process.metrics.qubit_count, 1u);
    EXPECT_EQ(process.metrics.qubit_simultaneous, 1u);

    ASSERT_EQ(process.open_block(*label), PlimError::Success);
    auto next = qubit();
    EXPECT_EQ(next->index, 1u);
    EXPECT_EQ(code(1), (Instructions{Alloc{false, 1}}));
  }
}

// Which check wins when several fail at once: each row breaks its own rule
// and every rule checked after it.
TEST_F(QubitTest, FreeChecksInOrder) {
  struct Case {
    const char* name;
    Features features;
    bool dirty;
    bool other_pid;
    bool released;
    bool terminated;
    PlimError expected;
  };
  Features no_dirty_no_free = without(&Features::allow_dirty_qubits);
  no_dirty_no_free.allow_free = false;
  const Case cases[] = {
      {"dirty", no_dirty_no_free, true, true, true, true, PlimError::DirtyNotAllowed},
      {"free", no_dirty_no_free, false, true, true, true, PlimError::FreeNotAllowed},
      {"pid", Features{}, true, true, true, true, PlimError::UnmatchedPid},
      {"released", Features{}, true, false, true, true, PlimError::DeallocatedQubit},
      {"append", Features{}, true, false, false, true, PlimError::TerminatedBlock},
      {"accepted", Features{}, true, false, false, false, PlimError::Success},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Process fresh{kPid};
    std::swap(process, fresh);
    auto own = qubit();
    Qubit target = *own;
    target.pid = c.other_pid ? kOtherPid : kPid;
    target.allocated = !c.released;
    process.features = c.features;
    if (c.terminated) terminate();
    const std::size_t before = code(0).size();

    EXPECT_EQ(process.free_qubit(target, c.dirty), c.expected);
    const bool accepted = c.expected == PlimError::Success;
    EXPECT_EQ(target.allocated, !c.released && !accepted);
    EXPECT_EQ(code(0).size(), before + (accepted ? 1 : 0));
    EXPECT_EQ(process.allocated_qubits, 1u);
  }
}

TEST_F(QubitTest, FreeInsideAScopeKeepsTheQubitAllocated) {
  auto a = qubit();
  ASSERT_EQ(process.adj_begin(), PlimError::Success);
  EXPECT_EQ(process.free_qubit(*a, false), PlimError::NonGateInstruction);
  EXPECT_TRUE(a->allocated);
}

}  // namespace
}  // namespace builder_test
