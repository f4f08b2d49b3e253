// FluidSynth backend: the note players' synthesiser.
//
// Implements: one FluidSynth synthesiser shared by every note player, one MIDI
// channel each (0, 1, 2, ... never 9, the drum channel); General MIDI programs on
// bank 0; audio through FluidSynth's own driver (PulseAudio, else ALSA) with a
// period of 128 frames, 3 periods, PulseAudio's latency adjustment off, 48 kHz;
// the system's General MIDI SoundFont with dynamic sample loading, so only the
// instruments in use are resident; a render-to-memory mode without any audio
// device for tests.
//
// Start-up costs the calling thread nothing but a thread: libfluidsynth (with
// its forty-odd libraries) is opened with dlopen, and the synthesiser, the
// SoundFont and then the audio driver are made, all on a background loader
// thread. The executable does not link libfluidsynth; without it the program
// runs silently. The program's synthesiser (makeSynth) lets the window come up
// first: loading libraries takes the dynamic loader's lock, which the GUI thread
// needs too (to start a thread or load a plug-in), so the loader begins once the
// event loop runs.
//
// At the edges (no libfluidsynth, no audio device, no SoundFont, a damaged
// SoundFont) it prints one line on stderr naming what is missing and what to
// install, then stays silent. FluidSynth's and ALSA's own log output is switched
// off so that line is the only one.
//
// The outside world never holds the calling thread for long. A note asked for
// while the loader works waits for it, but at most kLongestNoteWaitMs, and only
// the first such note in a load waits at all: an ordinary load ends within tens
// of milliseconds, so a "Start" pressed the moment the window shows is heard
// whole (the caller times the note from when the call returns). A note not
// waited for is dropped, never played later; so are notes asked for before
// loading starts or after it failed. Instrument choices made meanwhile are kept
// and applied before any note sounds. The SoundFont is read before the audio
// driver opens, so a sound server that never answers delays only the driver. The
// loader also closes the driver (which waits on the sound server too) once the
// synthesiser is destroyed; the destructor waits for that at most
// kLongestShutDownWaitMs and otherwise leaves the loader behind, owning all it
// touches, to finish when the server gives up or the process ends.
#pragma once

#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "platform/toolkit.h"

namespace platform::fluidsynth {

// The system's General MIDI SoundFonts, in the order they are tried: the Debian
// default (a link to FluidR3_GM.sf2 from fluid-soundfont-gm), then the files
// themselves, then the compressed default of sf3-soundfont-gm.
std::vector<std::string> defaultSoundFonts();

// FluidSynth 2's shared library, as the libfluidsynth3 package installs it.
inline constexpr const char* kFluidSynthLibrary = "libfluidsynth.so.3";

struct FluidSynthOptions {
  // Candidates in order; the first that loads is used.
  std::vector<std::string> soundFonts = defaultSoundFonts();
  // False: no audio device is opened and render() produces the sound.
  bool audioOutput = true;
  // False: nothing is loaded until startLoading() (tests use this to act before
  // the synthesiser exists).
  bool loadOnStart = true;
  // Off only to measure what a full load would cost.
  bool dynamicSampleLoading = true;
  double sampleRateHz = 48000.0;
  // The library dlopen is given.
  std::string library = kFluidSynthLibrary;
  // Runs on the loader thread just before the SoundFont is read (tests use it to
  // make the load slow).
  std::function<void()> beforeSoundFont;
};

// The audio settings in force. The driver is empty when no device was opened.
struct AudioSettings {
  std::string driver;
  int periodSizeFrames = 0;
  int periods = 0;
  double sampleRateHz = 0.0;
  // The output buffering the settings ask for: periods x period size / rate.
  double latencyMs() const {
    return sampleRateHz > 0.0 ? 1000.0 * periods * periodSizeFrames / sampleRateHz : 0.0;
  }
};

// Where the loader is. Loading covers all its work: the library, the
// synthesiser, the SoundFont and the audio device.
enum class SoundFontState {
  Waiting,     // loadOnStart was false and startLoading() was not called yet
  Loading,     // on the background thread
  Loaded,      // notes sound
  Missing,     // no candidate file exists
  Damaged,     // a candidate exists but none could be loaded
  NotNeeded,   // no audio device, or destroyed before loading ended: nothing sounds
  Unavailable  // libfluidsynth could not be loaded, or made no synthesiser
};

// The longest a note waits for the loader, and the longest the destructor waits
// for the loader to close the audio driver.
inline constexpr int kLongestNoteWaitMs = 200;
inline constexpr int kLongestShutDownWaitMs = 500;

class FluidSynthSynth final : public Synth {
 public:
  explicit FluidSynthSynth(FluidSynthOptions options = {});
  // Asks the loader to skip what is left of its work and close the audio
  // driver, and waits for that at most kLongestShutDownWaitMs.
  ~FluidSynthSynth() override;
  FluidSynthSynth(const FluidSynthSynth&) = delete;
  FluidSynthSynth& operator=(const FluidSynthSynth&) = delete;

  int openChannel(std::string_view player) override;
  void programChange(int channel, int program) override;
  void noteOn(int channel, int note, int velocity) override;
  void noteOff(int channel, int note) override;
  void allNotesOff() override;
  // Starts the loader (makeSynth's synthesiser waits for this).
  void eventLoopStarted() override;

  // Empty until the loader has made the synthesiser.
  AudioSettings audioSettings() const;
  // Starts a load held back by loadOnStart = false; does nothing otherwise.
  void startLoading();
  SoundFontState soundFontState() const;
  // Blocks until the loader has finished (or was never started) and gives its
  // outcome. For tests and benchmarks: the program waits only through a note.
  SoundFontState waitForSoundFont();
  // Render-to-memory mode only: the next left.size() frames of sound (both spans
  // the same size), silence until the synthesiser exists. False when an audio
  // driver renders instead.
  bool render(std::span<float> left, std::span<float> right);

 private:
  // The library, its function table, FluidSynth's settings, synthesiser and
  // audio driver (kept out of this header).
  struct Engine;
  // The options, the engine and the state shared with the loader thread, which
  // owns a share: a loader left behind at shut-down keeps what it touches.
  struct Core;

  const std::shared_ptr<Core> core_;
  std::thread loader_;
};

}  // namespace platform::fluidsynth
