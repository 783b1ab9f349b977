// The hash of a basis-state key: XXH64 with the map's seed over 8 + 8W bytes,
// the word count W as a little-endian 64-bit number, then each word
// little-endian, word 0 first.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>

// Header-only xxHash: the hash is inlined into the map's probes.
#ifndef XXH_INLINE_ALL
#define XXH_INLINE_ALL
#endif
#include <xxhash.h>

namespace fenn::sparse {

// On a little-endian machine the in-memory words are already the bytes to hash.
static_assert(std::endian::native == std::endian::little);

// `prefixed` holds W followed by the W words. Flattened so that XXH64 is
// inlined into each probe.
[[gnu::flatten]] inline uint64_t hash_prefixed_key(const uint64_t* prefixed, uint64_t words,
                                                   uint64_t seed) noexcept {
  return XXH64(prefixed, 8 * (words + 1), seed);
}

namespace xxh64_lanes {

inline constexpr uint64_t kPrime1 = 0x9E3779B185EBCA87ull;
inline constexpr uint64_t kPrime2 = 0xC2B2AE3D27D4EB4Full;
inline constexpr uint64_t kPrime3 = 0x165667B19E3779F9ull;
inline constexpr uint64_t kPrime4 = 0x85EBCA77C2B2AE63ull;
inline constexpr uint64_t kPrime5 = 0x27D4EB2F165667C5ull;

inline uint64_t round(uint64_t acc, uint64_t lane) noexcept {
  return std::rotl(acc + lane * kPrime2, 31) * kPrime1;
}

inline uint64_t merge(uint64_t acc, uint64_t v) noexcept { return (acc ^ round(0, v)) * kPrime1 + kPrime4; }

}  // namespace xxh64_lanes

// XXH64 of the bytes of W followed by the W words, computed on the words
// directly (the same function as XXH64 over those bytes, without copying the
// key behind its count). `Words` is W when known at compile time, else 0.
template <uint64_t Words = 0>
inline uint64_t hash_key(const uint64_t* key, uint64_t words, uint64_t seed) noexcept {
  using namespace xxh64_lanes;
  if constexpr (Words != 0) words = Words;
  const uint64_t lanes = words + 1;
  auto lane = [&](uint64_t i) { return i == 0 ? words : key[i - 1]; };
  uint64_t i = 0;
  uint64_t acc;
  if (lanes >= 4) {
    uint64_t v1 = seed + kPrime1 + kPrime2, v2 = seed + kPrime2, v3 = seed, v4 = seed - kPrime1;
    for (; i + 4 <= lanes; i += 4) {
      v1 = round(v1, lane(i));
      v2 = round(v2, lane(i + 1));
      v3 = round(v3, lane(i + 2));
      v4 = round(v4, lane(i + 3));
    }
    acc = std::rotl(v1, 1) + std::rotl(v2, 7) + std::rotl(v3, 12) + std::rotl(v4, 18);
    acc = merge(merge(merge(merge(acc, v1), v2), v3), v4);
  } else {
    acc = seed + kPrime5;
  }
  acc += 8 * lanes;
  for (; i < lanes; ++i) acc = std::rotl(acc ^ round(0, lane(i)), 27) * kPrime1 + kPrime4;
  acc ^= acc >> 33;
  acc *= kPrime2;
  acc ^= acc >> 29;
  acc *= kPrime3;
  acc ^= acc >> 32;
  return acc;
}

}  // namespace fenn::sparse
