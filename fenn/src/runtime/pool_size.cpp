#include "fenn/src/runtime/pool_size.hpp"

#include <sched.h>

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "fenn/src/runtime/first_line.hpp"

namespace fenn::runtime {

std::optional<std::size_t> parse_thread_count(std::string_view text) {
  std::size_t value = 0;
  const char* end = text.data() + text.size();
  auto [ptr, ec] = std::from_chars(text.data(), end, value);
  if (ec != std::errc{} || ptr != end || value == 0) return std::nullopt;
  return value;
}

namespace {

std::optional<std::size_t> env_thread_count(const char* name) {
  const char* text = std::getenv(name);
  if (text == nullptr) return std::nullopt;
  return parse_thread_count(text);
}

// ceil(quota / period) from a quota and a period in microseconds.
std::optional<std::size_t> quota_cpus(long long quota, long long period) {
  if (quota <= 0 || period <= 0) return std::nullopt;
  return static_cast<std::size_t>(std::max<long long>(1, (quota + period - 1) / period));
}

// cgroup v2: the smallest cpu.max quota on the way from this process's group
// up to the root.
std::optional<std::size_t> cgroup2_cpus(std::string path) {
  std::optional<std::size_t> best;
  for (;;) {
    if (auto line = read_first_line("/sys/fs/cgroup" + path + "/cpu.max")) {
      std::istringstream fields(*line);
      std::string quota;
      long long period = 0;
      if (fields >> quota >> period && quota != "max") {
        if (auto cpus = quota_cpus(std::atoll(quota.c_str()), period))
          best = best ? std::min(*best, *cpus) : *cpus;
      }
    }
    if (path.empty() || path == "/") break;
    const auto slash = path.rfind('/');
    path = slash == 0 || slash == std::string::npos ? std::string("/") : path.substr(0, slash);
  }
  return best;
}

std::optional<std::size_t> cgroup1_cpus(const std::string& path) {
  for (const char* mount : {"/sys/fs/cgroup/cpu,cpuacct", "/sys/fs/cgroup/cpu"}) {
    const std::string base = std::string(mount) + path;
    auto quota = read_first_line(base + "/cpu.cfs_quota_us");
    auto period = read_first_line(base + "/cpu.cfs_period_us");
    if (quota && period) return quota_cpus(std::atoll(quota->c_str()), std::atoll(period->c_str()));
  }
  return std::nullopt;
}

std::optional<std::size_t> cgroup_cpus() {
  std::ifstream in("/proc/self/cgroup");
  std::string line;
  while (std::getline(in, line)) {
    // hierarchy-id:controllers:path
    const auto first = line.find(':');
    const auto second = first == std::string::npos ? first : line.find(':', first + 1);
    if (second == std::string::npos) continue;
    const std::string controllers = line.substr(first + 1, second - first - 1);
    const std::string path = line.substr(second + 1);
    if (line.compare(0, first, "0") == 0 && controllers.empty()) return cgroup2_cpus(path);
    std::istringstream names(controllers);
    std::string name;
    while (std::getline(names, name, ','))
      if (name == "cpu") return cgroup1_cpus(path);
  }
  return std::nullopt;
}

}  // namespace

std::size_t available_processors() {
  std::size_t count = 1;
  cpu_set_t set;
  CPU_ZERO(&set);
  if (sched_getaffinity(0, sizeof(set), &set) == 0) count = std::max(1, CPU_COUNT(&set));
  if (auto quota = cgroup_cpus()) count = std::min(count, *quota);
  return std::max<std::size_t>(1, count);
}

std::size_t worker_count() {
  if (auto n = env_thread_count("RAYON_NUM_THREADS")) return *n;
  if (auto n = env_thread_count("RAYON_RS_NUM_CPUS")) return *n;
  return available_processors();
}

}  // namespace fenn::runtime
