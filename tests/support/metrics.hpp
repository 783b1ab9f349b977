// Metrics of a ready run: what a back end is built from in the tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "libplim/src/model.hpp"

namespace support {

inline plim::Metrics metrics_for(uint64_t qubits, std::vector<std::string> plugins = {}) {
  plim::Metrics metrics;
  metrics.qubit_simultaneous = qubits;
  metrics.ready = true;
  for (auto& name : plugins) metrics.plugins.insert(std::move(name));
  return metrics;
}

}  // namespace support
