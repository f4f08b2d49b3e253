// The window's design-time data: one row per control in creation order, and the
// property lists built from those rows at compile time. Each list is the exact
// batch of values the window or a control receives right after creation.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <utility>

#include "main_window/control_classes.h"
#include "main_window/frm_main.h"
#include "platform/controls.h"
#include "platform/property_list.h"

namespace velmora::layout {

// How a control is created, constructed and what its list holds.
enum class Kind { PushButton, CheckBox, Label, NotePlayer, Timer };

inline constexpr int32_t kNoIndex = platform::kNoIndex;
inline constexpr int32_t kButtonWidth = 80;
inline constexpr int32_t kButtonHeight = 22;
inline constexpr int32_t kCheckHeight = 20;
inline constexpr int32_t kLabelHeight = 20;
inline constexpr int32_t kPitchBoxLeft = 17;
inline constexpr int32_t kPitchBoxWidth = 16;
inline constexpr int32_t kMiddleLeft = 201;
inline constexpr int32_t kMiddleWidth = 100;

struct ControlRow {
  Kind kind;
  std::string_view name = {};
  int32_t index = kNoIndex;  // kNoIndex outside control arrays (and for timers)
  int32_t left = 0, top = 0, width = 0, height = 0;
  int32_t tabIndex = 0;
  std::string_view caption = {};  // a label's text
  bool value = false;             // check boxes
  bool enabled = true;
  int32_t periodMs = 0;  // timers
  const platform::ClassInfo& (*cls)() = nullptr;
  platform::HandlerEntry action = nullptr;  // nullptr: no "Action" handler
};

constexpr ControlRow arrayButton(std::string_view name, int32_t index, int32_t left, int32_t top,
                                 int32_t tab, std::string_view caption,
                                 const platform::ClassInfo& (*cls)(),
                                 platform::HandlerEntry action) {
  return {.kind = Kind::PushButton,
          .name = name,
          .index = index,
          .left = left,
          .top = top,
          .width = kButtonWidth,
          .height = kButtonHeight,
          .tabIndex = tab,
          .caption = caption,
          .cls = cls,
          .action = action};
}
constexpr ControlRow button(std::string_view name, int32_t left, int32_t top, int32_t height,
                            int32_t tab, std::string_view caption, platform::HandlerEntry action) {
  return {.kind = Kind::PushButton,
          .name = name,
          .left = left,
          .top = top,
          .width = kButtonWidth,
          .height = height,
          .tabIndex = tab,
          .caption = caption,
          .cls = &platform::PushButton::__Lookup,
          .action = action};
}
constexpr ControlRow pitchBox(int32_t index, int32_t top, int32_t tab) {
  return {.kind = Kind::CheckBox,
          .name = "chkPitch",
          .index = index,
          .left = kPitchBoxLeft,
          .top = top,
          .width = kPitchBoxWidth,
          .height = kCheckHeight,
          .tabIndex = tab,
          .value = true,
          .cls = &frmMain_chkPitch::__Lookup,
          .action = &frmMain::chkPitch_Action};
}
constexpr ControlRow octaveBox(int32_t index, int32_t top, int32_t tab, std::string_view caption,
                               bool value, bool enabled) {
  return {.kind = Kind::CheckBox,
          .name = "chkOctave",
          .index = index,
          .left = kMiddleLeft,
          .top = top,
          .width = kMiddleWidth,
          .height = kCheckHeight,
          .tabIndex = tab,
          .caption = caption,
          .value = value,
          .enabled = enabled,
          .cls = &frmMain_chkOctave::__Lookup};
}
constexpr ControlRow checkBox(std::string_view name, int32_t left, int32_t top, int32_t width,
                              int32_t tab, std::string_view caption, bool value) {
  return {.kind = Kind::CheckBox,
          .name = name,
          .left = left,
          .top = top,
          .width = width,
          .height = kCheckHeight,
          .tabIndex = tab,
          .caption = caption,
          .value = value,
          .cls = &platform::CheckBox::__Lookup};
}
constexpr ControlRow label(std::string_view name, int32_t left, int32_t top, int32_t width,
                           int32_t tab, std::string_view text) {
  return {.kind = Kind::Label,
          .name = name,
          .left = left,
          .top = top,
          .width = width,
          .height = kLabelHeight,
          .tabIndex = tab,
          .caption = text,
          .cls = &platform::StaticText::__Lookup};
}
constexpr ControlRow notePlayer(std::string_view name) {
  return {.kind = Kind::NotePlayer, .name = name, .cls = &platform::NotePlayer::__Lookup};
}
constexpr ControlRow timer(std::string_view name, int32_t periodMs,
                           const platform::ClassInfo& (*cls)(), platform::HandlerEntry action) {
  return {.kind = Kind::Timer, .name = name, .periodMs = periodMs, .cls = cls, .action = action};
}

constexpr ControlRow response(int32_t index, int32_t top, int32_t tab, std::string_view caption) {
  return arrayButton("cmdResponse", index, 45, top, tab, caption, &frmMain_cmdResponse::__Lookup,
                     &frmMain::cmdResponse_Action);
}
constexpr ControlRow trigger(int32_t index, int32_t top, int32_t tab, std::string_view caption) {
  return arrayButton("cmdTrigger", index, 388, top, tab, caption, &frmMain_cmdTrigger::__Lookup,
                     &frmMain::cmdTrigger_Action);
}

// The 49 controls in creation order. Controls with a tab index come in tab
// order; the octave boxes stand top to bottom 5, 4, 3 with indices 1, 2, 0.
inline constexpr std::array kControls = {
    response(0, 296, 0, "C"),
    response(1, 270, 1, "C#"),
    response(2, 244, 2, "D"),
    response(3, 218, 3, "Eb"),
    button("cmdGo", 211, 15, 36, 4, "Start", &frmMain::cmdGo_Action),
    timer("tmrPitch", 1000, &frmMain_tmrPitch::__Lookup, &frmMain::tmrPitch_Action),
    notePlayer("notPitches"),
    label("lblFeedback", kMiddleLeft, 298, kMiddleWidth, 5, "0"),
    pitchBox(0, 296, 6),
    response(4, 192, 7, "E"),
    response(5, 166, 8, "F"),
    response(6, 140, 9, "F#"),
    response(7, 114, 10, "G"),
    response(8, 88, 11, "Ab"),
    response(9, 62, 12, "A"),
    response(10, 36, 13, "Bb"),
    response(11, 10, 14, "B"),
    pitchBox(1, 271, 15),
    pitchBox(2, 245, 16),
    pitchBox(3, 219, 17),
    pitchBox(4, 193, 18),
    pitchBox(5, 167, 19),
    pitchBox(6, 141, 20),
    pitchBox(7, 115, 21),
    pitchBox(8, 89, 22),
    pitchBox(9, 63, 23),
    pitchBox(10, 37, 24),
    pitchBox(11, 11, 25),
    button("cmdReveal", 211, 63, kButtonHeight, 26, "Give Answer", &frmMain::cmdReveal_Action),
    label("lblAnswer", 211, 97, 80, 27, ""),
    trigger(0, 296, 28, "C trigger"),
    trigger(1, 270, 29, "C# trigger"),
    trigger(2, 244, 30, "D trigger"),
    trigger(3, 218, 31, "Eb trigger"),
    trigger(4, 192, 32, "E trigger"),
    trigger(5, 166, 33, "F trigger"),
    trigger(6, 140, 34, "F# trigger"),
    trigger(7, 114, 35, "G trigger"),
    trigger(8, 88, 36, "Ab trigger"),
    trigger(9, 62, 37, "A trigger"),
    trigger(10, 36, 38, "Bb trigger"),
    trigger(11, 10, 39, "B trigger"),
    timer("tmrDelay", 2000, &frmMain_tmrDelay::__Lookup, &frmMain::tmrDelay_Action),
    timer("tmrMelodyPlay", 150, &frmMain_tmrMelodyPlay::__Lookup, &frmMain::tmrMelodyPlay_Action),
    notePlayer("notMelodies"),
    octaveBox(1, 141, 40, "Octave 5", false, true),
    octaveBox(2, 159, 41, "Octave 4", true, false),
    octaveBox(0, 177, 42, "Octave 3", false, true),
    checkBox("chkInstrument", kMiddleLeft, 213, kMiddleWidth, 43, "Include guitar", false),
};

// ---------------------------------------------------------------- list writers

inline constexpr std::string_view kTextFont = "System";
inline constexpr int32_t kTextAlign = 1;
inline constexpr int32_t kInstrumentPiano = 1;
inline constexpr int32_t kTimerOff = 0;

// Name to TabIndex, shared by push buttons, check boxes and labels.
template <class W>
constexpr void writeRectStart(W& w, const ControlRow& r) {
  w.text("Name", r.name).i32("Index", r.index);
  w.i32("Left", r.left).i32("Top", r.top).i32("Width", r.width).i32("Height", r.height);
  w.boolean("LockLeft", false).boolean("LockTop", false);
  w.boolean("LockRight", false).boolean("LockBottom", false);
  w.i32("TabPanelIndex", 0).i32("TabIndex", r.tabIndex);
}

// HelpTag to Underline, shared by push buttons, check boxes and labels.
template <class W>
constexpr void writeTextStyle(W& w) {
  w.text("HelpTag", "").boolean("AutoDeactivate", true);
  w.text("TextFont", kTextFont).i32("TextSize", 0);
  w.boolean("Bold", false).boolean("Italic", false).boolean("Underline", false);
}

template <class W>
constexpr void writePushButton(W& w, const ControlRow& r) {
  writeRectStart(w, r);
  w.boolean("TabStop", true).text("Caption", r.caption);
  w.boolean("Default", false).boolean("Cancel", false);
  w.boolean("Enabled", r.enabled).boolean("Visible", true);
  writeTextStyle(w);
  w.text("InitialParent", "");
}

template <class W>
constexpr void writeCheckBox(W& w, const ControlRow& r) {
  writeRectStart(w, r);
  w.boolean("TabStop", true).text("Caption", r.caption);
  w.boolean("Enabled", r.enabled).boolean("Visible", true);
  writeTextStyle(w);
  w.boolean("Value", r.value).text("DataSource", "").text("DataField", "");
  w.text("InitialParent", "");
}

template <class W>
constexpr void writeLabel(W& w, const ControlRow& r) {
  writeRectStart(w, r);
  w.text("Text", r.caption).i32("TextAlign", kTextAlign).color("TextColor", 0, 0, 0);
  w.boolean("Multiline", false);
  w.boolean("Enabled", r.enabled).boolean("Visible", true);
  writeTextStyle(w);
  w.text("DataSource", "").text("DataField", "").text("InitialParent", "");
}

template <class W>
constexpr void writeControl(W& w, const ControlRow& r) {
  switch (r.kind) {
    case Kind::PushButton:
      return writePushButton(w, r);
    case Kind::CheckBox:
      return writeCheckBox(w, r);
    case Kind::Label:
      return writeLabel(w, r);
    case Kind::NotePlayer:
      w.text("Name", r.name).i32("Index", r.index).i32("TabPanelIndex", 0);
      w.i32("Instrument", kInstrumentPiano);
      return;
    case Kind::Timer:
      w.i32("Mode", kTimerOff).i32("Period", r.periodMs);
      return;
  }
}

// ---------------------------------------------------------------- the lists

inline constexpr auto kWindowList = platform::MakePropertyList<[](auto& w) {
  w.i32("Placement", 0).i32("Width", 482).i32("Height", 331);
  w.i32("MinWidth", 64).i32("MinHeight", 64).i32("MaxWidth", 32000).i32("MaxHeight", 32000);
  w.i32("Frame", 0).boolean("Composite", false).boolean("HasBackColor", false);
  w.color("BackColor", 0xFF, 0xFF, 0xFF).text("Title", "Velmora").boolean("Visible", true);
  w.boolean("FullScreen", false).boolean("MenuBarVisible", true).boolean("CloseButton", true);
  w.boolean("Resizeable", false).boolean("LiveResize", false);
  w.boolean("MaximizeButton", false).boolean("MinimizeButton", true);
  w.i32("MacProcID", 0);
}>();

template <size_t I>
inline constexpr auto kControlList =
    platform::MakePropertyList<[](auto& w) { writeControl(w, kControls[I]); }>();

template <size_t... Is>
constexpr auto listViews(std::index_sequence<Is...>) {
  return std::array<std::string_view, sizeof...(Is)>{kControlList<Is>.view()...};
}

// kControlLists[i] is the list of kControls[i].
inline constexpr auto kControlLists = listViews(std::make_index_sequence<kControls.size()>());

static_assert(kControls.size() == 49);
static_assert([] {
  for (std::string_view list : kControlLists) {
    if (list.size() < 20 || list.size() > 339) return false;
  }
  return true;
}());

}  // namespace velmora::layout
