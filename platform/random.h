// Random numbers and the keyboard state.
#pragma once

#include <cstdint>
#include <random>

#include "platform/object.h"

namespace platform {

// A random source. Each new object takes its own seed from the backend
// (entropy on the real backends; a seedable sequence on the headless one).
class Random : public Object {
 public:
  static const ClassInfo& __Lookup();
  Random();
  // An integer from low to high, both included; low when high < low.
  int32_t InRange(int32_t low, int32_t high);
  void Seed(uint64_t seed);

 private:
  std::mt19937_64 engine_;
};

class _Keyboard : public Object {
 public:
  static const ClassInfo& __Lookup();
  // Whether Shift is held while the current event is handled.
  bool AsyncShiftKey() const;
};

// The keyboard-state object.
Ref<_Keyboard> Keyboard();

}  // namespace platform
