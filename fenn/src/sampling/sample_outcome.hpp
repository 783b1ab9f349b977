// The measurement draw shared by the simulators.
#pragma once

#include <cstdint>
#include <optional>

namespace fenn {

struct Outcome {
  uint8_t bit = 0;
  double scale = 1.0;
};

// Draws the outcome of a measurement whose outcome 1 has probability p1 from
// one 64-bit output `u` of a generator. Empty when p1 is not a number or the
// weights' total is infinite: no draw can be made from such weights.
std::optional<Outcome> sample_outcome_from(double p1, uint64_t u);

// The same with one output of the calling thread's generator.
std::optional<Outcome> sample_outcome(double p1);

}  // namespace fenn
