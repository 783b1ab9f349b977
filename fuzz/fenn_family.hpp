// fenn_run_serialized under the checks of serialized_run.hpp.
#pragma once

#include "fenn.h"
#include "fuzz/serialized_run.hpp"

namespace fuzz {

inline int call_fenn(std::span<const uint8_t> code, std::span<const uint8_t> metrics,
                     int data_type, int sim_mode, Result** result) {
  return fenn_run_serialized(code.data(), code.size(), metrics.data(), metrics.size(), data_type,
                             sim_mode, result);
}

// Both simulators refuse every plug-in but "pown" when they are built, before
// the run looks at readiness.
inline bool only_pown(const plim::Metrics& metrics) {
  for (const auto& name : metrics.plugins)
    if (name != "pown") return false;
  return true;
}

inline const Family kFenn{
    true,
    [](int sim_mode) -> uint64_t { return sim_mode == FENN_SIM_DENSE ? 16 : 64; },
    [](int sim_mode) { return sim_mode == FENN_SIM_DENSE; },
    {FENN_SUCCESS, FENN_TIMEOUT, FENN_OUT_OF_QUBITS, FENN_TOO_MANY_QUBITS,
     FENN_UNSUPPORTED_PLUGIN, FENN_NOT_READY, FENN_UNDEFINED_ERROR},
    only_pown};

}  // namespace fuzz
