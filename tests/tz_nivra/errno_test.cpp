// errno is how the stand-in says that a call did not take effect, so every
// call that does take effect must leave it as the caller left it.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdint>
#include <functional>
#include <vector>

#include "tz_nivra/environment.hpp"

namespace {

TEST(StandInErrno, EveryCallThatCompletesLeavesErrnoAsItFoundIt) {
  tz_test::Environment environment(3);
  TzEnvironment* env = environment.get();
  const uint32_t controls[] = {1};
  const uint32_t positions[] = {2, 0};
  struct Case {
    const char* call;
    std::function<void()> run;
  };
  const std::vector<Case> cases = {
      {"hadamard_", [&] { hadamard_(env, 0, nullptr, 0); }},
      {"sigma_x", [&] { sigma_x(env, 1, nullptr, 0); }},
      {"sigma_y", [&] { sigma_y(env, 2, controls, 1); }},
      {"sigma_z", [&] { sigma_z(env, 0, controls, 1); }},
      {"phase", [&] { phase(env, 0, nullptr, 0, 0.5); }},
      {"rx", [&] { rx(env, 1, nullptr, 0, 0.5); }},
      {"ry", [&] { ry(env, 2, nullptr, 0, 0.5); }},
      {"rz", [&] { rz(env, 0, nullptr, 0, 0.5); }},
      {"swap", [&] { swap(env, 0, 2); }},
      {"plugin_pown", [&] { plugin_pown(env, 3, 1, 3); }},
      {"measure_", [&] { EXPECT_LE(measure_(env, 1), 1); }},
      {"dump", [&] {
         TzDump* snapshot = dump(env, positions, 2);
         int32_t count = 0;
         EXPECT_NE(dump_data(snapshot, &count), nullptr);
         delete_dump(snapshot);
       }},
      {"create_environment", [] { delete_environment(create_environment(50)); }},
  };
  for (const Case& c : cases) {
    errno = EILSEQ;  // a value no call of the library sets
    c.run();
    EXPECT_EQ(errno, EILSEQ) << c.call;
  }
}

TEST(StandInErrno, MoreThanFiftyQubitsIsNoEnvironmentAndEinval) {
  errno = 0;
  EXPECT_EQ(create_environment(51), nullptr);
  EXPECT_EQ(errno, EINVAL);
}

}  // namespace
