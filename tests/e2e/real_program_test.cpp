// The built velmora executable as a person starts it, in a child process:
// without a display, without an audio device, and ended by SIGINT or SIGTERM.
// The display and the audio device are taken away through the environment (no
// DISPLAY; PulseAudio's server and ALSA's configuration point at nothing), so
// these runs are the same on a machine with a desktop session and a sound card.
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
#include "tests/common/offscreen_qt.h"
#include "tests/common/temp_dir.h"

extern char** environ;

namespace velmora::e2e {
namespace {

using velmora::testing::EnvSetting;
using velmora::testing::linesOf;

using Clock = std::chrono::steady_clock;

constexpr const char* kProgram = VELMORA_PROGRAM;
// Generous bounds: only a hang reaches them (a sanitizer build starts slowly).
constexpr auto kStartBound = std::chrono::seconds(30);
constexpr auto kEndBound = std::chrono::seconds(30);
constexpr int kPollStepMs = 10;

const char* const kNoAudioLine =
    "velmora: no audio output device could be opened (tried PulseAudio and ALSA); running "
    "without sound; install and start pipewire-pulse or pulseaudio";

// This process's environment with `settings` applied.
std::vector<std::string> environmentWith(const std::vector<EnvSetting>& settings) {
  std::vector<std::string> env;
  for (char** entry = environ; *entry; ++entry) {
    const std::string_view text(*entry);
    const std::string_view name = text.substr(0, text.find('='));
    if (std::none_of(settings.begin(), settings.end(),
                     [&](const EnvSetting& setting) { return setting.name == name; })) {
      env.emplace_back(text);
    }
  }
  for (const EnvSetting& setting : settings) {
    if (setting.value) env.push_back(setting.name + "=" + *setting.value);
  }
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

// The person's environment without what a desktop session adds (display, Qt
// settings, home directory): a private empty directory stands in for the home.
class RealProgram : public ::testing::Test {
 protected:
  RealProgram() : home_("velmora-process") {
    std::ofstream(home_ / "no-devices.conf");  // an ALSA configuration with no device
  }
  // Without any display at all.
  std::vector<std::string> withoutADisplay() const {
    std::vector<EnvSetting> settings = velmora::testing::offscreenQtSettings(home_.path());
    std::erase_if(settings, [](const EnvSetting& s) { return s.name == "QT_QPA_PLATFORM"; });
    settings.push_back({"QT_QPA_PLATFORM", std::nullopt});
    return environmentWith(settings);
  }
  // Qt's offscreen platform, and no audio device.
  std::vector<std::string> offscreenWithoutAudio() const {
    std::vector<EnvSetting> settings = velmora::testing::offscreenQtSettings(home_.path());
    settings.push_back({"PULSE_SERVER", "unix:" + (home_ / "no-pulse").string()});
    settings.push_back({"ALSA_CONFIG_PATH", (home_ / "no-devices.conf").string()});
    return environmentWith(settings);
  }

 private:
  velmora::testing::TempDir home_;
};

TEST_F(RealProgram, WithoutADisplayItSaysSoInOneLineAndExitsWithTwo) {
  Child program(withoutADisplay());
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
