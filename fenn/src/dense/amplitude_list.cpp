#include "fenn/src/dense/amplitude_list.hpp"

#include <sys/sysinfo.h>

#include <limits>

#include "fenn/src/dense/passes.hpp"
#include "fenn/src/runtime/memory_budget.hpp"

namespace fenn::dense {

AmplitudeList allocate_zeroed(uint64_t size) {
  if (size > std::numeric_limits<std::size_t>::max() / sizeof(Amplitude)) return nullptr;
  // Amplitude is an implicit-lifetime type: the raw block holds the list.
  AmplitudeList list(static_cast<Amplitude*>(std::malloc(size * sizeof(Amplitude))));
  if (!list) return nullptr;
  Amplitude* data = list.get();
  for_each_index(size, [data](uint64_t i) { data[i] = Amplitude{0.0, 0.0}; });
  return list;
}

bool lists_fit_in_memory(uint64_t lists, uint64_t size) {
  return runtime::can_get(runtime::bytes_for(lists, runtime::bytes_for(size, sizeof(Amplitude))));
}

}  // namespace fenn::dense
