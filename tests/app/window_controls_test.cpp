// The window's 49 controls as construction leaves them: their creation order,
// and which handler a click or tick reaches, with which self, me and index.
// What each control shows is checked on Qt (qt_main_window_test.cpp).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "main_window/control_classes.h"
#include "main_window/frm_main.h"
#include "platform/backends/headless/headless.h"
#include "platform/controls.h"
#include "platform/run.h"
#include "platform/timer.h"
#include "tests/app/app_startup.h"

namespace velmora::testing {
namespace {

using platform::Object;

class Controls : public ::testing::Test {
 protected:
  frmMain& w() { return *app.window(); }
  AppSession app;
};

// Position of the control in the window's registration (creation) order.
size_t creationPosition(frmMain& window, const Object* control) {
  const auto& controls = window.controls();
  for (size_t i = 0; i < controls.size(); ++i) {
    if (controls[i].second.get() == control) return i;
  }
  ADD_FAILURE() << "control not registered";
  return controls.size();
}

TEST_F(Controls, AllFortyNineAreRegisteredInTabOrder) {
  ASSERT_EQ(w().controls().size(), 49u);
  // The 44 controls with a tab index come in tab-index order.
  int32_t lastTab = -1;
  int rectControls = 0;
  for (const auto& [name, control] : w().controls()) {
    if (auto* rect = dynamic_cast<platform::RectControl*>(control.get())) {
      EXPECT_EQ(rect->TabIndex(), lastTab + 1) << name;
      lastTab = rect->TabIndex();
      ++rectControls;
    }
  }
  EXPECT_EQ(rectControls, 44);
}

// Created top to bottom (Octave 5, 4, 3), each with the index it is given, not its place.
TEST_F(Controls, OctaveBoxesAreCreatedWithIndicesOneTwoZero) {
  const size_t first = creationPosition(w(), w().chkOctave(1).get());
  EXPECT_EQ(creationPosition(w(), w().chkOctave(2).get()), first + 1);
  EXPECT_EQ(creationPosition(w(), w().chkOctave(0).get()), first + 2);
}

// ---------------------------------------------------------------- wiring

struct Wired {
  const char* name;
  bool isArray;
  platform::HandlerEntry handler;
  const platform::ClassInfo& (*arrayClass)();
};

const Wired kWired[] = {
    {"cmdResponse", true, &frmMain::cmdResponse_Action, &frmMain_cmdResponse::__Lookup},
    {"cmdGo", false, &frmMain::cmdGo_Action, nullptr},
    {"tmrPitch", false, &frmMain::tmrPitch_Action, nullptr},
    {"chkPitch", true, &frmMain::chkPitch_Action, &frmMain_chkPitch::__Lookup},
    {"cmdReveal", false, &frmMain::cmdReveal_Action, nullptr},
    {"cmdTrigger", true, &frmMain::cmdTrigger_Action, &frmMain_cmdTrigger::__Lookup},
    {"tmrDelay", false, &frmMain::tmrDelay_Action, nullptr},
    {"tmrMelodyPlay", false, &frmMain::tmrMelodyPlay_Action, nullptr},
};

TEST_F(Controls, FortyOneControlsReachTheirHandlerWithTheWindowAsSelf) {
  int connections = 0;
  for (const Wired& wired : kWired) {
    const int32_t count = wired.isArray ? 12 : 1;
    for (int32_t k = 0; k < count; ++k) {
      SCOPED_TRACE(std::string(wired.name) + (wired.isArray ? " " + std::to_string(k) : ""));
      Ref<Object> control = wired.isArray
                                ? platform::RuntimeWindowControlByNameIndex(w(), wired.name, k)
                                : platform::RuntimeWindowControlByName(w(), wired.name);
      ASSERT_TRUE(control);
      EXPECT_EQ(control->handlerFor("Action"), wired.handler);

      SelfAndMe sm(*control);
      EXPECT_EQ(sm.self.get(), &w());
      EXPECT_EQ(sm.me.get(), control.get());
      if (wired.isArray) {
        EXPECT_EQ(sm.index(wired.arrayClass()), k);
      }
      ++connections;
    }
  }
  EXPECT_EQ(connections, 41);
}

TEST_F(Controls, ArrayHandlerRefusesAnElementOfAnotherArray) {
  SelfAndMe sm(*w().cmdTrigger(3));
  EXPECT_THROW(sm.index(frmMain_cmdResponse::__Lookup()), platform::NilObjectException);
}

TEST_F(Controls, OctaveBoxesGuitarBoxLabelsAndNotePlayersRunNoWindowMethod) {
  std::vector<Ref<Object>> quiet = {w().chkOctave(0),    w().chkOctave(1),  w().chkOctave(2),
                                    w().chkInstrument(), w().lblFeedback(), w().lblAnswer(),
                                    w().notPitches(),    w().notMelodies()};
  for (const auto& control : quiet) {
    ASSERT_TRUE(control);
    EXPECT_FALSE(control->hasHandler("Action"));
  }
  // A click on an unwired box only toggles it.
  platform::headless::toolkit().click(*w().chkOctave(1));
  EXPECT_TRUE(w().chkOctave(1)->Value());
  platform::headless::toolkit().click(*w().chkInstrument());
  EXPECT_TRUE(w().chkInstrument()->Value());
  EXPECT_EQ(w().lblFeedback()->Text(), "0");
}

// ---------------------------------------------------------------- ordering

// What each check box's "Value" write found: the box and whether its "Action"
// handler was already connected.
struct ValueWrite {
  std::string name;
  int32_t index;
  bool handlerConnected;
};
std::vector<ValueWrite>& valueWrites() {
  static std::vector<ValueWrite> writes;
  return writes;
}
void (*originalValueSetter)(Object&, const platform::PropertyValue&) = nullptr;

void watchingValueSetter(Object& o, const platform::PropertyValue& v) {
  auto& box = dynamic_cast<platform::CheckBox&>(o);
  valueWrites().push_back({box.Name(), box.Index(), box.hasHandler("Action")});
  originalValueSetter(o, v);
}

// Replaces CheckBox's "Value" setter in its class description with one that
// records each write, then calls the framework's. Every start-up describes
// CheckBox anew (the registry is released at shut-down), so the framework's
// setter is there to be wrapped; wrapping the watcher itself would call it
// forever.
void watchCheckBoxValueWrites() {
  valueWrites().clear();
  originalValueSetter = nullptr;
  auto& cls = const_cast<platform::ClassInfo&>(platform::CheckBox::__Lookup());
  for (platform::PropertyEntry& entry : cls.properties) {
    if (entry.name == "Value") {
      ASSERT_NE(entry.set, &watchingValueSetter) << "CheckBox's description outlived a start-up";
      originalValueSetter = entry.set;
      entry.set = &watchingValueSetter;
    }
  }
  ASSERT_NE(originalValueSetter, nullptr);
}

TEST(ControlWiring, CheckBoxValueIsAppliedBeforeItsHandlerIsConnected) {
  AppSession app(&watchCheckBoxValueWrites);
  // Twelve pitch boxes, three octave boxes, the guitar box: each written once.
  ASSERT_EQ(valueWrites().size(), 16u);
  for (const ValueWrite& write : valueWrites()) {
    EXPECT_FALSE(write.handlerConnected) << write.name << " " << write.index;
  }
  for (int32_t k = 0; k < 12; ++k) EXPECT_TRUE(app.window()->chkPitch(k)->hasHandler("Action"));
}

}  // namespace
}  // namespace velmora::testing
