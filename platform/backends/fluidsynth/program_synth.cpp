// The program's synthesiser: FluidSynth with the system's SoundFont and audio device.
#include "platform/backends/fluidsynth/fluidsynth_synth.h"

namespace platform {

std::unique_ptr<Synth> makeSynth() {
  fluidsynth::FluidSynthOptions options;
  // The program's window comes first: loading libraries takes the dynamic
  // loader's lock, which Qt's start-up needs too.
  options.loadOnStart = false;
  return std::make_unique<fluidsynth::FluidSynthSynth>(std::move(options));
}

}  // namespace platform
