#include "fenn/src/dense/amplitude_list.hpp"

#include <limits>

#include "fenn/src/dense/passes.hpp"

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

}  // namespace fenn::dense
