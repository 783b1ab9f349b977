// The cache sizes one core can count on, read once from the system. They set
// how large a batch's blocks are; a size that cannot be read is 0 and the
// caller falls back to a default.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace fenn::runtime {

struct CacheSizes {
  uint64_t level1_data = 0;   // bytes, of one core
  uint64_t level2 = 0;        // bytes, of one core
  uint64_t level3_share = 0;  // bytes of the third level over the processors sharing it
};

// This processor's caches, from sysfs (the processor's own report inside a
// virtual machine names the host's third level, not the share this machine
// has), or the C library's figures for the first two levels.
CacheSizes core_caches() noexcept;

// The caches described under `directory`, laid out as sysfs lays out
// /sys/devices/system/cpu/cpu0/cache: index0, index1, ... each with level,
// type, size and shared_cpu_map. A level not found stays 0.
CacheSizes read_caches(const std::string& directory) noexcept;

// A sysfs cache size ("48K", "32768K", "1M", "512"): bytes, or 0 when the
// text is not one.
uint64_t parse_cache_size(std::string_view text) noexcept;

// The processors in a sysfs CPU mask ("ff", "00000000,000000ff"), or 0 when
// the text is not one.
unsigned count_mask_cpus(std::string_view text) noexcept;

}  // namespace fenn::runtime
