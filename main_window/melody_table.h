// The built-in trigger melodies as constant text.
#pragma once

#include <array>
#include <string_view>

namespace velmora {

inline constexpr int kMelodyCount = 12;

// Melody k starts on pitch class k; format described in the .cpp.
extern const std::array<std::string_view, kMelodyCount> kBuiltInMelodies;

}  // namespace velmora
