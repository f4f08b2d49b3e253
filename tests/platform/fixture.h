// Shared set-up of the framework tests: a running runtime on the headless
// backends, and small classes of the tests' own.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/backends/headless/headless.h"
#include "platform/object.h"
#include "platform/run.h"
#include "platform/timer.h"
#include "platform/window.h"

namespace platform::testing {

// A running runtime with the framework's classes registered; torn down as the
// program shuts down (windows, then the class registry, then RuntimeExit), so the
// next test registers every class afresh.
class RuntimeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RuntimeInit();
    RuntimeRegisterFrameworkClasses();
  }
  void TearDown() override {
    RuntimeReleaseImplicitWindowList();
    RuntimeReleaseWindowList();
    RuntimeReleaseReflectionMaps();
    if (RuntimeIsInitialized()) RuntimeExit();
  }
  static headless::HeadlessToolkit& tk() { return headless::toolkit(); }
  static headless::RecordingSynth& sound() { return headless::synth(); }
};

// A timer that belongs to a window the way the application's own timers do: it
// holds a counted reference to the window the framework hands it.
class OwnedTimer : public Timer, public _PaneChild {
 public:
  static const ClassInfo& __Lookup() {
    static ClassSlot slot;
    return slot.get([]() -> const ClassInfo& {
      return RuntimeNewClass(&Timer::__Lookup(), "test.OwnedTimer",
                             [] { return static_cast<Object*>(new OwnedTimer); });
    });
  }
  void _SetWindow(platform::Window* window) override { owner = Ref<platform::Window>(window); }
  Ref<platform::Window> Window() override { return owner; }
  int32_t _Index() override { return index; }
  void _SetIndex(int32_t i) override { index = i; }

  Ref<platform::Window> owner;
  int32_t index = 7;
};

// Everything the test handlers saw, in order.
inline std::vector<std::string>& seen() {
  static std::vector<std::string> log;
  return log;
}

}  // namespace platform::testing
