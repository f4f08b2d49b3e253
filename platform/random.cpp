// Random numbers and the keyboard state.
#include "platform/random.h"

#include <limits>

#include "platform/run.h"
#include "platform/runtime_internal.h"
#include "platform/toolkit.h"

namespace platform {

const ClassInfo& Random::__Lookup() {
  static ClassSlot slot;
  return slot.get([]() -> const ClassInfo& {
    return RuntimeNewClass(nullptr, "Random", [] { return static_cast<Object*>(new Random); });
  });
}

// Outside a running runtime (no backend to ask) the seed comes from the system's
// entropy source.
Random::Random() {
  engine_.seed(RuntimeIsInitialized()
                   ? toolkit().newRandomSeed()
                   : (uint64_t{std::random_device{}()} << 32) ^ std::random_device{}());
}

void Random::Seed(uint64_t seed) { engine_.seed(seed); }

// Rejection sampling over the engine's 64-bit output: every value of the range is
// equally likely (a plain modulo would favour the low ones).
int32_t Random::InRange(int32_t low, int32_t high) {
  if (high <= low) return low;
  const uint64_t range = static_cast<uint64_t>(int64_t{high} - int64_t{low}) + 1;
  constexpr uint64_t kMax = std::numeric_limits<uint64_t>::max();
  const uint64_t limit = kMax - kMax % range;  // a whole number of ranges
  uint64_t draw = engine_();
  while (draw >= limit) draw = engine_();
  return static_cast<int32_t>(int64_t{low} + static_cast<int64_t>(draw % range));
}

const ClassInfo& _Keyboard::__Lookup() {
  static ClassSlot slot;
  return slot.get([]() -> const ClassInfo& {
    return RuntimeNewClass(nullptr, "_Keyboard",
                           [] { return static_cast<Object*>(new _Keyboard); });
  });
}

bool _Keyboard::AsyncShiftKey() const { return RuntimeIsInitialized() && toolkit().shiftKeyDown(); }

// One object per runtime, given back at shut-down with the runtime; outside a
// runtime a new one each time (no key is ever held there).
Ref<_Keyboard> Keyboard() {
  if (!RuntimeIsInitialized()) return RuntimeNewObjectAs<_Keyboard>(_Keyboard::__Lookup());
  Ref<_Keyboard>& kept = detail::runtimeKeyboard();
  if (!kept) kept = RuntimeNewObjectAs<_Keyboard>(_Keyboard::__Lookup());
  return kept;
}

}  // namespace platform
