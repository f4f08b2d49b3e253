// From a click on "Start" to PlayNote reaching the synthesiser.
//
// The program's own start-up, window and FluidSynth synthesiser, with a tap in
// front of the synthesiser that notes the moment each note event reaches it. A
// click is a mouse press and release posted to the button's widget, so it takes
// Qt's own path: the event queue, the widget's mouse handling, its clicked
// signal, the toolkit, the window's handler, the note player. Each click is
// timed from the moment its release (where a push button acts) is posted. The
// drill note starts on one click and stops on the next, so every click sends
// one PlayNote. The baseline is a bare QPushButton in a window of its own,
// clicked the same way in the same run, timed to its clicked signal: Qt's
// dispatch without the program.
//
// After the clicks it plays the first melody for a while (the drill's and the
// melodies' instruments both in use) and reports the peak resident memory.
// Runs on whichever Qt platform QT_QPA_PLATFORM names (offscreen when there is
// no display). Besides its report it prints "result: NAME VALUE" lines for
// bench/run.
#include <QApplication>
#include <QMouseEvent>
#include <QPushButton>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "bench/peak_memory.h"
#include "main_window/frm_main.h"
#include "platform/backends/fluidsynth/fluidsynth_synth.h"
#include "platform/backends/qt/qt_toolkit.h"
#include "platform/run.h"
#include "platform/toolkit.h"
#include "shell/startup.h"

namespace platform {
// The program's own makeSynth, renamed in this executable's copy of the
// FluidSynth backend (see CMakeLists.txt) so that the tap can stand in front.
std::unique_ptr<Synth> programMakeSynth();
}  // namespace platform

namespace {

using Clock = std::chrono::steady_clock;
using platform::fluidsynth::FluidSynthSynth;
using platform::fluidsynth::SoundFontState;

constexpr int kWarmUpClicks = 2;
constexpr int kClicks = 40;      // even: the drill note ends released
constexpr int kClickGapMs = 40;  // between a click on "Start" and one on the bare button
constexpr int kSoundFontPollMs = 20;
constexpr int kSoundFontWaitMs = 15000;
constexpr int kMelodyPlayMs = 1500;  // long enough for several of its notes
constexpr int kMelodyIndex = 0;

double msBetween(Clock::time_point from, Clock::time_point to) {
  return std::chrono::duration<double, std::milli>(to - from).count();
}

// Forwards everything to the program's synthesiser, noting when each note
// event arrives (and when the synthesiser had taken it) on which player.
class TapSynth final : public platform::Synth {
 public:
  struct Arrival {
    std::string player;
    Clock::time_point reached;
    Clock::time_point taken;
  };

  explicit TapSynth(std::unique_ptr<platform::Synth> inner) : inner_(std::move(inner)) {}

  int openChannel(std::string_view player) override {
    const int channel = inner_->openChannel(player);
    players_[channel] = std::string(player);
    return channel;
  }
  void programChange(int channel, int program) override { inner_->programChange(channel, program); }
  void noteOn(int channel, int note, int velocity) override {
    const Clock::time_point reached = Clock::now();
    inner_->noteOn(channel, note, velocity);
    arrivals_.push_back({players_[channel], reached, Clock::now()});
  }
  void noteOff(int channel, int note) override {
    const Clock::time_point reached = Clock::now();
    inner_->noteOff(channel, note);
    arrivals_.push_back({players_[channel], reached, Clock::now()});
  }
  void allNotesOff() override { inner_->allNotesOff(); }
  void eventLoopStarted() override { inner_->eventLoopStarted(); }

  const std::vector<Arrival>& arrivals() const { return arrivals_; }
  FluidSynthSynth* fluidSynth() const { return dynamic_cast<FluidSynthSynth*>(inner_.get()); }

 private:
  std::unique_ptr<platform::Synth> inner_;
  std::unordered_map<int, std::string> players_;
  std::vector<Arrival> arrivals_;
};

TapSynth& tap() { return dynamic_cast<TapSynth&>(platform::synth()); }

double median(std::vector<double> v) {
  if (v.empty()) return 0.0;
  std::sort(v.begin(), v.end());
  const size_t n = v.size();
  return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

const char* stateName(SoundFontState state) {
  switch (state) {
    case SoundFontState::Waiting:
      return "waiting";
    case SoundFontState::Loading:
      return "loading";
    case SoundFontState::Loaded:
      return "loaded";
    case SoundFontState::Missing:
      return "missing";
    case SoundFontState::Damaged:
      return "damaged";
    case SoundFontState::NotNeeded:
      return "no audio device";
    case SoundFontState::Unavailable:
      return "no libfluidsynth";
  }
  return "unknown";
}

void after(int ms, std::function<void()> step) {
  QTimer::singleShot(ms, Qt::PreciseTimer, std::move(step));
}

// A click as a person makes one: press and release posted to the widget's
// queue. Returns the moment the release was posted.
Clock::time_point postClick(QWidget& widget) {
  const QPointF inside(widget.width() / 2.0, widget.height() / 2.0);
  const QPointF global = widget.mapToGlobal(inside);
  QCoreApplication::postEvent(
      &widget, new QMouseEvent(QEvent::MouseButtonPress, inside, global, Qt::LeftButton,
                               Qt::LeftButton, Qt::NoModifier));
  const Clock::time_point released = Clock::now();
  QCoreApplication::postEvent(
      &widget, new QMouseEvent(QEvent::MouseButtonRelease, inside, global, Qt::LeftButton,
                               Qt::NoButton, Qt::NoModifier));
  return released;
}

class Probe {
 public:
  void start() {
    bare_ = std::make_unique<QWidget>();
    bare_->setWindowTitle("bare Qt baseline");
    button_ = new QPushButton("Start", bare_.get());  // owned by bare_
    button_->setGeometry(10, 10, 80, 22);
    QObject::connect(button_, &QPushButton::clicked, [this] { bareClicked_ = Clock::now(); });
    bare_->resize(100, 42);
    bare_->show();
    clickDuringLoad();
  }

  bool failed() const { return failed_; }

  void report() const {
    const double programMs = median(programMs_), bareMs = median(bareMs_);
    const double programLargest =
        programMs_.empty() ? 0.0 : *std::max_element(programMs_.begin(), programMs_.end());
    std::printf("click on \"Start\" to PlayNote at the synthesiser (%zu clicks; Qt platform %s)\n",
                programMs_.size(), QGuiApplication::platformName().toUtf8().constData());
    std::printf("  SoundFont: %s\n", stateName(state_));
    std::printf("  program, to the synthesiser:        median %.3f ms, largest %.3f ms\n",
                programMs, programLargest);
    std::printf("  program, taken by the synthesiser:  median %.3f ms\n", median(takenMs_));
    std::printf("  bare QPushButton, to its signal:    median %.3f ms\n", bareMs);
    std::printf(
        "  first click, while the SoundFont loads: taken after %.3f ms (%.3f ms waiting"
        " for the load), SoundFont then %s\n",
        firstClickMs_, firstClickWaited_, stateName(firstClickState_));
    std::printf("  peak memory after the drill note and a melody: %.1f MB\n", peakMb_);
    std::printf("result: click_soundfont %s\n", state_ == SoundFontState::Loaded ? "loaded" : "no");
    std::printf("result: click_count %zu\n", programMs_.size());
    std::printf("result: click_median_ms %.3f\n", programMs);
    std::printf("result: click_largest_ms %.3f\n", programLargest);
    std::printf("result: click_taken_median_ms %.3f\n", median(takenMs_));
    std::printf("result: bare_click_median_ms %.3f\n", bareMs);
    std::printf("result: played_peak_mb %.1f\n", peakMb_);
    std::printf("result: first_click_taken_ms %.3f\n", firstClickMs_);
    std::printf("result: first_click_waited_ms %.3f\n", firstClickWaited_);
    std::printf("result: first_click_soundfont %s\n",
                firstClickState_ == SoundFontState::Loaded ? "loaded" : "no");
  }

 private:
  velmora::frmMain& window() { return *velmora::accessor::frmMain(); }
  QWidget* widgetOf(const platform::Object& control) {
    auto& qt = dynamic_cast<platform::qt::QtToolkit&>(platform::toolkit());
    return qt.widgetFor(control);
  }

  // "Start" clicked the moment the window shows, before the SoundFont is in: the
  // click waits in PlayNote for the rest of the load. Times the click to the
  // synthesiser taking the note (how long the window stood still), and notes
  // whether the load was under way and whether it ended in a note that sounds.
  void clickDuringLoad() {
    FluidSynthSynth* fluid = tap().fluidSynth();
    QWidget* start = widgetOf(*window().cmdGo());
    if (!fluid || !start) return waitForSoundFont(0);
    const size_t mark = tap().arrivals().size();
    const Clock::time_point clicked = postClick(*start);
    after(0, [this, fluid, mark, clicked] {
      const auto& arrivals = tap().arrivals();
      const auto found =
          std::find_if(arrivals.begin() + static_cast<std::ptrdiff_t>(mark), arrivals.end(),
                       [](const TapSynth::Arrival& a) { return a.player == "notPitches"; });
      if (found == arrivals.end()) return fail("a click on \"Start\" during the load sent no note");
      firstClickMs_ = msBetween(clicked, found->taken);
      firstClickWaited_ = msBetween(found->reached, found->taken);
      firstClickState_ = fluid->soundFontState();
      waitForSoundFont(0);
    });
  }

  void waitForSoundFont(int waitedMs) {
    FluidSynthSynth* fluid = tap().fluidSynth();
    state_ = fluid ? fluid->soundFontState() : SoundFontState::Unavailable;
    const bool pending = state_ == SoundFontState::Waiting || state_ == SoundFontState::Loading;
    if (pending && waitedMs < kSoundFontWaitMs) {
      return after(kSoundFontPollMs,
                   [this, waitedMs] { waitForSoundFont(waitedMs + kSoundFontPollMs); });
    }
    after(kClickGapMs, [this] { clickStart(0); });
  }

  void clickStart(int n) {
    QWidget* start = widgetOf(*window().cmdGo());
    if (!start) return fail("the \"Start\" button has no widget");
    const size_t mark = tap().arrivals().size();
    const Clock::time_point clicked = postClick(*start);
    after(kClickGapMs, [this, n, mark, clicked] {
      const auto& arrivals = tap().arrivals();
      const auto found =
          std::find_if(arrivals.begin() + static_cast<std::ptrdiff_t>(mark), arrivals.end(),
                       [](const TapSynth::Arrival& a) { return a.player == "notPitches"; });
      if (found == arrivals.end()) return fail("a click on \"Start\" sent no note");
      if (n >= kWarmUpClicks) {
        programMs_.push_back(msBetween(clicked, found->reached));
        takenMs_.push_back(msBetween(clicked, found->taken));
      }
      clickBare(n);
    });
  }

  void clickBare(int n) {
    bareClicked_.reset();
    const Clock::time_point clicked = postClick(*button_);
    after(kClickGapMs, [this, n, clicked] {
      if (!bareClicked_) return fail("the bare button was not clicked");
      if (n >= kWarmUpClicks) bareMs_.push_back(msBetween(clicked, *bareClicked_));
      if (n + 1 < kWarmUpClicks + kClicks) return clickStart(n + 1);
      playMelody();
    });
  }

  // Both instruments in use, then the peak memory.
  void playMelody() {
    QWidget* trigger = widgetOf(*window().cmdTrigger(kMelodyIndex));
    if (!trigger) return fail("the trigger button has no widget");
    postClick(*trigger);
    after(kMelodyPlayMs, [this, trigger] {
      postClick(*trigger);  // a second press stops it
      after(kClickGapMs, [this] {
        peakMb_ = peakResidentMb();
        finish();
      });
    });
  }

  void fail(const char* what) {
    std::fprintf(stderr, "click_to_note: %s\n", what);
    failed_ = true;
    finish();
  }

  // The baseline window goes while Qt is still there.
  void finish() {
    bare_.reset();
    button_ = nullptr;
    platform::RuntimeQuit();
  }

  std::unique_ptr<QWidget> bare_;
  QPushButton* button_ = nullptr;
  std::optional<Clock::time_point> bareClicked_;
  SoundFontState state_ = SoundFontState::Waiting;
  double firstClickMs_ = 0.0, firstClickWaited_ = 0.0;
  SoundFontState firstClickState_ = SoundFontState::Waiting;
  std::vector<double> programMs_, takenMs_, bareMs_;
  double peakMb_ = 0.0;
  bool failed_ = false;
};

}  // namespace

namespace platform {
std::unique_ptr<Synth> makeSynth() { return std::make_unique<TapSynth>(programMakeSynth()); }
}  // namespace platform

int main() {
  if (!std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY")) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
  }
  platform::RuntimeInit();
  velmora::percentInitialize();
  Probe probe;
  // Posted before the loop runs: the probe begins once start-up is done.
  QTimer::singleShot(0, [&probe] { probe.start(); });
  velmora::_Main();
  if (!probe.failed()) probe.report();
  velmora::percentFinalize();
  const int status = platform::RuntimeExit();
  return probe.failed() ? 1 : status;
}
