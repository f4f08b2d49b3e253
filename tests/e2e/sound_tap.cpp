#include "sound_tap.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <map>
#include <span>

#include "platform/run.h"
#include "platform/toolkit.h"

namespace velmora::e2e {
namespace {

using platform::fluidsynth::FluidSynthSynth;

constexpr double kRateHz = 48000.0;
constexpr size_t kBlockFrames = 480;  // 10 ms
constexpr auto kBlockDuration = std::chrono::milliseconds(10);
constexpr size_t kTailFrames = 4800;  // 100 ms

double rmsOf(std::span<const float> left, std::span<const float> right) {
  double sum = 0.0;
  for (size_t i = 0; i < left.size(); ++i) {
    const double mono = 0.5 * (double(left[i]) + double(right[i]));
    sum += mono * mono;
  }
  return left.empty() ? 0.0 : std::sqrt(sum / double(left.size()));
}

std::unique_ptr<Studio>& studioSlot() {
  static std::unique_ptr<Studio> slot;
  return slot;
}

// Records each call with the time and the player it was for, then hands it on.
class TapSynth final : public platform::Synth {
 public:
  explicit TapSynth(std::shared_ptr<FluidSynthSynth> fluid) : fluid_(std::move(fluid)) {}

  int openChannel(std::string_view player) override {
    const int channel = fluid_->openChannel(player);
    if (channel >= 0) players_[channel] = std::string(player);
    record({SynthCall::Kind::OpenChannel, 0, std::string(player)});
    return channel;
  }
  void programChange(int channel, int program) override {
    record({SynthCall::Kind::ProgramChange, 0, playerOf(channel), 0, program});
    fluid_->programChange(channel, program);
  }
  void noteOn(int channel, int note, int velocity) override {
    record({SynthCall::Kind::NoteOn, 0, playerOf(channel), note, velocity});
    fluid_->noteOn(channel, note, velocity);
  }
  void noteOff(int channel, int note) override {
    record({SynthCall::Kind::NoteOff, 0, playerOf(channel), note});
    fluid_->noteOff(channel, note);
  }
  void allNotesOff() override {
    record({SynthCall::Kind::AllNotesOff, 0, ""});
    fluid_->allNotesOff();
  }
  void eventLoopStarted() override {
    record({SynthCall::Kind::LoopStarted, 0, ""});
    fluid_->eventLoopStarted();
    if (studio().onLoopStarted) studio().onLoopStarted();
  }

 private:
  std::string playerOf(int channel) const {
    const auto found = players_.find(channel);
    return found == players_.end() ? "channel " + std::to_string(channel) : found->second;
  }
  void record(SynthCall call) {
    call.timeMs = platform::RuntimeNowMs();
    studio().calls.push_back(std::move(call));
  }

  std::shared_ptr<FluidSynthSynth> fluid_;
  std::map<int, std::string> players_;
};

}  // namespace

bool isNoteOn(const SynthCall& call, std::string_view player) {
  return call.kind == SynthCall::Kind::NoteOn && call.value > 0 && call.player == player;
}

bool isRelease(const SynthCall& call, std::string_view player, int note) {
  const bool release = call.kind == SynthCall::Kind::NoteOff ||
                       (call.kind == SynthCall::Kind::NoteOn && call.value == 0);
  return release && call.player == player && call.note == note;
}

std::vector<std::string> notesLeftSounding(const std::vector<SynthCall>& calls) {
  std::vector<std::string> sounding;
  for (const SynthCall& call : calls) {
    const std::string note = call.player + " " + std::to_string(call.note);
    if (call.kind == SynthCall::Kind::AllNotesOff) {
      sounding.clear();
    } else if (isNoteOn(call, call.player)) {
      sounding.push_back(note);
    } else if (isRelease(call, call.player, call.note)) {
      std::erase(sounding, note);
    }
  }
  return sounding;
}

void Speaker::start(std::shared_ptr<FluidSynthSynth> synth) {
  stop();
  synth_ = std::move(synth);
  running_ = true;
  thread_ = std::thread([this] {
    std::vector<float> left(kBlockFrames), right(kBlockFrames);
    auto due = std::chrono::steady_clock::now();
    while (running_) {
      synth_->render(left, right);
      const double rms = rmsOf(left, right);
      lastRms_ = rms;
      if (rms > loudestRms_) loudestRms_ = rms;
      due += kBlockDuration;
      std::this_thread::sleep_until(due);
    }
  });
}

void Speaker::stop() {
  running_ = false;
  if (thread_.joinable()) thread_.join();
}

Studio::Studio() {
  options.soundFonts = {kTimGm};
  options.audioOutput = false;
  options.loadOnStart = false;  // as the program's own: loading starts with the event loop
  options.sampleRateHz = kRateHz;
}

Studio& studio() { return *studioSlot(); }
void newStudio() { studioSlot() = std::make_unique<Studio>(); }
void endStudio() { studioSlot().reset(); }

double tailRms(FluidSynthSynth& synth, double seconds) {
  const auto frames = std::max(static_cast<size_t>(seconds * kRateHz), kTailFrames);
  std::vector<float> left(frames), right(frames);
  synth.render(left, right);
  return rmsOf(std::span<const float>(left).last(kTailFrames),
               std::span<const float>(right).last(kTailFrames));
}

}  // namespace velmora::e2e

namespace platform {

// The tests' synthesiser: the tap in front of the studio's FluidSynth.
std::unique_ptr<Synth> makeSynth() {
  using velmora::e2e::studio;
  auto fluid = std::make_shared<fluidsynth::FluidSynthSynth>(studio().options);
  studio().fluid = fluid;
  studio().speaker.start(fluid);
  return std::make_unique<velmora::e2e::TapSynth>(std::move(fluid));
}

}  // namespace platform
