// The external back end's C functions: the simulator's roads, bound to the
// closed library and without a simulation mode.
#include <new>

#include "external_backend/src/lib/external_backend.hpp"
#include "fenn/src/c_wrapper/guarded.hpp"
#include "fenn/src/c_wrapper/result.hpp"
#include "fenn/src/c_wrapper/serialized_run.hpp"
#include "fenn/src/quantum_execution/engine.hpp"
#include "libplim/src/process.hpp"
#include "tessor_nivra.h"

using external_backend::ExternalBackend;
using fenn::FennError;

extern "C" int tessor_nivra_run_serialized(const uint8_t* quantum_code, uint64_t quantum_code_size,
                                           const uint8_t* metrics, uint64_t metrics_size,
                                           int data_type, Result** result) {
  return fenn::guarded([&] {
    const auto type = plim::data_type_from_int(data_type);
    if (!type) return fenn::error_code(FennError::UndefinedDataType);
    const auto inputs = fenn::decode_inputs(fenn::input_bytes(quantum_code, quantum_code_size),
                                            fenn::input_bytes(metrics, metrics_size), *type);
    if (!inputs) return fenn::error_code(inputs.error());
    auto encoded = fenn::run_decoded<ExternalBackend>(*inputs, *type);
    if (!encoded) return fenn::error_code(encoded.error());
    *result = new Result(std::move(*encoded));
    return fenn::error_code(FennError::Success);
  });
}

extern "C" int tessor_nivra_run_and_set_result(Process* process) {
  return fenn::guarded([&] {
    const fenn::Status status = fenn::run_and_set_result<ExternalBackend>(*process);
    return fenn::error_code(status ? FennError::Success : status.error());
  });
}
