#include <limits>

#include "builder/c_handles.hpp"

namespace builder_test {
namespace {

using plim::DumpData;
using plim::PlimError;
using plim::ResultData;

constexpr int kNotAvailable = 2;

// A process holding one qubit, one measured future (index 1), one future
// from int_new (index 2) and one dump (index 0).
class HandleTest : public ::testing::Test {
 public:
  ProcessPtr process = new_process(11);
  QubitPtr qubit = allocate(process.get());
  FuturePtr measured = measure(process.get(), qubit.get());
  FuturePtr constant = [this] {
    Future* made = nullptr;
    EXPECT_EQ(plim_process_int_new(process.get(), 42, &made), 0);
    return FuturePtr(made);
  }();
  DumpPtr state = dump(process.get(), qubit.get());

  // A result that fits this process: three futures, one dump.
  static ResultData result(DumpData payload, int64_t value = -5, double seconds = 0.25) {
    ResultData data;
    data.future = {9, value, 43};
    data.dump.push_back(std::move(payload));
    data.exec_time = seconds;
    return data;
  }
};

TEST_F(HandleTest, NumbersAndPidsOfNewHandles) {
  uint64_t number = 99, pid = 0;
  EXPECT_EQ(plim_qubit_index(qubit.get(), &number), 0);
  EXPECT_EQ(number, 0u);
  EXPECT_EQ(plim_qubit_pid(qubit.get(), &pid), 0);
  EXPECT_EQ(pid, 11u);
  EXPECT_EQ(plim_future_index(measured.get(), &number), 0);
  EXPECT_EQ(number, 1u) << "future 0 is the constant";
  EXPECT_EQ(plim_future_index(constant.get(), &number), 0);
  EXPECT_EQ(number, 2u);
  pid = 0;
  EXPECT_EQ(plim_future_pid(constant.get(), &pid), 0);
  EXPECT_EQ(pid, 11u);

  LabelPtr first = label(process.get());
  EXPECT_EQ(plim_label_index(first.get(), &number), 0);
  EXPECT_EQ(number, 1u) << "block 0 is the entry block";
  pid = 0;
  EXPECT_EQ(plim_label_pid(first.get(), &pid), 0);
  EXPECT_EQ(pid, 11u);
}

TEST_F(HandleTest, QubitAndFutureShareOneReaderOfEachField) {
  auto address = [](auto* function) { return reinterpret_cast<void*>(function); };
  EXPECT_EQ(address(&plim_qubit_index), address(&plim_future_index));
  EXPECT_EQ(address(&plim_qubit_pid), address(&plim_future_pid));
}

TEST_F(HandleTest, QubitFlagsFollowTheProcess) {
  bool allocated = false, measured_flag = false;
  EXPECT_EQ(plim_qubit_allocated(qubit.get(), &allocated), 0);
  EXPECT_EQ(plim_qubit_measured(qubit.get(), &measured_flag), 0);
  EXPECT_TRUE(allocated);
  EXPECT_TRUE(measured_flag);
  ASSERT_EQ(plim_process_free_qubit(process.get(), qubit.get(), false), 0);
  EXPECT_EQ(plim_qubit_allocated(qubit.get(), &allocated), 0);
  EXPECT_FALSE(allocated);
}

TEST_F(HandleTest, FuturesReadNothingUntilAResultArrives) {
  for (Future* future : {measured.get(), constant.get()}) {
    bool available = true;
    int64_t value = 123;
    EXPECT_EQ(plim_future_available(future, &available), 0);
    EXPECT_FALSE(available);
    EXPECT_EQ(plim_future_value(future, &value), kNotAvailable);
    EXPECT_EQ(value, 123) << "untouched";
  }
  ASSERT_EQ(process->set_result(result(plim::Probability{})), PlimError::Success);
  int64_t value = 0;
  bool available = false;
  EXPECT_EQ(plim_future_available(measured.get(), &available), 0);
  EXPECT_TRUE(available);
  EXPECT_EQ(plim_future_value(measured.get(), &value), 0);
  EXPECT_EQ(value, -5);
  EXPECT_EQ(plim_future_value(constant.get(), &value), 0);
  EXPECT_EQ(value, 43) << "the run's value, not the one int_new was given";
}

// Every dump reader on one payload: its answer and what it lends.
struct DumpReadings {
  int type = -1;
  size_t states = 99;
  int real = -1, imag = -1, probabilities = -1, count = -1, total = -1;
};

DumpReadings read_all(Dump* dump) {
  DumpReadings r;
  size_t size = 0;
  const double* doubles = nullptr;
  const uint32_t* counts = nullptr;
  uint64_t total = 0;
  EXPECT_EQ(plim_dump_type(dump, &r.type), 0);
  EXPECT_EQ(plim_dump_states_size(dump, &r.states), 0);
  r.real = plim_dump_amplitudes_real(dump, &doubles, &size);
  r.imag = plim_dump_amplitudes_imag(dump, &doubles, &size);
  r.probabilities = plim_dump_probabilities(dump, &doubles, &size);
  r.count = plim_dump_count(dump, &counts, &size);
  r.total = plim_dump_total(dump, &total);
  return r;
}

TEST_F(HandleTest, EmptyDumpCellAnswersNotAvailableEverywhere) {
  bool available = true;
  EXPECT_EQ(plim_dump_available(state.get(), &available), 0);
  EXPECT_FALSE(available);
  int type = 77;
  size_t size = 77;
  const uint64_t* words = nullptr;
  const double* doubles = nullptr;
  const uint32_t* counts = nullptr;
  uint64_t total = 77;
  EXPECT_EQ(plim_dump_type(state.get(), &type), kNotAvailable);
  EXPECT_EQ(plim_dump_states_size(state.get(), &size), kNotAvailable);
  EXPECT_EQ(plim_dump_state(state.get(), 0, &words, &size), kNotAvailable);
  EXPECT_EQ(plim_dump_amplitudes_real(state.get(), &doubles, &size), kNotAvailable);
  EXPECT_EQ(plim_dump_amplitudes_imag(state.get(), &doubles, &size), kNotAvailable);
  EXPECT_EQ(plim_dump_probabilities(state.get(), &doubles, &size), kNotAvailable);
  EXPECT_EQ(plim_dump_count(state.get(), &counts, &size), kNotAvailable);
  EXPECT_EQ(plim_dump_total(state.get(), &total), kNotAvailable);
  EXPECT_EQ(type, 77);
  EXPECT_EQ(size, 77u);
  EXPECT_EQ(words, nullptr);
  EXPECT_EQ(doubles, nullptr);
  EXPECT_EQ(counts, nullptr);
  EXPECT_EQ(total, 77u);
}

TEST_F(HandleTest, EachVariantLendsOnlyItsOwnLists) {
  struct Case {
    const char* name;
    DumpData payload;
    int type;
    size_t states;
    int real, probabilities, count;
  };
  const Case cases[] = {
      {"vector", plim::Vector{{{1}, {2}}, {0.5, 0.25}, {0.0, -0.5}}, 0, 2, 0, kNotAvailable,
       kNotAvailable},
      {"never reached", plim::Probability{}, 1, 0, kNotAvailable, 0, kNotAvailable},
      {"shots", plim::Shots{{{3}}, {4}, 9}, 2, 1, kNotAvailable, kNotAvailable, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_EQ(process->set_result(result(c.payload)), PlimError::Success);
    bool available = false;
    EXPECT_EQ(plim_dump_available(state.get(), &available), 0);
    EXPECT_TRUE(available);
    const DumpReadings r = read_all(state.get());
    EXPECT_EQ(r.type, c.type);
    EXPECT_EQ(r.states, c.states);
    EXPECT_EQ(r.real, c.real);
    EXPECT_EQ(r.imag, c.real);
    EXPECT_EQ(r.probabilities, c.probabilities);
    EXPECT_EQ(r.count, c.count);
    EXPECT_EQ(r.total, c.count);
  }
}

TEST_F(HandleTest, VectorListsAreLentInPlace) {
  ASSERT_EQ(process->set_result(result(plim::Vector{
                {{0, 5}, {1, 0}}, {0.5, -0.5}, {0.25, 0.0}})),
            PlimError::Success);
  const auto& stored = std::get<plim::Vector>(**process->dumps[0]);
  const uint64_t* words = nullptr;
  size_t size = 0;
  ASSERT_EQ(plim_dump_state(state.get(), 1, &words, &size), 0);
  EXPECT_EQ(words, stored.basis_states[1].data());
  ASSERT_EQ(size, 2u);
  EXPECT_EQ(words[0], 1u) << "most significant word first";
  const double* doubles = nullptr;
  ASSERT_EQ(plim_dump_amplitudes_real(state.get(), &doubles, &size), 0);
  EXPECT_EQ(doubles, stored.amplitudes_real.data());
  EXPECT_EQ(size, 2u);
  ASSERT_EQ(plim_dump_amplitudes_imag(state.get(), &doubles, &size), 0);
  EXPECT_EQ(doubles[0], 0.25);
}

TEST_F(HandleTest, EmptyListsAreLentThroughANonNullPointer) {
  ASSERT_EQ(process->set_result(result(plim::Probability{{{}}, {}})), PlimError::Success);
  const double* doubles = nullptr;
  const uint64_t* words = nullptr;
  size_t size = 9;
  EXPECT_EQ(plim_dump_probabilities(state.get(), &doubles, &size), 0);
  EXPECT_NE(doubles, nullptr);
  EXPECT_EQ(size, 0u);
  size = 9;
  EXPECT_EQ(plim_dump_state(state.get(), 0, &words, &size), 0) << "a basis state of no words";
  EXPECT_NE(words, nullptr);
  EXPECT_EQ(size, 0u);
}

TEST_F(HandleTest, ShotsKeepTheirWidths) {
  const uint64_t big_total = uint64_t{1} << 40;
  ASSERT_EQ(process->set_result(result(plim::Shots{{{0}, {1}}, {UINT32_MAX, 1}, big_total})),
            PlimError::Success);
  const uint32_t* counts = nullptr;
  size_t size = 0;
  uint64_t total = 0;
  ASSERT_EQ(plim_dump_count(state.get(), &counts, &size), 0);
  ASSERT_EQ(size, 2u);
  EXPECT_EQ(counts[0], UINT32_MAX);
  ASSERT_EQ(plim_dump_total(state.get(), &total), 0);
  EXPECT_EQ(total, big_total);
}

TEST_F(HandleTest, StateIndexBeyondTheListIsRefused) {
  ASSERT_EQ(process->set_result(result(plim::Vector{{{1}}, {1.0}, {0.0}})), PlimError::Success);
  const uint64_t* words = nullptr;
  size_t size = 5;
  for (size_t index : {size_t{1}, std::numeric_limits<size_t>::max()}) {
    EXPECT_EQ(plim_dump_state(state.get(), index, &words, &size), kNotAvailable);
    EXPECT_EQ(words, nullptr);
    EXPECT_EQ(size, 5u);
  }
}

TEST_F(HandleTest, HandlesOutliveTheirProcess) {
  ASSERT_EQ(process->set_result(result(plim::Vector{{{1}}, {0.5}, {-0.5}})), PlimError::Success);
  process.reset();
  int64_t value = 0;
  EXPECT_EQ(plim_future_value(measured.get(), &value), 0);
  EXPECT_EQ(value, -5);
  const double* doubles = nullptr;
  size_t size = 0;
  ASSERT_EQ(plim_dump_amplitudes_imag(state.get(), &doubles, &size), 0);
  ASSERT_EQ(size, 1u);
  EXPECT_EQ(doubles[0], -0.5);
  // The handles now hold the last share; deleting them frees the cells
  // (the address sanitizer build would report a leak otherwise).
}

TEST_F(HandleTest, ProcessFillsTheCellsOfDeletedHandles) {
  measured.reset();
  state.reset();
  ASSERT_EQ(process->set_result(result(plim::Probability{})), PlimError::Success);
  EXPECT_EQ(*process->futures[1], std::optional<int64_t>(-5));
  EXPECT_TRUE(process->dumps[0]->has_value());
}

TEST_F(HandleTest, SetResultRefusesOtherCountsAndChangesNothing) {
  ASSERT_EQ(process->set_result(result(plim::Probability{}, 1, 2.0)), PlimError::Success);
  ResultData too_few_futures = result(plim::Vector{}, 2, 3.0);
  too_few_futures.future.pop_back();
  ResultData too_many_dumps = result(plim::Vector{}, 2, 3.0);
  too_many_dumps.dump.push_back(plim::Vector{});
  for (ResultData* refused : {&too_few_futures, &too_many_dumps}) {
    EXPECT_EQ(process->set_result(std::move(*refused)), PlimError::UnexpectedResultData);
    int64_t value = 0;
    int type = -1;
    EXPECT_EQ(plim_future_value(measured.get(), &value), 0);
    EXPECT_EQ(value, 1);
    EXPECT_EQ(plim_dump_type(state.get(), &type), 0);
    EXPECT_EQ(type, 1);
    EXPECT_EQ(process->exec_time, 2.0);
  }
}

TEST_F(HandleTest, EveryResultReplacesEveryValue) {
  EXPECT_FALSE(process->metrics.ready) << "readiness is not required";
  ASSERT_EQ(process->set_result(result(plim::Vector{{{1}}, {1.0}, {0.0}}, 1, 2.0)),
            PlimError::Success);
  EXPECT_EQ(**process->futures[0], 9) << "future 0 takes the result's entry";
  EXPECT_EQ(process->exec_time, 2.0);
  ASSERT_EQ(process->set_result(result(plim::Shots{}, 6, 4.0)), PlimError::Success);
  int64_t value = 0;
  int type = -1;
  EXPECT_EQ(plim_future_value(measured.get(), &value), 0);
  EXPECT_EQ(value, 6);
  EXPECT_EQ(plim_dump_type(state.get(), &type), 0);
  EXPECT_EQ(type, 2);
  EXPECT_EQ(process->exec_time, 4.0);
}

}  // namespace
}  // namespace builder_test
