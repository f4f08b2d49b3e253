#include "platform/window.h"

#include <gtest/gtest.h>

#include "fixture.h"
#include "platform/array.h"
#include "platform/controls.h"
#include "platform/menu.h"
#include "platform/random.h"
#include "tests/common/trace_recording.h"

namespace platform::testing {
namespace {

// A window class of the tests' own, shaped like the application's: arrays made
// by its initialiser and dropped by its finaliser, controls made in
// CreateControls, a timer that holds the window.
class Form : public Window {
 public:
  static inline int finalised = 0;
  static const ClassInfo& __Lookup() {
    static ClassSlot slot;
    return slot.get([]() -> const ClassInfo& {
      ClassInfo& c = RuntimeNewClass(&Window::__Lookup(), "test.Form",
                                     [] { return static_cast<Object*>(new Form); });
      c.initialiser = [](Object& o) {
        auto& form = dynamic_cast<Form&>(o);
        form.names = CreateArray<String>(11);
        form.table = CreateArray<int32_t>(0, 19);
      };
      c.finaliser = [](Object& o) {
        auto& form = dynamic_cast<Form&>(o);
        form.names = nullptr;
        form.table = nullptr;
        ++finalised;
      };
      c.events = {
          {"Layout", WindowEventHandler{[](Object&) { seen().push_back("Layout"); }}},
          {"CreateControls", WindowEventHandler{createControls}},
          {"Open", WindowEventHandler{[](Object&) { seen().push_back("Open"); }}},
          {"KeyDown", KeyDownHandler{[](Object&, const String& key) {
             seen().push_back("KeyDown " + key + (Keyboard()->AsyncShiftKey() ? " shift" : ""));
             return key == "q";
           }}},
      };
      return c;
    });
  }

  static void createControls(Object& self) {
    seen().push_back("CreateControls");
    auto& form = dynamic_cast<Form&>(self);
    for (int32_t index : {1, 2, 0}) {
      Ref<CheckBox> box =
          CheckCast<CheckBox>(form.__New(CheckBox::__Lookup()), CheckBox::__Lookup());
      box->Index(index);
      box->Caption("Octave " + std::to_string(index));
      form._AddControl("chkOctave", box);
    }
    Ref<Object> go = form.__New(PushButton::__Lookup());
    form._AddControl("cmdGo", go);
    Ref<Object> timer = form.__New(OwnedTimer::__Lookup());
    form._AddControl("tmrPitch", timer);
    CheckCast<Timer>(timer, Timer::__Lookup())->Period(1000);
    RuntimeInstallInstanceEventHandler(*timer, "Action", onTick);
  }

  static void onTick(Object& raiser) {
    Ref<Object> self(&raiser), me;
    RuntimeSwapSelfAndMe(self, me);
    seen().push_back("tick in " + CheckCast<Window>(self, Window::__Lookup())->Title());
  }

  Ref<TextArray> names;
  Ref<Int32Array2> table;
};

class WindowTest : public RuntimeTest {
 protected:
  void SetUp() override {
    RuntimeTest::SetUp();
    seen().clear();
    Form::finalised = 0;
  }
  static Ref<Form> openForm() {
    Ref<Form> form = RuntimeNewObjectAs<Form>(Form::__Lookup());
    form->Title("Velmora");
    form->Constructor();
    return form;
  }
};

TEST_F(WindowTest, ConstructorRaisesLayoutCreateControlsOpenThenShows) {
  velmora::testing::TraceRecording trace;
  Ref<Form> form = openForm();
  EXPECT_EQ(seen(), (std::vector<std::string>{"Layout", "CreateControls", "Open"}));
  const auto& log = RuntimeTraceLog();
  EXPECT_NE(std::find(log.begin(), log.end(), "Layout test.Form"), log.end());
  EXPECT_EQ(tk().shownWindows(), (std::vector<Window*>{form.get()}));
  EXPECT_EQ(RuntimeGetImplicitWindow("test.Form"), Ref<Window>(form));
  EXPECT_EQ(RuntimeWindows().size(), 1u);
}

TEST_F(WindowTest, InvisibleWindowIsConstructedButNotShown) {
  Ref<Form> form = RuntimeNewObjectAs<Form>(Form::__Lookup());
  form->Visible(false);
  form->Constructor();
  EXPECT_TRUE(tk().shownWindows().empty());
  EXPECT_TRUE(form->isOpen());
}

TEST_F(WindowTest, ControlsAreFoundByNameAndByNameAndIndexWhateverTheirOrder) {
  Ref<Form> form = openForm();
  for (int32_t index : {0, 1, 2}) {
    Ref<CheckBox> box = CheckCast<CheckBox>(
        RuntimeWindowControlByNameIndex(*form, "chkOctave", index), CheckBox::__Lookup());
    ASSERT_TRUE(box) << index;
    EXPECT_EQ(box->Caption(), "Octave " + std::to_string(index));
    EXPECT_EQ(box->Window().get(), form.get());
  }
  EXPECT_EQ(RuntimeWindowControlByNameIndex(*form, "chkOctave", 3), nullptr);
  EXPECT_EQ(RuntimeWindowControlByName(*form, "chkOctave"), form->controls()[0].second);
  EXPECT_EQ(RuntimeWindowControlByName(*form, "cmdStop"), nullptr);
  Ref<PushButton> go =
      CheckCast<PushButton>(RuntimeWindowControlByName(*form, "cmdGo"), PushButton::__Lookup());
  EXPECT_EQ(go->Index(), kNoIndex);
}

TEST_F(WindowTest, TimerTickReachesItsWindowThroughThePaneChild) {
  Ref<Form> form = openForm();
  CheckCast<Timer>(RuntimeWindowControlByName(*form, "tmrPitch"), Timer::__Lookup())
      ->Mode(Timer::kSingle);
  tk().advance(1000);
  EXPECT_EQ(seen().back(), "tick in Velmora");
}

TEST_F(WindowTest, KeyDownReturnsWhatTheHandlerReturned) {
  Ref<Form> form = openForm();
  EXPECT_TRUE(tk().keyDown(*form, "q"));
  EXPECT_FALSE(tk().keyDown(*form, "x", true));
  EXPECT_EQ(seen().back(), "KeyDown x shift");
  EXPECT_FALSE(Keyboard()->AsyncShiftKey()) << "Shift is held only while its key is handled";
  Ref<Window> plain = RuntimeNewObjectAs<Window>(Window::__Lookup());
  EXPECT_FALSE(plain->keyDown("q"));
}

// The running timer holds the window and the window holds the timer: closing
// must break that cycle, or neither (nor the window's arrays) is ever freed.
TEST_F(WindowTest, CloseBreaksTheTimerWindowCycleAndFreesEverything) {
  const int64_t arraysBefore = LiveArrayCount();
  Ref<OwnedTimer> timer;  // held past the close, as a running handler would
  {
    Ref<Form> form = openForm();
    timer = CheckCast<OwnedTimer>(RuntimeWindowControlByName(*form, "tmrPitch"),
                                  OwnedTimer::__Lookup());
    timer->Mode(Timer::kMultiple);
    EXPECT_EQ(LiveArrayCount(), arraysBefore + 2);
    form->Close();
    EXPECT_FALSE(form->isOpen());
    EXPECT_TRUE(form->controls().empty());
    EXPECT_EQ(RuntimeGetImplicitWindow("test.Form"), nullptr);
    EXPECT_TRUE(tk().shownWindows().empty());
    EXPECT_EQ(tk().armedTimerCount(), 0u);
    EXPECT_EQ(Form::finalised, 0) << "this test still holds the window";
  }
  EXPECT_EQ(Form::finalised, 1);
  EXPECT_EQ(LiveArrayCount(), arraysBefore);
  EXPECT_EQ(timer->Window(), nullptr);
  EXPECT_EQ(timer->Mode(), Timer::kOff);
}

// The framework keeps the windows it opened; shut-down closes and frees them.
TEST_F(WindowTest, ShutDownReleasesAnOpenWindowWithARunningTimer) {
  const int64_t arraysBefore = LiveArrayCount();
  openForm();
  CheckCast<Timer>(RuntimeWindowControlByName(*RuntimeWindows()[0], "tmrPitch"), Timer::__Lookup())
      ->Mode(Timer::kMultiple);
  EXPECT_EQ(Form::finalised, 0) << "the framework keeps its windows";
  EXPECT_EQ(RuntimeExit(), kExitOk);
  EXPECT_FALSE(RuntimeIsInitialized());
  EXPECT_TRUE(RuntimeWindows().empty());
  EXPECT_EQ(Form::finalised, 1);
  EXPECT_EQ(LiveArrayCount(), arraysBefore);
}

TEST_F(WindowTest, ClosingTheLastWindowQuits) {
  Ref<Form> first = openForm();
  Ref<Form> second = openForm();
  EXPECT_EQ(RuntimeGetImplicitWindow("test.Form"), Ref<Window>(first));
  tk().pressCloseButton(*first);
  EXPECT_FALSE(RuntimeQuitRequested());
  tk().pressCloseButton(*second);
  EXPECT_TRUE(RuntimeQuitRequested());
  EXPECT_EQ(RuntimeExit(), kExitOk);
}

TEST_F(WindowTest, HeadlessMenuChoiceFindsNestedItemsByName) {
  Ref<Form> form = openForm();
  Ref<MenuBar> bar = RuntimeNewObjectAs<MenuBar>(MenuBar::__Lookup());
  Ref<MenuItem> file = RuntimeNewObjectAs<MenuItem>(MenuItem::__Lookup());
  file->Name("FileMenu");
  Ref<MenuItem> quit = RuntimeNewObjectAs<MenuItem>(QuitMenuItem::__Lookup());
  quit->Name("FileQuit");
  bar->Append(file);
  file->Append(quit);
  form->MenuBar(bar);
  EXPECT_EQ(bar->Child("FileMenu"), file);
  EXPECT_EQ(quit->parent(), file.get());
  EXPECT_FALSE(tk().chooseMenu(*form, "EditUndo"));
  EXPECT_FALSE(RuntimeQuitRequested());
  EXPECT_TRUE(tk().chooseMenu(*form, "FileQuit"));
  EXPECT_TRUE(RuntimeQuitRequested());
}

}  // namespace
}  // namespace platform::testing
