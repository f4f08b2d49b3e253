// Timers: one precise single-shot QTimer per armed framework timer. The core
// owns the schedule (absolute deadlines, the next one set inside fire()); this
// side only waits until the deadline has come.
//
// Precision. A QTimer counts whole milliseconds, so one set to the time left
// rounded up (never early) arrives on average half a millisecond late, plus the
// loop's own wake-up latency. Instead the QTimer is set to the time left rounded
// down, so it wakes the loop less than a millisecond before the deadline, and
// the rest is waited out with a sleep until the deadline: fire() runs at the
// deadline, never before it. The sleep holds the event loop for less than
// kFinishMaxMs, only when a timer is due, and costs no processor time; between
// deadlines the loop sleeps in its poll as before.
#include <QTimer>
#include <chrono>
#include <cmath>
#include <limits>
#include <thread>

#include "platform/backends/qt/qt_toolkit.h"
#include "platform/backends/qt/qt_util.h"
#include "platform/timer.h"

namespace platform::qt {
namespace {

// The longest wait finished by sleeping: the fraction that rounding down leaves.
// An earlier arrival (which Qt's precise timers do not give) sets the QTimer again.
constexpr double kFinishMaxMs = 1.0;

// Whole milliseconds to set the QTimer to for `deadlineMs`, rounded down; 0 when
// less than one is left.
int wakeDelay(double deadlineMs, double nowMs) {
  const double delay = std::floor(deadlineMs - nowMs);
  if (!(delay > 0)) return 0;
  if (delay >= std::numeric_limits<int>::max()) return std::numeric_limits<int>::max();
  return static_cast<int>(delay);
}

}  // namespace

void QtToolkit::armTimer(Timer& timer, double deadlineMs) {
  if (!timerOwner_) return;  // not started: nothing can fire
  QTimer*& qtimer = timers_[&timer];
  if (!qtimer) {
    qtimer = adoptedBy(timerOwner_.get(), std::make_unique<QTimer>());
    qtimer->setTimerType(Qt::PreciseTimer);  // the coarse default moves 120 ms to 125
    qtimer->setSingleShot(true);
    Timer* target = &timer;
    QObject::connect(qtimer, &QTimer::timeout, timerOwner_.get(),
                     [this, target] { timerDue(target); });
  }
  qtimer->start(wakeDelay(deadlineMs, nowMs()));
}

void QtToolkit::disarmTimer(Timer& timer) {
  const auto found = timers_.find(&timer);
  if (found == timers_.end()) return;
  found->second->stop();
  // Possibly inside this QTimer's own timeout signal (a handler stopping its timer).
  found->second->deleteLater();
  timers_.erase(found);
}

void QtToolkit::timerDue(Timer* timer) {
  if (!timers_.contains(timer)) return;
  const double deadlineMs = timer->deadlineMs();
  double leftMs = deadlineMs - nowMs();
  if (leftMs > kFinishMaxMs) {
    armTimer(*timer, deadlineMs);
    return;
  }
  // The sleep may end a little early by this clock (or be cut short by a
  // signal): checked against the same clock that set the deadline.
  while (leftMs > 0) {
    std::this_thread::sleep_for(std::chrono::duration<double, std::milli>(leftMs));
    leftMs = deadlineMs - nowMs();
  }
  guarded([timer] { timer->fire(); });
}

}  // namespace platform::qt
