#include "fenn/src/runtime/cache_sizes.hpp"

#include <unistd.h>

#include <bit>
#include <charconv>

#include "fenn/src/runtime/first_line.hpp"

namespace fenn::runtime {

namespace {

std::string first_line(const std::string& path) { return read_first_line(path).value_or(std::string()); }

uint64_t positive(long value) { return value > 0 ? static_cast<uint64_t>(value) : 0; }

}  // namespace

uint64_t parse_cache_size(std::string_view text) noexcept {
  uint64_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end == text.data()) return 0;
  std::string_view unit(end, static_cast<std::size_t>(text.data() + text.size() - end));
  unsigned shift = 0;
  if (unit == "K") shift = 10;
  else if (unit == "M") shift = 20;
  else if (unit == "G") shift = 30;
  else if (!unit.empty()) return 0;
  if (value > (UINT64_MAX >> shift)) return 0;
  return value << shift;
}

unsigned count_mask_cpus(std::string_view text) noexcept {
  unsigned count = 0;
  bool digits = false;
  for (const char c : text) {
    if (c == ',') continue;
    unsigned nibble;
    if (c >= '0' && c <= '9') nibble = static_cast<unsigned>(c - '0');
    else if (c >= 'a' && c <= 'f') nibble = static_cast<unsigned>(c - 'a' + 10);
    else if (c >= 'A' && c <= 'F') nibble = static_cast<unsigned>(c - 'A' + 10);
    else return 0;
    count += static_cast<unsigned>(std::popcount(nibble));
    digits = true;
  }
  return digits ? count : 0;
}

CacheSizes read_caches(const std::string& directory) noexcept {
  CacheSizes sizes;
  try {
    for (int index = 0; index < 32; ++index) {
      const std::string dir = directory + "/index" + std::to_string(index);
      const std::string level = first_line(dir + "/level");
      if (level.empty()) break;
      if (first_line(dir + "/type") == "Instruction") continue;
      const uint64_t bytes = parse_cache_size(first_line(dir + "/size"));
      if (level == "1") sizes.level1_data = bytes;
      else if (level == "2") sizes.level2 = bytes;
      else if (level == "3") {
        const unsigned sharing = count_mask_cpus(first_line(dir + "/shared_cpu_map"));
        sizes.level3_share = sharing == 0 ? 0 : bytes / sharing;
      }
    }
  } catch (...) {
    // A cache that cannot be read is one of unknown size.
  }
  return sizes;
}

CacheSizes core_caches() noexcept {
  static const CacheSizes sizes = [] {
    CacheSizes read = read_caches("/sys/devices/system/cpu/cpu0/cache");
    if (read.level1_data == 0) read.level1_data = positive(sysconf(_SC_LEVEL1_DCACHE_SIZE));
    if (read.level2 == 0) read.level2 = positive(sysconf(_SC_LEVEL2_CACHE_SIZE));
    return read;
  }();
  return sizes;
}

}  // namespace fenn::runtime
