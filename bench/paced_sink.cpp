// A stand-in sound card for the benchmarks: ALSA's file plugin pipes the
// program's audio into this, which reads it no faster than a sound card would
// play it (bytes per second given), so the writer blocks as it would on a real
// device. ALSA's own null device takes samples as fast as they come, which
// leaves FluidSynth's audio thread rendering flat out.
//
//   paced_sink BYTES_PER_SECOND [COUNT_FILE]
//
// At the end of its input it writes the bytes read and the seconds taken to
// COUNT_FILE, so a run can check that audio went through at the expected rate.
#include <unistd.h>

#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

int main(int argc, char** argv) {
  if (argc < 2 || std::atof(argv[1]) <= 0) {
    std::fprintf(stderr, "usage: %s BYTES_PER_SECOND [COUNT_FILE]\n", argv[0]);
    return 2;
  }
  const double bytesPerSecond = std::atof(argv[1]);
  using Clock = std::chrono::steady_clock;
  const Clock::time_point start = Clock::now();
  std::array<char, 4096> buffer{};
  double total = 0;
  for (ssize_t n; (n = read(STDIN_FILENO, buffer.data(), buffer.size())) > 0;) {
    total += static_cast<double>(n);
    std::this_thread::sleep_until(start +
                                  std::chrono::duration_cast<Clock::duration>(
                                      std::chrono::duration<double>(total / bytesPerSecond)));
  }
  if (argc > 2) {
    if (FILE* out = std::fopen(argv[2], "w")) {
      const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
      std::fprintf(out, "%.0f %.3f\n", total, seconds);
      std::fclose(out);
    }
  }
  return 0;
}
