#include "fenn/src/runtime/thread_rng.hpp"

#include <pthread.h>
#include <sys/random.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <optional>
#include <stdexcept>

#include "fenn/src/runtime/chacha.hpp"

namespace fenn::runtime {
namespace {

constexpr uint64_t kReseedAfterBytes = 64 * 1024;

// Bumped in every child after fork, so that parent and child never share a
// keystream.
std::atomic<uint64_t> fork_generation{0};

void on_fork_child() { fork_generation.fetch_add(1, std::memory_order_relaxed); }

void register_fork_handler() {
  static const bool registered = [] {
    pthread_atfork(nullptr, nullptr, on_fork_child);
    return true;
  }();
  (void)registered;
}

bool read_urandom(uint8_t* out, std::size_t size) {
  std::FILE* file = std::fopen("/dev/urandom", "rb");
  if (file == nullptr) return false;
  const bool complete = std::fread(out, 1, size, file) == size;
  std::fclose(file);
  return complete;
}

struct ThreadRng {
  std::optional<ChaCha12> generator;
  uint64_t bytes_since_seed = 0;
  uint64_t generation = 0;

  uint64_t next() {
    const uint64_t now = fork_generation.load(std::memory_order_relaxed);
    if (!generator || bytes_since_seed >= kReseedAfterBytes || generation != now) {
      register_fork_handler();
      generator.emplace(os_seed());
      bytes_since_seed = 0;
      generation = now;
    }
    bytes_since_seed += 8;
    return generator->next_u64();
  }
};

}  // namespace

std::array<uint8_t, 32> os_seed() {
  std::array<uint8_t, 32> seed{};
  std::size_t filled = 0;
  while (filled < seed.size()) {
    const ssize_t got = getrandom(seed.data() + filled, seed.size() - filled, 0);
    if (got > 0) {
      filled += static_cast<std::size_t>(got);
      continue;
    }
    if (got < 0 && errno == EINTR) continue;
    if (!read_urandom(seed.data(), seed.size()))
      throw std::runtime_error("no source of operating-system randomness");
    return seed;
  }
  return seed;
}

uint64_t thread_rng_next_u64() {
  thread_local ThreadRng rng;
  return rng.next();
}

}  // namespace fenn::runtime
