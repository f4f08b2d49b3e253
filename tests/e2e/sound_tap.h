// The program's note output in the end-to-end tests: real FluidSynth rendering
// into memory (no audio device) with the small TimGM6mb SoundFont, behind a tap
// that records every call the framework makes, and a "speaker" thread that
// renders it as an audio driver would, so the tests can tell what was heard.
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/backends/fluidsynth/fluidsynth_synth.h"

namespace velmora::e2e {

inline const std::string kTimGm = "/usr/share/sounds/sf2/TimGM6mb.sf2";

// One call the synthesiser received.
struct SynthCall {
  enum class Kind { OpenChannel, ProgramChange, NoteOn, NoteOff, AllNotesOff, LoopStarted };
  Kind kind;
  double timeMs;       // the framework's clock when the call came
  std::string player;  // the note player owning the channel ("" for the whole synthesiser)
  int note = 0;        // NoteOn, NoteOff
  int value = 0;       // NoteOn: velocity; ProgramChange: program 0..127
};

bool isNoteOn(const SynthCall& call, std::string_view player);
// A note-off, or a note-on at velocity 0, of `note` on `player`.
bool isRelease(const SynthCall& call, std::string_view player, int note);
// Notes started and never released by the end of `calls`, as "player note"; the
// shut-down's all-notes-off releases everything started before it.
std::vector<std::string> notesLeftSounding(const std::vector<SynthCall>& calls);

// Renders the synthesiser in real time on its own thread, 10 ms at a time, as
// FluidSynth's audio driver would, and keeps the loudness it hears.
class Speaker {
 public:
  ~Speaker() { stop(); }
  void start(std::shared_ptr<platform::fluidsynth::FluidSynthSynth> synth);
  void stop();
  // RMS of the last block rendered, and of the loudest so far.
  double lastRms() const { return lastRms_.load(); }
  double loudestRms() const { return loudestRms_.load(); }

 private:
  std::shared_ptr<platform::fluidsynth::FluidSynthSynth> synth_;
  std::atomic<bool> running_{false};
  std::atomic<double> lastRms_{0.0};
  std::atomic<double> loudestRms_{0.0};
  std::thread thread_;
};

// What a test sets before the program starts (makeSynth reads it) and reads
// afterwards. One per test; the synthesiser outlives the program's shut-down.
struct Studio {
  Studio();
  platform::fluidsynth::FluidSynthOptions options;  // TimGM6mb, rendering into memory
  std::function<void()> onLoopStarted;              // runs when the event loop has started
  std::shared_ptr<platform::fluidsynth::FluidSynthSynth> fluid;
  std::vector<SynthCall> calls;  // written and read on the event-loop thread only
  Speaker speaker;
};

Studio& studio();
void newStudio();
void endStudio();

// RMS of the last 100 ms of the next `seconds` of sound.
double tailRms(platform::fluidsynth::FluidSynthSynth& synth, double seconds);

}  // namespace velmora::e2e
