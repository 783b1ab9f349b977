#include "fenn/src/runtime/memory_budget.hpp"

#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <limits>
#include <string_view>

namespace fenn::runtime {

namespace {

constexpr uint64_t kSaturated = std::numeric_limits<uint64_t>::max();

// The user address space of x86-64 with four-level page tables; the kernel
// maps nothing above it unless asked to, so no allocation can be larger.
constexpr uint64_t kAddressSpace = uint64_t{1} << 47;

// The files read here are a few kilobytes at most; reading them into a
// buffer on the stack needs no heap, which may be what is running out.
constexpr std::size_t kFileBytes = 8192;
constexpr std::size_t kPathBytes = 4096;

struct FileText {
  char bytes[kFileBytes];
  std::size_t size = 0;
  std::string_view view() const noexcept { return {bytes, size}; }
};

// The first kFileBytes of the file, or false when it cannot be read.
bool read_file(const char* path, FileText& text) noexcept {
  const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  text.size = 0;
  for (;;) {
    const ssize_t got = ::read(fd, text.bytes + text.size, kFileBytes - text.size);
    if (got < 0) {
      if (errno == EINTR) continue;
      ::close(fd);
      return false;
    }
    if (got == 0 || (text.size += static_cast<std::size_t>(got)) == kFileBytes) break;
  }
  ::close(fd);
  return true;
}

bool join(char (&path)[kPathBytes], std::string_view a, std::string_view b) noexcept {
  const int written = std::snprintf(path, kPathBytes, "%.*s%.*s", static_cast<int>(a.size()),
                                    a.data(), static_cast<int>(b.size()), b.data());
  return written > 0 && static_cast<std::size_t>(written) < kPathBytes;
}

bool read_at(std::string_view dir, std::string_view name, FileText& text) noexcept {
  char path[kPathBytes];
  return join(path, dir, name) && read_file(path, text);
}

std::optional<uint64_t> leading_number(std::string_view text) noexcept {
  const std::size_t start = text.find_first_not_of(" \t");
  if (start == std::string_view::npos) return std::nullopt;
  uint64_t value = 0;
  const auto [end, error] = std::from_chars(text.data() + start, text.data() + text.size(), value);
  if (error != std::errc{}) return std::nullopt;
  return value;
}

// The number after `key` on the line that starts with it ("MemAvailable:",
// "inactive_file ").
std::optional<uint64_t> keyed_number(std::string_view text, std::string_view key) noexcept {
  for (std::size_t at = 0; at < text.size();) {
    const std::size_t end = std::min(text.find('\n', at), text.size());
    const std::string_view line = text.substr(at, end - at);
    if (line.substr(0, key.size()) == key) return leading_number(line.substr(key.size()));
    at = end + 1;
  }
  return std::nullopt;
}

void keep_least(std::optional<uint64_t>& least, uint64_t figure) noexcept {
  if (!least || figure < *least) least = figure;
}

std::optional<uint64_t> machine_room(const MemorySources& sources) noexcept {
  FileText text;
  if (!read_at(sources.proc, "/meminfo", text)) return std::nullopt;
  const auto available = keyed_number(text.view(), "MemAvailable:");
  if (!available) return std::nullopt;
  const uint64_t swap = keyed_number(text.view(), "SwapFree:").value_or(0);
  return bytes_for(sum_bytes(*available, swap), 1024);
}

// What one group with a limit leaves, or nothing for a group without one.
std::optional<uint64_t> group_room(std::string_view dir) noexcept {
  FileText text;
  if (!read_at(dir, "/memory.max", text)) return std::nullopt;
  const auto limit = leading_number(text.view());  // "max" reads as no number
  if (!limit) return std::nullopt;
  if (!read_at(dir, "/memory.current", text)) return std::nullopt;
  const auto current = leading_number(text.view());
  if (!current) return std::nullopt;
  uint64_t cache = 0;
  if (read_at(dir, "/memory.stat", text)) cache = keyed_number(text.view(), "inactive_file ").value_or(0);
  const uint64_t left = *limit > *current ? *limit - *current : 0;
  return std::min(*limit, sum_bytes(left, cache));
}

std::optional<uint64_t> cgroup_room(const MemorySources& sources) noexcept {
  FileText text;
  if (!read_at(sources.proc, "/self/cgroup", text)) return std::nullopt;
  const std::string_view lines = text.view();
  std::string_view group;
  bool found = false;
  for (std::size_t at = 0; at < lines.size() && !found;) {
    const std::size_t end = std::min(lines.find('\n', at), lines.size());
    const std::string_view line = lines.substr(at, end - at);
    if (line.substr(0, 3) == "0::") {
      group = line.substr(3);
      found = true;
    }
    at = end + 1;
  }
  if (!found || group.empty() || group.front() != '/') return std::nullopt;

  // The group itself, then each ancestor up to the hierarchy's root.
  std::optional<uint64_t> least;
  while (group.size() > 1 && group.back() == '/') group.remove_suffix(1);
  for (;;) {
    char dir[kPathBytes];
    const std::string_view relative = group == "/" ? std::string_view{} : group;
    if (!join(dir, sources.cgroup, relative)) return least;
    if (const auto room = group_room(dir)) keep_least(least, *room);
    if (relative.empty()) return least;
    group = group.substr(0, std::max<std::size_t>(group.rfind('/'), 1));
  }
}

std::optional<uint64_t> address_room(const MemorySources& sources) noexcept {
  if (!sources.address_limit) return std::nullopt;
  rlimit limit{};
  if (::getrlimit(RLIMIT_AS, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY) return std::nullopt;
  FileText text;
  if (!read_at(sources.proc, "/self/statm", text)) return std::nullopt;
  const auto pages = leading_number(text.view());
  const long page = ::sysconf(_SC_PAGESIZE);
  if (!pages || page <= 0) return std::nullopt;
  const uint64_t mapped = bytes_for(*pages, static_cast<uint64_t>(page));
  const uint64_t cap = limit.rlim_cur;
  return cap > mapped ? cap - mapped : 0;
}

}  // namespace

uint64_t bytes_for(uint64_t count, uint64_t size) noexcept {
  uint64_t product = 0;
  return __builtin_mul_overflow(count, size, &product) ? kSaturated : product;
}

uint64_t sum_bytes(uint64_t a, uint64_t b) noexcept {
  uint64_t sum = 0;
  return __builtin_add_overflow(a, b, &sum) ? kSaturated : sum;
}

std::optional<uint64_t> obtainable_bytes(const MemorySources& sources) {
  std::optional<uint64_t> least;
  for (const auto& room : {machine_room(sources), cgroup_room(sources), address_room(sources)})
    if (room) keep_least(least, *room);
  return least;
}

bool can_get(uint64_t bytes, const MemorySources& sources) {
  if (bytes <= kUncheckedBytes) return true;
  if (bytes > kAddressSpace) return false;
  const std::optional<uint64_t> room = obtainable_bytes(sources);
  return !room || bytes <= *room;
}

bool can_get(uint64_t bytes) {
  // Built once: the default sources never change.
  static const MemorySources system;
  return can_get(bytes, system);
}

}  // namespace fenn::runtime
