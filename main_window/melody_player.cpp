// The melody player: the trigger buttons start and stop a melody, and each tick
// of tmrMelodyPlay sends one beat of the beat event table to notMelodies.
//
// Whether a melody plays is the mode of tmrMelodyPlay alone: 0 none, 2 one beat
// per period. Beat b is sent b x Period ms after the press, beat 0 at the press.

#include "main_window/control_classes.h"
#include "main_window/frm_main.h"
#include "platform/text.h"

namespace velmora {

namespace {
constexpr int32_t kNoteOnVelocity = 127;
constexpr int32_t kNoteOffVelocity = 0;
}  // namespace

void frmMain::cmdTrigger_Action(platform::Object& raiser) {
  SelfAndMe sm(raiser);
  const int32_t k = sm.index(frmMain_cmdTrigger::__Lookup());
  if (sm.self->tmrMelodyPlay()->Mode() == platform::Timer::kOff) {
    sm.self->MelodyLoad(k);
    sm.self->MelodyPlay();
  } else {
    // A press during a melody only stops it: sounding notes keep sounding, and
    // no melody starts, whichever button it was.
    sm.self->tmrMelodyPlay()->Mode(platform::Timer::kOff);
  }
}

void frmMain::tmrMelodyPlay_Action(platform::Object& raiser) {
  SelfAndMe sm(raiser);
  sm.self->MelodyPlay();
}

void frmMain::MelodyPlay() {
  Ref<platform::Int32Array2> table = iMelodyPlay;
  const int32_t lastBeat = table->Ubound(1);
  const int32_t lastSlot = table->Ubound(2);

  // A stopped timer means this is the press: beat 0. Otherwise a tick: the next beat.
  if (tmrMelodyPlay()->Mode() == platform::Timer::kOff) {
    iMelodyBeat = 0;
  } else {
    iMelodyBeat = iMelodyBeat + 1;
  }
  const int32_t b = iMelodyBeat;

  // The table is rebuilt only while the timer is stopped, so b never passes the
  // last beat; should it ever, nothing is read and the melody ends.
  if (b <= lastBeat) {
    for (int32_t j = 0; j <= lastSlot; ++j) {
      const int32_t v = table->get(b, j);
      if (v == 0) break;
      const int32_t velocity = v < 0 ? kNoteOffVelocity : kNoteOnVelocity;
      const auto note = static_cast<int32_t>(platform::Abs(v));
      notMelodies()->PlayNote(note, velocity);
    }
  }

  // The mode is written only when it changes: to 2 at the press, to 0 at the last beat.
  const int32_t newMode = b >= lastBeat ? platform::Timer::kOff : platform::Timer::kMultiple;
  if (tmrMelodyPlay()->Mode() != newMode) tmrMelodyPlay()->Mode(newMode);
}

}  // namespace velmora
