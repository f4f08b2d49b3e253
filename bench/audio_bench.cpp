// Audio benchmark: what making the synthesiser costs the calling thread (the
// GUI thread in the program) against the time until it is ready on its loader
// thread (library, synthesiser, audio device, SoundFont), the audio settings in
// force and the latency they give, and the peak resident memory of the
// synthesiser with the system's default General MIDI SoundFont and the
// program's two instruments (piano, steel guitar) in use. Without an audio
// device it says "no device" and measures the same synthesiser rendering into
// memory. Besides the table it prints "result: NAME VALUE" lines for bench/run.
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "bench/peak_memory.h"
#include "platform/backends/fluidsynth/fluidsynth_synth.h"

namespace {

using platform::fluidsynth::AudioSettings;
using platform::fluidsynth::FluidSynthOptions;
using platform::fluidsynth::FluidSynthSynth;
using platform::fluidsynth::SoundFontState;
using Clock = std::chrono::steady_clock;

constexpr double kLatencyGoalMs = 10.0;
constexpr double kMemoryGoalMb = 80.0;
constexpr int kPianoProgram = 0;
constexpr int kSteelGuitarProgram = 25;
constexpr int kVelocity = 127;
constexpr double kRateHz = 48000.0;

void row(const std::string& what, const std::string& result, const std::string& goal = "") {
  std::printf("%-64s %-12s %s\n", what.c_str(), result.c_str(), goal.c_str());
  std::fflush(stdout);
}

std::string fixed(double value, int decimals, const char* unit) {
  char text[64];
  std::snprintf(text, sizeof text, "%.*f %s", decimals, value, unit);
  return text;
}

std::string verdict(bool met, const std::string& goal) {
  return goal + (met ? "  met" : "  MISSED");
}

double msSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

struct Measured {
  double loadMs = 0.0;
  double firstSwitchMs = 0.0;  // the first change to an instrument not yet in memory
  double peakMb = 0.0;
  SoundFontState state = SoundFontState::Missing;
};

// Loads the default SoundFont, selects piano on one channel and steel guitar on
// another, sounds a note on each and lets it play for half a second.
Measured exercise(FluidSynthSynth& synth, Clock::time_point created) {
  Measured m;
  m.state = synth.waitForSoundFont();
  m.loadMs = msSince(created);
  const int drill = synth.openChannel("notPitches");
  const int melodies = synth.openChannel("notMelodies");
  const Clock::time_point switching = Clock::now();
  synth.programChange(drill, kSteelGuitarProgram);
  m.firstSwitchMs = msSince(switching);
  synth.programChange(melodies, kPianoProgram);
  synth.noteOn(drill, 67, kVelocity);
  synth.noteOn(melodies, 60, kVelocity);
  if (synth.audioSettings().driver.empty()) {
    std::vector<float> left(size_t(kRateHz / 2)), right(left.size());
    synth.render(left, right);
  } else {
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
  }
  synth.allNotesOff();
  m.peakMb = peakResidentMb();
  return m;
}

FluidSynthOptions inMemory(bool dynamic) {
  FluidSynthOptions options;
  options.audioOutput = false;
  options.dynamicSampleLoading = dynamic;
  return options;
}

}  // namespace

int main() {
  const double processMb = peakResidentMb();
  row("audio benchmark", "result", "goal");

  Measured dynamic;
  bool device = false;
  {
    const Clock::time_point created = Clock::now();
    FluidSynthSynth live;  // what the program makes: audio device and default SoundFont
    row("synthesiser construction on the calling thread", fixed(msSince(created), 2, "ms"));
    live.waitForSoundFont();
    row("ready on the loader thread (library, synth, device, SoundFont)",
        fixed(msSince(created), 1, "ms"));
    const AudioSettings audio = live.audioSettings();
    device = !audio.driver.empty();
    row("audio driver", device ? audio.driver : "no device");
    row("audio period size", std::to_string(audio.periodSizeFrames) + " frames", "<= 128 frames");
    row("audio periods", std::to_string(audio.periods), "<= 3");
    row("audio sample rate", fixed(audio.sampleRateHz, 0, "Hz"));
    row(device ? "audio latency (periods x period size / rate)"
               : "audio latency the settings would give (no device)",
        fixed(audio.latencyMs(), 2, "ms"),
        verdict(audio.latencyMs() <= kLatencyGoalMs, "<= 10 ms"));
    std::printf("result: audio_driver %s\n", device ? audio.driver.c_str() : "none");
    std::printf("result: audio_period_frames %d\n", audio.periodSizeFrames);
    std::printf("result: audio_periods %d\n", audio.periods);
    std::printf("result: audio_rate_hz %.0f\n", audio.sampleRateHz);
    std::printf("result: audio_latency_ms %.2f\n", audio.latencyMs());
    if (device) dynamic = exercise(live, created);
  }
  if (!device) {
    const Clock::time_point created = Clock::now();
    FluidSynthSynth rendering(inMemory(true));
    dynamic = exercise(rendering, created);
  }
  if (dynamic.state != SoundFontState::Loaded) {
    row("default SoundFont", "not loaded (see stderr)");
    return 0;
  }
  row("default SoundFont load, dynamic samples (off the GUI thread)",
      fixed(dynamic.loadMs, 1, "ms"));
  row("first switch to steel guitar (loads its samples)", fixed(dynamic.firstSwitchMs, 2, "ms"));
  row("peak memory before the synthesiser", fixed(processMb, 1, "MB"));
  std::printf("result: synth_peak_mb %.1f\n", dynamic.peakMb);
  row(std::string("peak memory: synth, default SoundFont, 2 instruments") +
          (device ? "" : " (no device)"),
      fixed(dynamic.peakMb, 1, "MB"),
      "<= 80 MB with the window; leaves " + fixed(kMemoryGoalMb - dynamic.peakMb, 1, "MB"));

  // Last: it raises the peak for good.
  {
    const Clock::time_point created = Clock::now();
    FluidSynthSynth whole(inMemory(false));
    const Measured full = exercise(whole, created);
    row("for comparison: full SoundFont load", fixed(full.loadMs, 1, "ms"));
    row("for comparison: peak memory with the full SoundFont", fixed(full.peakMb, 1, "MB"));
  }
  return 0;
}
