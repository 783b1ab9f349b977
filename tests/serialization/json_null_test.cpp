// The JSON writer's null for a double that is not finite, read back through
// the C interface: the executor runs the builder's code, the process takes
// the executor's result, and null anywhere but a double is still refused.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "fenn.h"
#include "plim.h"

namespace {

constexpr int kJson = 0;
constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNan = std::numeric_limits<double>::quiet_NaN();

std::vector<uint8_t> lent(int (*get)(Process*, const uint8_t**, size_t*, int*), Process* process) {
  const uint8_t* data = nullptr;
  size_t size = 0;
  int type = -1;
  EXPECT_EQ(get(process, &data, &size, &type), 0);
  return {data, data + size};
}

// One qubit, one gate of a non-finite angle, a dump of the qubit.
struct Program {
  Program(int gate, double angle) {
    plim_process_new(1, &process);
    plim_process_allocate_qubit(process, false, &qubit);
    plim_process_apply_gate(process, gate, angle, qubit);
    plim_process_dump(process, &qubit, 1, &dump);
    plim_process_prepare_for_execution(process);
  }
  ~Program() {
    plim_dump_delete(dump);
    plim_qubit_delete(qubit);
    plim_process_delete(process);
  }
  Process* process = nullptr;
  Qubit* qubit = nullptr;
  Dump* dump = nullptr;
};

TEST(JsonNull, BuilderCodeWithNonFiniteAnglesRunsAndItsResultIsTaken) {
  struct Case {
    const char* name;
    int gate;
    double angle;
    int sim_mode;
    size_t states;  // the dense dump leaves NaN amplitudes out, the sparse one keeps them
  };
  const Case cases[] = {
      {"RZ(inf), dense", PLIM_GATE_RZ, kInf, 0, 0},
      {"RZ(inf), sparse", PLIM_GATE_RZ, kInf, 1, 1},
      {"RX(nan), dense", PLIM_GATE_RX, kNan, 0, 0},
      {"RX(nan), sparse", PLIM_GATE_RX, kNan, 1, 2},
      {"RY(-inf), sparse", PLIM_GATE_RY, -kInf, 1, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Program program(c.gate, c.angle);
    ASSERT_EQ(plim_process_serialize_quantum_code(program.process, kJson), 0);
    ASSERT_EQ(plim_process_serialize_metrics(program.process, kJson), 0);
    const std::vector<uint8_t> code = lent(plim_process_get_serialized_quantum_code, program.process);
    const std::vector<uint8_t> metrics = lent(plim_process_get_serialized_metrics, program.process);
    ASSERT_NE(std::string(code.begin(), code.end()).find("null"), std::string::npos);

    Result* result = nullptr;
    ASSERT_EQ(fenn_run_serialized(code.data(), code.size(), metrics.data(), metrics.size(), kJson,
                                  c.sim_mode, &result),
              0);
    const uint8_t* bytes = nullptr;
    uint64_t size = 0;
    ASSERT_EQ(fenn_result_get(result, &bytes, &size), 0);
    EXPECT_EQ(plim_process_set_serialized_result(program.process, bytes, size, kJson), 0)
        << std::string(bytes, bytes + size);
    fenn_result_delete(result);

    size_t states = 99;
    ASSERT_EQ(plim_dump_states_size(program.dump, &states), 0);
    EXPECT_EQ(states, c.states);
    const double* real = nullptr;
    const double* imag = nullptr;
    size_t real_size = 0, imag_size = 0;
    ASSERT_EQ(plim_dump_amplitudes_real(program.dump, &real, &real_size), 0);
    ASSERT_EQ(plim_dump_amplitudes_imag(program.dump, &imag, &imag_size), 0);
    ASSERT_EQ(real_size, c.states);
    for (size_t i = 0; i < real_size; ++i) EXPECT_TRUE(std::isnan(real[i]) || std::isnan(imag[i]));
  }
}

// A process with one future beside future 0 and one dump, as the documents
// below need.
struct Taker {
  Taker() {
    plim_process_new(1, &process);
    plim_process_allocate_qubit(process, false, &qubit);
    plim_process_measure(process, &qubit, 1, &future);
    plim_process_dump(process, &qubit, 0, &dump);
  }
  ~Taker() {
    plim_dump_delete(dump);
    plim_future_delete(future);
    plim_qubit_delete(qubit);
    plim_process_delete(process);
  }
  int take(const std::string& json) {
    return plim_process_set_serialized_result(
        process, reinterpret_cast<const uint8_t*>(json.data()), json.size(), kJson);
  }
  Process* process = nullptr;
  Qubit* qubit = nullptr;
  Future* future = nullptr;
  Dump* dump = nullptr;
};

std::string result_json(const std::string& future, const std::string& dump,
                        const std::string& exec_time) {
  return R"({"future":[0,)" + future + R"(],"dump":[)" + dump + R"(],"exec_time":)" + exec_time +
         "}";
}

TEST(JsonNull, ResultsWithNullDoublesAreTakenAsNaN) {
  Taker taker;
  ASSERT_EQ(taker.take(result_json(
                "1", R"({"Vector":{"basis_states":[[0],[1]],"amplitudes_real":[null,0.5],"amplitudes_imag":[0.5,null]}})",
                "null")),
            0);
  const double* real = nullptr;
  const double* imag = nullptr;
  size_t size = 0;
  ASSERT_EQ(plim_dump_amplitudes_real(taker.dump, &real, &size), 0);
  ASSERT_EQ(size, 2u);
  EXPECT_TRUE(std::isnan(real[0]));
  EXPECT_EQ(real[1], 0.5);
  ASSERT_EQ(plim_dump_amplitudes_imag(taker.dump, &imag, &size), 0);
  EXPECT_EQ(imag[0], 0.5);
  EXPECT_TRUE(std::isnan(imag[1]));
  double exec_time = 0.0;
  ASSERT_EQ(plim_process_exec_time(taker.process, &exec_time), 0);
  EXPECT_TRUE(std::isnan(exec_time));

  ASSERT_EQ(taker.take(result_json("1", R"({"Probability":{"basis_states":[[0]],"probabilities":[null]}})", "0.5")), 0);
  const double* probabilities = nullptr;
  ASSERT_EQ(plim_dump_probabilities(taker.dump, &probabilities, &size), 0);
  ASSERT_EQ(size, 1u);
  EXPECT_TRUE(std::isnan(probabilities[0]));
}

TEST(JsonNull, NullWhereNoDoubleStandsIsStillRefused) {
  Taker taker;
  const std::string vector = R"({"Vector":{"basis_states":[[0]],"amplitudes_real":[1],"amplitudes_imag":[0]}})";
  ASSERT_EQ(taker.take(result_json("7", vector, "0.5")), 0);
  struct Case {
    const char* name;
    std::string json;
  };
  const Case cases[] = {
      {"a future value", result_json("null", vector, "0.5")},
      {"a basis state word", result_json("1", R"({"Vector":{"basis_states":[[null]],"amplitudes_real":[1],"amplitudes_imag":[0]}})", "0.5")},
      {"a shot count", result_json("1", R"({"Shots":{"basis_states":[[0]],"count":[null],"total":1}})", "0.5")},
      {"a shot total", result_json("1", R"({"Shots":{"basis_states":[[0]],"count":[1],"total":null}})", "0.5")},
      {"the list of amplitudes", result_json("1", R"({"Vector":{"basis_states":[[0]],"amplitudes_real":null,"amplitudes_imag":[0]}})", "0.5")},
      {"a dump", result_json("1", "null", "0.5")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(taker.take(c.json), 4);
    int64_t value = 0;
    ASSERT_EQ(plim_future_value(taker.future, &value), 0);
    EXPECT_EQ(value, 7) << "the refused result changed the process";
  }

  // The executor refuses code and metrics with null for a number that is not
  // a double, as before.
  Program program(PLIM_GATE_RZ, kInf);
  ASSERT_EQ(plim_process_serialize_quantum_code(program.process, kJson), 0);
  ASSERT_EQ(plim_process_serialize_metrics(program.process, kJson), 0);
  const std::vector<uint8_t> code = lent(plim_process_get_serialized_quantum_code, program.process);
  const std::vector<uint8_t> metrics = lent(plim_process_get_serialized_metrics, program.process);
  std::string bad_code(code.begin(), code.end());
  bad_code.replace(bad_code.find(R"("target":0)"), 10, R"("target":null)");
  std::string bad_metrics(metrics.begin(), metrics.end());
  bad_metrics.replace(bad_metrics.find(R"("qubit_count":1)"), 15, R"("qubit_count":null)");
  struct Run {
    const char* name;
    std::string code, metrics;
  };
  const Run runs[] = {
      {"a qubit number", bad_code, {metrics.begin(), metrics.end()}},
      {"a count of the metrics", {code.begin(), code.end()}, bad_metrics},
  };
  for (const Run& run : runs) {
    SCOPED_TRACE(run.name);
    Result* result = nullptr;
    EXPECT_EQ(fenn_run_serialized(reinterpret_cast<const uint8_t*>(run.code.data()), run.code.size(),
                                  reinterpret_cast<const uint8_t*>(run.metrics.data()),
                                  run.metrics.size(), kJson, 0, &result),
              FENN_UNDEFINED_DATA_TYPE);
    EXPECT_EQ(result, nullptr);
  }
}

}  // namespace
