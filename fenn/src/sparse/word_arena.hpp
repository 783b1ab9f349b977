// Storage for keys too wide to hold inline: each key is W + 1 consecutive
// words (the count, then the words) inside large chunks, so a map entry costs
// no allocation of its own. Chunks never move, so a key's address is stable;
// `reset` forgets every key but keeps the chunks for the next pass.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

namespace fenn::sparse {

class WordArena {
 public:
  explicit WordArena(uint64_t key_words);

  // Room for one more key; its count is written, its words are left to the
  // caller. Throws std::bad_alloc when no chunk can be had.
  uint64_t* push();
  // Takes back the key that `push` handed out last.
  void pop() noexcept { used_ -= stride_; }
  void reset() noexcept {
    chunk_ = 0;
    used_ = 0;
  }

 private:
  uint64_t stride_;        // words per key, the count included
  uint64_t chunk_words_;   // words per chunk, a multiple of stride_
  std::vector<std::unique_ptr<uint64_t[]>> chunks_;
  std::size_t chunk_ = 0;  // the chunk being filled
  uint64_t used_ = 0;      // words used in it
};

}  // namespace fenn::sparse
