// tessor_nivra_run_serialized under the checks of serialized_run.hpp. It has
// no simulation mode: the control byte's mode bit is ignored.
#pragma once

#include "fuzz/serialized_run.hpp"
#include "tessor_nivra.h"

namespace fuzz {

inline int call_tessor(std::span<const uint8_t> code, std::span<const uint8_t> metrics,
                       int data_type, int, Result** result) {
  return tessor_nivra_run_serialized(code.data(), code.size(), metrics.data(), metrics.size(),
                                     data_type, result);
}

inline const Family kTessor{
    false,
    [](int) -> uint64_t { return 20; },
    [](int) { return false; },
    {FENN_SUCCESS, FENN_TIMEOUT, FENN_OUT_OF_QUBITS, FENN_TOO_MANY_QUBITS,
     FENN_UNSUPPORTED_PLUGIN, FENN_NOT_READY, FENN_UNDEFINED_ERROR},
    [](const plim::Metrics&) { return true; }};

}  // namespace fuzz
