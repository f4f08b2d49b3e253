// The main window's class and state: what a new window holds before any
// handler runs, its one instance, its arrays' lifetime, and the window's own
// control classes.
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <string>
#include <variant>
#include <vector>

#include "main_window/control_classes.h"
#include "main_window/frm_main.h"
#include "platform/array.h"
#include "platform/backends/headless/headless.h"
#include "platform/run.h"
#include "platform/window.h"
#include "shell/startup.h"
#include "tests/app/app_startup.h"

namespace velmora::testing {
namespace {

// A runtime with the program's classes registered and no window yet.
class Registered : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::RuntimeInit();
    percentInitialize();
  }
  void TearDown() override { platform::RuntimeExit(); }
};

TEST_F(Registered, NewWindowObjectHoldsZerosAndEmptyArraysBeforeAnyHandler) {
  // Made as the accessor makes it, but not constructed: no Layout, no Open.
  Ref<frmMain> w = platform::RuntimeNewObjectAs<frmMain>(frmMain::__Lookup());
  ASSERT_TRUE(w);
  EXPECT_EQ(w->iPitch, 0);
  EXPECT_EQ(w->iCurrentPitch, 0);
  EXPECT_EQ(w->iMelodyBeat, 0);
  EXPECT_EQ(w->iCurrentOctave, 0) << "starts in the middle octave, not at the sentinel";
  EXPECT_EQ(w->iCurrentInstrument, 0);

  for (const auto* texts : {w->sPitchNames.get(), w->sMelodies.get()}) {
    ASSERT_NE(texts, nullptr);
    ASSERT_EQ(texts->Ubound(), 11);
    for (int32_t k = 0; k <= 11; ++k) EXPECT_EQ(texts->get(k), "");
  }
  struct Shape {
    const platform::Int32Array2* array;
    int32_t columns;
  };
  for (const Shape& s : {Shape{w->iMelodyBuild.get(), 3}, Shape{w->iMelodyPlay.get(), 20}}) {
    ASSERT_NE(s.array, nullptr);
    ASSERT_EQ(s.array->Ubound(1), 0);
    ASSERT_EQ(s.array->Ubound(2), s.columns - 1);
    for (int32_t j = 0; j < s.columns; ++j) EXPECT_EQ(s.array->get(0, j), 0);
  }
}

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
  platform::RuntimeTraceEnable(true);
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

TEST(WindowInstance, IsShownWithItsTitleSizeAndButtons) {
  AppSession app;
  const frmMain& w = *app.window();
  EXPECT_EQ(platform::headless::toolkit().shownWindows(),
            std::vector<platform::Window*>{app.window().get()});
  EXPECT_EQ(w.Title(), "Velmora");
  EXPECT_EQ(w.Width(), 482);
  EXPECT_EQ(w.Height(), 331);
  EXPECT_FALSE(w.Resizeable());
  EXPECT_FALSE(w.MaximizeButton());
  EXPECT_TRUE(w.MinimizeButton());
  EXPECT_TRUE(w.CloseButton());
  EXPECT_TRUE(w.MenuBarVisible());
}

// ---------------------------------------------------------------- class descriptions

TEST_F(Registered, WindowPropertiesAreDeclaredInOrderWithTheirTypeCodes) {
  const char* const expected[][2] = {
      {"iPitch", "i4"},        {"sPitchNames", "A1s"},   {"sMelodies", "A1s"},
      {"iCurrentPitch", "i4"}, {"iMelodyBeat", "i4"},    {"iMelodyBuild", "A2i4"},
      {"iMelodyPlay", "A2i4"}, {"iCurrentOctave", "i4"}, {"iCurrentInstrument", "i4"}};
  const auto& properties = frmMain::__Lookup().properties;
  ASSERT_EQ(properties.size(), std::size(expected));
  for (size_t i = 0; i < properties.size(); ++i) {
    EXPECT_EQ(properties[i].name, expected[i][0]);
    EXPECT_EQ(properties[i].typeCode, expected[i][1]) << expected[i][0];
  }
  // The entries reach the window's own fields.
  Ref<frmMain> w = platform::RuntimeNewObjectAs<frmMain>(frmMain::__Lookup());
  properties[0].set(*w, int32_t{7});
  EXPECT_EQ(w->iPitch, 7);
  EXPECT_EQ(std::get<Ref<platform::Object>>(properties[6].get(*w)).get(), w->iMelodyPlay.get());
}

// ---------------------------------------------------------------- window timers

TEST_F(Registered, TimerHoldsACountedReferenceToTheWindowItIsGiven) {
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
