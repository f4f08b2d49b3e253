#include "platform/backends/fluidsynth/fluidsynth_synth.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <mutex>
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

struct FluidSynthSynth::Core {
  explicit Core(FluidSynthOptions options) : options(std::move(options)) {}

  // The loader thread's life: the load, then, once the synthesiser is
  // destroyed, the engine's end (closing the driver waits on the sound server).
  void loaderMain();
  // The load; an exception from it ends the load rather than the program.
  void loadGuarded();
  // The load, in order; each step false (reported, and the state set) when
  // there will be no sound.
  void load();
  bool createSynth();
  bool loadSoundFont();
  bool openAudio();
  void applyKeptInstruments();
  // Selects `program` on `channel` and keeps its samples resident. The loader
  // calls it before programsLive is set; after that, callers hold mutex.
  void selectProgram(int channel, int program);
  void setState(SoundFontState state);
  // One line on stderr, unless the synthesiser is being destroyed: then nobody
  // is left to tell.
  void report(const std::string& line) const;
  // Whether notes sound; while the loader works, waits a while for its outcome.
  bool awaitLoad();
  void closeEngine();
  // Until the loader has closed the engine, at most `bound`; false when it has not.
  bool waitUntilFinished(std::chrono::milliseconds bound);

  static constexpr int kChannelCount = 16;
  static constexpr int kDrumChannel = 9;

  const FluidSynthOptions options;
  // Filled by the loader; read elsewhere only once synthReady or loaded says
  // so, and closed by the loader after stopping is set.
  Engine engine;

  // Guards the fields below.
  mutable std::mutex mutex;
  std::condition_variable stateChanged;
  SoundFontState state = SoundFontState::Waiting;
  AudioSettings audio;
  int nextChannel = 0;
  std::array<bool, kChannelCount> opened{};
  std::array<int, kChannelCount> programs{};
  // A note has already waited in vain for this load: later ones do not wait.
  bool gaveUpWaiting = false;
  bool finished = false;  // the loader has closed the engine
  // The loader's until programsLive is set, then guarded by mutex.
  int sfontId = -1;
  std::array<bool, 128> pinned{};

  // Read without the lock: render() may use the synthesiser once synthReady is
  // set; instruments are selected at once when programsLive is; notes pass once
  // loaded is (both set under mutex).
  std::atomic<bool> synthReady{false};
  std::atomic<bool> programsLive{false};
  std::atomic<bool> loaded{false};
  std::atomic<bool> stopping{false};
};

FluidSynthSynth::FluidSynthSynth(FluidSynthOptions options)
    : core_(std::make_shared<Core>(std::move(options))) {
  if (core_->options.loadOnStart) startLoading();
}

FluidSynthSynth::~FluidSynthSynth() {
  {
    // Under the lock, so that the loader's next step sees it.
    std::lock_guard lock(core_->mutex);
    core_->stopping = true;
  }
  core_->stateChanged.notify_all();
  if (!loader_.joinable()) return;  // never started, or the load ran on the caller's thread
  // A loader stuck in the outside world (a sound server that accepts and never
  // answers holds it for a minute) is left behind: its share of the core keeps
  // all it touches, and the process may end before it does.
  if (core_->waitUntilFinished(std::chrono::milliseconds(kLongestShutDownWaitMs))) {
    loader_.join();
  } else {
    loader_.detach();
  }
}

void FluidSynthSynth::startLoading() {
  {
    std::lock_guard lock(core_->mutex);
    if (core_->state != SoundFontState::Waiting) return;
    core_->state = SoundFontState::Loading;
  }
  try {
    loader_ = std::thread([core = core_] { core->loaderMain(); });
  } catch (const std::system_error&) {
    // No thread to be had: load here, at once, rather than stay silent. The
    // engine is then closed with the core.
    core_->loadGuarded();
  }
}

void FluidSynthSynth::eventLoopStarted() { startLoading(); }

void FluidSynthSynth::Core::loadGuarded() {
  try {
    load();
  } catch (...) {
    setState(loaded ? SoundFontState::Loaded : SoundFontState::Damaged);
  }
}

void FluidSynthSynth::Core::loaderMain() {
  loadGuarded();
  {
    std::unique_lock lock(mutex);
    stateChanged.wait(lock, [this] { return stopping.load(); });
  }
  closeEngine();
  {
    std::lock_guard lock(mutex);
    finished = true;
  }
  stateChanged.notify_all();
}

void FluidSynthSynth::Core::closeEngine() {
  engine.driver.reset();
  engine.synth.reset();
  engine.settings.reset();
}

bool FluidSynthSynth::Core::waitUntilFinished(std::chrono::milliseconds bound) {
  std::unique_lock lock(mutex);
  return stateChanged.wait_for(lock, bound, [this] { return finished; });
}

void FluidSynthSynth::Core::report(const std::string& line) const {
  if (!stopping) std::fprintf(stderr, "velmora: %s\n", line.c_str());
}

void FluidSynthSynth::Core::load() {
  if (stopping) {
    setState(SoundFontState::NotNeeded);  // shutting down: nothing to load for
    return;
  }
  if (!createSynth() || !loadSoundFont()) return;
  if (options.audioOutput && !openAudio()) return;
  {
    std::lock_guard lock(mutex);
    loaded = true;
    state = SoundFontState::Loaded;
  }
  stateChanged.notify_all();
}

bool FluidSynthSynth::Core::createSynth() {
  engine.library = openFluidSynth(options.library, engine.api);
  if (engine.library == nullptr) {
    report("the FluidSynth library " + options.library +
           " could not be loaded; running without sound; install " + kLibraryPackage);
    setState(SoundFontState::Unavailable);
    return false;
  }
  const FluidApi& api = engine.api;
  quietLibraryLogs(api);

  engine.settings = {api.new_fluid_settings(), api.delete_fluid_settings};
  fluid_settings_t* settings = engine.settings.get();
  if (settings != nullptr) {
    api.fluid_settings_setnum(settings, "synth.sample-rate", options.sampleRateHz);
    api.fluid_settings_setint(settings, "synth.dynamic-sample-loading",
                              options.dynamicSampleLoading ? 1 : 0);
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
    std::lock_guard lock(mutex);
    audio = taken;
  }
  synthReady = true;
  return true;
}

// Last of the loader's steps: the sound server may take its time to answer (or
// never answer), and nothing else waits on it.
bool FluidSynthSynth::Core::openAudio() {
  if (stopping) {
    setState(SoundFontState::NotNeeded);  // shutting down: no device to open
    return false;
  }
  const FluidApi& api = engine.api;
  fluid_settings_t* settings = engine.settings.get();
  for (const char* name : kDrivers) {
    if (stopping) break;  // the first driver gave up only after the shut-down
    // Fails when this FluidSynth was built without that driver.
    if (api.fluid_settings_setstr(settings, "audio.driver", name) != FLUID_OK) continue;
    engine.driver = {api.new_fluid_audio_driver(settings, engine.synth.get()),
                     api.delete_fluid_audio_driver};
    if (engine.driver != nullptr) {
      std::lock_guard lock(mutex);
      audio.driver = name;
      return true;
    }
  }
  report(
      "no audio output device could be opened (tried PulseAudio and ALSA); running without "
      "sound; install and start pipewire-pulse or pulseaudio");
  setState(SoundFontState::NotNeeded);
  return false;
}

bool FluidSynthSynth::Core::loadSoundFont() {
  // Not once the synthesiser is being destroyed: what the hook refers to may be
  // gone with it.
  if (options.beforeSoundFont && !stopping) options.beforeSoundFont();
  SoundFontState outcome = SoundFontState::Missing;
  std::string damaged;  // the first candidate that exists but would not load
  std::string used;
  try {
    std::vector<std::filesystem::path> tried;  // canonical: the Debian link and its file are one
    for (const std::string& path : options.soundFonts) {
      if (stopping) break;
      std::error_code error;
      if (!std::filesystem::is_regular_file(path, error)) continue;
      std::filesystem::path canonical = std::filesystem::canonical(path, error);
      if (!error && std::find(tried.begin(), tried.end(), canonical) != tried.end()) continue;
      tried.push_back(canonical);
      // Channels get their presets from selectProgram, so the drum kit is never loaded.
      const int id = looksLikeCompleteSoundFont(path)
                         ? loadSoundFontQuietly(engine.api, engine.synth.get(), path)
                         : FLUID_FAILED;
      if (id == FLUID_FAILED) {
        if (damaged.empty()) damaged = path;
        outcome = SoundFontState::Damaged;
        continue;
      }
      sfontId = id;
      applyKeptInstruments();
      outcome = SoundFontState::Loaded;
      used = path;
      break;
    }
  } catch (const std::bad_alloc&) {
    if (outcome != SoundFontState::Loaded) outcome = SoundFontState::Damaged;
  }

  const std::string wanted =
      options.soundFonts.empty() ? std::string("(none given)") : options.soundFonts.front();
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
  if (outcome != SoundFontState::Loaded) setState(outcome);
  return outcome == SoundFontState::Loaded;
}

// Gives each opened channel the instrument chosen for it so far, then lets
// instrument choices through at once. FluidSynth's part (which may read samples
// from disk) runs outside mutex, so a caller choosing an instrument meanwhile
// never waits for it; a choice made during a pass is picked up by the next one.
void FluidSynthSynth::Core::applyKeptInstruments() {
  std::array<int, kChannelCount> applied;
  applied.fill(kNoProgram);
  for (;;) {
    std::array<int, kChannelCount> wanted;
    {
      std::lock_guard lock(mutex);
      for (int channel = 0; channel < kChannelCount; ++channel) {
        wanted[channel] = opened[channel] ? programs[channel] : kNoProgram;
      }
      if (wanted == applied || stopping) {
        programsLive = true;
        return;
      }
    }
    for (int channel = 0; channel < kChannelCount; ++channel) {
      if (wanted[channel] != applied[channel]) selectProgram(channel, wanted[channel]);
    }
    applied = wanted;
  }
}

void FluidSynthSynth::Core::selectProgram(int channel, int program) {
  const FluidApi& api = engine.api;
  fluid_synth_t* synth = engine.synth.get();
  api.fluid_synth_program_change(synth, channel, program);
  // Pinned samples stay resident when a channel moves to another instrument, so
  // switching back and forth between the instruments in use never reloads them.
  if (options.dynamicSampleLoading && !pinned[program]) {
    api.fluid_synth_pin_preset(synth, sfontId, kMelodicBank, program);
    pinned[program] = true;
  }
}

void FluidSynthSynth::Core::setState(SoundFontState newState) {
  {
    std::lock_guard lock(mutex);
    state = newState;
  }
  stateChanged.notify_all();
}

// Waiting longer would keep the window still; a note not waited for is
// dropped, and the drill's "Repeat" sounds it once the load is done.
bool FluidSynthSynth::Core::awaitLoad() {
  if (loaded) return true;
  std::unique_lock lock(mutex);
  if (gaveUpWaiting) return false;
  const bool ended =
      stateChanged.wait_for(lock, std::chrono::milliseconds(kLongestNoteWaitMs),
                            [this] { return loaded || state != SoundFontState::Loading; });
  if (!ended) gaveUpWaiting = true;
  return loaded;
}

SoundFontState FluidSynthSynth::soundFontState() const {
  std::lock_guard lock(core_->mutex);
  return core_->state;
}

SoundFontState FluidSynthSynth::waitForSoundFont() {
  Core& core = *core_;
  std::unique_lock lock(core.mutex);
  core.stateChanged.wait(lock, [&core] { return core.state != SoundFontState::Loading; });
  return core.state;
}

AudioSettings FluidSynthSynth::audioSettings() const {
  std::lock_guard lock(core_->mutex);
  return core_->audio;
}

int FluidSynthSynth::openChannel(std::string_view /*player*/) {
  Core& core = *core_;
  std::lock_guard lock(core.mutex);
  if (core.nextChannel == Core::kDrumChannel) ++core.nextChannel;
  if (core.nextChannel >= Core::kChannelCount) return -1;
  const int channel = core.nextChannel++;
  core.opened[channel] = true;
  core.programs[channel] = 0;
  if (core.programsLive) core.selectProgram(channel, 0);
  return channel;
}

void FluidSynthSynth::programChange(int channel, int program) {
  if (channel < 0 || channel >= Core::kChannelCount || !validMidiValue(program)) return;
  Core& core = *core_;
  std::lock_guard lock(core.mutex);
  if (!core.opened[channel]) return;
  core.programs[channel] = program;
  if (core.programsLive) core.selectProgram(channel, program);
}

void FluidSynthSynth::noteOn(int channel, int note, int velocity) {
  if (channel < 0 || channel >= Core::kChannelCount || !validMidiValue(note)) return;
  Core& core = *core_;
  if (!core.awaitLoad()) return;
  {
    std::lock_guard lock(core.mutex);
    if (!core.opened[channel]) return;
  }
  core.engine.api.fluid_synth_noteon(core.engine.synth.get(), channel, note,
                                     std::clamp(velocity, 0, kMaxMidiValue));
}

// Before notes pass none can have started: there is nothing to release and
// nothing to wait for.
void FluidSynthSynth::noteOff(int channel, int note) {
  if (channel < 0 || channel >= Core::kChannelCount || !validMidiValue(note)) return;
  Core& core = *core_;
  if (!core.loaded) return;
  {
    std::lock_guard lock(core.mutex);
    if (!core.opened[channel]) return;
  }
  core.engine.api.fluid_synth_noteoff(core.engine.synth.get(), channel, note);
}

void FluidSynthSynth::allNotesOff() {
  if (core_->loaded) core_->engine.api.fluid_synth_all_notes_off(core_->engine.synth.get(), -1);
}

bool FluidSynthSynth::render(std::span<float> left, std::span<float> right) {
  const Core& core = *core_;
  if (core.options.audioOutput || left.size() != right.size()) return false;
  if (!core.synthReady) {
    std::fill(left.begin(), left.end(), 0.0f);
    std::fill(right.begin(), right.end(), 0.0f);
    return true;
  }
  return core.engine.api.fluid_synth_write_float(core.engine.synth.get(),
                                                 static_cast<int>(left.size()), left.data(), 0, 1,
                                                 right.data(), 0, 1) == FLUID_OK;
}

}  // namespace platform::fluidsynth
