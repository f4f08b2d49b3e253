// The pitch drill: the drill note (started and released by PitchPlay, timed by
// tmrPitch) and the turns around it (answers, "Start"/"Repeat", the next turn
// two seconds after a right answer, the pitch boxes, "Give Answer").
#include <string_view>

#include "main_window/control_classes.h"
#include "main_window/frm_main.h"
#include "platform/random.h"

namespace velmora {

namespace {

constexpr int32_t kPitchClasses = 12;
constexpr int32_t kLastNaturalAboveC = 7;  // G: pitch classes above it sound below middle C
constexpr int32_t kMiddleCNote = 60;
constexpr int32_t kSemitonesPerOctave = 12;
constexpr int32_t kVelocityStart = 127;
constexpr int32_t kVelocityRelease = 0;
constexpr int32_t kPianoProgram = 1;
constexpr int32_t kGuitarProgram = 26;
constexpr int32_t kMinEnabledForStart = 2;
constexpr std::string_view kStartCaption = "Start";
constexpr std::string_view kRepeatCaption = "Repeat";

}  // namespace

// Starts the drill note when none sounds, releases it when one does; a new pitch
// class is drawn first when bNewPitch.
void frmMain::PitchPlay(bool bNewPitch) {
  // Every call makes its own random source, also one that draws nothing.
  const platform::ClassInfo& randomClass = platform::Random::__Lookup();
  Ref<platform::Random> random =
      platform::CheckCast<platform::Random>(__New(randomClass), randomClass);

  int32_t k = iPitch;
  if (bNewPitch) {
    // Eligible: an enabled response button other than the current pitch class's.
    // Without one (boxes cleared during the wait) the current pitch class stays,
    // so the draw below always ends.
    bool anyEligible = false;
    for (int32_t candidate = 0; candidate < kPitchClasses && !anyEligible; ++candidate) {
      anyEligible = candidate != iPitch && cmdResponse(candidate)->Enabled();
    }
    if (anyEligible) {
      do {
        k = random->InRange(0, kPitchClasses - 1);
      } while (!(cmdResponse(k)->Enabled() && k != iPitch));
    }
    lblAnswer()->Caption("");
    lblFeedback()->Caption("");
  }

  // The timer's mode is the note's on/off flag; read once, it alone picks the branch.
  const int32_t modeRead = tmrPitch()->Mode();

  int32_t n = k + kMiddleCNote;
  if (k > kLastNaturalAboveC) n -= kSemitonesPerOctave;

  int32_t velocity = kVelocityRelease;
  int32_t newMode = platform::Timer::kOff;
  int32_t note = 0;
  if (modeRead == platform::Timer::kOff) {
    velocity = kVelocityStart;
    newMode = platform::Timer::kMultiple;
    iCurrentPitch = n;
    if (iCurrentOctave == kOctaveSentinel) {
      const int32_t low = chkOctave(0)->Value() ? -1 : 0;
      const int32_t high = chkOctave(1)->Value() ? 1 : 0;
      iCurrentOctave = random->InRange(low, high);
    }
    if (chkInstrument()->Value()) {
      iCurrentInstrument = random->InRange(1, 2) == 2 ? kGuitarProgram : kPianoProgram;
    }
    // A right answer may put the sentinel into iCurrentOctave while this note
    // sounds; the release must still end the note number sent here.
    soundingOctave = iCurrentOctave;
    note = n + kSemitonesPerOctave * soundingOctave;
  } else {
    note = iCurrentPitch + kSemitonesPerOctave * soundingOctave;
  }

  if (chkInstrument()->Value()) notPitches()->Instrument(iCurrentInstrument);
  notPitches()->PlayNote(note, velocity);
  tmrPitch()->Mode(newMode);
  iPitch = k;
}

// Judges an answer (a pitch class, or -1 for a key that names none).
void frmMain::PitchResponse(int32_t iResponse) {
  const bool right = iResponse == iPitch;
  lblFeedback()->Caption(right ? "Yep" : "Nope");
  if (right) {
    iCurrentOctave = kOctaveSentinel;
    tmrDelay()->Mode(platform::Timer::kSingle);
  }
}

void frmMain::cmdResponse_Action(platform::Object& raiser) {
  SelfAndMe sm(raiser);
  const int32_t k = sm.index(frmMain_cmdResponse::__Lookup());
  sm.self->PitchResponse(k);
}

// "Start" asks for a new pitch class; once pressed it reads "Repeat" and replays.
// Acts only when the draw has a candidate, i.e. with two enabled response buttons.
void frmMain::cmdGo_Action(platform::Object& raiser) {
  SelfAndMe sm(raiser);
  frmMain& window = *sm.self;
  int32_t enabled = 0;
  for (int32_t k = 0; k < kPitchClasses; ++k) {
    if (window.cmdResponse(k)->Enabled()) ++enabled;
  }
  if (enabled < kMinEnabledForStart) return;
  const bool newPitch = window.cmdGo()->Caption() == kStartCaption;
  window.cmdGo()->Caption(platform::String(kRepeatCaption));
  window.PitchPlay(newPitch);
}

// The tick 1000 ms after a start: the timer runs only while the note sounds, so
// this always releases it.
void frmMain::tmrPitch_Action(platform::Object& raiser) {
  SelfAndMe sm(raiser);
  sm.self->PitchPlay(false);
}

// The next turn, 2000 ms after a right answer.
void frmMain::tmrDelay_Action(platform::Object& raiser) {
  SelfAndMe sm(raiser);
  sm.self->PitchPlay(true);
}

// A pitch box only makes its response button clickable or not.
void frmMain::chkPitch_Action(platform::Object& raiser) {
  SelfAndMe sm(raiser);
  frmMain& window = *sm.self;
  const int32_t k = sm.index(frmMain_chkPitch::__Lookup());
  window.cmdResponse(k)->Enabled(window.chkPitch(k)->Value());
}

void frmMain::cmdReveal_Action(platform::Object& raiser) {
  SelfAndMe sm(raiser);
  frmMain& window = *sm.self;
  window.lblAnswer()->Caption(window.sPitchNames->get(window.iPitch));
}

}  // namespace velmora
