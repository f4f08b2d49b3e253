// The main window: its class, its state between events, and its handlers.
#pragma once

#include <cstdint>

#include "platform/array.h"
#include "platform/controls.h"
#include "platform/menu.h"
#include "platform/object.h"
#include "platform/timer.h"
#include "platform/window.h"

namespace velmora {

using platform::Ref;

class frmMain : public platform::Window {
 public:
  static constexpr const char* kClassName = "frmMain.frmMain";

  // The class description, built and registered on first use (and again after
  // the registry's release at shut-down); __ctblinit is that first use.
  static const platform::ClassInfo& __Lookup();
  static void __ctblinit();
  // Property initialiser (creates the four arrays) and finaliser (releases them).
  static void __Init(platform::Object& self);
  static void __Exit(platform::Object& self);

  // Window events, bound by name in the class description.
  static void Layout(platform::Object& self);
  static void CreateControls(platform::Object& self);
  static void Event_Open(platform::Object& self);
  static bool Event_KeyDown(platform::Object& self, const platform::String& key);
  void _CreateControls0();

  // "Action" handlers. Each is entered with the object that raised the event and
  // first turns it into self (this window) and me (that object).
  static void cmdResponse_Action(platform::Object& raiser);
  static void cmdGo_Action(platform::Object& raiser);
  static void tmrPitch_Action(platform::Object& raiser);
  static void chkPitch_Action(platform::Object& raiser);
  static void cmdReveal_Action(platform::Object& raiser);
  static void cmdTrigger_Action(platform::Object& raiser);
  static void tmrDelay_Action(platform::Object& raiser);
  static void tmrMelodyPlay_Action(platform::Object& raiser);

  // The drill.
  void PitchPlay(bool bNewPitch);
  void PitchResponse(int32_t iResponse);
  // The trigger melodies.
  void MelodyInit();
  void ParseMelody(int32_t k);
  void MelodyLoad(int32_t k);
  void MelodyPlay();

  // Controls, looked up through the window at every use (nil when missing).
  Ref<platform::PushButton> cmdResponse(int32_t index);
  Ref<platform::PushButton> cmdGo();
  Ref<platform::Timer> tmrPitch();
  Ref<platform::NotePlayer> notPitches();
  Ref<platform::StaticText> lblFeedback();
  Ref<platform::CheckBox> chkPitch(int32_t index);
  Ref<platform::PushButton> cmdReveal();
  Ref<platform::StaticText> lblAnswer();
  Ref<platform::PushButton> cmdTrigger(int32_t index);
  Ref<platform::Timer> tmrDelay();
  Ref<platform::Timer> tmrMelodyPlay();
  Ref<platform::NotePlayer> notMelodies();
  Ref<platform::CheckBox> chkOctave(int32_t index);
  Ref<platform::CheckBox> chkInstrument();

  // Menu items of the window's menu bar, by name (nil when missing).
  Ref<platform::MenuItem> menuItem(std::string_view name);

  // State kept between events.
  int32_t iPitch = 0;                          // pitch class of the current turn
  Ref<platform::TextArray> sPitchNames;        // 0..11: name of each pitch class
  Ref<platform::TextArray> sMelodies;          // 0..11: the built-in melody strings
  int32_t iCurrentPitch = 0;                   // note number before the octave shift, last start
  int32_t iMelodyBeat = 0;                     // the melody beat sent last
  Ref<platform::Int32Array2> iMelodyBuild;     // parsed items: note, duration, start beat
  Ref<platform::Int32Array2> iMelodyPlay;      // beat event table: 20 slots per beat
  int32_t iCurrentOctave = 0;                  // -1, 0, +1; kOctaveSentinel: draw anew
  int32_t iCurrentInstrument = 0;              // 1 or 26 once drawn
  int32_t soundingOctave = 0;  // octave offset the start of the sounding drill note applied

  static constexpr int32_t kOctaveSentinel = 100;
};

// The first step of every "Action" handler: `self` becomes the window that owns
// the raiser and `me` the raiser (RuntimeSwapSelfAndMe). Raises NilObjectException
// when the raiser belongs to no frmMain.
struct SelfAndMe {
  explicit SelfAndMe(platform::Object& raiser);
  Ref<frmMain> self;
  Ref<platform::Object> me;
  // The Index of me taken as an element of `arrayClass` (nil cast: NilObjectException).
  int32_t index(const platform::ClassInfo& arrayClass) const;
};

namespace accessor {
// The window's implicit instance, created and constructed on first use.
Ref<frmMain> frmMain();
}  // namespace accessor

}  // namespace velmora
