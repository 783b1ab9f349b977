// The memory budget reads what the machine, the control group and the
// address-space limit leave, and grants a request only when every figure it
// can read covers it. The figures come from a fake /proc and cgroup tree.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <string>

#include "fenn/src/runtime/memory_budget.hpp"
#include "limits/child_limits.hpp"

namespace {

namespace fs = std::filesystem;
using fenn::runtime::can_get;
using fenn::runtime::kUncheckedBytes;
using fenn::runtime::MemorySources;
using fenn::runtime::obtainable_bytes;
using limits_test::kMiB;

constexpr uint64_t kGiB = uint64_t{1} << 30;

// A temporary tree holding proc/ and cgroup/, removed with the fixture.
class FakeSystem {
 public:
  FakeSystem() {
    root_ = fs::temp_directory_path() / ("memory_budget_" + std::to_string(::getpid()) + "_" +
                                         std::to_string(counter_++));
    fs::create_directories(root_ / "proc" / "self");
    fs::create_directories(root_ / "cgroup");
  }
  ~FakeSystem() { fs::remove_all(root_); }
  FakeSystem(const FakeSystem&) = delete;
  FakeSystem& operator=(const FakeSystem&) = delete;

  void write(const std::string& relative, const std::string& text) const {
    const fs::path path = root_ / relative;
    fs::create_directories(path.parent_path());
    std::ofstream(path) << text;
  }

  void meminfo(uint64_t available_kib, uint64_t swap_free_kib) const {
    write("proc/meminfo", "MemTotal:       65536000 kB\nMemFree:          100 kB\nMemAvailable:   " +
                              std::to_string(available_kib) + " kB\nSwapTotal:  0 kB\nSwapFree:   " +
                              std::to_string(swap_free_kib) + " kB\n");
  }

  // A v2 group (relative to the hierarchy's root, "" for the root itself).
  void group(const std::string& path, const std::string& max, uint64_t current,
             std::optional<uint64_t> inactive_file = std::nullopt) const {
    const std::string dir = "cgroup" + path;
    write(dir + "/memory.max", max + "\n");
    write(dir + "/memory.current", std::to_string(current) + "\n");
    if (inactive_file)
      write(dir + "/memory.stat",
            "anon 4096\nfile 8192\nactive_file 100\ninactive_file " + std::to_string(*inactive_file) +
                "\nslab 0\n");
  }

  MemorySources sources() const {
    return MemorySources{(root_ / "proc").string(), (root_ / "cgroup").string(), false};
  }

 private:
  static inline int counter_ = 0;
  fs::path root_;
};

TEST(MemoryBudget, TheLeastOfTheFiguresItCanReadDecides) {
  struct Case {
    const char* what;
    std::optional<uint64_t> available_kib;  // nothing: no meminfo
    const char* cgroup_line;               // nothing: no proc/self/cgroup
    std::map<std::string, std::pair<std::string, uint64_t>> groups;  // path: max, current
    std::optional<uint64_t> expected;
  };
  const Case cases[] = {
      {"nothing readable", std::nullopt, nullptr, {}, std::nullopt},
      {"the machine alone, swap included", 4 * 1024 * 1024, nullptr, {}, 4 * kGiB + kGiB},
      {"a group's limit below the machine's", 8 * 1024 * 1024, "0::/app\n",
       {{"/app", {std::to_string(3 * kGiB), kGiB}}}, 2 * kGiB},
      {"a group without a limit", 1024 * 1024, "0::/app\n", {{"/app", {"max", kGiB}}},
       kGiB + kGiB},
      {"an ancestor's limit below the group's", 8 * 1024 * 1024, "0::/a/b/c\n",
       {{"/a/b/c", {std::to_string(4 * kGiB), kGiB}},
        {"/a", {std::to_string(2 * kGiB), kGiB + 512 * kMiB}}},
       512 * kMiB},
      {"the hierarchy's root as the group (a namespace)", 8 * 1024 * 1024, "0::/\n",
       {{"", {std::to_string(kGiB), 256 * kMiB}}}, 768 * kMiB},
      {"a group above its limit", 8 * 1024 * 1024, "0::/app\n",
       {{"/app", {std::to_string(kGiB), 2 * kGiB}}}, 0},
      {"only cgroup v1 lines", 8 * 1024 * 1024, "4:memory:/app\n1:cpu:/\n", {}, 8 * kGiB + kGiB},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    FakeSystem system;
    if (c.available_kib) system.meminfo(*c.available_kib, 1024 * 1024);
    if (c.cgroup_line) system.write("proc/self/cgroup", c.cgroup_line);
    for (const auto& [path, limit] : c.groups) system.group(path, limit.first, limit.second);
    EXPECT_EQ(obtainable_bytes(system.sources()), c.expected);
  }
}

TEST(MemoryBudget, PageCacheTheGroupCanDropCountsAsRoom) {
  FakeSystem system;
  system.write("proc/self/cgroup", "0::/app\n");
  system.group("/app", std::to_string(2 * kGiB), 2 * kGiB - 100 * kMiB, 900 * kMiB);
  EXPECT_EQ(obtainable_bytes(system.sources()), 1000 * kMiB);
  // Never more than the limit itself.
  system.group("/app", std::to_string(kGiB), 512 * kMiB, 4 * kGiB);
  EXPECT_EQ(obtainable_bytes(system.sources()), kGiB);
}

TEST(MemoryBudget, GrantsSmallRequestsUnreadAndRefusesWhatNoAddressSpaceHolds) {
  FakeSystem system;
  system.meminfo(0, 0);  // nothing left at all
  EXPECT_TRUE(can_get(kUncheckedBytes, system.sources()));
  EXPECT_FALSE(can_get(kUncheckedBytes + 1, system.sources()));

  const FakeSystem unreadable;  // no figures: the allocation decides
  EXPECT_TRUE(can_get(64 * kGiB, unreadable.sources()));
  EXPECT_FALSE(can_get(uint64_t{1} << 48, unreadable.sources()));
  EXPECT_FALSE(can_get(UINT64_MAX, unreadable.sources()));
}

TEST(MemoryBudget, ARequestIsGrantedUpToTheRoomExactly) {
  FakeSystem system;
  system.meminfo(100 * 1024, 0);  // 100 MiB
  EXPECT_TRUE(can_get(100 * kMiB, system.sources()));
  EXPECT_FALSE(can_get(100 * kMiB + 1, system.sources()));
}

TEST(MemoryBudget, SizesSaturateInsteadOfWrapping) {
  EXPECT_EQ(fenn::runtime::bytes_for(uint64_t{1} << 40, 16), uint64_t{1} << 44);
  EXPECT_EQ(fenn::runtime::bytes_for(uint64_t{1} << 62, 16), UINT64_MAX);
  EXPECT_EQ(fenn::runtime::sum_bytes(UINT64_MAX - 1, 2), UINT64_MAX);
  EXPECT_EQ(fenn::runtime::sum_bytes(1, 2), 3u);
}

using MemoryBudgetLimit = limits_test::ChildLimits;

// RLIMIT_AS is read live: in a child capped 256 MiB above what it maps, the
// room is at most those 256 MiB, and a request beyond them is refused.
TEST_F(MemoryBudgetLimit, TheAddressSpaceLimitLeavesWhatIsNotMappedYet) {
  EXPECT_EXIT(
      {
        limits_test::cap_address_space(256 * kMiB);
        const std::optional<uint64_t> room = obtainable_bytes(MemorySources{});
        const bool bounded = room && *room <= 256 * kMiB && *room >= 200 * kMiB;
        std::_Exit(bounded && can_get(128 * kMiB) && !can_get(300 * kMiB) ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "");
}

}  // namespace
