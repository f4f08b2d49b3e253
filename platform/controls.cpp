// The framework's controls and their class descriptions.
#include "platform/controls.h"

#include <algorithm>

#include "platform/class_table.h"
#include "platform/run.h"
#include "platform/toolkit.h"
#include "platform/window.h"

namespace platform {

namespace {

constexpr int32_t kLowestNote = 0;
constexpr int32_t kHighestNote = 127;
constexpr int32_t kHighestVelocity = 127;
constexpr int32_t kFirstProgram = 1;
constexpr int32_t kLastProgram = 128;

using detail::assign;

}  // namespace

// ---------------------------------------------------------------- Control

const ClassInfo& Control::__Lookup() {
  static ClassSlot slot;
  return slot.get([]() -> const ClassInfo& {
    ClassInfo& c = RuntimeNewClass(nullptr, "Control", nullptr);
    c.properties = {
        VELMORA_PROPERTY(Control, Int32, Index),
        VELMORA_PROPERTY(Control, Int32, TabPanelIndex),
        VELMORA_PROPERTY(Control, Text, Name),
    };
    return c;
  });
}

Ref<platform::Window> Control::Window() const { return Ref<platform::Window>(window_); }

void Control::Close() {}

void Control::_SetWindow(platform::Window* window) { window_ = window; }

void Control::notifyChanged(Change what) {
  if (RuntimeIsInitialized()) toolkit().changed(*this, what);
}

// ---------------------------------------------------------------- RectControl

const ClassInfo& RectControl::__Lookup() {
  static ClassSlot slot;
  return slot.get([]() -> const ClassInfo& {
    ClassInfo& c = RuntimeNewClass(&Control::__Lookup(), "RectControl", nullptr);
    c.properties = {
        VELMORA_PROPERTY(RectControl, Int32, Left),
        VELMORA_PROPERTY(RectControl, Int32, Top),
        VELMORA_PROPERTY(RectControl, Int32, Width),
        VELMORA_PROPERTY(RectControl, Int32, Height),
        VELMORA_PROPERTY(RectControl, Int32, TabIndex),
        VELMORA_FIELD_PROPERTY(RectControl, Boolean, LockLeft, lockLeft),
        VELMORA_FIELD_PROPERTY(RectControl, Boolean, LockTop, lockTop),
        VELMORA_FIELD_PROPERTY(RectControl, Boolean, LockRight, lockRight),
        VELMORA_FIELD_PROPERTY(RectControl, Boolean, LockBottom, lockBottom),
        VELMORA_PROPERTY(RectControl, Boolean, TabStop),
        VELMORA_PROPERTY(RectControl, Boolean, Enabled),
        VELMORA_PROPERTY(RectControl, Boolean, Visible),
        VELMORA_FIELD_PROPERTY(RectControl, Boolean, AutoDeactivate, autoDeactivate),
        VELMORA_PROPERTY(RectControl, Text, HelpTag),
        detail::makeProperty<RectControl, PropertyType::Text,
                             [](RectControl& o, const String& v) { o.initialParent = v; }, nullptr>(
            "InitialParent"),
    };
    return c;
  });
}

void RectControl::Constructor() {}

void RectControl::Left(int32_t v) {
  if (assign(left_, v)) notifyChanged(Change::Geometry);
}
void RectControl::Top(int32_t v) {
  if (assign(top_, v)) notifyChanged(Change::Geometry);
}
void RectControl::Width(int32_t v) {
  if (assign(width_, v)) notifyChanged(Change::Geometry);
}
void RectControl::Height(int32_t v) {
  if (assign(height_, v)) notifyChanged(Change::Geometry);
}
void RectControl::Enabled(bool v) {
  if (assign(enabled_, v)) notifyChanged(Change::Enabled);
}
void RectControl::Visible(bool v) {
  if (assign(visible_, v)) notifyChanged(Change::Visible);
}
void RectControl::TextFont(String v) {
  if (assign(textFont_, std::move(v))) notifyChanged(Change::Font);
}
void RectControl::TextSize(int32_t v) {
  if (assign(textSize_, v)) notifyChanged(Change::Font);
}
void RectControl::Bold(bool v) {
  if (assign(bold_, v)) notifyChanged(Change::Font);
}
void RectControl::Italic(bool v) {
  if (assign(italic_, v)) notifyChanged(Change::Font);
}
void RectControl::Underline(bool v) {
  if (assign(underline_, v)) notifyChanged(Change::Font);
}

// The font properties are declared on each visible control class, as the
// property lists expect them there.
#define VELMORA_FONT_PROPERTIES(T)                                              \
  VELMORA_PROPERTY(T, Text, TextFont), VELMORA_PROPERTY(T, Int32, TextSize),    \
      VELMORA_PROPERTY(T, Boolean, Bold), VELMORA_PROPERTY(T, Boolean, Italic), \
      VELMORA_PROPERTY(T, Boolean, Underline)

// ---------------------------------------------------------------- PushButton

const ClassInfo& PushButton::__Lookup() {
  static ClassSlot slot;
  return slot.get([]() -> const ClassInfo& {
    ClassInfo& c = RuntimeNewClass(&RectControl::__Lookup(), "PushButton",
                                   [] { return static_cast<Object*>(new PushButton); });
    c.properties = {
        VELMORA_PROPERTY(PushButton, Text, Caption),
        VELMORA_PROPERTY(PushButton, Boolean, Default),
        VELMORA_PROPERTY(PushButton, Boolean, Cancel),
        VELMORA_FONT_PROPERTIES(PushButton),
    };
    return c;
  });
}

void PushButton::Caption(String v) {
  if (assign(caption_, std::move(v))) notifyChanged(Change::Caption);
}

void PushButton::Push() {
  if (Enabled() && Visible()) raiseEvent("Action");
}

// ---------------------------------------------------------------- CheckBox

const ClassInfo& CheckBox::__Lookup() {
  static ClassSlot slot;
  return slot.get([]() -> const ClassInfo& {
    ClassInfo& c = RuntimeNewClass(&RectControl::__Lookup(), "CheckBox",
                                   [] { return static_cast<Object*>(new CheckBox); });
    c.properties = {
        VELMORA_PROPERTY(CheckBox, Text, Caption),
        VELMORA_PROPERTY(CheckBox, Boolean, Value),
        VELMORA_FONT_PROPERTIES(CheckBox),
        VELMORA_FIELD_PROPERTY(CheckBox, Text, DataSource, dataSource),
        VELMORA_FIELD_PROPERTY(CheckBox, Text, DataField, dataField),
    };
    return c;
  });
}

void CheckBox::Caption(String v) {
  if (assign(caption_, std::move(v))) notifyChanged(Change::Caption);
}

void CheckBox::Value(bool v) {
  if (assign(value_, v)) notifyChanged(Change::Value);
}

void CheckBox::click() {
  if (!Enabled() || !Visible()) return;
  Ref<Object> keep(this);
  Value(!value_);
  raiseEvent("Action");
}

// ---------------------------------------------------------------- StaticText

const ClassInfo& StaticText::__Lookup() {
  static ClassSlot slot;
  return slot.get([]() -> const ClassInfo& {
    ClassInfo& c = RuntimeNewClass(&RectControl::__Lookup(), "StaticText",
                                   [] { return static_cast<Object*>(new StaticText); });
    c.properties = {
        VELMORA_PROPERTY(StaticText, Text, Text),
        VELMORA_PROPERTY(StaticText, Int32, TextAlign),
        VELMORA_PROPERTY(StaticText, Color, TextColor),
        VELMORA_PROPERTY(StaticText, Boolean, MultiLine),
        VELMORA_FONT_PROPERTIES(StaticText),
        VELMORA_FIELD_PROPERTY(StaticText, Text, DataSource, dataSource),
        VELMORA_FIELD_PROPERTY(StaticText, Text, DataField, dataField),
    };
    return c;
  });
}

// Text, alignment and colour all change how the label's text looks: one Change::Text.
void StaticText::Text(platform::String v) {
  if (assign(text_, std::move(v))) notifyChanged(Change::Text);
}
void StaticText::TextAlign(int32_t v) {
  if (assign(textAlign_, v)) notifyChanged(Change::Text);
}
void StaticText::TextColor(Color v) {
  if (assign(textColor_, v)) notifyChanged(Change::Text);
}

// ---------------------------------------------------------------- NotePlayer

const ClassInfo& NotePlayer::__Lookup() {
  static ClassSlot slot;
  return slot.get([]() -> const ClassInfo& {
    ClassInfo& c = RuntimeNewClass(&Control::__Lookup(), "NotePlayer",
                                   [] { return static_cast<Object*>(new NotePlayer); });
    c.properties = {VELMORA_PROPERTY(NotePlayer, Int32, Instrument)};
    return c;
  });
}

NotePlayer::~NotePlayer() = default;

// Opened on first use, so the channel is named after the player's final Name.
int NotePlayer::channel() {
  if (channel_ < 0 && RuntimeIsInitialized()) {
    channel_ = synth().openChannel(Name());
    if (channel_ >= 0) synth().programChange(channel_, instrument_ - 1);
  }
  return channel_;
}

void NotePlayer::Instrument(int32_t program) {
  if (program < kFirstProgram || program > kLastProgram) return;
  instrument_ = program;
  if (channel_ >= 0 && RuntimeIsInitialized()) synth().programChange(channel_, program - 1);
}

void NotePlayer::PlayNote(int32_t note, int32_t velocity) {
  if (note < kLowestNote || note > kHighestNote) return;
  velocity = std::clamp(velocity, 0, kHighestVelocity);
  const int ch = channel();
  if (ch < 0) return;
  if (velocity == 0) {
    synth().noteOff(ch, note);
  } else {
    synth().noteOn(ch, note, velocity);
  }
}

}  // namespace platform
