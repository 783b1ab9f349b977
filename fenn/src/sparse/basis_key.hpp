// Basis-state keys of W words, W fixed for a run. Two representations share
// one interface so that the simulator's passes are written once:
// - InlineKeys<C>: the words inside the entry, for C / 2 < W <= C, the words
//   above W held at zero (C = 1 serves every register below 64 qubits, C = 2
//   those from 64 to 127);
// - ArenaKeys: a pointer to the count and the words inside the map's arena,
//   for any width.
// A policy gives the key type, its hash and equality, and how a map builds a
// key in its own storage.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <type_traits>

#include "fenn/src/sparse/key_hash.hpp"
#include "fenn/src/sparse/word_arena.hpp"

namespace fenn::sparse {

// Compares two keys of `words` words as unsigned numbers (word 0 lowest).
inline bool key_less(const uint64_t* a, const uint64_t* b, uint64_t words) noexcept {
  for (uint64_t i = words; i-- > 0;)
    if (a[i] != b[i]) return a[i] < b[i];
  return false;
}

template <std::size_t Capacity>
struct InlineKeys {
  using Key = std::array<uint64_t, Capacity>;

  struct Hash {
    uint64_t seed;
    uint64_t words;
    using is_avalanching = void;  // XXH64 needs no extra mixing by the table
    std::size_t operator()(const Key& key) const noexcept {
      // One and two words can only be exactly the capacity: a constant length.
      if constexpr (Capacity <= 2) return hash_key<Capacity>(key.data(), Capacity, seed);
      return hash_key(key.data(), words, seed);
    }
  };
  struct Equal {
    bool operator()(const Key& a, const Key& b) const noexcept {
      uint64_t differ = 0;
      for (std::size_t i = 0; i < Capacity; ++i) differ |= a[i] ^ b[i];
      return differ == 0;
    }
  };

  // Nothing to keep beside the table.
  struct Storage {
    explicit Storage(uint64_t) {}
    void reset() noexcept {}
  };

  static Hash make_hash(uint64_t seed, uint64_t words) { return Hash{seed, words}; }
  static Equal make_equal(uint64_t) { return Equal{}; }
  // Words that a copy moves: all of them, the zero words above W included.
  static constexpr uint64_t copied_words(uint64_t) noexcept { return Capacity; }

  static const uint64_t* words(const Key& key) noexcept { return key.data(); }

  // A copy of the `Capacity` words at `source`, changed by `edit`.
  template <class Edit>
  static Key build(Storage&, const uint64_t* source, uint64_t, Edit& edit) {
    Key key;
    std::memcpy(key.data(), source, sizeof key);
    if constexpr (std::is_invocable_v<Edit&, Key&>)
      edit(key);
    else
      edit(key.data());
    return key;
  }
  // Takes back a built key that the table did not keep.
  static void discard(Storage&) noexcept {}
};

struct ArenaKeys {
  using Key = const uint64_t*;  // the count, then the words

  struct Hash {
    uint64_t seed;
    uint64_t words;
    using is_avalanching = void;
    std::size_t operator()(Key key) const noexcept { return hash_prefixed_key(key, words, seed); }
  };
  struct Equal {
    uint64_t words;
    bool operator()(Key a, Key b) const noexcept {
      return std::memcmp(a + 1, b + 1, 8 * words) == 0;
    }
  };
  using Storage = WordArena;

  static Hash make_hash(uint64_t seed, uint64_t words) { return Hash{seed, words}; }
  static Equal make_equal(uint64_t words) { return Equal{words}; }
  static uint64_t copied_words(uint64_t words) noexcept { return words; }

  static const uint64_t* words(Key key) noexcept { return key + 1; }

  // A copy of the W words at `source` in the arena, changed by `edit`.
  template <class Edit>
  static Key build(Storage& arena, const uint64_t* source, uint64_t words, Edit& edit) {
    uint64_t* slot = arena.push();
    std::memcpy(slot + 1, source, 8 * words);
    edit(slot + 1);
    return slot;
  }
  static void discard(Storage& arena) noexcept { arena.pop(); }
};

}  // namespace fenn::sparse
