#include "fenn/src/dense/amplitude_list.hpp"

#include <sys/sysinfo.h>

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

bool lists_fit_in_memory(uint64_t lists, uint64_t size) {
  constexpr uint64_t kMax = std::numeric_limits<uint64_t>::max();
  if (size > kMax / sizeof(Amplitude) / lists) return false;
  const uint64_t needed = lists * size * sizeof(Amplitude);
  struct sysinfo info {};
  if (sysinfo(&info) != 0) return true;  // unknown: let the allocation decide
  const uint64_t unit = info.mem_unit == 0 ? 1 : info.mem_unit;
  const uint64_t pages = static_cast<uint64_t>(info.totalram) + info.totalswap;
  return pages >= kMax / unit || needed <= pages * unit;
}

}  // namespace fenn::dense
