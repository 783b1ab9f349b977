// The simulator's C functions: the order of their checks, what reaches the
// host on success, and that nothing is written or stored on failure.
#include <gtest/gtest.h>

#include <string>
#include <variant>
#include <vector>

#include "fenn.h"
#include "libplim/src/encoding/serialize.hpp"
#include "plim.h"

namespace {

// A process of `qubits` qubits with an X on the first and one measurement of
// it; block 0 jumps past a block that holds a dump, so the run never reaches
// the dump.
struct Program {
  explicit Program(unsigned qubits, bool prepare = true) {
    plim_process_new(3, &process);
    handles.resize(qubits);
    for (Qubit*& qubit : handles) plim_process_allocate_qubit(process, false, &qubit);
    plim_process_apply_gate(process, PLIM_GATE_PAULI_X, 0.0, handles[0]);
    plim_process_measure(process, handles.data(), 1, &measured);
    Label *unreached = nullptr, *last = nullptr;
    plim_process_get_label(process, &unreached);
    plim_process_get_label(process, &last);
    plim_process_jump(process, last);
    plim_process_open_block(process, unreached);
    plim_process_dump(process, handles.data(), 1, &dump);
    plim_process_jump(process, last);
    plim_process_open_block(process, last);
    if (prepare) plim_process_prepare_for_execution(process);
    plim_label_delete(unreached);
    plim_label_delete(last);
  }
  ~Program() {
    for (Qubit* qubit : handles) plim_qubit_delete(qubit);
    plim_future_delete(measured);
    plim_dump_delete(dump);
    plim_process_delete(process);
  }

  struct Encoded {
    std::vector<uint8_t> code;
    std::vector<uint8_t> metrics;
  };
  Encoded encode(int data_type) {
    Encoded encoded;
    const uint8_t* bytes = nullptr;
    size_t size = 0;
    int ignored = 0;
    plim_process_serialize_quantum_code(process, data_type);
    plim_process_get_serialized_quantum_code(process, &bytes, &size, &ignored);
    encoded.code.assign(bytes, bytes + size);
    plim_process_serialize_metrics(process, data_type);
    plim_process_get_serialized_metrics(process, &bytes, &size, &ignored);
    encoded.metrics.assign(bytes, bytes + size);
    return encoded;
  }

  Process* process = nullptr;
  std::vector<Qubit*> handles;
  Future* measured = nullptr;
  Dump* dump = nullptr;
};

int run(const Program::Encoded& in, int data_type, int sim_mode, Result** result) {
  return fenn_run_serialized(in.code.data(), in.code.size(), in.metrics.data(), in.metrics.size(),
                             data_type, sim_mode, result);
}

TEST(FennRunSerialized, ChecksTheDataTypeFirstAndTheModeOnlyAfterDecoding) {
  Program program(2);
  const auto json = program.encode(PLIM_DATA_JSON);
  const Program::Encoded junk{{'x'}, {'y'}};
  Result* const sentinel = reinterpret_cast<Result*>(&program);
  struct Case {
    const char* name;
    const Program::Encoded* input;
    int data_type;
    int sim_mode;
    int code;
  };
  const Case cases[] = {
      {"data type 2 whatever the bytes", &junk, 2, 9, FENN_UNDEFINED_DATA_TYPE},
      {"data type -1", &json, -1, FENN_SIM_DENSE, FENN_UNDEFINED_DATA_TYPE},
      {"valid input, mode 5", &json, PLIM_DATA_JSON, 5, FENN_UNDEFINED_SIM_MODE},
      {"undecodable input before the mode", &junk, PLIM_DATA_JSON, 5, FENN_UNDEFINED_DATA_TYPE},
      {"JSON bytes read as BIN", &json, PLIM_DATA_BIN, FENN_SIM_SPARSE, FENN_UNDEFINED_DATA_TYPE},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Result* result = sentinel;
    EXPECT_EQ(run(*c.input, c.data_type, c.sim_mode, &result), c.code);
    EXPECT_EQ(result, sentinel);
  }
}

TEST(FennRunSerialized, AnswersInTheInputsEncodingWithUnreachedDumpsAsEmptyProbabilities) {
  for (int data_type : {PLIM_DATA_JSON, PLIM_DATA_BIN}) {
    for (int sim_mode : {FENN_SIM_DENSE, FENN_SIM_SPARSE}) {
      SCOPED_TRACE(testing::Message() << "data type " << data_type << ", mode " << sim_mode);
      Program program(2);
      Result* result = nullptr;
      ASSERT_EQ(run(program.encode(data_type), data_type, sim_mode, &result), 0);
      const uint8_t *bytes = nullptr, *again = nullptr;
      uint64_t size = 0, size_again = 0;
      fenn_result_get(result, &bytes, &size);
      fenn_result_get(result, &again, &size_again);
      EXPECT_EQ(bytes, again);
      EXPECT_EQ(size, size_again);
      const auto type = data_type == PLIM_DATA_JSON ? plim::DataType::JSON : plim::DataType::BIN;
      const auto decoded = plim::encoding::decode_result({bytes, size}, type);
      ASSERT_TRUE(decoded.has_value());
      EXPECT_EQ(decoded->future, (std::vector<int64_t>{0, 1}));
      ASSERT_EQ(decoded->dump.size(), 1u);
      EXPECT_EQ(decoded->dump[0], plim::DumpData(plim::Probability{}));
      if (data_type == PLIM_DATA_JSON) {
        const std::string text(reinterpret_cast<const char*>(bytes), size);
        EXPECT_EQ(text.find_first_of(" \n"), std::string::npos);  // compact
      }
      fenn_result_delete(result);
    }
  }
}

TEST(FennRunSerialized, RefusalsOfTheBackEndsAndTheRun) {
  struct Case {
    const char* name;
    unsigned qubits;
    bool prepare;
    int sim_mode;
    int code;
  };
  const Case cases[] = {
      {"dense above 32 qubits", 33, true, FENN_SIM_DENSE, FENN_TOO_MANY_QUBITS},
      {"sparse takes 33 qubits", 33, true, FENN_SIM_SPARSE, 0},
      {"not ready, dense", 2, false, FENN_SIM_DENSE, FENN_NOT_READY},
      {"not ready, sparse", 2, false, FENN_SIM_SPARSE, FENN_NOT_READY},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Program program(c.qubits, c.prepare);
    Result* result = nullptr;
    EXPECT_EQ(run(program.encode(PLIM_DATA_BIN), PLIM_DATA_BIN, c.sim_mode, &result), c.code);
    EXPECT_EQ(result != nullptr, c.code == 0);
    if (result != nullptr) fenn_result_delete(result);
  }
}

TEST(FennRunAndSetResult, StoresOnSuccessAndNothingOnFailure) {
  Program unprepared(2, false);
  EXPECT_EQ(fenn_run_and_set_result(unprepared.process, -1), FENN_UNDEFINED_SIM_MODE);
  EXPECT_EQ(fenn_run_and_set_result(unprepared.process, FENN_SIM_SPARSE), FENN_NOT_READY);
  bool available = true;
  plim_future_available(unprepared.measured, &available);
  EXPECT_FALSE(available);

  for (int sim_mode : {FENN_SIM_DENSE, FENN_SIM_SPARSE}) {
    Program program(2);
    ASSERT_EQ(fenn_run_and_set_result(program.process, sim_mode), 0);
    int64_t value = -1;
    EXPECT_EQ(plim_future_value(program.measured, &value), 0);
    EXPECT_EQ(value, 1);
    int type = -1;
    EXPECT_EQ(plim_dump_type(program.dump, &type), 0);
    EXPECT_EQ(type, PLIM_DUMP_PROBABILITY);
  }
}

}  // namespace
