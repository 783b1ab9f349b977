// The simulator's C functions: run a prepared process in place, or run
// encoded code and metrics and hand out an encoded result.

#include "fenn.h"
#include "fenn/src/c_wrapper/guarded.hpp"
#include "fenn/src/c_wrapper/result.hpp"
#include "fenn/src/c_wrapper/run_roads.hpp"
#include "fenn/src/dense/engine_dense.hpp"
#include "fenn/src/sparse/sparse_simulator.hpp"
#include "libplim/src/process.hpp"

namespace {

using fenn::FennError;

enum class SimMode { Dense = 0, Sparse = 1 };

bool valid_sim_mode(int sim_mode) noexcept {
  return sim_mode == static_cast<int>(SimMode::Dense) ||
         sim_mode == static_cast<int>(SimMode::Sparse);
}

}  // namespace

extern "C" int fenn_run_and_set_result(Process* process, int sim_mode) {
  return fenn::guarded([&] {
    if (!valid_sim_mode(sim_mode)) return fenn::error_code(FennError::UndefinedSimMode);
    const fenn::Status status =
        sim_mode == static_cast<int>(SimMode::Sparse)
            ? fenn::run_and_set_result<fenn::sparse::SparseSimulator>(*process)
            : fenn::run_and_set_result<fenn::dense::DenseSimulator>(*process);
    return status ? 0 : fenn::error_code(status.error());
  });
}

extern "C" int fenn_run_serialized(const uint8_t* quantum_code, uint64_t quantum_code_size,
                                   const uint8_t* metrics, uint64_t metrics_size, int data_type,
                                   int sim_mode, Result** result) {
  return fenn::serve_serialized(
      fenn::input_bytes(quantum_code, quantum_code_size), fenn::input_bytes(metrics, metrics_size),
      data_type, result,
      [sim_mode](const fenn::DecodedInputs& inputs,
                 plim::DataType type) -> fenn::FennResult<plim::ByteBuffer> {
        if (!valid_sim_mode(sim_mode)) return plim::Unexpected{FennError::UndefinedSimMode};
        return sim_mode == static_cast<int>(SimMode::Sparse)
                   ? fenn::run_decoded<fenn::sparse::SparseSimulator>(inputs, type)
                   : fenn::run_decoded<fenn::dense::DenseSimulator>(inputs, type);
      });
}

extern "C" int fenn_result_get(Result* result, const uint8_t** data, uint64_t* size) {
  *data = result->bytes.data();
  *size = result->bytes.size();
  return 0;
}

extern "C" int fenn_result_delete(Result* result) {
  delete result;
  return 0;
}
