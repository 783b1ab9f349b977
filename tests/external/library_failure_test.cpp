// A library call that reports through errno that it did not take effect
// ends the run at once: memory exhausted with UndefinedError, a pown outside
// its contract with UnsupportedPlugin, as on the simulators. Nothing more
// reaches the library but the release of the environment.
#include <gtest/gtest.h>

#include <cerrno>
#include <string>

#include "external/recording_fixture.hpp"
#include "fenn.h"
#include "tessor_nivra.h"

namespace {

using external_test::calls;
using external_test::Lines;
using LibraryFailure = external_test::RecordingTest;

// Three qubits at positions 2, 1, 0; H on the first; pown over positions
// [2, 0, 1] (one exchange on each side); a measurement and a dump.
const std::string kCode =
    R"([{"instructions":[{"Alloc":{"dirty":false,"target":0}},{"Alloc":{"dirty":false,"target":1}},)"
    R"({"Alloc":{"dirty":false,"target":2}},)"
    R"({"Gate":{"gate":{"Hadamard":null},"target":0,"control":[]}},)"
    R"({"Plugin":{"name":"pown","target":[0,2,1],"args":"7 15"}},)"
    R"({"Measure":{"qubits":[0],"output":1}},{"Dump":{"qubits":[0,1],"output":0}},)"
    R"({"End":"Halt"}],"gate_count":{"3":1},"depth":1}])";
const std::string kMetrics =
    R"({"qubit_simultaneous":3,"qubit_count":3,"future_count":2,"dump_count":1,)"
    R"("block_count":1,"timeout":null,"plugins":["pown"],"ready":true})";

const Lines kWholeRun = {
    "create_environment(3) -> env1", "hadamard_(env1, 2, [])", "swap(env1, 2, 0)",
    "plugin_pown(env1, 3, 7, 15)",   "swap(env1, 2, 0)",       "measure_(env1, 2)",
    "dump(env1, [2, 1]) -> dump1",   "dump_data(dump1, count=0)", "delete_dump(dump1)",
    "delete_environment(env1)"};

int run(Result** result) {
  return tessor_nivra_run_serialized(reinterpret_cast<const uint8_t*>(kCode.data()), kCode.size(),
                                     reinterpret_cast<const uint8_t*>(kMetrics.data()),
                                     kMetrics.size(), PLIM_DATA_JSON, result);
}

TEST_F(LibraryFailure, EndsTheRunAtTheFailingCallAndReleasesTheEnvironment) {
  struct Case {
    const char* function;
    int error;
    int code;
    Lines log;  // every call of the run
  };
  const Case cases[] = {
      {"create_environment", ENOMEM, FENN_UNDEFINED_ERROR, {"create_environment(3) -> null"}},
      {"hadamard_", ENOMEM, FENN_UNDEFINED_ERROR,
       {kWholeRun[0], kWholeRun[1], "delete_environment(env1)"}},
      {"swap", ENOMEM, FENN_UNDEFINED_ERROR,
       {kWholeRun[0], kWholeRun[1], kWholeRun[2], "delete_environment(env1)"}},
      {"plugin_pown", EDOM, FENN_UNSUPPORTED_PLUGIN,
       {kWholeRun[0], kWholeRun[1], kWholeRun[2], kWholeRun[3], "delete_environment(env1)"}},
      {"plugin_pown", ENOMEM, FENN_UNDEFINED_ERROR,
       {kWholeRun[0], kWholeRun[1], kWholeRun[2], kWholeRun[3], "delete_environment(env1)"}},
      {"measure_", ENOMEM, FENN_UNDEFINED_ERROR,
       {kWholeRun[0], kWholeRun[1], kWholeRun[2], kWholeRun[3], kWholeRun[4], kWholeRun[5],
        "delete_environment(env1)"}},
      {"dump", ENOMEM, FENN_UNDEFINED_ERROR,
       {kWholeRun[0], kWholeRun[1], kWholeRun[2], kWholeRun[3], kWholeRun[4], kWholeRun[5],
        "dump(env1, [2, 1]) -> null", "delete_environment(env1)"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.function) + " errno " + std::to_string(c.error));
    tz_nivra_recording::reset();
    tz_nivra_recording::script_failure(c.function, c.error);
    Result* untouched = nullptr;
    EXPECT_EQ(run(&untouched), c.code);
    EXPECT_EQ(untouched, nullptr);
    EXPECT_EQ(calls(), c.log);
  }
}

TEST_F(LibraryFailure, ErrnoLeftByTheHostBeforeTheRunIsNotAFailure) {
  Result* result = nullptr;
  errno = ENOMEM;
  ASSERT_EQ(run(&result), 0);
  EXPECT_EQ(calls(), kWholeRun);
  fenn_result_delete(result);
}

}  // namespace
