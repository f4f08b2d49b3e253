// The Qt toolkit's life, event loop, keys, Shift state and random seeds.
#include "platform/backends/qt/qt_toolkit.h"

#include <QAbstractButton>
#include <QApplication>
#include <QKeyEvent>
#include <QTimer>
#include <cstdio>
#include <random>

#include "platform/backends/qt/display_check.h"
#include "platform/backends/qt/qt_application.h"
#include "platform/backends/qt/qt_signals.h"
#include "platform/window.h"

namespace platform {

std::unique_ptr<Toolkit> makeToolkit() { return std::make_unique<qt::QtToolkit>(); }

namespace qt {
namespace {

// Keys that the focused control uses itself and that therefore do not reach the
// window: Tab moves the focus, and Space presses the focused button or check box
// (which answers through its click; the key must not answer a second time).
bool isControlsOwnKey(const QWidget& receiver, const QKeyEvent& event) {
  const int key = event.key();
  if (key == Qt::Key_Tab || key == Qt::Key_Backtab) return true;
  return key == Qt::Key_Space && qobject_cast<const QAbstractButton*>(&receiver) != nullptr;
}

uint64_t splitMix64(uint64_t x) {
  x += 0x9E3779B97F4A7C15ull;
  x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
  x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
  return x ^ (x >> 31);
}

}  // namespace

QtApplication::QtApplication(int& argc, char** argv, QtToolkit& toolkit)
    : QApplication(argc, argv), toolkit_(toolkit) {}

// Qt calls notify once per key event and receiver; the walk up to the parents
// that follows when a widget ignores the key happens inside QApplication::notify,
// so the window hears each key press exactly once, from whichever widget has it.
bool QtApplication::notify(QObject* receiver, QEvent* event) {
  if (event->type() == QEvent::KeyPress && receiver->isWidgetType() &&
      toolkit_.keyPressed(static_cast<QWidget*>(receiver), *static_cast<QKeyEvent*>(event))) {
    return true;
  }
  return QApplication::notify(receiver, event);
}

QtToolkit::QtToolkit() { clock_.start(); }

QtToolkit::~QtToolkit() {
  // Widgets and timers go while the application object still exists; widgets
  // closed earlier wait in Qt's deferred-delete queue, which is emptied here.
  quitOnSignals_.reset();
  controls_.clear();
  menuActions_.clear();
  shown_.clear();
  timers_.clear();
  timerOwner_.reset();
  if (app_) QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  app_.reset();
}

bool QtToolkit::start() {
  if (app_) return true;
  const DisplayChoice display = chooseDisplay();
  if (display.problem) {
    std::fprintf(stderr, "velmora: cannot open a display: %s; run it in a desktop session\n",
                 display.problem->c_str());
    return false;
  }
  // The platform chosen reaches Qt as its option, not through QT_QPA_PLATFORM:
  // the process's environment stays as the person set it.
  arguments_ = {"velmora"};
  if (!display.platform.empty())
    arguments_.insert(arguments_.end(), {"-platform", display.platform});
  argv_.clear();
  for (std::string& argument : arguments_) argv_.push_back(argument.data());
  argv_.push_back(nullptr);
  argc_ = static_cast<int>(arguments_.size());
  // Qt connects to the display here; the check's own connection (display.heldX)
  // is closed only after, when this function returns.
  app_ = std::make_unique<QtApplication>(argc_, argv_.data(), *this);
  // The framework decides when the program ends (closing the last window quits
  // through the core), not Qt.
  QApplication::setQuitOnLastWindowClosed(false);
  timerOwner_ = std::make_unique<QObject>();
  quitOnSignals_ = std::make_unique<QuitOnSignals>();
  return true;
}

double QtToolkit::nowMs() { return static_cast<double>(clock_.nsecsElapsed()) / 1e6; }

void QtToolkit::run() {
  if (!app_) throw RuntimeException("RuntimeException", "the Qt toolkit has not started");
  // A quit or a failure before the loop starts (e.g. during start-up) ends it at once.
  if (!quitRequested_ && !failure_) QApplication::exec();
  quitRequested_ = false;
  if (failure_) std::rethrow_exception(std::exchange(failure_, nullptr));
}

void QtToolkit::whenRunning(std::function<void()> task) {
  // A zero-delay timer fires on the loop's first pass, after the events already queued.
  QTimer::singleShot(0, timerOwner_.get(), [this, task = std::move(task)] { guarded(task); });
}

void QtToolkit::quit() {
  quitRequested_ = true;
  if (app_) QCoreApplication::exit(0);
}

bool QtToolkit::keyPressed(QWidget* receiver, QKeyEvent& event) {
  const Shown* shown = shownFor(receiver->window());
  if (!shown) return false;
  const QString text = event.text();
  if (text.isEmpty() || isControlsOwnKey(*receiver, event)) return false;

  const std::optional<bool> outer = dispatchShift_;
  dispatchShift_ = event.modifiers().testFlag(Qt::ShiftModifier);
  Ref<Window> window(shown->window);  // the handler may close it
  bool handled = false;
  guarded([&] { handled = window->keyDown(text.toStdString()); });
  dispatchShift_ = outer;
  return handled;
}

bool QtToolkit::shiftKeyDown() {
  if (dispatchShift_) return *dispatchShift_;
  if (!app_) return false;
  return QGuiApplication::queryKeyboardModifiers().testFlag(Qt::ShiftModifier);
}

// Entropy from the system, mixed with a per-call counter so that two seeds taken
// at once differ even where std::random_device is deterministic.
uint64_t QtToolkit::newRandomSeed() {
  std::random_device device;
  const uint64_t entropy = (static_cast<uint64_t>(device()) << 32) ^ device();
  return entropy ^ splitMix64(++seedCounter_) ^ static_cast<uint64_t>(clock_.nsecsElapsed());
}

}  // namespace qt
}  // namespace platform
