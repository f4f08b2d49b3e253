// The window's 49 controls as construction leaves them: where each is found,
// what it shows, and which handler a click or tick reaches, with which self,
// me and index.
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

using platform::kNoIndex;
using platform::Object;

const char* const kPitchNames[12] = {"C",  "C#", "D",  "Eb", "E",  "F",
                                     "F#", "G",  "Ab", "A",  "Bb", "B"};

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

TEST_F(Controls, OctaveBoxesKeepTheirIndicesThoughCreatedOneTwoZero) {
  struct Octave {
    int32_t index;
    const char* caption;
    int32_t top;
    bool value;
    bool enabled;
    size_t createdAmongThree;
  };
  const Octave octaves[] = {{0, "Octave 3", 177, false, true, 2},
                            {1, "Octave 5", 141, false, true, 0},
                            {2, "Octave 4", 159, true, false, 1}};
  const size_t first = creationPosition(w(), w().chkOctave(1).get());
  for (const Octave& o : octaves) {
    Ref<platform::CheckBox> box = w().chkOctave(o.index);
    ASSERT_TRUE(box) << o.index;
    EXPECT_EQ(box->Caption(), o.caption);
    EXPECT_EQ(box->Index(), o.index);
    EXPECT_EQ(box->Top(), o.top);
    EXPECT_EQ(box->Value(), o.value);
    EXPECT_EQ(box->Enabled(), o.enabled);
    EXPECT_EQ(creationPosition(w(), box.get()) - first, o.createdAmongThree) << o.caption;
  }
}

TEST_F(Controls, EachPitchRowHoldsItsButtonBoxAndTrigger) {
  for (int32_t k = 0; k < 12; ++k) {
    SCOPED_TRACE(kPitchNames[k]);
    const int32_t rowTop = 296 - 26 * k;
    Ref<platform::PushButton> response = w().cmdResponse(k);
    Ref<platform::CheckBox> box = w().chkPitch(k);
    Ref<platform::PushButton> trigger = w().cmdTrigger(k);
    ASSERT_TRUE(response && box && trigger);

    EXPECT_EQ(response->Caption(), kPitchNames[k]);
    EXPECT_EQ(response->Index(), k);
    EXPECT_EQ(response->Top(), rowTop);
    EXPECT_TRUE(response->Enabled());

    EXPECT_EQ(box->Index(), k);
    EXPECT_EQ(box->Caption(), "");
    EXPECT_TRUE(box->Value());
    EXPECT_EQ(box->Top(), k == 0 ? rowTop : rowTop + 1);

    EXPECT_EQ(trigger->Caption(), std::string(kPitchNames[k]) + " trigger");
    EXPECT_EQ(trigger->Index(), k);
    EXPECT_EQ(trigger->Top(), rowTop);
  }
}

TEST_F(Controls, SingleControlsShowTheirDesignTimeValues) {
  EXPECT_EQ(w().cmdGo()->Caption(), "Start");
  EXPECT_EQ(w().cmdGo()->Height(), 36);
  EXPECT_EQ(w().cmdReveal()->Caption(), "Give Answer");
  EXPECT_EQ(w().lblFeedback()->Text(), "0");
  EXPECT_EQ(w().lblAnswer()->Text(), "");
  EXPECT_EQ(w().lblFeedback()->TextAlign(), 1);
  EXPECT_EQ(w().chkInstrument()->Caption(), "Include guitar");
  EXPECT_FALSE(w().chkInstrument()->Value());
  EXPECT_EQ(w().notPitches()->Instrument(), 1);
  EXPECT_EQ(w().notMelodies()->Instrument(), 1);

  struct TimerValues {
    Ref<platform::Timer> timer;
    int32_t periodMs;
  };
  for (const auto& t : {TimerValues{w().tmrPitch(), 1000}, TimerValues{w().tmrDelay(), 2000},
                        TimerValues{w().tmrMelodyPlay(), 150}}) {
    ASSERT_TRUE(t.timer);
    EXPECT_EQ(t.timer->Mode(), platform::Timer::kOff);
    EXPECT_EQ(t.timer->Period(), t.periodMs);
  }
  EXPECT_EQ(platform::headless::toolkit().armedTimerCount(), 0u);
  EXPECT_TRUE(platform::headless::synth().events().empty()) << "nothing sounds at start";
}

TEST_F(Controls, ControlsOutsideArraysReadTheNoIndexValue) {
  const Ref<platform::Control> singles[] = {w().cmdGo(),        w().cmdReveal(),  w().lblFeedback(),
                                            w().lblAnswer(),    w().notPitches(), w().notMelodies(),
                                            w().chkInstrument()};
  for (const auto& control : singles) {
    ASSERT_TRUE(control);
    EXPECT_EQ(control->Index(), kNoIndex) << control->Name();
  }
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

TEST_F(Controls, EveryTimerKnowsTheWindowBeforeItsFirstTick) {
  for (const auto& timer : {w().tmrPitch(), w().tmrDelay(), w().tmrMelodyPlay()}) {
    auto* child = dynamic_cast<platform::_PaneChild*>(timer.get());
    ASSERT_NE(child, nullptr);
    EXPECT_EQ(child->Window().get(), &w());
    EXPECT_EQ(timer->Mode(), platform::Timer::kOff) << "no tick has come yet";
  }
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
// records each write, then calls the framework's.
void watchCheckBoxValueWrites() {
  auto& cls = const_cast<platform::ClassInfo&>(platform::CheckBox::__Lookup());
  for (platform::PropertyEntry& entry : cls.properties) {
    if (entry.name == "Value") {
      originalValueSetter = entry.set;
      entry.set = &watchingValueSetter;
    }
  }
  ASSERT_NE(originalValueSetter, nullptr);
}

TEST(ControlWiring, CheckBoxValueIsAppliedBeforeItsHandlerIsConnected) {
  AppSession app(1, &watchCheckBoxValueWrites);
  // Twelve pitch boxes, three octave boxes, the guitar box: each written once.
  ASSERT_EQ(valueWrites().size(), 16u);
  for (const ValueWrite& write : valueWrites()) {
    EXPECT_FALSE(write.handlerConnected) << write.name << " " << write.index;
  }
  for (int32_t k = 0; k < 12; ++k) EXPECT_TRUE(app.window()->chkPitch(k)->hasHandler("Action"));
}

}  // namespace
}  // namespace velmora::testing
