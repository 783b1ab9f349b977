#include <climits>
#include <functional>
#include <new>
#include <string_view>
#include <vector>

#include "builder/c_handles.hpp"
#include "fenn.h"
#include "libplim/src/c_wrapper/guard.hpp"

namespace builder_test {
namespace {

TEST(ErrorMessage, EveryCodeHasItsTextAndLength) {
  const std::size_t lengths[] = {30, 37, 18, 50, 36, 23, 23, 72, 15, 16, 31, 45, 58,
                                 46, 29, 19, 22, 48, 13, 55, 37, 39, 36, 21, 53, 15};
  for (int code = 0; code < 26; ++code) {
    SCOPED_TRACE(code);
    size_t size = 0;
    const char* text = plim_error_message(code, &size);
    EXPECT_EQ(size, lengths[code]);
    EXPECT_EQ(std::string_view(text, size), plim::plim_error_text(code));
  }
  size_t size = 0;
  const char* text = plim_error_message(0, &size);
  EXPECT_EQ(std::string_view(text, size), "the call returned successfully");
  for (int code : {25, 26, 1000, -1, INT_MIN}) {
    SCOPED_TRACE(code);
    text = plim_error_message(code, &size);
    EXPECT_EQ(std::string_view(text, size), "undefined error");
  }
}

class CInterface : public ::testing::Test {
 public:
  ProcessPtr process = new_process(5);
  QubitPtr qubit = allocate(process.get());

  const plim::Instruction& last() const {
    return process->blocks[process->current_block].block().instructions.back();
  }
};

TEST_F(CInterface, GateNumberIsCheckedBeforeAnythingElse) {
  Qubit stranger{0, 99, false, false};
  ASSERT_EQ(plim_process_prepare_for_execution(process.get()), 0);
  for (int number : {8, 9, -1, INT_MIN, INT_MAX}) {
    SCOPED_TRACE(number);
    EXPECT_EQ(plim_process_apply_gate(process.get(), number, 0.0, &stranger), 16);
  }
  EXPECT_EQ(plim_process_apply_gate(process.get(), 7, 0.0, &stranger), 3);
}

TEST_F(CInterface, GateNumbersNameTheGatesInOrder) {
  using namespace plim;
  const QuantumGate expected[] = {PauliX{}, PauliY{}, PauliZ{}, Hadamard{},
                                  Phase{1.5}, RX{1.5}, RY{1.5}, RZ{1.5}};
  for (int number = 0; number < 8; ++number) {
    SCOPED_TRACE(number);
    ASSERT_EQ(plim_process_apply_gate(process.get(), number, 1.5, qubit.get()), 0);
    EXPECT_EQ(std::get<Gate>(last()).gate, expected[number]);
  }
}

TEST_F(CInterface, OperationNumberIsCheckedBeforeAnythingElse) {
  Future stranger{1, 99, nullptr};
  FeaturesPtr none = [] {
    Features* made = nullptr;
    EXPECT_EQ(plim_features_none(&made), 0);
    return FeaturesPtr(made);
  }();
  ASSERT_EQ(plim_process_set_features(process.get(), none.get()), 0);
  Future* result = nullptr;
  for (int number : {16, -1, INT_MIN}) {
    SCOPED_TRACE(number);
    EXPECT_EQ(plim_process_add_int_op(process.get(), number, &stranger, &stranger, &result), 14);
  }
  EXPECT_EQ(plim_process_add_int_op(process.get(), 15, &stranger, &stranger, &result), 24);
  EXPECT_EQ(result, nullptr);
}

TEST_F(CInterface, OperationNumbersNameTheOperationsInOrder) {
  FuturePtr bit = measure(process.get(), qubit.get());
  for (int number = 0; number < 16; ++number) {
    SCOPED_TRACE(number);
    Future* made = nullptr;
    ASSERT_EQ(plim_process_add_int_op(process.get(), number, bit.get(), bit.get(), &made), 0);
    FuturePtr owned(made);
    EXPECT_EQ(std::get<plim::IntOp>(last()).op, static_cast<plim::ClassicalOp>(number));
  }
}

// Every operation that hands out a handle leaves its out-parameter alone
// when it refuses.
TEST_F(CInterface, RefusalsWriteNoOutParameter) {
  ASSERT_EQ(plim_process_adj_begin(process.get()), 0);
  Qubit* list[] = {qubit.get()};
  FuturePtr spare = [this] {
    Future* made = nullptr;
    EXPECT_EQ(plim_process_measure(process.get(), nullptr, 0, &made), 7);
    return FuturePtr(made);
  }();
  EXPECT_EQ(spare, nullptr);
  Future stranger{1, 99, nullptr};
  auto* sentinel_qubit = reinterpret_cast<Qubit*>(0x10);
  auto* sentinel_future = reinterpret_cast<Future*>(0x10);
  auto* sentinel_dump = reinterpret_cast<Dump*>(0x10);
  EXPECT_EQ(plim_process_allocate_qubit(process.get(), false, &sentinel_qubit), 7);
  EXPECT_EQ(plim_process_measure(process.get(), list, 1, &sentinel_future), 7);
  EXPECT_EQ(plim_process_dump(process.get(), list, 1, &sentinel_dump), 7);
  EXPECT_EQ(plim_process_int_new(process.get(), 1, &sentinel_future), 7);
  EXPECT_EQ(plim_process_add_int_op(process.get(), 0, &stranger, &stranger, &sentinel_future),
            18);
  EXPECT_EQ(sentinel_qubit, reinterpret_cast<Qubit*>(0x10));
  EXPECT_EQ(sentinel_future, reinterpret_cast<Future*>(0x10));
  EXPECT_EQ(sentinel_dump, reinterpret_cast<Dump*>(0x10));
}

TEST_F(CInterface, ApplyPluginCopiesItsTexts) {
  FeaturesPtr features = [] {
    Features* made = nullptr;
    EXPECT_EQ(plim_features_all(&made), 0);
    return FeaturesPtr(made);
  }();
  ASSERT_EQ(plim_features_register_plugin(features.get(), "pown"), 0);
  ASSERT_EQ(plim_process_set_features(process.get(), features.get()), 0);
  char name[] = "pown";
  char args[] = "3 7";
  Qubit* targets[] = {qubit.get(), qubit.get()};
  ASSERT_EQ(plim_process_apply_plugin(process.get(), name, args, targets, 2), 0);
  name[0] = args[0] = 'X';
  EXPECT_EQ(last(), (plim::Instruction{plim::Plugin{"pown", {0, 0}, "3 7"}}));
}

const plim::Instruction& last_of(const Process* process) {
  return process->blocks[process->current_block].block().instructions.back();
}

// The process's quantum code as BIN, the form an executor receives.
std::vector<uint8_t> code_bytes(Process* process) {
  EXPECT_EQ(plim_process_serialize_quantum_code(process, PLIM_DATA_BIN), 0);
  const uint8_t* data = nullptr;
  size_t size = 0;
  int type = -1;
  EXPECT_EQ(plim_process_get_serialized_quantum_code(process, &data, &size, &type), 0);
  return std::vector<uint8_t>(data, data + size);
}

// A control list stays on the stack after its qubit is gone, and the qubit's
// position may go to the next allocation; the gate under it is the first
// call that would use the position, and it refuses with nothing appended.
TEST(ControlGone, GateUnderAControlNoLongerAllocatedIsRefused) {
  using Step = std::function<void(Process*, Qubit* a, Qubit* b)>;
  const Step release_a = [](Process* p, Qubit* a, Qubit*) {
    ASSERT_EQ(plim_process_free_qubit(p, a, false), 0);
  };
  const Step measure_a = [](Process* p, Qubit* a, Qubit*) {
    Future* bit = nullptr;
    ASSERT_EQ(plim_process_measure(p, &a, 1, &bit), 0);
    EXPECT_EQ(plim_future_delete(bit), 0);
  };
  struct Case {
    const char* name;
    bool valid_after_measure;
    bool older_list;  // [b] pushed over [a]
    Step after_push;
    bool pop_after;
    int expected;
  };
  const Case cases[] = {
      {"released", true, false, release_a, false, 3},
      {"released, in an older list", true, true, release_a, false, 3},
      {"measured, not valid after measurement", false, false, measure_a, false, 3},
      {"measured, still valid", true, false, measure_a, false, 0},
      {"released, then its list popped", true, false, release_a, true, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ProcessPtr process = new_process(5);
    Features* made = nullptr;
    ASSERT_EQ(plim_features_new(true, true, c.valid_after_measure, true, true, true, true, &made),
              0);
    FeaturesPtr features(made);
    ASSERT_EQ(plim_process_set_features(process.get(), features.get()), 0);
    QubitPtr a = allocate(process.get()), b = allocate(process.get());
    ASSERT_EQ(plim_process_apply_gate(process.get(), PLIM_GATE_HADAMARD, 0.0, a.get()), 0);
    Qubit* first[] = {a.get()};
    Qubit* second[] = {b.get()};
    ASSERT_EQ(plim_process_ctrl_push(process.get(), first, 1), 0);
    if (c.older_list) {
      ASSERT_EQ(plim_process_ctrl_push(process.get(), second, 1), 0);
    }
    c.after_push(process.get(), a.get(), b.get());
    if (c.pop_after) {
      ASSERT_EQ(plim_process_ctrl_pop(process.get()), 0);
    }
    QubitPtr target = allocate(process.get());
    const std::vector<uint8_t> before = code_bytes(process.get());

    EXPECT_EQ(plim_process_apply_gate(process.get(), PLIM_GATE_HADAMARD, 0.0, target.get()),
              c.expected);
    if (c.expected != 0) {
      EXPECT_EQ(code_bytes(process.get()), before) << "nothing appended";
    }
  }
}

// A refused prepare leaves the process open; once the cause is gone, prepare
// ends the current block with Halt and the program runs.
TEST(PrepareRefused, LeavesTheProcessNotReady) {
  struct Case {
    const char* name;
    std::function<void(Process*, Label*)> block;
    int refusal;
    std::function<void(Process*, Label*)> unblock;
  };
  const Case cases[] = {
      {"open inverse scope",
       [](Process* p, Label*) { ASSERT_EQ(plim_process_adj_begin(p), 0); }, 7,
       [](Process* p, Label*) { ASSERT_EQ(plim_process_adj_end(p), 0); }},
      {"ended block",
       [](Process* p, Label* next) { ASSERT_EQ(plim_process_jump(p, next), 0); }, 13,
       [](Process* p, Label* next) { ASSERT_EQ(plim_process_open_block(p, next), 0); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ProcessPtr process = new_process(5);
    QubitPtr q = allocate(process.get());
    LabelPtr next = label(process.get());
    ASSERT_EQ(plim_process_apply_gate(process.get(), PLIM_GATE_HADAMARD, 0.0, q.get()), 0);
    c.block(process.get(), next.get());

    EXPECT_EQ(plim_process_prepare_for_execution(process.get()), c.refusal);
    EXPECT_FALSE(process->metrics.ready);
    EXPECT_EQ(fenn_run_and_set_result(process.get(), FENN_SIM_DENSE), FENN_NOT_READY);

    c.unblock(process.get(), next.get());
    ASSERT_EQ(plim_process_prepare_for_execution(process.get()), 0);
    EXPECT_TRUE(process->metrics.ready);
    EXPECT_EQ(last_of(process.get()), (plim::Instruction{plim::End{plim::Halt{}}}));
    EXPECT_EQ(fenn_run_and_set_result(process.get(), FENN_SIM_DENSE), FENN_SUCCESS);
    EXPECT_EQ(fenn_run_and_set_result(process.get(), FENN_SIM_SPARSE), FENN_SUCCESS);
  }
}

TEST(Guard, NothingThrownLeavesTheCInterface) {
  EXPECT_EQ(plim::guarded([]() -> int { throw std::bad_alloc(); }), 25);
  EXPECT_EQ(plim::guarded([]() -> int { throw 1; }), 25);
  EXPECT_EQ(plim::guarded([] { return 13; }), 13);
}

}  // namespace
}  // namespace builder_test
