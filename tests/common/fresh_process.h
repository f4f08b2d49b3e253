// For a test that needs a process nothing has happened in yet (no library
// loaded, no global state touched): it runs itself again in a new process of
// this executable and takes that run's outcome as its own.
//
//   TEST(Suite, Name) {
//     if (!velmora::testing::inFreshProcess()) return velmora::testing::runInFreshProcess();
//     ... the body, run in the new process ...
//   }
#pragma once

#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

extern char** environ;

namespace velmora::testing {

// Names the test the new process is to run its body for.
inline constexpr const char* kFreshProcessVariable = "VELMORA_FRESH_PROCESS_TEST";

inline std::string currentTestName() {
  const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
  return std::string(test->test_suite_name()) + "." + test->name();
}

// True in the process runInFreshProcess started for the current test.
inline bool inFreshProcess() {
  const char* test = std::getenv(kFreshProcessVariable);
  return test != nullptr && test == currentTestName();
}

// Runs the current test alone in a new process of this executable and reports
// its outcome here: a failure with what the process printed, or its skip.
inline void runInFreshProcess() {
  const std::string name = currentTestName();
  // The new process runs the one test once and writes no report file of its
  // own; sharding would hand the test to another shard.
  std::vector<std::string> env;
  for (char** entry = environ; *entry != nullptr; ++entry) {
    const std::string_view text(*entry);
    const std::string_view variable = text.substr(0, text.find('='));
    if (variable != kFreshProcessVariable && !variable.starts_with("GTEST_")) {
      env.emplace_back(text);
    }
  }
  env.push_back(std::string(kFreshProcessVariable) + "=" + name);
  std::vector<std::string> args = {"/proc/self/exe", "--gtest_filter=" + name, "--gtest_repeat=1",
                                   "--gtest_color=no", "--gtest_brief=0"};

  std::vector<char*> argv, envp;
  for (std::string& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  for (std::string& entry : env) envp.push_back(entry.data());
  envp.push_back(nullptr);

  int fds[2];
  ASSERT_EQ(::pipe2(fds, O_CLOEXEC), 0) << std::strerror(errno);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
  posix_spawn_file_actions_adddup2(&actions, fds[1], STDERR_FILENO);
  pid_t pid = -1;
  const int error = ::posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  ::close(fds[1]);
  if (error != 0) {
    ::close(fds[0]);
    FAIL() << "cannot start " << argv[0] << ": " << std::strerror(error);
  }
  std::string output;
  char buffer[4096];
  for (ssize_t got; (got = ::read(fds[0], buffer, sizeof buffer)) != 0;) {
    if (got > 0) {
      output.append(buffer, static_cast<size_t>(got));
    } else if (errno != EINTR) {
      break;
    }
  }
  ::close(fds[0]);
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }

  const bool exitedWithZero = WIFEXITED(status) && WEXITSTATUS(status) == 0;
  if (exitedWithZero && output.find("[  SKIPPED ] 1 test,") != std::string::npos) {
    GTEST_SKIP() << "in its own process:\n" << output;
  }
  EXPECT_TRUE(exitedWithZero && output.find("[  PASSED  ] 1 test.") != std::string::npos)
      << "in its own process (" << (WIFEXITED(status) ? "exit " : "signal ")
      << (WIFEXITED(status) ? WEXITSTATUS(status) : WTERMSIG(status)) << "):\n"
      << output;
}

}  // namespace velmora::testing
