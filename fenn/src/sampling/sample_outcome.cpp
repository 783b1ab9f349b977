#include "fenn/src/sampling/sample_outcome.hpp"

#include <bit>
#include <cmath>

#include "fenn/src/runtime/thread_rng.hpp"

namespace fenn {

std::optional<Outcome> sample_outcome_from(double p1, uint64_t u) {
  if (std::isnan(p1)) return std::nullopt;
  const double difference = 1.0 - p1;
  const double p0 = difference >= 0.0 ? difference : 0.0;  // NaN also gives 0.0
  const double total = p0 + p1;
  if (!std::isfinite(total) || !(total > 0.0)) return std::nullopt;

  // The largest span S for which the highest draw stays below the total.
  const double max_unit = 1.0 - 0x1p-52;
  double span = total;
  while (!(span * max_unit < total)) span = std::nextafter(span, 0.0);

  const double unit = std::bit_cast<double>((u >> 12) | 0x3FF0000000000000ull) - 1.0;
  const double x = unit * span;

  Outcome outcome;
  outcome.bit = x >= p0 ? 1 : 0;
  const double p = outcome.bit ? p1 : p0;
  outcome.scale = 1.0 / std::sqrt(p);
  return outcome;
}

std::optional<Outcome> sample_outcome(double p1) {
  if (std::isnan(p1)) return std::nullopt;
  return sample_outcome_from(p1, runtime::thread_rng_next_u64());
}

}  // namespace fenn
