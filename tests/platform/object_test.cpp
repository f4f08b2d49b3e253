#include "platform/object.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "fixture.h"
#include "platform/controls.h"
#include "platform/window.h"
#include "tests/common/trace_recording.h"

namespace platform::testing {
namespace {

// A class chain Base <- Derived with initialisers and finalisers that log.
class Thing : public Object {};

const ClassInfo& baseThing() {
  static ClassSlot slot;
  return slot.get([]() -> const ClassInfo& {
    ClassInfo& c =
        RuntimeNewClass(nullptr, "test.Base", [] { return static_cast<Object*>(new Thing); });
    c.initialiser = [](Object&) { seen().push_back("init Base"); };
    c.finaliser = [](Object&) { seen().push_back("exit Base"); };
    return c;
  });
}

const ClassInfo& derivedThing() {
  static ClassSlot slot;
  return slot.get([]() -> const ClassInfo& {
    ClassInfo& c = RuntimeNewClass(&baseThing(), "test.Derived", nullptr);
    c.initialiser = [](Object&) { seen().push_back("init Derived"); };
    c.finaliser = [](Object&) { seen().push_back("exit Derived"); };
    return c;
  });
}

class ObjectTest : public RuntimeTest {
 protected:
  void SetUp() override {
    RuntimeTest::SetUp();
    seen().clear();
  }
};

TEST_F(ObjectTest, NewObjectRunsInitialisersBaseFirstAndFinalisersMostDerivedFirst) {
  Ref<Object> o = RuntimeNewObject(derivedThing());
  EXPECT_EQ(seen(), (std::vector<std::string>{"init Base", "init Derived"}));
  EXPECT_EQ(o->refCount(), 1);
  EXPECT_EQ(o->classInfo(), &derivedThing());
  Ref<Object> second = o;
  EXPECT_EQ(o->refCount(), 2);
  o = nullptr;
  EXPECT_EQ(seen().size(), 2u) << "still referenced: no finaliser yet";
  second = nullptr;
  EXPECT_EQ(seen(),
            (std::vector<std::string>{"init Base", "init Derived", "exit Derived", "exit Base"}));
}

TEST_F(ObjectTest, ClassIsRegisteredOnceUnderItsNameInRegistrationOrder) {
  velmora::testing::TraceRecording trace;
  const ClassInfo& first = RuntimeNewClass(nullptr, "test.Once", nullptr);
  const ClassInfo& again = RuntimeNewClass(&Window::__Lookup(), "test.Once", nullptr);
  EXPECT_EQ(&first, &again);
  EXPECT_EQ(again.base, nullptr);
  EXPECT_EQ(RuntimeFindClass("test.Once"), &first);
  EXPECT_EQ(RuntimeFindClass("test.Never"), nullptr);
  EXPECT_EQ(RuntimeRegisteredClasses().back(), &first);
  EXPECT_EQ(std::count(RuntimeTraceLog().begin(), RuntimeTraceLog().end(), "register test.Once"),
            1);
}

// The registry's release at shut-down frees every name for the next start-up,
// which registers its classes anew, each from a blank description at its old
// address; an object made before the release keeps its description, finalisers
// included, until it goes.
TEST_F(ObjectTest, ReleasedRegistryRegistersAfreshAndObjectsKeepTheirDescriptions) {
  Ref<Object> survivor = RuntimeNewObject(derivedThing());
  ClassInfo& once = RuntimeNewClass(nullptr, "test.Once", nullptr);
  once.members = {{"Stale", {}, "(  )"}};

  RuntimeReleaseReflectionMaps();
  EXPECT_TRUE(RuntimeRegisteredClasses().empty());
  EXPECT_EQ(RuntimeFindClass("Window"), nullptr);
  EXPECT_EQ(RuntimeFindClass("test.Derived"), nullptr);

  velmora::testing::TraceRecording trace;
  const ClassInfo& window = Window::__Lookup();
  EXPECT_EQ(RuntimeFindClass("Window"), &window);
  EXPECT_EQ(std::count(RuntimeTraceLog().begin(), RuntimeTraceLog().end(), "register Window"), 1);
  const ClassInfo& again = RuntimeNewClass(&window, "test.Once", nullptr);
  EXPECT_EQ(&again, &once) << "a reference kept from before stays valid";
  EXPECT_EQ(again.base, &window) << "the name is free again: described anew";
  EXPECT_TRUE(again.members.empty());

  EXPECT_EQ(survivor->classInfo()->name, "test.Derived");
  EXPECT_EQ(survivor->classInfo()->base->name, "test.Base");
  survivor = nullptr;
  EXPECT_EQ(seen(),
            (std::vector<std::string>{"init Base", "init Derived", "exit Derived", "exit Base"}));
}

TEST_F(ObjectTest, CheckCastFollowsTheClassChain) {
  Ref<Object> button = RuntimeNewObject(PushButton::__Lookup());
  EXPECT_EQ(RuntimeCheckCast(button, RectControl::__Lookup()), button);
  EXPECT_EQ(RuntimeCheckCast(button, Control::__Lookup()), button);
  EXPECT_EQ(RuntimeCheckCast(button, CheckBox::__Lookup()), nullptr);
  EXPECT_EQ(RuntimeCheckCast(nullptr, Control::__Lookup()), nullptr);
  EXPECT_EQ(CheckCast<PushButton>(button, PushButton::__Lookup()).get(), button.get());
}

void logRaiser(Object& raiser) {
  seen().push_back("handler " + dynamic_cast<Control&>(raiser).Name());
}
void startup() { seen().push_back("startup"); }

TEST_F(ObjectTest, DelegatesCallTheirEntryAsTheirInvokerSays) {
  Ref<Delegate> plain =
      RuntimeCreateDelegate(DelegateInvoker::Invoke, StartupEntry{startup}, nullptr, "(  )");
  ASSERT_TRUE(plain);
  EXPECT_EQ(plain->signature(), "(  )");
  plain->Invoke();
  Ref<PushButton> button = RuntimeNewObjectAs<PushButton>(PushButton::__Lookup());
  button->Name("cmdGo");
  Ref<Delegate> bound = RuntimeCreateDelegate(DelegateInvoker::IM_Invoke, HandlerEntry{logRaiser},
                                              button.get(), "(  )");
  EXPECT_EQ(button->refCount(), 2) << "the delegate holds its bound object";
  bound->Invoke();
  EXPECT_EQ(seen(), (std::vector<std::string>{"startup", "handler cmdGo"}));
  EXPECT_EQ(RuntimeCreateDelegate(DelegateInvoker::Invoke, std::monostate{}, nullptr, "(  )"),
            nullptr);
  bound = nullptr;
  EXPECT_EQ(button->refCount(), 1);
}

TEST_F(ObjectTest, InstalledHandlerRunsEnteredWithTheRaiser) {
  Ref<PushButton> button = RuntimeNewObjectAs<PushButton>(PushButton::__Lookup());
  button->Name("cmdReveal");
  EXPECT_FALSE(button->raiseEvent("Action"));
  RuntimeInstallInstanceEventHandler(*button, "Action", logRaiser);
  EXPECT_EQ(button->handlerFor("Action"), &logRaiser);
  EXPECT_TRUE(button->raiseEvent("Action"));
  EXPECT_EQ(seen(), (std::vector<std::string>{"handler cmdReveal"}));
}

// ---------------------------------------------------------------- self and me

class SwapTest : public ObjectTest {
 protected:
  void SetUp() override {
    ObjectTest::SetUp();
    window = RuntimeNewObjectAs<Window>(Window::__Lookup());
  }
  Ref<Window> window;
};

TEST_F(SwapTest, ControlBecomesMeAndItsWindowSelf) {
  Ref<Object> button = RuntimeNewObject(PushButton::__Lookup());
  window->_AddControl("cmdGo", button);
  const int32_t windowRefs = window->refCount();
  Ref<Object> self = button, me;
  RuntimeSwapSelfAndMe(self, me);
  EXPECT_EQ(self.get(), window.get());
  EXPECT_EQ(me, button);
  EXPECT_EQ(window->refCount(), windowRefs + 1);
  EXPECT_EQ(button->refCount(), 3) << "the window, `button` and `me`";
}

TEST_F(SwapTest, PaneChildBecomesMeAndTheWindowItWasHandedSelf) {
  Ref<OwnedTimer> timer = RuntimeNewObjectAs<OwnedTimer>(OwnedTimer::__Lookup());
  Ref<Object> self = timer, me;
  RuntimeSwapSelfAndMe(self, me);
  EXPECT_EQ(self, nullptr) << "not registered yet: no window";
  window->_AddControl("tmrPitch", timer);
  EXPECT_EQ(timer->index, kNoIndex);
  self = timer;
  RuntimeSwapSelfAndMe(self, me);
  EXPECT_EQ(self.get(), window.get());
  EXPECT_EQ(me.get(), timer.get());
  window->Close();  // never opened: nothing to close
  timer->_SetWindow(nullptr);
}

TEST_F(SwapTest, PlainObjectStaysSelfAndBecomesMe) {
  Ref<Object> thing = RuntimeNewObject(baseThing());
  Ref<Object> self = thing, me;
  RuntimeSwapSelfAndMe(self, me);
  EXPECT_EQ(self, thing);
  EXPECT_EQ(me, thing);
  EXPECT_EQ(thing->refCount(), 3);
}

}  // namespace
}  // namespace platform::testing
