// run_and_set_result over a live process built through the builder: the
// result is stored on success and nothing is stored on any failure.
#include "fenn/src/c_wrapper/run_roads.hpp"
#include "tests/quantum_execution/engine_fixture.hpp"
#include "tests/support/built_process.hpp"

namespace engine_test {
namespace {

using fenn::FennError;

// Two qubits; future 1 measures qubit 1, future 2 is set to -3 and dump 0
// lists qubit 0.
struct Measured : BuiltProcess {
  std::unique_ptr<Future> bit;
  std::unique_ptr<Future> minus_three;
  std::unique_ptr<Dump> listed;

  explicit Measured(bool prepared = true) : BuiltProcess(2, 7) {
    bit = measure({1});
    minus_three = constant(-3);
    listed = dump({0});
    if (prepared) prepare();
  }

  void expect_unchanged() {
    EXPECT_FALSE(bit->value->has_value());
    EXPECT_FALSE(minus_three->value->has_value());
    EXPECT_FALSE(listed->value->has_value());
    EXPECT_FALSE(process().exec_time.has_value());
  }
};

TEST_F(EngineTest, ProcessReceivesTheResult) {
  Script::get().outcomes = {1};
  Measured built;
  auto status = fenn::run_and_set_result<RecordingBackend>(built.process());
  ASSERT_TRUE(status.has_value());
  EXPECT_EQ(built.process().futures[0]->value(), 0);
  EXPECT_EQ(built.bit->value->value(), 1);
  EXPECT_EQ(built.minus_three->value->value(), -3);
  EXPECT_EQ(built.listed->value->value(), Script::get().dump_answer);
  ASSERT_TRUE(built.process().exec_time.has_value());
  EXPECT_GE(*built.process().exec_time, 0.0);
}

TEST_F(EngineTest, FailuresLeaveTheProcessUnchanged) {
  struct Case {
    const char* name;
    std::optional<FennError> create_error;
    fenn::Status plugin_status;
    bool prepared;
    bool cells_disagree;  // the process then refuses the result
    FennError error;
  };
  const Case cases[] = {
      {"back end not built", FennError::TooManyQubits, {}, true, false, FennError::TooManyQubits},
      {"plug-in failure", std::nullopt, plim::Unexpected{FennError::UnsupportedPlugin}, true, false,
       FennError::UnsupportedPlugin},
      {"not ready", std::nullopt, {}, false, false, FennError::NotReady},
      {"result refused by the process", std::nullopt, {}, true, true, FennError::UndefinedError},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Script::reset();
    Script::get().create_error = c.create_error;
    Script::get().plugin_status = c.plugin_status;
    Measured built(false);
    built.plugin("pown", "1 1", {0});
    if (c.prepared) built.prepare();
    // No building operation makes the cells disagree with the metrics, so
    // the count is set by hand: the run then yields one future too many.
    if (c.cells_disagree) ++built.process().metrics.future_count;
    auto status = fenn::run_and_set_result<RecordingBackend>(built.process());
    ASSERT_FALSE(status.has_value());
    EXPECT_EQ(status.error(), c.error);
    built.expect_unchanged();
  }
}

TEST_F(EngineTest, ProcessMayRunAgain) {
  Measured built;
  Script::get().outcomes = {1};
  ASSERT_TRUE(fenn::run_and_set_result<RecordingBackend>(built.process()).has_value());
  EXPECT_EQ(built.bit->value->value(), 1);
  Script::get().outcomes = {0};
  ASSERT_TRUE(fenn::run_and_set_result<RecordingBackend>(built.process()).has_value());
  EXPECT_EQ(built.bit->value->value(), 0);
}

}  // namespace
}  // namespace engine_test
