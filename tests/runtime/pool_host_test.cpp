// A host that loads the shared library keeps running, and gets its normal
// result, when the worker pool cannot start its threads (process limit,
// address-space cap) and when the environment holds variables that other
// thread pools read. Each case runs the C host program tests/unload/
// dlopen_host.c in a child process with the limit or variables of the case.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

extern char** environ;

namespace {

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif

using Variables = std::vector<std::pair<std::string, std::string>>;

struct Ending {
  bool exited = false;
  int status = -1;  // exit status, or the signal that ended the child
  std::string output;  // standard output and standard error together
};

std::string describe(const Ending& ending) {
  return (ending.exited ? "exit " : "signal ") + std::to_string(ending.status) +
         (ending.output.empty() ? "" : ", output:\n" + ending.output);
}

// Runs the host on the shared library with `options` and an environment of
// the parent's minus both pool-size variables plus `variables`.
Ending run_host(const std::vector<std::string>& options, const Variables& variables) {
  std::vector<std::string> argument_text{PLIM_DLOPEN_HOST, PLIM_SHARED_LIBRARY};
  argument_text.insert(argument_text.end(), options.begin(), options.end());
  std::vector<std::string> environment_text;
  for (char** entry = environ; *entry != nullptr; ++entry) {
    const std::string text = *entry;
    const std::string name = text.substr(0, text.find('='));
    bool replaced = name == "RAYON_NUM_THREADS" || name == "RAYON_RS_NUM_CPUS";
    for (const auto& variable : variables) replaced = replaced || variable.first == name;
    if (!replaced) environment_text.push_back(text);
  }
  for (const auto& [name, value] : variables) environment_text.push_back(name + "=" + value);
  std::vector<char*> arguments, environment;
  for (std::string& text : argument_text) arguments.push_back(text.data());
  for (std::string& text : environment_text) environment.push_back(text.data());
  arguments.push_back(nullptr);
  environment.push_back(nullptr);

  Ending ending;
  int pipe_ends[2];
  if (pipe2(pipe_ends, O_CLOEXEC) != 0) return ending;
  const pid_t child = fork();
  if (child == 0) {
    dup2(pipe_ends[1], STDOUT_FILENO);
    dup2(pipe_ends[1], STDERR_FILENO);
    alarm(120);  // kept across exec: a wedged host ends instead of hanging
    execve(arguments[0], arguments.data(), environment.data());
    _exit(127);
  }
  close(pipe_ends[1]);
  char buffer[4096];
  for (ssize_t got; (got = read(pipe_ends[0], buffer, sizeof buffer)) != 0;) {
    if (got > 0) ending.output.append(buffer, static_cast<std::size_t>(got));
    else if (errno != EINTR) break;
  }
  close(pipe_ends[0]);
  int status = 0;
  if (child < 0 || waitpid(child, &status, 0) != child) return ending;
  ending.exited = WIFEXITED(status);
  ending.status = ending.exited ? WEXITSTATUS(status) : WTERMSIG(status);
  return ending;
}

constexpr int kLimitNotSet = 5;  // dlopen_host could not set the limit
constexpr int kCodeBase = 100;   // dlopen_host exits with 100 + a nonzero run code

TEST(PoolHost, APoolThatCannotStartItsThreadsRunsThePassWithTheOnesItHas) {
  if (kSanitized) GTEST_SKIP() << "the sanitizers' own threads need the process limit";
  if (getuid() != 0)
    std::printf("not root: the process limit binds the test's own user, which needs no drop\n");
  struct Case {
    int process_limit;
    const char* pool_size;
  };
  for (const Case& c : {Case{1, "8"}, Case{2, "8"}, Case{4, "8"}, Case{6, "8"}, Case{200, "1000"}}) {
    const Ending ending = run_host({"--process-limit", std::to_string(c.process_limit)},
                                   {{"RAYON_NUM_THREADS", c.pool_size}});
    if (ending.exited && ending.status == kLimitNotSet)
      GTEST_SKIP() << "cannot set the process limit or become user 65534";
    EXPECT_TRUE(ending.exited && ending.status == 0 && ending.output.empty())
        << "process limit " << c.process_limit << ", pool of " << c.pool_size << ": "
        << describe(ending);
  }
}

TEST(PoolHost, AnAddressSpaceCapNearOneRegisterEndsInAResultOrACode) {
  if (kSanitized) GTEST_SKIP() << "address-space limits do not mix with sanitizer shadow memory";
  // At 20 qubits one amplitude list is 16 MiB: the caps run from too little
  // for the register, through room for it but not for every worker's stack,
  // to room for both.
  bool some_run_succeeded = false;
  for (int extra_mib = 24; extra_mib <= 64; extra_mib += 4) {
    const Ending ending =
        run_host({"--address-space", std::to_string(extra_mib)}, {{"RAYON_NUM_THREADS", "8"}});
    const bool normal = ending.exited && (ending.status == 0 || ending.status == kCodeBase + 3 ||
                                          ending.status == kCodeBase + 8);
    EXPECT_TRUE(normal && ending.output.empty())
        << "address space +" << extra_mib << " MiB: " << describe(ending);
    some_run_succeeded = some_run_succeeded || (ending.exited && ending.status == 0);
  }
  EXPECT_TRUE(some_run_succeeded);
}

TEST(PoolHost, OtherPoolsVariablesChangeNothing) {
  const std::string marker =
      testing::TempDir() + "pool_host_marker_" + std::to_string(getpid());
  std::remove(marker.c_str());
  const Ending ending = run_host({}, {{"TBB_VERSION", "1"},
                                      {"INTEL_LIBITTNOTIFY64", PLIM_MARKER_LIBRARY},
                                      {"INTEL_LIBITTNOTIFY32", PLIM_MARKER_LIBRARY},
                                      {"INTEL_ITTNOTIFY_GROUPS", "all"},
                                      {"KMP_FOR_TCHECK", "1"},
                                      {"KMP_FOR_TPROFILE", "1"},
                                      {"TBB_MALLOC_USE_HUGE_PAGES", "1"},
                                      {"TBB_MALLOC_SET_HUGE_SIZE_THRESHOLD", "1"},
                                      {"PLIM_TEST_MARKER", marker}});
  EXPECT_TRUE(ending.exited && ending.status == 0 && ending.output.empty()) << describe(ending);
  EXPECT_NE(access(marker.c_str(), F_OK), 0) << "the library named by a variable was loaded";
  std::remove(marker.c_str());
}

}  // namespace
