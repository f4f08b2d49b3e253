// Timers. Deadlines are absolute: a repeating timer started at t fires at
// t + n * Period, so a late tick does not shift the later ones.
#pragma once

#include <cstdint>

#include "platform/object.h"

namespace platform {

class Window;

// Implemented by objects that belong to a window without being controls (the
// window's own timer classes): the framework hands them their window.
class _PaneChild {
 public:
  virtual ~_PaneChild() = default;
  virtual void _SetWindow(platform::Window* window) = 0;
  virtual Ref<platform::Window> Window() = 0;
  virtual int32_t _Index() = 0;
  virtual void _SetIndex(int32_t index) = 0;
};

class Timer : public Object {
 public:
  static constexpr int32_t kOff = 0;
  static constexpr int32_t kSingle = 1;    // one "Action" after Period, then off
  static constexpr int32_t kMultiple = 2;  // an "Action" every Period
  static const ClassInfo& __Lookup();
  ~Timer() override;

  int32_t Mode() const noexcept { return mode_; }
  // Writing 1 or 2 (re)starts the period from now, also on a timer already
  // running; 0 stops it. Any other value stops it and reads back as 0.
  void Mode(int32_t mode);
  int32_t Period() const noexcept { return periodMs_; }
  // Milliseconds, at least 1. A running timer restarts with the new period.
  void Period(int32_t ms);
  // Restarts the period of a running timer from now.
  void Reset();

  // Backend side: the deadline has come. Updates the mode (a single timer turns
  // off first) and the next deadline, then raises "Action". The mode reads 2
  // inside the handler of a repeating timer.
  void fire();
  // Raises "Action": runs the handler installed on the timer, entered with it.
  void _CallAction();
  double deadlineMs() const noexcept { return deadlineMs_; }
  bool armed() const noexcept { return mode_ != kOff; }

 private:
  void arm(double fromMs);
  int32_t mode_ = kOff;
  int32_t periodMs_ = 1000;
  double deadlineMs_ = 0;
};

}  // namespace platform
