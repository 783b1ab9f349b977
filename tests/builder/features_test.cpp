#include <string>
#include <unordered_set>

#include "builder/c_handles.hpp"

namespace builder_test {
namespace {

using Names = std::unordered_set<std::string>;

FeaturesPtr make_features(int (*constructor)(Features**)) {
  Features* made = nullptr;
  EXPECT_EQ(constructor(&made), 0);
  return FeaturesPtr(made);
}

// The flags in the order plim_features_new takes them.
bool Features::* const kFlags[] = {
    &Features::allow_dirty_qubits, &Features::allow_free,   &Features::valid_after_measure,
    &Features::allow_control_flow, &Features::allow_dump,   &Features::allow_measure,
    &Features::continue_after_dump,
};

TEST(FeaturesRecord, NewTakesEachFlagFromItsOwnArgument) {
  for (int cleared = 0; cleared < 7; ++cleared) {
    SCOPED_TRACE(cleared);
    bool args[7] = {true, true, true, true, true, true, true};
    args[cleared] = false;
    Features* made = nullptr;
    ASSERT_EQ(plim_features_new(args[0], args[1], args[2], args[3], args[4], args[5], args[6],
                                &made),
              0);
    FeaturesPtr owned(made);
    for (int flag = 0; flag < 7; ++flag) EXPECT_EQ(made->*kFlags[flag], flag != cleared);
    EXPECT_TRUE(made->registered_plugins.empty());
  }
}

TEST(FeaturesRecord, AllAndNone) {
  FeaturesPtr all = make_features(plim_features_all);
  FeaturesPtr none = make_features(plim_features_none);
  for (bool Features::*flag : kFlags) {
    EXPECT_TRUE(all.get()->*flag);
    EXPECT_EQ(none.get()->*flag, flag == &Features::allow_measure);
  }
  EXPECT_TRUE(all->registered_plugins.empty());
  EXPECT_TRUE(none->registered_plugins.empty());
}

TEST(FeaturesRecord, RegisteredNamesAreExactBytesEachOnce) {
  FeaturesPtr features = make_features(plim_features_none);
  ASSERT_EQ(plim_features_register_plugin(features.get(), "pown"), 0);
  ASSERT_EQ(plim_features_register_plugin(features.get(), "pown"), 0);
  ASSERT_EQ(plim_features_register_plugin(features.get(), ""), 0);
  ASSERT_EQ(plim_features_register_plugin(features.get(), " pown"), 0);
  EXPECT_EQ(features->registered_plugins, (Names{"pown", "", " pown"}));
}

class ProcessFeatures : public ::testing::Test {
 public:
  ProcessPtr process = new_process(3);
  QubitPtr qubit = allocate(process.get());

  int plugin(const char* name) {
    return plim_process_apply_plugin(process.get(), name, "", nullptr, 0);
  }
  void set(Features* features) { ASSERT_EQ(plim_process_set_features(process.get(), features), 0); }
};

TEST_F(ProcessFeatures, NewProcessAllowsEverythingButUnregisteredPlugins) {
  Qubit* dirty = nullptr;
  ASSERT_EQ(plim_process_allocate_qubit(process.get(), true, &dirty), 0);
  QubitPtr owned(dirty);
  FuturePtr bit = measure(process.get(), qubit.get());
  DumpPtr state = dump(process.get(), qubit.get());
  LabelPtr next = label(process.get());
  EXPECT_EQ(plim_process_free_qubit(process.get(), dirty, true), 0);
  EXPECT_EQ(plugin("pown"), 23);

  FeaturesPtr features = make_features(plim_features_all);
  ASSERT_EQ(plim_features_register_plugin(features.get(), "pown"), 0);
  set(features.get());
  EXPECT_EQ(plugin("pown"), 0);
  EXPECT_EQ(plugin("Pown"), 23);
}

TEST_F(ProcessFeatures, NoneLeavesOnlyCleanQubitsAndMeasurement) {
  FeaturesPtr none = make_features(plim_features_none);
  set(none.get());
  Qubit* refused = nullptr;
  EXPECT_EQ(plim_process_allocate_qubit(process.get(), true, &refused), 19);
  EXPECT_EQ(refused, nullptr);
  QubitPtr clean = allocate(process.get());
  EXPECT_EQ(plim_process_free_qubit(process.get(), clean.get(), true), 19);
  EXPECT_EQ(plim_process_free_qubit(process.get(), clean.get(), false), 22);
  Label* no_label = nullptr;
  EXPECT_EQ(plim_process_get_label(process.get(), &no_label), 24);
  Future* no_future = nullptr;
  EXPECT_EQ(plim_process_int_new(process.get(), 1, &no_future), 24);
  Qubit* list[] = {qubit.get()};
  Dump* no_dump = nullptr;
  EXPECT_EQ(plim_process_dump(process.get(), list, 1, &no_dump), 20);

  FuturePtr bit = measure(process.get(), qubit.get());
  bool allocated = true;
  ASSERT_EQ(plim_qubit_allocated(qubit.get(), &allocated), 0);
  EXPECT_FALSE(allocated);
  EXPECT_EQ(plim_process_apply_gate(process.get(), PLIM_GATE_PAULI_X, 0.0, qubit.get()), 3);
  EXPECT_EQ(plim_process_add_int_op(process.get(), PLIM_OP_ADD, bit.get(), bit.get(), &no_future),
            24);
}

TEST_F(ProcessFeatures, ProcessKeepsACopyOfTheRecord) {
  FeaturesPtr features = make_features(plim_features_all);
  ASSERT_EQ(plim_features_register_plugin(features.get(), "pown"), 0);
  set(features.get());
  ASSERT_EQ(plim_features_register_plugin(features.get(), "late"), 0);
  EXPECT_EQ(plugin("late"), 23) << "registered after the copy";
  features.reset();
  EXPECT_EQ(plugin("pown"), 0) << "the record is gone, the copy stays";
  EXPECT_TRUE(process->features.allow_dump);
}

TEST_F(ProcessFeatures, SettingAgainReplacesTheNames) {
  FeaturesPtr named = make_features(plim_features_all);
  ASSERT_EQ(plim_features_register_plugin(named.get(), "pown"), 0);
  set(named.get());
  FeaturesPtr unnamed = make_features(plim_features_all);
  set(unnamed.get());
  EXPECT_EQ(plugin("pown"), 23);
}

TEST_F(ProcessFeatures, EmptyNameCanBeRegistered) {
  FeaturesPtr features = make_features(plim_features_all);
  ASSERT_EQ(plim_features_register_plugin(features.get(), ""), 0);
  set(features.get());
  EXPECT_EQ(plugin(""), 0);
}

TEST_F(ProcessFeatures, WithoutContinueAfterDumpTheFirstDumpCloses) {
  Features* made = nullptr;
  ASSERT_EQ(plim_features_new(true, true, true, true, true, true, false, &made), 0);
  FeaturesPtr features(made);
  set(features.get());
  DumpPtr first = dump(process.get(), qubit.get());
  EXPECT_TRUE(process->metrics.ready);
  Qubit* list[] = {qubit.get()};
  Dump* second = nullptr;
  EXPECT_EQ(plim_process_dump(process.get(), list, 1, &second), 13);
  EXPECT_EQ(second, nullptr);
  const std::size_t length = process->blocks[0].block().instructions.size();
  EXPECT_EQ(plim_process_prepare_for_execution(process.get()), 0);
  EXPECT_EQ(process->blocks[0].block().instructions.size(), length);
}

}  // namespace
}  // namespace builder_test
