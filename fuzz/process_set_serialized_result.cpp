// Result intake into a process with two futures, two dumps and, when the
// control byte asks, a result already stored: the answer is exactly the one
// the process's own reader predicts, a refusal changes nothing readable, and
// an accepted result reads back through every handle.
#include <vector>

#include "fuzz/check.hpp"
#include "fuzz/handle_snapshot.hpp"
#include "libplim/src/encoding/serialize.hpp"
#include "libplim/src/process.hpp"
#include "plim.h"

namespace {

struct Built {
  ::Process* process = nullptr;
  std::vector<::Future*> futures;
  std::vector<::Dump*> dumps;
};

Built build() {
  Built built;
  FUZZ_CHECK(plim_process_new(7, &built.process) == 0);
  ::Qubit* q[2] = {nullptr, nullptr};
  for (::Qubit*& qubit : q) FUZZ_CHECK(plim_process_allocate_qubit(built.process, false, &qubit) == 0);
  ::Future* measured = nullptr;
  ::Future* set = nullptr;
  ::Dump* both = nullptr;
  ::Dump* none = nullptr;
  FUZZ_CHECK(plim_process_measure(built.process, q, 1, &measured) == 0);
  FUZZ_CHECK(plim_process_int_new(built.process, 5, &set) == 0);
  FUZZ_CHECK(plim_process_dump(built.process, q, 2, &both) == 0);
  FUZZ_CHECK(plim_process_dump(built.process, q, 0, &none) == 0);
  FUZZ_CHECK(plim_process_prepare_for_execution(built.process) == 0);
  for (::Qubit* qubit : q) plim_qubit_delete(qubit);
  built.futures = {measured, set};
  built.dumps = {both, none};
  return built;
}

// A result that fits: futures 0..2 and one Vector and one Shots dump.
plim::ResultData fitting_result() {
  plim::ResultData result;
  result.future = {0, 1, -5};
  result.dump.push_back(plim::Vector{{{1}, {2}}, {0.5, -0.5}, {0.0, 0.25}});
  result.dump.push_back(plim::Shots{{{0}}, {3}, 3});
  result.exec_time = 1.5;
  return result;
}

std::vector<uint8_t> process_bytes(const ::Process& process) {
  const plim::ByteBuffer metrics =
      plim::encoding::encode_metrics(process.get_metrics(), plim::DataType::BIN);
  const plim::ByteBuffer code = plim::encoding::encode_quantum_code(
      process.get_quantum_code(), plim::DataType::BIN);
  std::vector<uint8_t> bytes(metrics.bytes().begin(), metrics.bytes().end());
  bytes.insert(bytes.end(), code.bytes().begin(), code.bytes().end());
  return bytes;
}

int expected_answer(std::span<const uint8_t> bytes, int data_type, const plim::Metrics& metrics,
                    std::optional<plim::ResultData>& decoded) {
  const auto type = plim::data_type_from_int(data_type);
  if (!type) return static_cast<int>(plim::PlimError::UndefinedDataType);
  auto result = plim::encoding::decode_result(bytes, *type);
  if (!result) return static_cast<int>(plim::PlimError::FailToParseResult);
  if (result->future.size() != metrics.future_count || result->dump.size() != metrics.dump_count)
    return static_cast<int>(plim::PlimError::UnexpectedResultData);
  decoded = std::move(*result);
  return 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const uint8_t control = data[0];
  const std::span<const uint8_t> bytes(data + 1, size - 1);
  const int data_types[4] = {PLIM_DATA_JSON, PLIM_DATA_BIN, 2, -1};
  const int data_type = data_types[control & 3];

  Built built = build();
  if (control & 4) {
    const plim::ByteBuffer first =
        plim::encoding::encode_result(fitting_result(), plim::DataType::BIN);
    FUZZ_CHECK(plim_process_set_serialized_result(built.process, first.bytes().data(),
                                                  first.bytes().size(), PLIM_DATA_BIN) == 0);
  }
  const fuzz::ReadValues before = fuzz::read_values(built.process, built.futures, built.dumps);
  const std::vector<uint8_t> process_before = process_bytes(*built.process);

  std::optional<plim::ResultData> decoded;
  const int expected = expected_answer(bytes, data_type, built.process->get_metrics(), decoded);
  const int answer =
      plim_process_set_serialized_result(built.process, bytes.data(), bytes.size(), data_type);
  FUZZ_CHECK(answer == expected);

  const fuzz::ReadValues after = fuzz::read_values(built.process, built.futures, built.dumps);
  FUZZ_CHECK(process_bytes(*built.process) == process_before);
  if (answer != 0) {
    FUZZ_CHECK(fuzz::same(before, after));
  } else {
    FUZZ_CHECK(built.process->futures[0]->has_value() &&
               **built.process->futures[0] == decoded->future[0]);
    for (std::size_t i = 0; i < built.futures.size(); ++i) {
      uint64_t index = 0;
      FUZZ_CHECK(plim_future_index(built.futures[i], &index) == 0);
      FUZZ_CHECK(after.futures[i] == decoded->future[index]);
    }
    for (std::size_t j = 0; j < built.dumps.size(); ++j)
      FUZZ_CHECK(after.dumps[j] && fuzz::same(*after.dumps[j], decoded->dump[j]));
    FUZZ_CHECK(after.exec_time && fuzz::same(*after.exec_time, decoded->exec_time));
  }

  plim_process_delete(built.process);
  for (::Future* future : built.futures) plim_future_delete(future);
  for (::Dump* dump : built.dumps) plim_dump_delete(dump);
  return 0;
}
