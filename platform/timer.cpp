// Timers on absolute deadlines, scheduled by the backend.
#include "platform/timer.h"

#include <algorithm>
#include <cmath>

#include "platform/class_table.h"
#include "platform/run.h"
#include "platform/toolkit.h"

namespace platform {

namespace {
constexpr int32_t kMinPeriodMs = 1;
}

const ClassInfo& Timer::__Lookup() {
  static ClassSlot slot;
  return slot.get([]() -> const ClassInfo& {
    ClassInfo& c =
        RuntimeNewClass(nullptr, "Timer", [] { return static_cast<Object*>(new Timer); });
    c.properties = {
        VELMORA_PROPERTY(Timer, Int32, Mode),
        VELMORA_PROPERTY(Timer, Int32, Period),
    };
    return c;
  });
}

// The backend keeps a pointer to every armed timer: a timer leaves it before it goes.
Timer::~Timer() {
  if (mode_ != kOff && RuntimeIsInitialized()) toolkit().disarmTimer(*this);
}

void Timer::Mode(int32_t mode) {
  if (mode == kSingle || mode == kMultiple) {
    mode_ = mode;
    arm(RuntimeNowMs());
    return;
  }
  const bool wasRunning = mode_ != kOff;
  mode_ = kOff;
  if (wasRunning && RuntimeIsInitialized()) toolkit().disarmTimer(*this);
}

void Timer::Period(int32_t ms) {
  periodMs_ = std::max(ms, kMinPeriodMs);
  if (mode_ != kOff) arm(RuntimeNowMs());
}

void Timer::Reset() {
  if (mode_ != kOff) arm(RuntimeNowMs());
}

void Timer::arm(double fromMs) {
  deadlineMs_ = fromMs + periodMs_;
  if (RuntimeIsInitialized()) toolkit().armTimer(*this, deadlineMs_);
}

void Timer::fire() {
  if (mode_ == kOff) return;  // stopped after the backend took the deadline
  Ref<Object> keep(this);     // the handler may drop the last other reference
  if (mode_ == kSingle) {
    mode_ = kOff;
    toolkit().disarmTimer(*this);
  } else {
    // The next tick stays on the grid start + n * period. A tick delivered more
    // than a whole period late (a suspended machine) skips the ticks already
    // missed instead of firing them all at once.
    deadlineMs_ += periodMs_;
    const double now = toolkit().nowMs();
    if (deadlineMs_ + periodMs_ <= now) {
      deadlineMs_ += std::floor((now - deadlineMs_) / periodMs_) * periodMs_;
    }
    toolkit().armTimer(*this, deadlineMs_);
  }
  _CallAction();
}

void Timer::_CallAction() { raiseEvent("Action"); }

}  // namespace platform
