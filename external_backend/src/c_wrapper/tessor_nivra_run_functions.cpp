// The external back end's C functions: the simulator's roads, bound to the
// closed library and without a simulation mode.

#include "external_backend/src/lib/engine_external.hpp"
#include "fenn/src/c_wrapper/guarded.hpp"
#include "fenn/src/c_wrapper/run_roads.hpp"
#include "libplim/src/process.hpp"
#include "tessor_nivra.h"

using external_backend::ExternalBackend;
using fenn::FennError;

extern "C" int tessor_nivra_run_serialized(const uint8_t* quantum_code, uint64_t quantum_code_size,
                                           const uint8_t* metrics, uint64_t metrics_size,
                                           int data_type, Result** result) {
  return fenn::serve_serialized(
      fenn::input_bytes(quantum_code, quantum_code_size), fenn::input_bytes(metrics, metrics_size),
      data_type, result, [](const fenn::DecodedInputs& inputs, plim::DataType type) {
        return fenn::run_decoded<ExternalBackend>(inputs, type);
      });
}

extern "C" int tessor_nivra_run_and_set_result(Process* process) {
  return fenn::guarded([&] {
    const fenn::Status status = fenn::run_and_set_result<ExternalBackend>(*process);
    return fenn::error_code(status ? FennError::Success : status.error());
  });
}
