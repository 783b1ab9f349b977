// The random generator private to each thread: ChaCha12 seeded from the
// operating system, reseeded after every 64 KiB of output and after fork.
#pragma once

#include <array>
#include <cstdint>

namespace fenn::runtime {

// One 64-bit output of the calling thread's generator.
uint64_t thread_rng_next_u64();

// 32 bytes from getrandom, or /dev/urandom where getrandom is unavailable.
// Throws std::runtime_error when neither answers.
std::array<uint8_t, 32> os_seed();

}  // namespace fenn::runtime
