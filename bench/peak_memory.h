// Peak resident memory of the running process, for the benchmarks' reports.
#pragma once

#include <fstream>
#include <string>

// VmHWM from /proc/self/status, in MB of 10^6 bytes; 0 when it cannot be read.
inline double peakResidentMb() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmHWM:", 0) == 0) return std::stod(line.substr(6)) * 1024.0 / 1e6;
  }
  return 0.0;
}
