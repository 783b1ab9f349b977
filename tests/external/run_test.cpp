// The external back end's C functions, observed through the recording closed
// library: which calls reach the library, and that every environment is
// released exactly once, whatever way the run ends.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "external/recording_fixture.hpp"
#include "fenn.h"
#include "plim.h"
#include "tessor_nivra.h"

namespace {

using external_test::calls;
using external_test::Lines;
using RunTest = external_test::RecordingTest;

// A process of `qubits` qubits with an X on the first; prepared unless asked
// otherwise.
struct Program {
  explicit Program(unsigned qubits, bool prepare = true) {
    plim_process_new(5, &process);
    handles.resize(qubits);
    for (Qubit*& qubit : handles) plim_process_allocate_qubit(process, false, &qubit);
    if (qubits != 0) plim_process_apply_gate(process, PLIM_GATE_PAULI_X, 0.0, handles[0]);
    if (prepare) plim_process_prepare_for_execution(process);
  }
  ~Program() {
    for (Qubit* qubit : handles) plim_qubit_delete(qubit);
    plim_process_delete(process);
  }

  // Runs the encoded code and metrics; *result stays as given unless 0.
  int run_serialized(int data_type, Result** result) {
    const uint8_t *code = nullptr, *metrics = nullptr;
    size_t code_size = 0, metrics_size = 0;
    int ignored = 0;
    plim_process_serialize_quantum_code(process, data_type);
    plim_process_serialize_metrics(process, data_type);
    plim_process_get_serialized_quantum_code(process, &code, &code_size, &ignored);
    plim_process_get_serialized_metrics(process, &metrics, &metrics_size, &ignored);
    tz_nivra_recording::clear_calls();
    return tessor_nivra_run_serialized(code, code_size, metrics, metrics_size, data_type, result);
  }

  Process* process = nullptr;
  std::vector<Qubit*> handles;
};

long count(const Lines& log, std::string_view prefix) {
  return std::count_if(log.begin(), log.end(),
                       [&](const std::string& line) { return line.rfind(prefix, 0) == 0; });
}

TEST_F(RunTest, ASuccessfulRunReleasesItsOneEnvironmentLast) {
  for (int data_type : {PLIM_DATA_JSON, PLIM_DATA_BIN}) {
    SCOPED_TRACE(data_type);
    tz_nivra_recording::reset();
    Program program(3);
    Result* result = nullptr;
    ASSERT_EQ(program.run_serialized(data_type, &result), 0);
    ASSERT_NE(result, nullptr);
    EXPECT_EQ(calls(), (Lines{"create_environment(3) -> env1", "sigma_x(env1, 2, [])",
                              "delete_environment(env1)"}));
    const uint8_t* bytes = nullptr;
    uint64_t size = 0;
    fenn_result_get(result, &bytes, &size);
    EXPECT_EQ(plim_process_set_serialized_result(program.process, bytes, size, data_type), 0);
    fenn_result_delete(result);
  }
}

TEST_F(RunTest, RefusalsBeforeTheRunMakeNoLibraryCall) {
  Program wide(51);
  Result* untouched = reinterpret_cast<Result*>(&wide);
  EXPECT_EQ(wide.run_serialized(PLIM_DATA_BIN, &untouched), FENN_TOO_MANY_QUBITS);
  EXPECT_EQ(calls(), Lines{});
  EXPECT_EQ(tessor_nivra_run_and_set_result(wide.process), FENN_TOO_MANY_QUBITS);
  EXPECT_EQ(calls(), Lines{});

  const uint8_t junk[] = {'{', '}'};
  EXPECT_EQ(tessor_nivra_run_serialized(junk, sizeof junk, junk, sizeof junk, PLIM_DATA_JSON,
                                        &untouched),
            FENN_UNDEFINED_DATA_TYPE);
  EXPECT_EQ(tessor_nivra_run_serialized(junk, sizeof junk, junk, sizeof junk, 2, &untouched),
            FENN_UNDEFINED_DATA_TYPE);
  EXPECT_EQ(calls(), Lines{});
  EXPECT_EQ(untouched, reinterpret_cast<Result*>(&wide));
}

TEST_F(RunTest, AnUnpreparedProcessStillCreatesAndReleasesOneEnvironment) {
  Program program(2, /*prepare=*/false);
  Result* untouched = nullptr;
  EXPECT_EQ(program.run_serialized(PLIM_DATA_JSON, &untouched), FENN_NOT_READY);
  EXPECT_EQ(untouched, nullptr);
  EXPECT_EQ(calls(), (Lines{"create_environment(2) -> env1", "delete_environment(env1)"}));

  tz_nivra_recording::clear_calls();
  EXPECT_EQ(tessor_nivra_run_and_set_result(program.process), FENN_NOT_READY);
  EXPECT_EQ(calls(), (Lines{"create_environment(2) -> env2", "delete_environment(env2)"}));
  double seconds = 0;
  EXPECT_EQ(plim_process_exec_time(program.process, &seconds), 2);  // nothing stored
}

TEST_F(RunTest, ATimedOutRunReleasesItsEnvironmentOnce) {
  // Block 0 jumps to block 1, which jumps to itself: only the clock ends it.
  Program program(1, /*prepare=*/false);
  Label* loop = nullptr;
  plim_process_get_label(program.process, &loop);
  plim_process_jump(program.process, loop);
  plim_process_open_block(program.process, loop);
  plim_process_jump(program.process, loop);
  // The Halt goes into a block that nothing reaches.
  Label* unreached = nullptr;
  plim_process_get_label(program.process, &unreached);
  plim_process_open_block(program.process, unreached);
  ASSERT_EQ(plim_process_prepare_for_execution(program.process), PLIM_SUCCESS);
  plim_process_set_timeout(program.process, 0);
  plim_label_delete(loop);
  plim_label_delete(unreached);

  tz_nivra_recording::clear_calls();
  EXPECT_EQ(tessor_nivra_run_and_set_result(program.process), FENN_TIMEOUT);
  const Lines log = calls();
  EXPECT_EQ(count(log, "create_environment"), 1);
  EXPECT_EQ(count(log, "delete_environment"), 1);
  EXPECT_EQ(log.back(), "delete_environment(env1)");
}

TEST_F(RunTest, AUnitaryGateEndsTheRunWithUnsupportedPlugin) {
  const std::string code =
      R"([{"instructions":[{"Alloc":{"dirty":false,"target":0}},)"
      R"({"Gate":{"gate":{"Unitary":[[[0.0,0.0],[1.0,0.0]],[[1.0,0.0],[0.0,0.0]]]},"target":0,"control":[]}},)"
      R"({"End":"Halt"}],"gate_count":{"1":1},"depth":1}])";
  const std::string metrics =
      R"({"qubit_simultaneous":1,"qubit_count":1,"future_count":1,"dump_count":0,)"
      R"("block_count":1,"timeout":null,"plugins":[],"ready":true})";
  Result* untouched = nullptr;
  EXPECT_EQ(tessor_nivra_run_serialized(reinterpret_cast<const uint8_t*>(code.data()), code.size(),
                                        reinterpret_cast<const uint8_t*>(metrics.data()),
                                        metrics.size(), PLIM_DATA_JSON, &untouched),
            FENN_UNSUPPORTED_PLUGIN);
  EXPECT_EQ(untouched, nullptr);
  EXPECT_EQ(calls(), (Lines{"create_environment(1) -> env1", "delete_environment(env1)"}));
}

}  // namespace
