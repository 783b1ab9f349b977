#include "fenn/src/sparse/word_arena.hpp"

#include <algorithm>

namespace fenn::sparse {

namespace {
constexpr uint64_t kChunkWords = uint64_t{1} << 16;
}

WordArena::WordArena(uint64_t key_words)
    : stride_(key_words + 1),
      chunk_words_(std::max<uint64_t>(1, kChunkWords / stride_) * stride_) {}

uint64_t* WordArena::push() {
  if (chunks_.empty() || used_ + stride_ > chunk_words_) {
    const std::size_t next = chunks_.empty() ? 0 : chunk_ + 1;
    if (next == chunks_.size()) {
      chunks_.reserve(chunks_.size() + 1);
      chunks_.emplace_back(new uint64_t[chunk_words_]);
    }
    chunk_ = next;
    used_ = 0;
  }
  uint64_t* slot = chunks_[chunk_].get() + used_;
  used_ += stride_;
  slot[0] = stride_ - 1;
  return slot;
}

}  // namespace fenn::sparse
