#include "builder/process_fixture.hpp"

namespace builder_test {
namespace {

using namespace plim;

using MeasureTest = ProcessTest;
using DumpTest = ProcessTest;

TEST_F(MeasureTest, MakesAFutureSharingItsCellWithTheProcess) {
  auto a = qubit(), b = qubit();
  Qubit* qubits[] = {b.get(), a.get()};
  auto made = process.measure(qubits);
  ASSERT_TRUE(made);
  const Future& future = **made;
  EXPECT_EQ(future.index, 1u) << "future 0 is the constant";
  EXPECT_EQ(future.pid, kPid);
  EXPECT_EQ(last(), (Instruction{Measure{{1, 0}, 1}}));
  EXPECT_EQ(process.metrics.future_count, 2u);
  ASSERT_EQ(process.futures.size(), 2u);
  EXPECT_EQ(process.futures[1], future.value);
  EXPECT_FALSE(future.value->has_value());
  EXPECT_TRUE(a->measured && b->measured);
  EXPECT_TRUE(a->allocated && b->allocated);
}

TEST_F(MeasureTest, EmptyListIsMeasured) {
  auto made = process.measure({});
  ASSERT_TRUE(made);
  EXPECT_EQ(last(), (Instruction{Measure{{}, 1}}));
}

TEST_F(MeasureTest, FeatureIsCheckedBeforeAnyQubit) {
  process.features = without(&Features::allow_measure);
  Qubit stranger = foreign_qubit(0, false);
  Qubit* qubits[] = {&stranger};
  EXPECT_EQ(error_of(process.measure(qubits)), PlimError::MeasureNotAllowed);
  EXPECT_FALSE(stranger.measured);
  EXPECT_EQ(process.metrics.future_count, 1u);
}

TEST_F(MeasureTest, RefusedQubitLeavesEarlierOnesMarkedAndMakesNoFuture) {
  auto a = qubit(), b = qubit();
  Qubit stranger = foreign_qubit(1);
  Qubit released = *b;
  released.allocated = false;
  Qubit released_stranger = foreign_qubit(1, false);
  struct Case {
    const char* name;
    Qubit* second;
    PlimError expected;
  };
  const Case cases[] = {
      {"other pid", &stranger, PlimError::UnmatchedPid},
      {"released", &released, PlimError::DeallocatedQubit},
      {"pid before released", &released_stranger, PlimError::UnmatchedPid},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    a->measured = false;
    Qubit* qubits[] = {a.get(), c.second};
    EXPECT_EQ(error_of(process.measure(qubits)), c.expected);
    EXPECT_TRUE(a->measured);
    EXPECT_FALSE(c.second->measured);
    EXPECT_EQ(process.metrics.future_count, 1u);
    EXPECT_EQ(process.futures.size(), 1u);
    EXPECT_EQ(code(0).size(), 2u);
  }
}

TEST_F(MeasureTest, WithoutValidAfterMeasureTheQubitsAreReleased) {
  auto a = qubit(), b = qubit();
  process.features = without(&Features::valid_after_measure);
  Qubit* qubits[] = {a.get(), b.get()};
  ASSERT_TRUE(process.measure(qubits));
  EXPECT_FALSE(a->allocated);
  EXPECT_FALSE(b->allocated);
  EXPECT_EQ(process.apply_gate(PauliX{}, *a), PlimError::DeallocatedQubit);
  EXPECT_EQ(error_of(process.measure(qubits)), PlimError::DeallocatedQubit);
}

TEST_F(MeasureTest, RefusedAppendKeepsMarksFlagsAndTheLostFuture) {
  struct Case {
    const char* name;
    bool in_scope;
    PlimError expected;
  };
  const Case cases[] = {
      {"open inverse scope", true, PlimError::NonGateInstruction},
      {"ended block", false, PlimError::TerminatedBlock},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Process fresh{kPid};
    std::swap(process, fresh);
    auto a = qubit();
    process.features = without(&Features::valid_after_measure);
    if (c.in_scope) {
      ASSERT_EQ(process.adj_begin(), PlimError::Success);
    } else {
      terminate();
    }
    Qubit* qubits[] = {a.get()};
    EXPECT_EQ(error_of(process.measure(qubits)), c.expected);
    EXPECT_TRUE(a->measured);
    EXPECT_FALSE(a->allocated);
    EXPECT_EQ(process.metrics.future_count, 2u);
    ASSERT_EQ(process.futures.size(), 2u);
    EXPECT_EQ(process.futures[1].use_count(), 1) << "held by the process alone";

    if (c.in_scope) {
      ASSERT_EQ(process.adj_end(), PlimError::Success);
    }
    auto next = process.int_new(3);
    if (c.in_scope) {
      ASSERT_TRUE(next);
      EXPECT_EQ((*next)->index, 2u) << "the lost number is not reused";
    }
  }
}

TEST_F(DumpTest, MakesADumpSharingItsCellWithTheProcess) {
  auto a = qubit(), b = qubit();
  Qubit* qubits[] = {b.get(), a.get()};
  auto made = process.dump(qubits);
  ASSERT_TRUE(made);
  EXPECT_EQ(last(), (Instruction{plim::Dump{{1, 0}, 0}}));
  EXPECT_EQ(process.metrics.dump_count, 1u);
  ASSERT_EQ(process.dumps.size(), 1u);
  EXPECT_EQ(process.dumps[0], (*made)->value);
  EXPECT_FALSE(process.metrics.ready);
  ASSERT_TRUE(process.dump(qubits));
  EXPECT_EQ(last(), (Instruction{plim::Dump{{1, 0}, 1}}));
}

TEST_F(DumpTest, ChecksInOrder) {
  auto a = qubit();
  Qubit released = *a;
  released.allocated = false;
  Qubit stranger = foreign_qubit(0);
  Qubit released_stranger = foreign_qubit(0, false);
  struct Case {
    const char* name;
    bool allowed;
    std::vector<Qubit*> qubits;
    bool in_scope;
    PlimError expected;
    uint64_t dump_count;
  };
  const Case cases[] = {
      {"feature first", false, {&released_stranger}, true, PlimError::DumpNotAllowed, 0},
      {"pid before released", true, {&released_stranger}, true, PlimError::UnmatchedPid, 0},
      {"first qubit decides", true, {&released, &stranger}, true, PlimError::DeallocatedQubit, 0},
      {"then the append", true, {a.get()}, true, PlimError::NonGateInstruction, 1},
      {"accepted", true, {a.get()}, false, PlimError::Success, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Process fresh{kPid};
    std::swap(process, fresh);
    auto own = qubit();
    process.features = c.allowed ? Features{} : without(&Features::allow_dump);
    if (c.in_scope) {
      ASSERT_EQ(process.adj_begin(), PlimError::Success);
    }
    EXPECT_EQ(error_of(process.dump(c.qubits)), c.expected);
    EXPECT_EQ(process.metrics.dump_count, c.dump_count);
    EXPECT_EQ(process.dumps.size(), c.dump_count);
  }
}

TEST_F(DumpTest, WithoutContinueAfterDumpTheFirstDumpClosesTheProcess) {
  auto a = qubit();
  process.features = without(&Features::continue_after_dump);
  Qubit* qubits[] = {a.get()};
  ASSERT_TRUE(process.dump(qubits));
  EXPECT_TRUE(process.metrics.ready);
  EXPECT_EQ(code(0), (Instructions{Alloc{false, 0}, plim::Dump{{0}, 0}, End{Halt{}}}));

  EXPECT_EQ(error_of(process.dump(qubits)), PlimError::TerminatedBlock);
  EXPECT_EQ(process.metrics.dump_count, 2u) << "the refused dump's number is used up";
  EXPECT_EQ(process.prepare_for_execution(), PlimError::Success);
  EXPECT_EQ(code(0).size(), 3u);
}

TEST_F(DumpTest, WithoutContinueAfterDumpAReadyProcessGetsNoSecondHalt) {
  auto a = qubit();
  auto next = label();
  ASSERT_EQ(process.prepare_for_execution(), PlimError::Success);
  ASSERT_EQ(process.open_block(*next), PlimError::Success);
  process.features = without(&Features::continue_after_dump);
  Qubit* qubits[] = {a.get()};
  ASSERT_TRUE(process.dump(qubits));
  EXPECT_EQ(code(1), (Instructions{plim::Dump{{0}, 0}}));
  EXPECT_FALSE(process.blocks[1].terminated());
}

}  // namespace
}  // namespace builder_test
