// Resource limits for a test's child process, set inside the child so that
// the test program itself keeps its memory.
#pragma once

#include <gtest/gtest.h>

#include <sys/resource.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace limits_test {

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
inline constexpr bool kSanitized = true;  // their shadow memory needs the address space
#else
inline constexpr bool kSanitized = false;
#endif

// A size in kB from a line of /proc/self/status ("VmSize:", "VmHWM:").
inline std::size_t status_bytes(const char* key) {
  std::size_t kib = 0;
  if (std::FILE* status = std::fopen("/proc/self/status", "r")) {
    char line[256];
    const std::size_t length = std::strlen(key);
    while (std::fgets(line, sizeof line, status))
      if (std::strncmp(line, key, length) == 0) kib = std::strtoull(line + length, nullptr, 10);
    std::fclose(status);
  }
  return kib * 1024;
}

// Caps the address space at what the process maps now plus `extra` bytes.
inline void cap_address_space(std::size_t extra) {
  const std::size_t mapped = status_bytes("VmSize:");
  const rlimit limit{mapped + extra, mapped + extra};
  if (setrlimit(RLIMIT_AS, &limit) != 0) std::_Exit(100);
}

inline constexpr std::size_t kMiB = std::size_t{1} << 20;

// Every test here forks children that cap their own memory.
class ChildLimits : public ::testing::Test {
 protected:
  void SetUp() override {
    if (kSanitized) GTEST_SKIP() << "address-space limits do not mix with sanitizer shadow memory";
    // Re-executes the test binary for the child instead of forking a process
    // that holds the worker pool's threads.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
  }
};

}  // namespace limits_test
