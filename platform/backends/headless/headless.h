// Headless backend: a virtual clock, scripted input and recorded notes. The
// logic tests link it in place of the Qt toolkit and the FluidSynth synthesiser.
//
// Implements: clock and timers (advance fires due timers one at a time in
// deadline order, the clock set to each deadline), the event loop (runs the
// queued script steps, returns on quit or when the script is used up), clicks,
// keys with a Shift state, menu choices, the close button, a seedable random
// source, and a synthesiser that records every note event.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/toolkit.h"

namespace platform {
class Window;
class MenuItem;
}  // namespace platform

namespace platform::headless {

class HeadlessToolkit final : public Toolkit {
 public:
  bool start() override { return true; }
  double nowMs() override { return nowMs_; }
  void armTimer(Timer& timer, double deadlineMs) override;
  void disarmTimer(Timer& timer) override;
  void run() override;
  void quit() override { quitRequested_ = true; }
  // Runs the task when run() starts, before the script's steps.
  void whenRunning(std::function<void()> task) override { startTasks_.push_back(std::move(task)); }
  void showWindow(Window& window) override;
  void closeWindow(Window& window) override;
  void changed(Object&, Change) override {}
  bool shiftKeyDown() override { return shift_; }
  uint64_t newRandomSeed() override;

  // Moves the virtual clock forward by `ms`, firing every timer that falls due
  // on the way, one at a time, in deadline order (ties: the order they were armed).
  void advance(double ms);
  // A person's actions, dispatched at once on the calling thread.
  void click(Object& control);
  // Returns what the window's KeyDown handler returned.
  bool keyDown(Window& window, const std::string& key, bool shift = false);
  // Chooses the menu item named `name` in the window's menu bar (searched depth first).
  bool chooseMenu(Window& window, std::string_view name);
  void pressCloseButton(Window& window);

  // Steps that run() executes in order (each may advance the clock); run()
  // returns after quit() or when none are left.
  void script(std::function<void()> step) { script_.push_back(std::move(step)); }
  // Seeds the sequence that new Random objects draw their seeds from.
  void seedRandom(uint64_t seed);

  bool quitRequested() const noexcept { return quitRequested_; }
  const std::vector<Window*>& shownWindows() const noexcept { return shown_; }
  size_t armedTimerCount() const noexcept { return armed_.size(); }

 private:
  struct Armed {
    Timer* timer;
    double deadlineMs;
    uint64_t order;
  };
  double nowMs_ = 0;
  uint64_t armOrder_ = 0;
  std::vector<Armed> armed_;
  std::vector<std::function<void()>> script_;
  std::vector<std::function<void()>> startTasks_;
  std::vector<Window*> shown_;
  bool quitRequested_ = false;
  bool shift_ = false;
  uint64_t seedState_ = 0x9E3779B97F4A7C15ull;
};

struct NoteEvent {
  double timeMs;
  std::string player;  // the note player's Name
  int note;
  int velocity;    // 0: release
  int instrument;  // General MIDI program counted from 1, in force when sent
  bool operator==(const NoteEvent&) const = default;
};

class RecordingSynth final : public Synth {
 public:
  int openChannel(std::string_view player) override;
  void programChange(int channel, int program) override;
  void noteOn(int channel, int note, int velocity) override;
  void noteOff(int channel, int note) override;
  void allNotesOff() override;

  const std::vector<NoteEvent>& events() const noexcept { return events_; }
  void clear() { events_.clear(); }
  // Note numbers still sounding on `player` (started and not released), with repeats.
  std::vector<int> sounding(std::string_view player) const;

 private:
  struct Channel {
    std::string player;
    int program = 0;
  };
  std::vector<Channel> channels_;
  std::vector<NoteEvent> events_;
};

// The running headless backends (RuntimeInit must have run).
HeadlessToolkit& toolkit();
RecordingSynth& synth();

}  // namespace platform::headless
