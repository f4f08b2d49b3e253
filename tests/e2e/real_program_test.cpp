// The built velmora executable as a person starts it, in a child process:
// without a display, without an audio device, and ended by SIGINT or SIGTERM.
// The audio device is taken away through the environment (PulseAudio's server
// and ALSA's configuration point at nothing), so these runs are the same on a
// machine with a sound card.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "tests/common/lines.h"

extern char** environ;

namespace velmora::e2e {
namespace {

using velmora::testing::linesOf;

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr const char* kProgram = VELMORA_PROGRAM;
// Generous bounds: only a hang reaches them (a sanitizer build starts slowly).
constexpr auto kStartBound = std::chrono::seconds(30);
constexpr auto kEndBound = std::chrono::seconds(30);
constexpr int kPollStepMs = 10;

const char* const kNoAudioLine =
    "velmora: no audio output device could be opened (tried PulseAudio and ALSA); running "
    "without sound; install and start pipewire-pulse or pulseaudio";

// This process's environment, without `unset`, with `set` added.
std::vector<std::string> environmentWith(const std::vector<std::string>& unset,
                                         const std::vector<std::string>& set) {
  std::vector<std::string> env;
  for (char** entry = environ; *entry; ++entry) {
    const std::string_view text(*entry);
    const std::string_view name = text.substr(0, text.find('='));
    const auto named = [&](const std::string& v) {
      return v == name || v.substr(0, v.find('=')) == name;
    };
    if (std::none_of(unset.begin(), unset.end(), named) &&
        std::none_of(set.begin(), set.end(), named)) {
      env.emplace_back(text);
    }
  }
  env.insert(env.end(), set.begin(), set.end());
  return env;
}

// The program in a child process, its stderr read through a pipe. The
// destructor kills a child still running, so no test leaves one behind.
class Child {
 public:
  explicit Child(const std::vector<std::string>& env) {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) throw std::runtime_error("pipe2 failed");
    readFd_ = fds[0];
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, fds[1], STDERR_FILENO);
    std::vector<char*> envp;
    for (const std::string& entry : env) envp.push_back(const_cast<char*>(entry.c_str()));
    envp.push_back(nullptr);
    char* argv[] = {const_cast<char*>(kProgram), nullptr};
    const int error = posix_spawn(&pid_, kProgram, &actions, nullptr, argv, envp.data());
    posix_spawn_file_actions_destroy(&actions);
    ::close(fds[1]);
    if (error != 0) {
      ::close(readFd_);
      throw std::runtime_error(std::string("cannot start ") + kProgram + ": " +
                               std::strerror(error));
    }
  }
  ~Child() {
    if (!end_) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, nullptr, 0);
    }
    ::close(readFd_);
  }
  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;

  // Waits until stderr holds `count` lines (false when the bound passed or the
  // program ended first).
  bool waitForLines(size_t count, Clock::duration bound) {
    const auto deadline = Clock::now() + bound;
    while (linesOf(said_).size() < count) {
      if (Clock::now() > deadline || !readSome()) return false;
    }
    return true;
  }

  // How the program ended ("exit 0", "signal 6"), or nothing when it did not end in time.
  std::optional<std::string> waitForEnd(Clock::duration bound) {
    const auto deadline = Clock::now() + bound;
    while (running()) {
      if (Clock::now() > deadline) return std::nullopt;
      readSome();
    }
    // The rest of stderr, up to its end (bounded: a descendant could hold the pipe).
    while (Clock::now() < deadline && readSome()) {
    }
    return end_;
  }

  // False once the program has ended (and then reaped).
  bool running() {
    if (end_) return false;
    int status = 0;
    if (::waitpid(pid_, &status, WNOHANG) != pid_) return true;
    end_ = WIFEXITED(status) ? "exit " + std::to_string(WEXITSTATUS(status))
                             : "signal " + std::to_string(WTERMSIG(status));
    return false;
  }

  void signal(int number) { ::kill(pid_, number); }
  const std::string& said() const { return said_; }

 private:
  // Reads what stderr has within one poll step; false at its end.
  bool readSome() {
    pollfd fd{readFd_, POLLIN, 0};
    if (::poll(&fd, 1, kPollStepMs) <= 0) return true;
    char buffer[4096];
    const ssize_t got = ::read(readFd_, buffer, sizeof buffer);
    if (got <= 0) return false;
    said_.append(buffer, static_cast<size_t>(got));
    return true;
  }

  pid_t pid_ = -1;
  int readFd_ = -1;
  std::optional<std::string> end_;  // how it ended, once reaped
  std::string said_;
};

// Qt's offscreen platform, a private runtime directory, and no audio device.
class RealProgram : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("velmora-process-" + std::to_string(::getpid()));
    fs::create_directories(dir_);
    fs::permissions(dir_, fs::perms::owner_all);
    std::ofstream(dir_ / "no-devices.conf");  // an ALSA configuration with no device
  }
  void TearDown() override {
    std::error_code ignored;
    fs::remove_all(dir_, ignored);
  }
  std::vector<std::string> offscreenWithoutAudio() const {
    return environmentWith({"DISPLAY", "WAYLAND_DISPLAY"},
                           {"QT_QPA_PLATFORM=offscreen", "XDG_RUNTIME_DIR=" + dir_.string(),
                            "PULSE_SERVER=unix:" + (dir_ / "no-pulse").string(),
                            "ALSA_CONFIG_PATH=" + (dir_ / "no-devices.conf").string()});
  }

  fs::path dir_;
};

TEST_F(RealProgram, WithoutADisplayItSaysSoInOneLineAndExitsWithTwo) {
  Child program(environmentWith({"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}, {}));
  EXPECT_EQ(program.waitForEnd(kEndBound), "exit 2");
  const std::vector<std::string> said = linesOf(program.said());
  ASSERT_EQ(said.size(), 1u) << program.said();
  EXPECT_TRUE(said[0].starts_with("velmora: cannot open a display: ")) << said[0];
}

class RealProgramSignal : public RealProgram, public ::testing::WithParamInterface<int> {};

// Up means the event loop runs: the synthesiser's loader starts from it, and
// says once that no audio device could be opened. The program runs on without
// sound until the signal ends it.
TEST_P(RealProgramSignal, WithoutAnAudioDeviceItRunsOnUntilTheSignalEndsItWith128PlusItsNumber) {
  const int number = GetParam();
  Child program(offscreenWithoutAudio());
  ASSERT_TRUE(program.waitForLines(1, kStartBound)) << program.said();
  EXPECT_TRUE(program.running()) << program.said();

  program.signal(number);
  EXPECT_EQ(program.waitForEnd(kEndBound), "exit " + std::to_string(128 + number));
  const std::string name = number == SIGINT ? "SIGINT" : "SIGTERM";
  EXPECT_EQ(linesOf(program.said()),
            (std::vector<std::string>{kNoAudioLine, "velmora: " + name +
                                                        " received; quitting with exit status " +
                                                        std::to_string(128 + number)}));
}

INSTANTIATE_TEST_SUITE_P(Signals, RealProgramSignal, ::testing::Values(SIGINT, SIGTERM),
                         [](const ::testing::TestParamInfo<int>& info) {
                           return info.param == SIGINT ? "SIGINT" : "SIGTERM";
                         });

}  // namespace
}  // namespace velmora::e2e
