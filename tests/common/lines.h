// What a program said on stderr, line by line.
#pragma once

#include <string>
#include <vector>

namespace velmora::testing {

// The lines of `text` without their newlines; a last line without one is marked.
inline std::vector<std::string> linesOf(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
    lines.push_back(text.substr(start, end - start));
  }
  if (start < text.size()) lines.push_back(text.substr(start) + " (no newline)");
  return lines;
}

}  // namespace velmora::testing
