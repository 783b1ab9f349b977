#include <climits>
#include <new>
#include <string_view>

#include "builder/c_handles.hpp"
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

TEST(Guard, NothingThrownLeavesTheCInterface) {
  EXPECT_EQ(plim::guarded([]() -> int { throw std::bad_alloc(); }), 25);
  EXPECT_EQ(plim::guarded([]() -> int { throw 1; }), 25);
  EXPECT_EQ(plim::guarded([] { return 13; }), 13);
}

}  // namespace
}  // namespace builder_test
