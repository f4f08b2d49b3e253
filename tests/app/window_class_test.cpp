// The main window's one instance, its arrays' lifetime, and the window's own
// timer class.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "main_window/control_classes.h"
#include "main_window/frm_main.h"
#include "platform/array.h"
#include "platform/run.h"
#include "platform/window.h"
#include "tests/app/app_startup.h"
#include "tests/common/trace_recording.h"

namespace velmora::testing {
namespace {

TEST(WindowInstance, ClosingAndDroppingTheWindowReleasesEachArrayOnce) {
  std::vector<Ref<platform::Object>> arrays;
  {
    AppSession app;
    const Ref<frmMain>& w = app.window();
    arrays = {Ref<platform::Object>(w->sPitchNames), Ref<platform::Object>(w->sMelodies),
              Ref<platform::Object>(w->iMelodyBuild), Ref<platform::Object>(w->iMelodyPlay)};
  }
  // Shut-down closed the window; its timers gave back their references to it,
  // so nothing kept it alive, and its finaliser let go of each array once.
  for (const auto& array : arrays) EXPECT_EQ(array->refCount(), 1);
}

TEST(WindowInstance, SecondAccessorCallReturnsTheInstanceAndCreatesNothing) {
  TraceRecording trace;
  AppSession app;
  const int64_t arrays = platform::LiveArrayCount();
  Ref<frmMain> again = accessor::frmMain();
  EXPECT_EQ(again.get(), app.window().get());
  EXPECT_EQ(platform::LiveArrayCount(), arrays);
  EXPECT_EQ(again->controls().size(), 49u);
  EXPECT_EQ(platform::RuntimeWindows().size(), 1u);
  const auto& log = platform::RuntimeTraceLog();
  for (const char* event :
       {"Layout frmMain.frmMain", "CreateControls frmMain.frmMain", "Open frmMain.frmMain"}) {
    EXPECT_EQ(std::count(log.begin(), log.end(), event), 1) << event;
  }
}

TEST(WindowTimer, HoldsACountedReferenceToTheWindowItIsGiven) {
  Registration registered;
  auto first = platform::RuntimeNewObjectAs<platform::Window>(platform::Window::__Lookup());
  auto second = platform::RuntimeNewObjectAs<platform::Window>(platform::Window::__Lookup());
  auto timer = platform::RuntimeNewObjectAs<frmMain_tmrDelay>(frmMain_tmrDelay::__Lookup());
  platform::_PaneChild& child = *timer;

  EXPECT_EQ(child.Window(), nullptr);
  child._SetWindow(first.get());
  EXPECT_EQ(child.Window().get(), first.get());
  EXPECT_EQ(first->refCount(), 2);

  child._SetWindow(first.get());
  EXPECT_EQ(first->refCount(), 2) << "the same window again keeps one count";

  child._SetWindow(second.get());
  EXPECT_EQ(child.Window().get(), second.get());
  EXPECT_EQ(first->refCount(), 1) << "the first window's reference was given back";
  EXPECT_EQ(second->refCount(), 2);

  timer.reset();
  EXPECT_EQ(second->refCount(), 1) << "a destroyed timer gives its window back";
}

}  // namespace
}  // namespace velmora::testing
