// A small window built from the framework's classes, shown by the Qt toolkit on
// the offscreen platform; and what its handlers heard.
#pragma once

#include <gtest/gtest.h>

#include <QWidget>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/backends/qt/qt_toolkit.h"
#include "platform/controls.h"
#include "platform/timer.h"
#include "platform/window.h"
#include "tests/common/offscreen_qt.h"

namespace velmora::test {

// Content 482 x 331, title "Velmora Test", fixed size, close and minimise only.
// Controls (TabIndex in brackets):
//   cmdAlpha "Alpha" 10,10,80,22 [1]   cmdBeta "Beta" 100,10,80,22 [0]
//   cmdOff "Off" 190,10,80,22 disabled [2]   chkOne "One" 10,40,100,20 checked [3]
//   lblNote "0" 10,70,100,20 [4]   tmrTick (timer, no widget)
// The menu bar: File > &Quit (Cmd+Q); Edit > &Undo (Cmd+Z), -, Cu&t (Cmd+X).
class TestWindow : public platform::Window {
 public:
  static const platform::ClassInfo& __Lookup();
};

// What the window's handlers heard, in order: "Action cmdAlpha", "KeyDown C shift".
std::vector<std::string>& heard();
// Runs after a handler recorded what it heard, entered with the raiser (the
// window for KeyDown); a test may act there (stop a timer, quit, throw).
std::function<void(platform::Object& raiser)>& afterHandler();

// Starts the framework on Qt's offscreen platform and opens a TestWindow; shuts
// down afterwards and puts the environment back.
class QtWindowTest : public ::testing::Test {
 public:
  void SetUp() override;
  void TearDown() override;

  platform::qt::QtToolkit& qtToolkit();
  QWidget* widget(std::string_view controlName);
  template <class T>
  platform::Ref<T> control(std::string_view name) {
    return platform::Ref<T>(dynamic_cast<T*>(window_->controlByName(name).get()));
  }
  // Runs `step` inside the event loop, then runs the loop until something quits it
  // (a watchdog fails the test instead of hanging when nothing does).
  void runWith(std::function<void()> step);
  // Shows the window and waits until it is the active window (needed for shortcuts).
  void activate();

  platform::Ref<platform::Window> window_;

 private:
  std::optional<velmora::testing::OffscreenQt> offscreen_;
};

}  // namespace velmora::test
