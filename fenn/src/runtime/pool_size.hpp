// How many threads the worker pool runs a pass on, from the two pool-size
// variables or the processors the process may use.
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

namespace fenn::runtime {

// The pool's size: RAYON_NUM_THREADS, then RAYON_RS_NUM_CPUS (each when it is
// a positive integer), else the processors available to the process.
std::size_t worker_count();

// Parses a pool-size variable's text: a positive decimal integer, or nothing.
std::optional<std::size_t> parse_thread_count(std::string_view text);

// Processors available to this process: its scheduler affinity, lowered to
// the control-group CPU quota when there is one; at least 1.
std::size_t available_processors();

}  // namespace fenn::runtime
