// run_and_set_result over a live process: the result is stored on success
// and nothing is stored on any failure.
#include <memory>

#include "libplim/src/process.hpp"
#include "tests/engine/fixture.hpp"

namespace engine_test {
namespace {

using fenn::FennError;

// A prepared process with futures 0..2 and one dump, built without the
// builder's operations: block 0 holds `code`.
std::unique_ptr<Process> prepared(std::vector<Instruction> code) {
  auto process = std::make_unique<Process>(7);
  for (int i = 0; i < 2; ++i) process->futures.push_back(plim::make_empty_cell<int64_t>());
  process->dumps.push_back(plim::make_empty_cell<plim::DumpData>());
  process->metrics.qubit_simultaneous = 2;
  process->metrics.future_count = 3;
  process->metrics.dump_count = 1;
  process->metrics.ready = true;
  for (auto& instruction : code)
    EXPECT_EQ(process->blocks[0].add_instruction(std::move(instruction)), plim::PlimError::Success);
  return process;
}

void expect_unchanged(const Process& process) {
  EXPECT_FALSE(process.futures[1]->has_value());
  EXPECT_FALSE(process.dumps[0]->has_value());
  EXPECT_FALSE(process.exec_time.has_value());
}

TEST_F(EngineTest, ProcessReceivesTheResult) {
  Script::get().outcomes = {1};
  auto process = prepared({measure({1}, 1), set(2, -3), dump({0}, 0), halt()});
  auto status = fenn::run_and_set_result<RecordingBackend>(*process);
  ASSERT_TRUE(status.has_value());
  EXPECT_EQ(process->futures[0]->value(), 0);
  EXPECT_EQ(process->futures[1]->value(), 1);
  EXPECT_EQ(process->futures[2]->value(), -3);
  EXPECT_EQ(process->dumps[0]->value(), Script::get().dump_answer);
  ASSERT_TRUE(process->exec_time.has_value());
  EXPECT_GE(*process->exec_time, 0.0);
}

TEST_F(EngineTest, FailuresLeaveTheProcessUnchanged) {
  struct Case {
    const char* name;
    std::optional<FennError> create_error;
    fenn::Status plugin_status;
    bool ready;
    uint64_t future_count;  // differs from the process's cells for a refusal
    FennError error;
  };
  const Case cases[] = {
      {"back end not built", FennError::TooManyQubits, {}, true, 3, FennError::TooManyQubits},
      {"plug-in failure", std::nullopt, plim::Unexpected{FennError::UnsupportedPlugin}, true, 3,
       FennError::UnsupportedPlugin},
      {"not ready", std::nullopt, {}, false, 3, FennError::NotReady},
      {"result refused by the process", std::nullopt, {}, true, 4, FennError::UndefinedError},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Script::reset();
    Script::get().create_error = c.create_error;
    Script::get().plugin_status = c.plugin_status;
    auto process = prepared({set(1, 1), plugin({0}, "1 1"), dump({0}, 0), halt()});
    process->metrics.ready = c.ready;
    process->metrics.future_count = c.future_count;
    auto status = fenn::run_and_set_result<RecordingBackend>(*process);
    ASSERT_FALSE(status.has_value());
    EXPECT_EQ(status.error(), c.error);
    expect_unchanged(*process);
  }
}

TEST_F(EngineTest, ProcessMayRunAgain) {
  auto process = prepared({measure({0}, 1), halt()});
  Script::get().outcomes = {1};
  ASSERT_TRUE(fenn::run_and_set_result<RecordingBackend>(*process).has_value());
  EXPECT_EQ(process->futures[1]->value(), 1);
  Script::get().outcomes = {0};
  ASSERT_TRUE(fenn::run_and_set_result<RecordingBackend>(*process).has_value());
  EXPECT_EQ(process->futures[1]->value(), 0);
}

}  // namespace
}  // namespace engine_test
