#include <gtest/gtest.h>

#include <vector>

#include "fenn/src/bitwise/pown.hpp"

namespace fb = fenn::bitwise;
using Swaps = std::vector<std::pair<uint64_t, uint64_t>>;

TEST(SwapList, DerivedFromTargets) {
  struct Case {
    std::vector<uint64_t> targets;
    Swaps swaps;
  };
  const Case cases[] = {
      {{}, {}},
      {{0, 1, 2, 3}, {}},
      {{1, 0}, {{0, 0}}},
      {{2, 0, 1}, {{0, 0}, {1, 1}, {2, 0}}},
      {{1, 2, 0}, {{0, 0}, {1, 0}}},
      {{3, 2, 1, 0}, {{0, 0}, {1, 1}}},
      {{0, 0}, {{1, 1}}},
  };
  for (const auto& c : cases) {
    auto swaps = fb::derive_swap_list(c.targets);
    ASSERT_TRUE(swaps.has_value());
    EXPECT_EQ(*swaps, c.swaps) << "targets of size " << c.targets.size();
  }
}

TEST(SwapList, TargetOutsideTheRegisterIsRefused) {
  EXPECT_FALSE(fb::derive_swap_list(std::vector<uint64_t>{0, 2}).has_value());
  EXPECT_FALSE(fb::derive_swap_list(std::vector<uint64_t>{5}).has_value());
}

TEST(PownArgs, ReadsTwoUnsignedPieces) {
  struct Case {
    const char* text;
    bool ok;
    uint64_t base, modulus;
  };
  const Case cases[] = {
      {"7 15", true, 7, 15},
      {"7 15 9", true, 7, 15},
      {"+7 15", true, 7, 15},
      {"7 +15", true, 7, 15},
      {"0 18446744073709551615", true, 0, UINT64_MAX},
      {"7 18446744073709551616", false, 0, 0},
      {"7  15", false, 0, 0},
      {"7", false, 0, 0},
      {"-7 15", false, 0, 0},
      {"", false, 0, 0},
      {" 7 15", false, 0, 0},
      {"7 15 ", true, 7, 15},
      {"7 1x", false, 0, 0},
      {"+ 15", false, 0, 0},
      {"7\t15", false, 0, 0},
  };
  for (const auto& c : cases) {
    auto args = fb::parse_pown_args(c.text);
    ASSERT_EQ(args.has_value(), c.ok) << '"' << c.text << '"';
    if (c.ok) {
      EXPECT_EQ(args->base, c.base) << c.text;
      EXPECT_EQ(args->modulus, c.modulus) << c.text;
    }
  }
}

TEST(PowMod, WrappedSquareAndMultiply) {
  const uint64_t expected[] = {1, 7, 4, 13, 1, 7};
  for (uint64_t x = 0; x < 6; ++x) EXPECT_EQ(fb::pow_mod(7, x, 15), expected[x]) << x;
  EXPECT_EQ(fb::pow_mod(5, 0, 1), 1u);
  EXPECT_EQ(fb::pow_mod(5, 1, 1), 0u);
  EXPECT_EQ(fb::pow_mod(5, 0, 0), 1u);
  EXPECT_EQ(fb::pow_mod(3, 13, 1000003), 1594323u % 1000003u);
  // Outside the contract, and answered without a division by zero.
  EXPECT_EQ(fb::pow_mod(5, 3, 0), 0u);
}

TEST(BitLength, CountsSignificantBits) {
  EXPECT_EQ(fb::bit_length(0), 0u);
  EXPECT_EQ(fb::bit_length(1), 1u);
  EXPECT_EQ(fb::bit_length(15), 4u);
  EXPECT_EQ(fb::bit_length(16), 5u);
  EXPECT_EQ(fb::bit_length(UINT64_MAX), 64u);
}

TEST(PownIndex, BaseTwoModulusThreeOnFourBits) {
  const fb::PownCall call{4, 2, 2, 3};
  const uint64_t expected[] = {0, 1, 2, 3, 4, 6, 4, 6, 8, 9, 10, 11, 12, 14, 12, 14};
  for (uint64_t j = 0; j < 16; ++j) EXPECT_EQ(fb::pown_index(j, call), expected[j]) << j;
  // Bits at k and above do not enter.
  EXPECT_EQ(fb::pown_index(16 + 5, call), 6u);
}

TEST(PownIndex, NoTargetsMapsEverythingToZero) {
  const fb::PownCall call{0, 2, 1, 3};
  for (uint64_t j : {0u, 1u, 7u, 1000u}) EXPECT_EQ(fb::pown_index(j, call), 0u);
}

TEST(PownRegisterImage, RefusesWhatLeavesTheRegister) {
  const fb::PownCall call{4, 2, 2, 3};
  EXPECT_EQ(fb::pown_register_image(5, call), 6u);
  // k = 3: x = 1, y = 3, c = 2 gives 4 | 6 = 6 < 8; y = 3, x = 1 fits.
  const fb::PownCall narrow{3, 2, 2, 3};
  EXPECT_EQ(fb::pown_register_image(7, narrow), 6u);
  // k = 2 with nbits 2: y * c may reach 2^k.
  const fb::PownCall tight{2, 2, 7, 3};
  EXPECT_EQ(fb::pown_register_image(3, tight), 3u);  // x = 0: c = 1
  const fb::PownCall zero_modulus{4, 0, 2, 0};
  EXPECT_FALSE(fb::pown_register_image(1, zero_modulus).has_value());
  EXPECT_EQ(fb::pown_register_image(0, zero_modulus), 0u);
  const fb::PownCall overflow{3, 2, 3, 4};  // x = 1: c = 3, y = 3 gives 4 | 9 = 13
  EXPECT_FALSE(fb::pown_register_image(7, overflow).has_value());
}

TEST(PownIndex, FullWidthRegisterAndModulus) {
  const fb::PownCall call{64, 64, 3, UINT64_MAX};
  // nbits 64: x is 0 for every index, so c = 1 and the index is unchanged.
  EXPECT_EQ(fb::pown_index(12345, call), 12345u);
  EXPECT_EQ(fb::pown_register_image(UINT64_MAX, call), UINT64_MAX);
}
