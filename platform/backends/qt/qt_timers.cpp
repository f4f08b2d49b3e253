// Timers: one precise single-shot QTimer per armed framework timer. The core
// owns the schedule (absolute deadlines, the next one set inside fire()); this
// side only waits until the deadline has come.
#include <QTimer>
#include <cmath>
#include <limits>

#include "platform/backends/qt/qt_toolkit.h"
#include "platform/backends/qt/qt_util.h"
#include "platform/timer.h"

namespace platform::qt {
namespace {

// Whole milliseconds until `deadlineMs`, rounded up so that a timer never fires
// before its deadline; 0 when it has passed.
int delayUntil(double deadlineMs, double nowMs) {
  const double delay = std::ceil(deadlineMs - nowMs);
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
  qtimer->start(delayUntil(deadlineMs, nowMs()));
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
  guarded([timer] { timer->fire(); });
}

}  // namespace platform::qt
