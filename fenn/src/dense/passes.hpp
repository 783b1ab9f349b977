// One data-parallel pass over the indices of an amplitude list on the worker
// pool; each index is computed independently of the others.
#pragma once

#include <cstdint>

#include "fenn/src/runtime/worker_pool.hpp"

namespace fenn::dense {

template <class Body>
void for_each_index(uint64_t size, const Body& body) {
  runtime::parallel_for(size, [&](uint64_t begin, uint64_t end) {
    for (uint64_t i = begin; i < end; ++i) body(i);
  });
}

}  // namespace fenn::dense
