// The headless synthesiser: records every note event with the virtual time.
#include <algorithm>

#include "platform/backends/headless/headless.h"
#include "platform/run.h"

namespace platform {

std::unique_ptr<Synth> makeSynth() { return std::make_unique<headless::RecordingSynth>(); }

}  // namespace platform

namespace platform::headless {

namespace {
constexpr int kDrumChannel = 9;
constexpr int kChannelCount = 16;

// MIDI channel of the n-th opened player: 0..8, then 10..15 (9 is the drum channel).
int channelFor(size_t n) {
  const int ch = static_cast<int>(n) < kDrumChannel ? static_cast<int>(n) : static_cast<int>(n) + 1;
  return ch < kChannelCount ? ch : -1;
}

size_t slotOf(int channel) {
  return static_cast<size_t>(channel < kDrumChannel ? channel : channel - 1);
}
}  // namespace

RecordingSynth& synth() { return dynamic_cast<RecordingSynth&>(platform::synth()); }

int RecordingSynth::openChannel(std::string_view player) {
  const int ch = channelFor(channels_.size());
  if (ch < 0) return -1;
  channels_.push_back(Channel{std::string(player), 0});
  return ch;
}

void RecordingSynth::programChange(int channel, int program) {
  if (channel < 0 || slotOf(channel) >= channels_.size()) return;
  channels_[slotOf(channel)].program = std::clamp(program, 0, 127);
}

void RecordingSynth::noteOn(int channel, int note, int velocity) {
  if (channel < 0 || slotOf(channel) >= channels_.size()) return;
  const Channel& c = channels_[slotOf(channel)];
  events_.push_back(NoteEvent{RuntimeNowMs(), c.player, note, velocity, c.program + 1});
}

void RecordingSynth::noteOff(int channel, int note) { noteOn(channel, note, 0); }

// Records a release for every note still sounding, as a person would hear them stop.
void RecordingSynth::allNotesOff() {
  for (size_t slot = 0; slot < channels_.size(); ++slot) {
    std::vector<int> notes = sounding(channels_[slot].player);
    std::sort(notes.begin(), notes.end());
    notes.erase(std::unique(notes.begin(), notes.end()), notes.end());
    const int ch = channelFor(slot);
    for (int note : notes) noteOff(ch, note);
  }
}

std::vector<int> RecordingSynth::sounding(std::string_view player) const {
  std::vector<int> notes;
  for (const NoteEvent& e : events_) {
    if (e.player != player) continue;
    if (e.velocity > 0) {
      notes.push_back(e.note);
    } else {
      std::erase(notes, e.note);
    }
  }
  return notes;
}

}  // namespace platform::headless
