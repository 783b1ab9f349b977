// Known answers of the ChaCha block function, from the published vectors.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "fenn/src/runtime/chacha.hpp"

namespace {

std::string hex(const fenn::runtime::ChaChaBlock& block) {
  static const char* digits = "0123456789abcdef";
  std::string out;
  for (uint8_t byte : block) {
    out += digits[byte >> 4];
    out += digits[byte & 15];
  }
  return out;
}

uint8_t byte_at(const std::string& text, std::size_t i) {
  return static_cast<uint8_t>(std::stoul(text.substr(2 * i, 2), nullptr, 16));
}

TEST(ChaChaBlock, MatchesPublishedVectors) {
  std::ifstream in(PLIM_VECTORS_DIR "/chacha.txt");
  ASSERT_TRUE(in) << "vector file missing";
  std::string line;
  int checked = 0;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream fields(line);
    int rounds = 0;
    std::string key_hex, nonce_hex, expected;
    uint64_t counter = 0;
    fields >> rounds >> key_hex >> nonce_hex >> counter >> expected;
    fenn::runtime::ChaChaKey key{};
    for (std::size_t w = 0; w < 8; ++w)
      for (std::size_t b = 0; b < 4; ++b)
        key[w] |= uint32_t{byte_at(key_hex, 4 * w + b)} << (8 * b);
    uint64_t nonce = 0;
    for (std::size_t b = 0; b < 8; ++b) nonce |= uint64_t{byte_at(nonce_hex, b)} << (8 * b);
    EXPECT_EQ(hex(fenn::runtime::chacha_block(key, nonce, counter, rounds)), expected)
        << "rounds " << rounds << " counter " << counter;
    ++checked;
  }
  EXPECT_GE(checked, 15);
}

TEST(ChaCha12, StreamsTheTwelveRoundBlocksInOrder) {
  std::array<uint8_t, 32> seed{};
  fenn::runtime::ChaCha12 rng(seed);
  const auto block0 = fenn::runtime::chacha_block({}, 0, 0, 12);
  const auto block1 = fenn::runtime::chacha_block({}, 0, 1, 12);
  auto word = [](const fenn::runtime::ChaChaBlock& b, std::size_t i) {
    uint64_t v = 0;
    for (std::size_t k = 0; k < 8; ++k) v |= uint64_t{b[8 * i + k]} << (8 * k);
    return v;
  };
  for (std::size_t i = 0; i < 8; ++i) EXPECT_EQ(rng.next_u64(), word(block0, i));
  EXPECT_EQ(rng.next_u64(), word(block1, 0));
}

}  // namespace
