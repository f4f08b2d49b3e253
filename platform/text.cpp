// Text functions over UTF-8 bytes, positions from 1.
#include "platform/text.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace platform {

namespace {

// The byte offset that a 1-based start position names; positions below 1 count as 1.
size_t offsetOf(int32_t start) { return start <= 1 ? 0 : static_cast<size_t>(start) - 1; }

}  // namespace

int32_t InStr(std::string_view s, int32_t start, std::string_view find) {
  const size_t from = offsetOf(start);
  if (find.empty() || from >= s.size()) return 0;
  const size_t at = s.find(find, from);
  return at == std::string_view::npos ? 0 : static_cast<int32_t>(at + 1);
}

String Left(std::string_view s, int32_t count) {
  if (count <= 0) return {};
  return String(s.substr(0, static_cast<size_t>(count)));
}

String Mid(std::string_view s, int32_t start) {
  const size_t from = offsetOf(start);
  if (from >= s.size()) return {};
  return String(s.substr(from));
}

String Mid(std::string_view s, int32_t start, int32_t length) {
  const size_t from = offsetOf(start);
  if (length <= 0 || from >= s.size()) return {};
  return String(s.substr(from, static_cast<size_t>(length)));
}

int32_t Len(std::string_view s) { return static_cast<int32_t>(s.size()); }

String Uppercase(std::string_view s) {
  String out(s);
  for (char& ch : out) {
    if (ch >= 'a' && ch <= 'z') ch = static_cast<char>(ch - 'a' + 'A');
  }
  return out;
}

// Parsed by hand and converted with from_chars, so the process locale (which a
// GUI toolkit may set from the environment) never changes the decimal point.
double Val(std::string_view s) {
  size_t i = 0;
  while (i < s.size() && (s[i] == ' ' || s[i] == '\t')) ++i;
  bool negative = false;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
    negative = s[i] == '-';
    ++i;
  }
  const size_t begin = i;
  while (i < s.size() && s[i] >= '0' && s[i] <= '9') ++i;
  size_t digits = i - begin;
  if (i < s.size() && s[i] == '.') {
    const size_t point = i++;
    while (i < s.size() && s[i] >= '0' && s[i] <= '9') ++i;
    digits += i - point - 1;
  }
  if (digits == 0) return 0;
  double value = 0;
  const std::from_chars_result r = std::from_chars(s.data() + begin, s.data() + i, value);
  if (r.ec != std::errc()) return 0;
  return negative ? -value : value;
}

double Abs(double x) { return std::fabs(x); }

double Max(double a, double b) { return std::max(a, b); }

}  // namespace platform
