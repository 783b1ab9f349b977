#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

#include "fenn/src/sparse/state_map.hpp"

// An independent XXH64 over bytes laid out by hand.
#define XXH_INLINE_ALL
#include <xxhash.h>

namespace fs = fenn::sparse;

namespace {

std::vector<uint8_t> key_bytes(const std::vector<uint64_t>& words) {
  std::vector<uint8_t> bytes;
  auto put = [&](uint64_t value) {
    for (int i = 0; i < 8; ++i) bytes.push_back(static_cast<uint8_t>(value >> (8 * i)));
  };
  put(words.size());
  for (uint64_t word : words) put(word);
  return bytes;
}

std::vector<uint64_t> sample_words(std::size_t count) {
  std::vector<uint64_t> words(count);
  for (std::size_t i = 0; i < count; ++i) words[i] = 0x0123456789ABCDEFull * (i + 1) ^ (i << 60);
  return words;
}

template <class Keys>
void expect_hash_over_exact_bytes(uint64_t width) {
  SCOPED_TRACE(width);
  const std::vector<uint64_t> words = sample_words(width);
  const std::vector<uint8_t> bytes = key_bytes(words);
  ASSERT_EQ(bytes.size(), 8 + 8 * width);
  for (uint64_t seed : {uint64_t{0}, uint64_t{42}, ~uint64_t{0}}) {
    fs::StateMap<Keys> map(width, seed);
    EXPECT_EQ(map.hash_of(words.data()), XXH64(bytes.data(), bytes.size(), seed)) << seed;
  }
}

}  // namespace

TEST(StateMapHash, Xxh64OverCountThenWordsLittleEndian) {
  expect_hash_over_exact_bytes<fs::InlineKeys<1>>(1);
  expect_hash_over_exact_bytes<fs::InlineKeys<2>>(2);
  expect_hash_over_exact_bytes<fs::InlineKeys<4>>(3);
  expect_hash_over_exact_bytes<fs::InlineKeys<8>>(5);
  expect_hash_over_exact_bytes<fs::InlineKeys<16>>(16);
  expect_hash_over_exact_bytes<fs::ArenaKeys>(17);
  expect_hash_over_exact_bytes<fs::ArenaKeys>(40);
}

// The threshold applies only to sums with an existing entry.
TEST(StateMapAccumulate, ThresholdOnSumsOnly) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  struct Case {
    const char* name;
    fenn::Amplitude first;
    fenn::Amplitude second;
    bool kept;
  };
  const Case cases[] = {
      {"sum strictly below", {0.5, 0.0}, {-0.5 + 1e-16, 0.0}, false},
      {"exact cancellation", {0.25, -0.5}, {-0.25, 0.5}, false},
      {"sum of exactly 1e-15", {1e-15, 0.0}, {0.0, 0.0}, true},
      {"sum just below 1e-15", {std::nextafter(1e-15, 0.0), 0.0}, {0.0, 0.0}, false},
      {"sum not a number", {nan, 0.0}, {1.0, 0.0}, true},
      {"magnitude from both parts", {6e-16, 0.0}, {0.0, 8e-16}, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    fs::StateMap<fs::InlineKeys<1>> map(1, 7);
    const uint64_t key = 5;
    map.accumulate(&key, fs::Unchanged{}, c.first);
    EXPECT_EQ(map.size(), 1u);  // a first contribution stays whatever its size
    map.accumulate(&key, fs::Unchanged{}, c.second);
    EXPECT_EQ(map.size(), c.kept ? 1u : 0u);
  }
}

TEST(StateMapAccumulate, TinyFirstContributionIsStored) {
  fs::StateMap<fs::ArenaKeys> map(20, 3);
  const std::vector<uint64_t> words(20, 9);
  map.accumulate(words.data(), fs::Unchanged{}, {0.0, 0.0});
  map.accumulate(words.data(), fs::FlipBit{1279}, {1e-300, 0.0});
  ASSERT_EQ(map.size(), 2u);
  map.insert(words.data(), fs::Unchanged{}, {2.0, 0.0});  // insert replaces
  ASSERT_EQ(map.size(), 2u);
  for (const auto& [key, a] : map) {
    const uint64_t* w = fs::StateMap<fs::ArenaKeys>::key_words(key);
    if (w[19] == 9) EXPECT_EQ(a.re, 2.0);
    else EXPECT_EQ(w[19], 9u ^ (uint64_t{1} << 63));
  }
}

TEST(KeyOrder, ComparesAsUnsignedNumbers) {
  const uint64_t low_high[2] = {~uint64_t{0}, 1};
  const uint64_t high_low[2] = {0, 2};
  EXPECT_TRUE(fs::key_less(low_high, high_low, 2));
  EXPECT_FALSE(fs::key_less(high_low, low_high, 2));
  EXPECT_FALSE(fs::key_less(high_low, high_low, 2));
}
