#include <cstddef>
#include <cstdint>
#include <optional>

#include "libplim/src/c_wrapper/guard.hpp"
#include "libplim/src/error.hpp"
#include "libplim/src/process.hpp"
#include "plim.h"

using plim::PlimError;
using plim::to_int;

namespace {

using Serialize = const plim::SerializedData& (Process::*)(plim::DataType);

int serialize(Process* process, Serialize serialize_kind, int data_type) noexcept {
  return plim::guarded([&] {
    const std::optional<plim::DataType> type = plim::data_type_from_int(data_type);
    if (!type) return to_int(PlimError::UndefinedDataType);
    (process->*serialize_kind)(*type);
    return to_int(PlimError::Success);
  });
}

int lend(const std::optional<plim::SerializedData>& kept, const uint8_t** data, size_t* size,
         int* data_type) noexcept {
  if (!kept) return to_int(PlimError::DataNotAvailable);
  *data = kept->bytes.data();
  *size = kept->bytes.size();
  *data_type = static_cast<int>(kept->type);
  return to_int(PlimError::Success);
}

}  // namespace

extern "C" int plim_process_serialize_metrics(Process* process, int data_type) {
  return serialize(process, &Process::serialize_metrics, data_type);
}

extern "C" int plim_process_serialize_quantum_code(Process* process, int data_type) {
  return serialize(process, &Process::serialize_quantum_code, data_type);
}

extern "C" int plim_process_get_serialized_metrics(Process* process, const uint8_t** data,
                                                   size_t* size, int* data_type) {
  return lend(process->serialized_metrics, data, size, data_type);
}

extern "C" int plim_process_get_serialized_quantum_code(Process* process, const uint8_t** data,
                                                        size_t* size, int* data_type) {
  return lend(process->serialized_quantum_code, data, size, data_type);
}

extern "C" int plim_process_set_serialized_result(Process* process, const uint8_t* data,
                                                  size_t size, int data_type) {
  return plim::guarded([&] {
    const std::optional<plim::DataType> type = plim::data_type_from_int(data_type);
    if (!type) return to_int(PlimError::UndefinedDataType);
    // The host may free its bytes once the call returns: work on a copy.
    plim::SerializedData copy{*type, plim::ByteBuffer(size)};
    copy.bytes.append(data, size);
    return to_int(process->set_serialized_result(copy));
  });
}

extern "C" int plim_process_exec_time(Process* process, double* exec_time) {
  if (!process->exec_time) return to_int(PlimError::DataNotAvailable);
  *exec_time = *process->exec_time;
  return to_int(PlimError::Success);
}

extern "C" int plim_process_set_timeout(Process* process, uint64_t timeout) {
  process->metrics.timeout = timeout;
  return to_int(PlimError::Success);
}
