// String functions. Positions count from 1; texts are UTF-8 and counted in bytes.
#pragma once

#include <cstdint>
#include <string_view>

#include "platform/object.h"

namespace platform {

// 1-based position of the first `find` in `s` at or after `start` (0 or 1: from the
// first character); 0 when not found, when `find` is empty, or when start is past the end.
int32_t InStr(std::string_view s, int32_t start, std::string_view find);
// The first `count` characters (all of them when count is larger; none when negative).
String Left(std::string_view s, int32_t count);
// From 1-based `start` to the end; empty when start is past the end. start < 1 counts as 1.
String Mid(std::string_view s, int32_t start);
// `length` characters from 1-based `start`, fewer when the text ends sooner.
String Mid(std::string_view s, int32_t start, int32_t length);
int32_t Len(std::string_view s);
// ASCII letters upper-cased; other bytes unchanged.
String Uppercase(std::string_view s);
// The decimal number at the start of `s` (leading blanks skipped, optional sign,
// digits, optional fraction); 0 when there is none.
double Val(std::string_view s);
double Abs(double x);
double Max(double a, double b);

}  // namespace platform
