// Whether this process can get N more bytes. Allocations sized from a run's
// metrics ask first: with overcommitted memory a request beyond what the
// machine or the control group can back succeeds, and the kernel's OOM
// killer ends the host when the pages are touched; refusing it up front
// gives the caller an error code instead.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace fenn::runtime {

// Requests up to this size are granted without reading anything: the
// figures cost a few file reads, and a request this small that fails anyway
// ends in an orderly failure of the allocation or in a kill that no check of
// this size would have prevented.
inline constexpr uint64_t kUncheckedBytes = uint64_t{16} << 20;

// Where the figures are read. The defaults are the running system's; tests
// point them at a tree of their own.
struct MemorySources {
  std::string proc = "/proc";
  std::string cgroup = "/sys/fs/cgroup";  // the cgroup v2 hierarchy
  bool address_limit = true;              // whether RLIMIT_AS counts
};

// The bytes this process can still get, the least of:
// - MemAvailable plus SwapFree (proc/meminfo);
// - for its cgroup v2 group and every ancestor that has a limit,
//   memory.max minus memory.current plus the group's inactive_file (page
//   cache the kernel drops before it kills), from the group named on the
//   "0::" line of proc/self/cgroup;
// - RLIMIT_AS minus the address space already mapped (proc/self/statm).
// Nothing when no figure can be read.
std::optional<uint64_t> obtainable_bytes(const MemorySources& sources);

// Whether `bytes` more bytes can be had: always up to kUncheckedBytes, never
// beyond what a process address space holds, and otherwise when they do not
// exceed obtainable_bytes (granted when nothing can be read).
bool can_get(uint64_t bytes);
bool can_get(uint64_t bytes, const MemorySources& sources);

// count * size and a + b, saturating at the largest value, which no request
// can get.
uint64_t bytes_for(uint64_t count, uint64_t size) noexcept;
uint64_t sum_bytes(uint64_t a, uint64_t b) noexcept;

}  // namespace fenn::runtime
