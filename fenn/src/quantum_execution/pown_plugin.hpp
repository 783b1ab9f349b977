// The pown plug-in as every back end runs it: the name check made when a
// simulator is built, and the steps of one call, which differ between back
// ends only in how two positions are exchanged and how the transformation is
// applied to the k lowest positions.
#pragma once

#include <type_traits>
#include <unordered_set>
#include <string>
#include <string_view>

#include "fenn/src/bitwise/pown.hpp"
#include "fenn/src/quantum_execution/backend.hpp"

namespace fenn {

// Every listed plug-in is "pown" (an empty set passes).
inline bool only_pown_listed(const std::unordered_set<std::string>& plugins) {
  for (const std::string& name : plugins)
    if (name != "pown") return false;
  return true;
}

// One call: the exchanges that bring the targets into positions 0 ... k-1,
// the transformation, the same exchanges again in the same order. The
// exchanges precede the reading of the numbers, so a call refused for its
// argument text has already moved positions. `exchange(a, b)` returns
// nothing when it cannot fail, else a Status; `transform(call)` returns a
// Status, or false for a call outside its contract. The first failure ends
// the call.
template <class Exchange, class Transform>
Status run_pown_plugin(std::string_view args, Positions targets, Exchange&& exchange,
                       Transform&& transform) {
  const auto exchanged = [&exchange](uint64_t a, uint64_t b) -> Status {
    if constexpr (std::is_void_v<decltype(exchange(a, b))>) {
      exchange(a, b);
      return {};
    } else {
      return exchange(a, b);
    }
  };
  const auto swaps = bitwise::derive_swap_list(targets);
  if (!swaps) return plim::Unexpected{FennError::UnsupportedPlugin};
  for (const auto& [a, b] : *swaps)
    if (const Status done = exchanged(a, b); !done) return done;

  const auto numbers = bitwise::parse_pown_args(args);
  if (!numbers) return plim::Unexpected{FennError::UnsupportedPlugin};
  const bitwise::PownCall call{targets.size(), bitwise::bit_length(numbers->modulus),
                               numbers->base, numbers->modulus};
  if constexpr (std::is_same_v<decltype(transform(call)), bool>) {
    if (!transform(call)) return plim::Unexpected{FennError::UnsupportedPlugin};
  } else {
    if (const Status done = transform(call); !done) return done;
  }

  for (const auto& [a, b] : *swaps)
    if (const Status done = exchanged(a, b); !done) return done;
  return {};
}

}  // namespace fenn
