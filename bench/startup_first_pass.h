// Shared by the two start-up children: on the event loop's first pass, write the
// monotonic clock (nanoseconds) to stdout as one line, then let the caller quit.
#pragma once

#include <cstdio>
#include <ctime>

namespace velmora::bench {

inline long long monotonicNs() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<long long>(now.tv_sec) * 1'000'000'000LL + now.tv_nsec;
}

inline void reportFirstPass() {
  std::printf("first-pass-ns %lld\n", monotonicNs());
  std::fflush(stdout);
}

}  // namespace velmora::bench
