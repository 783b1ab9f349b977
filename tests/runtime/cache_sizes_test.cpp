// Cache sizes as sysfs gives them: the texts of one size and one CPU mask,
// and a cache directory with every level, a shared third level and the
// files a system may lack.
#include "fenn/src/runtime/cache_sizes.hpp"

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace {

using fenn::runtime::count_mask_cpus;
using fenn::runtime::parse_cache_size;
using fenn::runtime::read_caches;

TEST(CacheSizes, SizeTexts) {
  const struct {
    const char* text;
    uint64_t bytes;
  } cases[] = {
      {"32K", 32768},     {"32768K", 33554432}, {"1M", 1048576}, {"2G", 2147483648ull},
      {"512", 512},       {"", 0},              {"K", 0},        {"32 K", 0},
      {"32KB", 0},        {"-1K", 0},           {"99999999999999999999", 0},
      {"17179869184G", 0},  // overflows 64 bits
  };
  for (const auto& c : cases) EXPECT_EQ(parse_cache_size(c.text), c.bytes) << '"' << c.text << '"';
}

TEST(CacheSizes, CpuMaskTexts) {
  const struct {
    const char* text;
    unsigned cpus;
  } cases[] = {
      {"ff", 8},  {"00000000,000000ff", 8}, {"1", 1}, {"A5", 4}, {"ffffffff,ffffffff", 64},
      {"", 0},    {",", 0},                 {"0x1", 0}, {"f f", 0},
  };
  for (const auto& c : cases) EXPECT_EQ(count_mask_cpus(c.text), c.cpus) << '"' << c.text << '"';
}

class CacheDirectory : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = std::filesystem::temp_directory_path() / ("cache_sizes_test." + std::to_string(getpid()));
    std::filesystem::remove_all(root_);
  }
  void TearDown() override { std::filesystem::remove_all(root_); }

  void cache(int index, const char* level, const char* type, const char* size, const char* map) {
    const auto dir = root_ / ("index" + std::to_string(index));
    std::filesystem::create_directories(dir);
    const auto write = [&](const char* name, const char* text) {
      if (text != nullptr) std::ofstream(dir / name) << text << '\n';
    };
    write("level", level);
    write("type", type);
    write("size", size);
    write("shared_cpu_map", map);
  }
  std::string root() const { return root_.string(); }

 private:
  std::filesystem::path root_;
};

TEST_F(CacheDirectory, EveryLevelAndTheThirdLevelsShare) {
  cache(0, "1", "Data", "48K", "00000001");
  cache(1, "1", "Instruction", "32K", "00000001");
  cache(2, "2", "Unified", "1024K", "00000001");
  cache(3, "3", "Unified", "32768K", "000000ff");
  const auto sizes = read_caches(root());
  EXPECT_EQ(sizes.level1_data, 48u << 10);
  EXPECT_EQ(sizes.level2, 1u << 20);
  EXPECT_EQ(sizes.level3_share, 4u << 20);
}

TEST_F(CacheDirectory, WhatCannotBeReadIsUnknown) {
  // No directory at all.
  EXPECT_EQ(read_caches(root()).level2, 0u);
  // A size that is no size, a third level without its mask, and an index
  // after a gap, which the numbering does not reach.
  cache(0, "1", "Data", "lots", "1");
  cache(1, "3", "Unified", "8M", nullptr);
  cache(3, "2", "Unified", "512K", "1");
  const auto sizes = read_caches(root());
  EXPECT_EQ(sizes.level1_data, 0u);
  EXPECT_EQ(sizes.level3_share, 0u);
  EXPECT_EQ(sizes.level2, 0u);
}

}  // namespace
