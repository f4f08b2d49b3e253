// The backend seam. The core calls these; a backend implements them. The
// executable links one toolkit (Qt, or headless for tests) and one synthesiser
// (FluidSynth, or the headless recorder) and the linker picks makeToolkit and
// makeSynth from them.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string_view>

#include "platform/controls.h"

namespace platform {

class Timer;
class Window;
class MenuItem;

class Toolkit {
 public:
  virtual ~Toolkit() = default;
  // False (with one line on stderr already printed) when the toolkit cannot run,
  // e.g. no display.
  virtual bool start() = 0;

  // Clock and timers. nowMs is monotonic milliseconds since the toolkit started.
  virtual double nowMs() = 0;
  // Fire timer.fire() at the absolute deadline (already past: as soon as possible).
  // Arming an armed timer moves its deadline.
  virtual void armTimer(Timer& timer, double deadlineMs) = 0;
  virtual void disarmTimer(Timer& timer) = 0;

  // Event loop: run returns after quit(). A handler's exception ends the loop
  // and is rethrown from run.
  virtual void run() = 0;
  virtual void quit() = 0;
  // Runs `task` once on the event-loop thread, after the loop has started and
  // handled what was already pending. An exception from it ends the loop as a
  // handler's would.
  virtual void whenRunning(std::function<void()> task) = 0;

  // Windows: show builds the window with its registered controls and menu bar.
  virtual void showWindow(Window& window) = 0;
  virtual void closeWindow(Window& window) = 0;
  // `object` (a control or a window) changed what a person sees.
  virtual void changed(Object& object, Change what) = 0;

  // Input state and randomness.
  virtual bool shiftKeyDown() = 0;
  virtual uint64_t newRandomSeed() = 0;
};

// Sounds notes. One MIDI channel per note player, never the drum channel.
class Synth {
 public:
  virtual ~Synth() = default;
  // A channel for the note player named `player`; -1 when none is left.
  virtual int openChannel(std::string_view player) = 0;
  // General MIDI program 0..127 on `channel`.
  virtual void programChange(int channel, int program) = 0;
  virtual void noteOn(int channel, int note, int velocity) = 0;
  virtual void noteOff(int channel, int note) = 0;
  // Releases every sounding note (shut-down).
  virtual void allNotesOff() = 0;
  // The event loop runs with the window up: slow preparation (loading the
  // synthesiser and its SoundFont) may start now without holding up start-up.
  virtual void eventLoopStarted() {}
};

// Provided by the linked backends.
std::unique_ptr<Toolkit> makeToolkit();
std::unique_ptr<Synth> makeSynth();

// The running backends (valid between RuntimeInit and RuntimeExit).
Toolkit& toolkit();
Synth& synth();

}  // namespace platform
