// Qt 6 Widgets backend.
//
// Implements: the display check before Qt starts (one line on stderr, never a
// Qt abort); the event loop, quit, and exceptions carried out of Qt's dispatch
// and rethrown from run(); a monotonic clock and precise single-shot timers at
// absolute deadlines; a window per framework Window (QMainWindow, fixed content
// size, title buttons as its properties say) with its menu bar and a widget
// per visible control; clicks, check-box clicks, menu choices, the close button
// and letter keys (whichever control has the focus) turned into framework calls;
// the Shift state; entropy-based random seeds; SIGINT and SIGTERM as a quit
// (qt_signals.h).
#pragma once

#include <QElapsedTimer>
#include <QMainWindow>
#include <cstdint>
#include <exception>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/toolkit.h"

class QAction;
class QKeyEvent;
class QTimer;

namespace platform::qt {

class QtApplication;
class MainWindowWidget;
class QuitOnSignals;

class QtToolkit final : public Toolkit {
 public:
  QtToolkit();
  ~QtToolkit() override;

  bool start() override;
  double nowMs() override;
  void armTimer(Timer& timer, double deadlineMs) override;
  void disarmTimer(Timer& timer) override;
  void run() override;
  void quit() override;
  void whenRunning(std::function<void()> task) override;
  void showWindow(Window& window) override;
  void closeWindow(Window& window) override;
  void changed(Object& object, Change what) override;
  bool shiftKeyDown() override;
  uint64_t newRandomSeed() override;

  // For tests and benchmarks: the widgets that show a framework object (nullptr
  // when it has none, e.g. a timer, or its window is not shown).
  QMainWindow* windowWidget(const Window& window) const;
  QWidget* widgetFor(const Object& control) const;
  QAction* actionFor(const MenuItem& item) const;

 private:
  friend class QtApplication;
  friend class MainWindowWidget;

  // A shown window: its widget and the framework objects its widgets show.
  struct Shown {
    Window* window;                       // not counted: the core closes a window before it goes
    std::unique_ptr<QMainWindow> widget;  // handed to Qt's deferred delete on close
    std::vector<const Object*> controls;
    // The items live as long as the window holds its menu bar.
    std::vector<std::pair<MenuItem*, QAction*>> menuItems;
  };
  struct ControlLink {
    Shown* shown;
    QWidget* widget;
  };

  // Runs a call into the core from Qt's dispatch. An exception must not cross
  // Qt's frames: the first one is kept, the loop is asked to end, and run()
  // rethrows it. Once one is kept, further calls are skipped.
  template <class F>
  void guarded(F&& call) noexcept {
    if (failure_) return;
    try {
      call();
    } catch (...) {
      failure_ = std::current_exception();
      quit();
    }
  }

  // Window building (qt_window.cpp) and menus (qt_menu.cpp).
  Shown* shownFor(const Window& window) const;
  Shown* shownFor(const QWidget* topLevel) const;
  void buildControls(Shown& shown);
  QWidget* makeControlWidget(Object* control, QWidget* content);
  void applyWindowState(Shown& shown);
  // Shows the control's state on its widget: everything, or only `what`.
  void applyControlState(const Object& control, QWidget& widget, std::optional<Change> what);
  void buildMenuBar(Shown& shown);
  template <class Container>
  void addMenuItem(Shown& shown, Container& container, MenuItem& item, bool isTitle);

  // Input from Qt.
  void controlClicked(Object* control);
  void menuChosen(const QAction* action);
  // True when the close was accepted (the core closed the window).
  bool closeRequested(const QWidget* widget);
  // True when the window's KeyDown handler consumed the key.
  bool keyPressed(QWidget* receiver, QKeyEvent& event);
  void timerDue(Timer* timer);

  // QApplication keeps a reference to argc and the argv array for its life (and
  // takes out of them the options it reads).
  std::vector<std::string> arguments_;
  std::vector<char*> argv_;
  int argc_ = 0;
  std::unique_ptr<QtApplication> app_;
  // SIGINT and SIGTERM quit through the framework while the application exists.
  std::unique_ptr<QuitOnSignals> quitOnSignals_;

  QElapsedTimer clock_;

  // Parent of the timers, so none outlives the toolkit.
  std::unique_ptr<QObject> timerOwner_;
  std::unordered_map<const Timer*, QTimer*> timers_;

  std::vector<std::unique_ptr<Shown>> shown_;
  std::unordered_map<const Object*, ControlLink> controls_;
  std::unordered_map<const QAction*, MenuItem*> menuActions_;

  std::exception_ptr failure_;
  bool quitRequested_ = false;
  std::optional<bool> dispatchShift_;  // set while a key press is handed to the core
  uint64_t seedCounter_ = 0;
};

}  // namespace platform::qt
