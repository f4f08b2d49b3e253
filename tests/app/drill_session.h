// A running Velmora on the headless backend, driven as a person would: clicks,
// keys and the passing of (virtual) time, and read back as a person sees and
// hears it: labels, captions, enabled buttons and the notes of the drill player.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "main_window/frm_main.h"
#include "platform/backends/headless/headless.h"
#include "platform/run.h"
#include "platform/window.h"
#include "tests/app/app_startup.h"
#include "tests/common/pitch_classes.h"

namespace velmora::testing {

inline constexpr std::string_view kDrillPlayer = "notPitches";
inline constexpr double kNoteLengthMs = 1000;
inline constexpr double kNextTurnDelayMs = 2000;

class DrillSession {
 public:
  // Starts the program with the app's random draws seeded by `seed`.
  explicit DrillSession(uint64_t seed = 1) { toolkit().seedRandom(seed); }

  frmMain& window() { return *app_.window(); }
  platform::headless::HeadlessToolkit& toolkit() { return platform::headless::toolkit(); }

  // ---- acting
  void pressStart() { toolkit().click(*window().cmdGo()); }
  void pressGiveAnswer() { toolkit().click(*window().cmdReveal()); }
  void clickResponse(int k) { toolkit().click(*window().cmdResponse(k)); }
  void clickPitchBox(int k) { toolkit().click(*window().chkPitch(k)); }
  void clickOctave3() { toolkit().click(*window().chkOctave(0)); }
  void clickOctave5() { toolkit().click(*window().chkOctave(1)); }
  void clickGuitar() { toolkit().click(*window().chkInstrument()); }
  // Returns what the window told the toolkit (whether it handled the key).
  bool key(const std::string& text, bool shift = false) {
    return toolkit().keyDown(window(), text, shift);
  }
  void advance(double ms) { toolkit().advance(ms); }

  // Clicks pitch boxes until exactly the pitch classes in `wanted` are checked.
  void keepOnlyPitchClasses(const std::vector<int>& wanted) {
    for (int k = 0; k < 12; ++k) {
      bool want = false;
      for (int w : wanted) want = want || w == k;
      if (window().chkPitch(k)->Value() != want) clickPitchBox(k);
    }
  }

  // ---- seeing
  std::string feedback() { return window().lblFeedback()->Text(); }
  std::string answer() { return window().lblAnswer()->Text(); }
  std::string goCaption() { return window().cmdGo()->Caption(); }
  bool responseEnabled(int k) { return window().cmdResponse(k)->Enabled(); }

  // ---- hearing
  std::vector<platform::headless::NoteEvent> drillNotes() const {
    std::vector<platform::headless::NoteEvent> out;
    for (const auto& e : platform::headless::synth().events()) {
      if (e.player == kDrillPlayer) out.push_back(e);
    }
    return out;
  }
  std::vector<platform::headless::NoteEvent> drillNoteOns() const {
    std::vector<platform::headless::NoteEvent> out;
    for (const auto& e : drillNotes()) {
      if (e.velocity > 0) out.push_back(e);
    }
    return out;
  }
  std::vector<int> sounding() const { return platform::headless::synth().sounding(kDrillPlayer); }
  // The pitch class of the drill note started last (-1 before the first).
  int heardPitchClass() const {
    const auto ons = drillNoteOns();
    return ons.empty() ? -1 : ons.back().note % 12;
  }

  // A right answer to the pitch class heard last, then the two-second wait: the
  // next turn's note has started when this returns.
  void answerHeardAndWaitForNextTurn() {
    clickResponseOrKey(heardPitchClass());
    advance(kNextTurnDelayMs);
  }
  // Answers pitch class k by its button, or by key when the button is disabled.
  void clickResponseOrKey(int k) {
    if (responseEnabled(k)) {
      clickResponse(k);
      return;
    }
    key(std::string(1, kAnswerKeys[k].letter), kAnswerKeys[k].shift);
  }

 private:
  AppSession app_;
};

}  // namespace velmora::testing
