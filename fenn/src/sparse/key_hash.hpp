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

// `prefixed` holds W followed by the W words.
inline uint64_t hash_prefixed_key(const uint64_t* prefixed, uint64_t words, uint64_t seed) noexcept {
  return XXH64(prefixed, 8 * (words + 1), seed);
}

// The same for words held without the count in front of them; keys of up to
// `Capacity` words are copied behind the count on the stack.
template <std::size_t Capacity>
inline uint64_t hash_key(const uint64_t* key, uint64_t words, uint64_t seed) noexcept {
  uint64_t prefixed[Capacity + 1];
  prefixed[0] = words;
  std::memcpy(prefixed + 1, key, 8 * words);
  return hash_prefixed_key(prefixed, words, seed);
}

}  // namespace fenn::sparse
