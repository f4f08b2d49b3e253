// Start-up time, from exec to the event loop's first pass with the window shown:
// the program's own path (startup_velmora) against a bare Qt program showing 49
// push buttons (startup_bare_qt), run alternately in this one run; the program's
// path without FluidSynth shows the synthesiser's share. Prints the medians, each
// child's peak resident memory, and the ratio; then "result: NAME VALUE" lines
// for bench/run.
//
// Under Xvfb start it with -noreset: an X server without other clients resets
// when its last client leaves, which a desktop never does.
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "startup_first_pass.h"

extern char** environ;

namespace {

constexpr int kDefaultRounds = 15;
constexpr double kGoalRatio = 1.5;

struct Sample {
  double firstPassMs;
  double peakMb;
};

// Runs `path` once; nothing when it failed or never reported its first pass.
std::optional<Sample> runOnce(const char* path, bool showStderr) {
  int out[2];
  if (pipe(out) != 0) return std::nullopt;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
  posix_spawn_file_actions_addclose(&actions, out[0]);
  posix_spawn_file_actions_addclose(&actions, out[1]);
  if (!showStderr)
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  char* argv[] = {const_cast<char*>(path), nullptr};

  const long long startNs = velmora::bench::monotonicNs();
  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, path, &actions, nullptr, argv, environ);
  posix_spawn_file_actions_destroy(&actions);
  close(out[1]);
  std::string said;
  if (spawned == 0) {
    char buffer[256];
    for (ssize_t n; (n = read(out[0], buffer, sizeof buffer)) > 0;)
      said.append(buffer, static_cast<size_t>(n));
  }
  close(out[0]);
  if (spawned != 0) return std::nullopt;
  int status = 0;
  rusage usage{};
  wait4(pid, &status, 0, &usage);

  long long firstPassNs = 0;
  const size_t at = said.find("first-pass-ns ");
  if (at == std::string::npos ||
      std::sscanf(said.c_str() + at, "first-pass-ns %lld", &firstPassNs) != 1) {
    return std::nullopt;
  }
  return Sample{static_cast<double>(firstPassNs - startNs) / 1e6,
                static_cast<double>(usage.ru_maxrss) / 1024.0};
}

double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  // startup_bench [--rounds N]
  int rounds = kDefaultRounds;
  if (argc == 3 && std::string(argv[1]) == "--rounds") rounds = std::max(1, std::atoi(argv[2]));
  const char* requested = std::getenv("QT_QPA_PLATFORM");
  std::string platform = requested && *requested ? requested : "default";
  if (platform == "default" && !std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY")) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    platform = "offscreen (no display)";
  }
  // The last one is the baseline the others are compared with.
  const struct {
    const char* label;
    const char* path;
  } programs[] = {
      {"velmora start-up (49 controls, menu bar, FluidSynth)", VELMORA_STARTUP_PROGRAM},
      {"  the same without FluidSynth (recording synthesiser)", VELMORA_STARTUP_NO_FLUIDSYNTH},
      {"bare Qt, a window of 49 push buttons", VELMORA_STARTUP_BASELINE},
  };
  constexpr size_t kPrograms = std::size(programs);

  // One warm-up run each (disk cache, font cache), showing what the children say.
  for (const auto& program : programs) {
    if (!runOnce(program.path, true)) {
      std::fprintf(stderr, "startup_bench: %s did not reach its event loop\n", program.path);
      return 1;
    }
  }
  std::vector<double> ms[kPrograms], mb[kPrograms];
  for (int round = 0; round < rounds; ++round) {
    for (size_t p = 0; p < kPrograms; ++p) {
      const std::optional<Sample> sample = runOnce(programs[p].path, false);
      if (!sample) {
        std::fprintf(stderr, "startup_bench: %s failed\n", programs[p].path);
        return 1;
      }
      ms[p].push_back(sample->firstPassMs);
      mb[p].push_back(sample->peakMb);
    }
  }

  const double baselineMs = median(ms[kPrograms - 1]);
  std::printf("start-up, exec to the first event-loop pass with the window shown\n");
  std::printf("platform: %s; median of %d runs each, alternating\n", platform.c_str(), rounds);
  for (size_t p = 0; p < kPrograms; ++p) {
    std::printf("  %-56s %7.1f ms  x%.2f   peak %6.1f MB\n", programs[p].label, median(ms[p]),
                median(ms[p]) / baselineMs, median(mb[p]));
  }
  const double ratio = median(ms[0]) / baselineMs;
  std::printf("ratio: %.2f (goal: at most %.1f) %s\n", ratio, kGoalRatio,
              ratio <= kGoalRatio ? "met" : "NOT met");
  std::printf("result: startup_runs %d\n", rounds);
  std::printf("result: startup_program_ms %.1f\n", median(ms[0]));
  std::printf("result: startup_no_fluidsynth_ms %.1f\n", median(ms[1]));
  std::printf("result: startup_bare_qt_ms %.1f\n", baselineMs);
  std::printf("result: startup_ratio %.2f\n", ratio);
  return 0;
}
