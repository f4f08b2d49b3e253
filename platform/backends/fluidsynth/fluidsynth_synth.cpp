#include "platform/backends/fluidsynth/fluidsynth_synth.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <new>
#include <system_error>
#include <utility>

#include "platform/backends/fluidsynth/fluidsynth_library.h"

namespace platform::fluidsynth {
namespace {

// Output buffering: 3 periods of 128 frames at 48 kHz is 8 ms.
constexpr int kPeriodSizeFrames = 128;
constexpr int kPeriods = 3;
// Tried in order; the PulseAudio driver also reaches PipeWire through pipewire-pulse.
constexpr std::array<const char*, 2> kDrivers = {"pulseaudio", "alsa"};
// General MIDI melodic instruments live in bank 0.
constexpr int kMelodicBank = 0;
constexpr int kMaxMidiValue = 127;
// A channel not opened, or whose instrument the loader has not applied yet.
constexpr int kNoProgram = -1;
constexpr const char* kSoundFontPackage = "fluid-soundfont-gm";
constexpr const char* kLibraryPackage = "libfluidsynth3";

void report(const std::string& line) { std::fprintf(stderr, "velmora: %s\n", line.c_str()); }

// A SoundFont file opens with "RIFF", the size of what follows (little-endian)
// and "sfbk". Checking that, and that the file is as long as it says, turns away
// garbage and truncated files before FluidSynth parses them.
bool looksLikeCompleteSoundFont(const std::string& path) {
  constexpr size_t kHeaderBytes = 12;
  std::ifstream file(path, std::ios::binary);
  std::array<unsigned char, kHeaderBytes> header{};
  if (!file.read(reinterpret_cast<char*>(header.data()), kHeaderBytes)) return false;
  if (std::memcmp(header.data(), "RIFF", 4) != 0 ||
      std::memcmp(header.data() + 8, "sfbk", 4) != 0) {
    return false;
  }
  const uint64_t riffBytes = uint64_t(header[4]) | uint64_t(header[5]) << 8 |
                             uint64_t(header[6]) << 16 | uint64_t(header[7]) << 24;
  std::error_code error;
  const uintmax_t fileBytes = std::filesystem::file_size(path, error);
  return !error && fileBytes >= riffBytes + 8;
}

bool validMidiValue(int value) { return value >= 0 && value <= kMaxMidiValue; }

}  // namespace

std::vector<std::string> defaultSoundFonts() {
  return {"/usr/share/sounds/sf2/default-GM.sf2", "/usr/share/sounds/sf2/FluidR3_GM.sf2",
          "/usr/share/sounds/sf2/TimGM6mb.sf2", "/usr/share/sounds/sf3/default-GM.sf3"};
}

struct FluidSynthSynth::Engine {
  // Declared first, so closed last: the deleters below point into it.
  LibraryHandle library;
  FluidApi api;
  // Freed in reverse: the driver (which renders from the synth), the synth, the settings.
  std::unique_ptr<fluid_settings_t, decltype(&::delete_fluid_settings)> settings{nullptr, nullptr};
  std::unique_ptr<fluid_synth_t, decltype(&::delete_fluid_synth)> synth{nullptr, nullptr};
  std::unique_ptr<fluid_audio_driver_t, decltype(&::delete_fluid_audio_driver)> driver{nullptr,
                                                                                       nullptr};
};

FluidSynthSynth::FluidSynthSynth(FluidSynthOptions options)
    : options_(std::move(options)), engine_(std::make_unique<Engine>()) {
  if (options_.loadOnStart) startLoading();
}

FluidSynthSynth::~FluidSynthSynth() {
  {
    // Under the lock, so that the loader's next step sees it.
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  stateChanged_.notify_all();
  // A loader still at work has let no note through, so nothing is cut short by
  // waiting for it; it finishes the step it is in and skips the rest. The
  // engine it made is used by no other thread after this.
  if (loader_.joinable()) loader_.join();
}

void FluidSynthSynth::startLoading() {
  {
    std::lock_guard lock(mutex_);
    if (state_ != SoundFontState::Waiting) return;
    state_ = SoundFontState::Loading;
  }
  try {
    loader_ = std::thread([this] {
      try {
        load();
      } catch (...) {  // an exception must not end the program from this thread
        setState(loaded_ ? SoundFontState::Loaded : SoundFontState::Damaged);
      }
    });
  } catch (const std::system_error&) {
    // No thread to be had: load here, at once, rather than stay silent.
    if (createEngine()) loadSoundFont();
  }
}

void FluidSynthSynth::eventLoopStarted() { startLoading(); }

void FluidSynthSynth::load() {
  if (stopping_) {
    setState(SoundFontState::NotNeeded);  // shutting down: nothing to load for
    return;
  }
  if (createEngine()) loadSoundFont();
}

bool FluidSynthSynth::createEngine() {
  Engine& engine = *engine_;
  engine.library = openFluidSynth(options_.library, engine.api);
  if (engine.library == nullptr) {
    report("the FluidSynth library " + options_.library +
           " could not be loaded; running without sound; install " + kLibraryPackage);
    setState(SoundFontState::Unavailable);
    return false;
  }
  const FluidApi& api = engine.api;
  quietLibraryLogs(api);

  engine.settings = {api.new_fluid_settings(), api.delete_fluid_settings};
  fluid_settings_t* settings = engine.settings.get();
  if (settings != nullptr) {
    api.fluid_settings_setnum(settings, "synth.sample-rate", options_.sampleRateHz);
    api.fluid_settings_setint(settings, "synth.dynamic-sample-loading",
                              options_.dynamicSampleLoading ? 1 : 0);
    api.fluid_settings_setint(settings, "synth.midi-channels", kChannelCount);
    api.fluid_settings_setint(settings, "audio.period-size", kPeriodSizeFrames);
    api.fluid_settings_setint(settings, "audio.periods", kPeriods);
    api.fluid_settings_setint(settings, "audio.pulseaudio.adjust-latency", 0);
    engine.synth = {api.new_fluid_synth(settings), api.delete_fluid_synth};
    // FluidSynth leaves its effects' buffers as the allocator handed them over;
    // heard, that is a click or a burst of noise (even inf) at the first sound.
    if (engine.synth != nullptr) api.fluid_synth_system_reset(engine.synth.get());
  }
  if (engine.synth == nullptr) {
    report("the FluidSynth synthesiser could not be created; running without sound");
    setState(SoundFontState::Unavailable);
    return false;
  }
  // What FluidSynth actually took (it clamps values outside its limits).
  AudioSettings taken;
  api.fluid_settings_getnum(settings, "synth.sample-rate", &taken.sampleRateHz);
  api.fluid_settings_getint(settings, "audio.period-size", &taken.periodSizeFrames);
  api.fluid_settings_getint(settings, "audio.periods", &taken.periods);
  {
    std::lock_guard lock(mutex_);
    audio_ = taken;
  }
  synthReady_ = true;

  if (!options_.audioOutput) return true;
  if (stopping_) {
    setState(SoundFontState::NotNeeded);  // shutting down: no device to open
    return false;
  }
  openAudio();
  if (engine.driver == nullptr) {
    report(
        "no audio output device could be opened (tried PulseAudio and ALSA); running without "
        "sound; install and start pipewire-pulse or pulseaudio");
    setState(SoundFontState::NotNeeded);
    return false;
  }
  return true;
}

void FluidSynthSynth::openAudio() {
  Engine& engine = *engine_;
  const FluidApi& api = engine.api;
  fluid_settings_t* settings = engine.settings.get();
  for (const char* name : kDrivers) {
    // Fails when this FluidSynth was built without that driver.
    if (api.fluid_settings_setstr(settings, "audio.driver", name) != FLUID_OK) continue;
    engine.driver = {api.new_fluid_audio_driver(settings, engine.synth.get()),
                     api.delete_fluid_audio_driver};
    if (engine.driver != nullptr) {
      std::lock_guard lock(mutex_);
      audio_.driver = name;
      return;
    }
  }
}

void FluidSynthSynth::loadSoundFont() {
  if (options_.beforeSoundFont) options_.beforeSoundFont();
  SoundFontState outcome = SoundFontState::Missing;
  std::string damaged;  // the first candidate that exists but would not load
  std::string used;
  try {
    std::vector<std::filesystem::path> tried;  // canonical: the Debian link and its file are one
    for (const std::string& path : options_.soundFonts) {
      if (stopping_) break;
      std::error_code error;
      if (!std::filesystem::is_regular_file(path, error)) continue;
      std::filesystem::path canonical = std::filesystem::canonical(path, error);
      if (!error && std::find(tried.begin(), tried.end(), canonical) != tried.end()) continue;
      tried.push_back(canonical);
      // Channels get their presets from selectProgram, so the drum kit is never loaded.
      const int id = looksLikeCompleteSoundFont(path)
                         ? loadSoundFontQuietly(engine_->api, engine_->synth.get(), path)
                         : FLUID_FAILED;
      if (id == FLUID_FAILED) {
        if (damaged.empty()) damaged = path;
        outcome = SoundFontState::Damaged;
        continue;
      }
      sfontId_ = id;
      applyKeptInstruments();
      outcome = SoundFontState::Loaded;
      used = path;
      break;
    }
  } catch (const std::bad_alloc&) {
    if (outcome != SoundFontState::Loaded) outcome = SoundFontState::Damaged;
  }
  if (stopping_ && outcome != SoundFontState::Loaded) {
    setState(outcome);  // shutting down: nobody is left to tell
    return;
  }

  const std::string wanted =
      options_.soundFonts.empty() ? std::string("(none given)") : options_.soundFonts.front();
  if (outcome == SoundFontState::Loaded && !damaged.empty()) {
    report("the SoundFont " + damaged + " is damaged, using " + used + " instead; reinstall " +
           kSoundFontPackage);
  } else if (outcome == SoundFontState::Damaged) {
    report("the General MIDI SoundFont " + damaged +
           " is damaged and could not be loaded; running without sound; reinstall " +
           kSoundFontPackage);
  } else if (outcome == SoundFontState::Missing) {
    report("no General MIDI SoundFont found at " + wanted + "; running without sound; install " +
           kSoundFontPackage);
  }
  setState(outcome);
}

// Gives each opened channel the instrument chosen for it so far, then lets notes
// through. FluidSynth's part (which may read samples from disk) runs outside
// mutex_, so a caller choosing an instrument meanwhile never waits for it; a
// choice made during a pass is picked up by the next one.
void FluidSynthSynth::applyKeptInstruments() {
  std::array<int, kChannelCount> applied;
  applied.fill(kNoProgram);
  for (;;) {
    std::array<int, kChannelCount> wanted;
    {
      std::lock_guard lock(mutex_);
      for (int channel = 0; channel < kChannelCount; ++channel) {
        wanted[channel] = opened_[channel] ? program_[channel] : kNoProgram;
      }
      if (wanted == applied || stopping_) {
        loaded_ = true;
        return;
      }
    }
    for (int channel = 0; channel < kChannelCount; ++channel) {
      if (wanted[channel] != applied[channel]) selectProgram(channel, wanted[channel]);
    }
    applied = wanted;
  }
}

void FluidSynthSynth::selectProgram(int channel, int program) {
  const FluidApi& api = engine_->api;
  fluid_synth_t* synth = engine_->synth.get();
  api.fluid_synth_program_change(synth, channel, program);
  // Pinned samples stay resident when a channel moves to another instrument, so
  // switching back and forth between the instruments in use never reloads them.
  if (options_.dynamicSampleLoading && !pinned_[program]) {
    api.fluid_synth_pin_preset(synth, sfontId_, kMelodicBank, program);
    pinned_[program] = true;
  }
}

void FluidSynthSynth::setState(SoundFontState state) {
  {
    std::lock_guard lock(mutex_);
    state_ = state;
  }
  stateChanged_.notify_all();
}

SoundFontState FluidSynthSynth::soundFontState() const {
  std::lock_guard lock(mutex_);
  return state_;
}

SoundFontState FluidSynthSynth::waitForSoundFont() {
  std::unique_lock lock(mutex_);
  stateChanged_.wait(lock, [this] { return state_ != SoundFontState::Loading; });
  return state_;
}

AudioSettings FluidSynthSynth::audioSettings() const {
  std::lock_guard lock(mutex_);
  return audio_;
}

int FluidSynthSynth::openChannel(std::string_view /*player*/) {
  std::lock_guard lock(mutex_);
  if (nextChannel_ == kDrumChannel) ++nextChannel_;
  if (nextChannel_ >= kChannelCount) return -1;
  const int channel = nextChannel_++;
  opened_[channel] = true;
  program_[channel] = 0;
  if (loaded_) selectProgram(channel, 0);
  return channel;
}

void FluidSynthSynth::programChange(int channel, int program) {
  if (channel < 0 || channel >= kChannelCount || !validMidiValue(program)) return;
  std::lock_guard lock(mutex_);
  if (!opened_[channel]) return;
  program_[channel] = program;
  if (loaded_) selectProgram(channel, program);
}

bool FluidSynthSynth::awaitLoad() {
  if (loaded_) return true;
  std::unique_lock lock(mutex_);
  stateChanged_.wait(lock, [this] { return loaded_ || state_ != SoundFontState::Loading; });
  return loaded_;
}

void FluidSynthSynth::noteOn(int channel, int note, int velocity) {
  if (channel < 0 || channel >= kChannelCount || !validMidiValue(note) || !awaitLoad()) return;
  {
    std::lock_guard lock(mutex_);
    if (!opened_[channel]) return;
  }
  engine_->api.fluid_synth_noteon(engine_->synth.get(), channel, note,
                                  std::clamp(velocity, 0, kMaxMidiValue));
}

void FluidSynthSynth::noteOff(int channel, int note) {
  if (channel < 0 || channel >= kChannelCount || !validMidiValue(note) || !awaitLoad()) return;
  {
    std::lock_guard lock(mutex_);
    if (!opened_[channel]) return;
  }
  engine_->api.fluid_synth_noteoff(engine_->synth.get(), channel, note);
}

// Before the SoundFont is in place no note can have started.
void FluidSynthSynth::allNotesOff() {
  if (loaded_) engine_->api.fluid_synth_all_notes_off(engine_->synth.get(), -1);
}

bool FluidSynthSynth::render(std::span<float> left, std::span<float> right) {
  if (options_.audioOutput || left.size() != right.size()) return false;
  if (!synthReady_) {
    std::fill(left.begin(), left.end(), 0.0f);
    std::fill(right.begin(), right.end(), 0.0f);
    return true;
  }
  return engine_->api.fluid_synth_write_float(engine_->synth.get(), static_cast<int>(left.size()),
                                              left.data(), 0, 1, right.data(), 0, 1) == FLUID_OK;
}

}  // namespace platform::fluidsynth
