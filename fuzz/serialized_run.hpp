// The checks of a run from encoded bytes, shared by the simulators' and the
// external back end's targets. The fuzzer's bytes are split into a control
// byte, the metrics and the quantum code; inputs that decode are run only
// when they are small enough (run_bounds.hpp), with the metrics re-encoded
// under a time limit of 0 seconds.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <initializer_list>
#include <vector>

#include "fenn.h"
#include "fuzz/check.hpp"
#include "fuzz/run_bounds.hpp"
#include "libplim/src/encoding/serialize.hpp"

namespace fuzz {

// One encoded input pair with the data type and mode chosen by the control
// byte: mostly the target's own data type and a valid mode, sometimes a
// number that must be refused.
struct SerializedInput {
  int data_type;
  int sim_mode;
  std::span<const uint8_t> metrics;
  std::span<const uint8_t> code;
};

inline std::optional<SerializedInput> split_input(const uint8_t* data, std::size_t size,
                                                  plim::DataType type) {
  if (size < 3) return std::nullopt;
  const uint8_t control = data[0];
  SerializedInput input{static_cast<int>(type), control & 1, {}, {}};
  switch (control >> 4) {
    case 14: input.data_type = (control & 2) ? 2 : -1; break;
    case 15: input.sim_mode = (control & 2) ? 2 : -1; break;
    default: break;
  }
  const std::size_t metrics_size = (data[1] | std::size_t{data[2]} << 8) % (size - 2);
  input.metrics = std::span<const uint8_t>(data + 3, metrics_size);
  input.code = std::span<const uint8_t>(data + 3 + metrics_size, size - 3 - metrics_size);
  return input;
}

// An answer of 0 must hand out a result in the inputs' encoding that holds one
// value per future and per dump slot of the metrics.
inline void check_result(Result* result, plim::DataType type, const plim::Metrics& metrics) {
  const uint8_t* bytes = nullptr;
  uint64_t size = 0;
  FUZZ_CHECK(fenn_result_get(result, &bytes, &size) == 0);
  const auto decoded = plim::encoding::decode_result(std::span<const uint8_t>(bytes, size), type);
  FUZZ_CHECK(decoded.has_value());
  FUZZ_CHECK(decoded->future.size() == metrics.future_count);
  FUZZ_CHECK(decoded->dump.size() == metrics.dump_count);
  const uint8_t* again = nullptr;
  uint64_t again_size = 0;
  FUZZ_CHECK(fenn_result_get(result, &again, &again_size) == 0);
  FUZZ_CHECK(again == bytes && again_size == size);
  FUZZ_CHECK(fenn_result_delete(result) == 0);
}

// What a back end family runs: its qubit bound per mode, the codes a run of
// decoded, bounded inputs may give, and whether metrics that are not ready
// must give NotReady (false when a construction check may come first).
struct Family {
  bool has_sim_mode;
  uint64_t (*max_qubits)(int sim_mode);
  bool (*lists_every_state)(int sim_mode);
  std::vector<int> valid_codes;
  bool (*not_ready_is_certain)(const plim::Metrics&);
};

// Runs `call(code, metrics, data_type, sim_mode, &result)` where the input
// allows and checks its answer.
template <class Call>
void check_serialized_run(const uint8_t* data, std::size_t size, plim::DataType type,
                          const Family& family, Call call) {
  auto input = split_input(data, size, type);
  if (!input) return;
  if (!family.has_sim_mode) input->sim_mode = 0;
  Result* const sentinel = reinterpret_cast<Result*>(uintptr_t{0x5e17});
  Result* result = sentinel;

  if (input->data_type != static_cast<int>(type)) {
    // Refused before anything is read.
    FUZZ_CHECK(call(input->code, input->metrics, input->data_type, input->sim_mode, &result) ==
               FENN_UNDEFINED_DATA_TYPE);
    FUZZ_CHECK(result == sentinel);
    return;
  }
  const auto code = plim::encoding::decode_quantum_code(input->code, type);
  const auto metrics = plim::encoding::decode_metrics(input->metrics, type);
  if (!code || !metrics) {
    FUZZ_CHECK(call(input->code, input->metrics, input->data_type, input->sim_mode, &result) ==
               FENN_UNDEFINED_DATA_TYPE);
    FUZZ_CHECK(result == sentinel);
    return;
  }
  if (input->sim_mode != 0 && input->sim_mode != 1) {
    FUZZ_CHECK(call(input->code, input->metrics, input->data_type, input->sim_mode, &result) ==
               FENN_UNDEFINED_SIM_MODE);
    FUZZ_CHECK(result == sentinel);
    return;
  }
  const auto references = plim::encoding::block_references(*code);
  if (!small_enough(*metrics, references, family.max_qubits(input->sim_mode),
                   family.lists_every_state(input->sim_mode)))
    return;

  const plim::Metrics limited = time_limited(*metrics);
  const plim::ByteBuffer limited_bytes = plim::encoding::encode_metrics(limited, type);
  const int code_answer =
      call(input->code, limited_bytes.bytes(), input->data_type, input->sim_mode, &result);
  FUZZ_CHECK(one_of(code_answer, family.valid_codes));
  if (!metrics->ready && family.not_ready_is_certain(*metrics))
    FUZZ_CHECK(code_answer == FENN_NOT_READY);
  if (code_answer != 0) {
    FUZZ_CHECK(result == sentinel);
    return;
  }
  FUZZ_CHECK(result != sentinel);
  check_result(result, type, limited);
}

}  // namespace fuzz
