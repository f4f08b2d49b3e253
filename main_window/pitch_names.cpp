// The pitch names, and answers given with the letter keys (Shift for the sharps
// and flats).
#include <array>
#include <string_view>

#include "main_window/frm_main.h"
#include "platform/random.h"
#include "platform/text.h"

namespace velmora {

namespace {

constexpr int32_t kLastPitchClass = 11;
constexpr int32_t kNoPitchClass = -1;

// Index = pitch class; also the response buttons' captions.
constexpr std::array<std::string_view, kLastPitchClass + 1> kPitchNames = {
    "C", "C#", "D", "Eb", "E", "F", "F#", "G", "Ab", "A", "Bb", "B"};

frmMain& windowOf(platform::Object& self) {
  return *platform::CheckCast<frmMain>(Ref<platform::Object>(&self), frmMain::__Lookup());
}

}  // namespace

// Fills the pitch names, then the melody table. Touches no control.
void frmMain::Event_Open(platform::Object& self) {
  frmMain& window = windowOf(self);
  for (int32_t k = 0; k <= kLastPitchClass; ++k) {
    window.sPitchNames->set(k, platform::String(kPitchNames[k]));
  }
  window.MelodyInit();
}

// Any key press is an answer: the pitch class its letter names (Shift moves C and
// F up, E, A and B down a semitone), or -1. The key is never marked as handled.
bool frmMain::Event_KeyDown(platform::Object& self, const platform::String& key) {
  frmMain& window = windowOf(self);
  Ref<platform::Int32Array> shiftAdjustment = platform::CreateArray<int32_t>(kLastPitchClass);
  bool shift = false;
  {
    Ref<platform::_Keyboard> keyboard = platform::Keyboard();
    shift = keyboard->AsyncShiftKey();
  }
  int32_t answer = kNoPitchClass;
  shiftAdjustment->set(0, +1);
  shiftAdjustment->set(5, +1);
  shiftAdjustment->set(11, -1);
  shiftAdjustment->set(4, -1);
  shiftAdjustment->set(9, -1);

  // Whole-text comparison over all twelve names; no early exit.
  const platform::String upper = platform::Uppercase(key);
  for (int32_t i = 0; i <= kLastPitchClass; ++i) {
    if (upper == window.sPitchNames->get(i)) {
      answer = shift ? i + shiftAdjustment->get(i) : i;
    }
  }
  window.PitchResponse(answer);
  return false;
}

}  // namespace velmora
