// Melody timing on the real Qt event loop and timers.
//
// Plays the twelve built-in melodies through the program's own start-up, window,
// trigger buttons and melody timer, with a recording synthesiser in place of
// FluidSynth, and takes for each beat that sends events the moment its first
// event reached the note player against b x tempo after the press (beat 0, sent
// inside the press, is left out). A bare Qt
// precise repeating timer ticking on the same grids is the baseline: what the
// event loop gives without the program in between.
//
//   QT_QPA_PLATFORM=offscreen (the default here)
//   melody_timing [--rounds N] [--program-only | --baseline-only]
//
// The two halves can run as two processes at once (bench/run does, to halve the
// wall time); each reads the melodies' tempos and beats from the window.
// Goals: median error at most 1 ms, largest at most 3 ms, last beat at most 2 ms.
// Besides the table it prints "result: NAME VALUE" lines for bench/run.
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "main_window/frm_main.h"
#include "platform/backends/headless/headless.h"
#include "platform/run.h"
#include "shell/startup.h"

namespace {

constexpr int kMelodies = 12;
constexpr int kSettleMs = 150;  // after a melody's last beat, before it is read back
constexpr int kGapMs = 250;     // quiet between two melodies

struct Errors {
  std::vector<double> beatsMs;  // |arrival - ideal| for every measured beat
  std::vector<double> lastMs;   // the last beat's, one per melody played
  void add(const Errors& o) {
    beatsMs.insert(beatsMs.end(), o.beatsMs.begin(), o.beatsMs.end());
    lastMs.insert(lastMs.end(), o.lastMs.begin(), o.lastMs.end());
  }
};

double median(std::vector<double> v) {
  if (v.empty()) return NAN;
  std::sort(v.begin(), v.end());
  const size_t n = v.size();
  return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}
double largest(const std::vector<double>& v) {
  return v.empty() ? NAN : *std::max_element(v.begin(), v.end());
}

struct Melody {
  int tempoMs = 0;
  std::vector<int> eventsPerBeat;  // from the beat event table, read after the press
  int lastBeat() const { return static_cast<int>(eventsPerBeat.size()) - 1; }
};

// One step after another on the event loop, each a single-shot Qt timer.
void after(int ms, std::function<void()> step) {
  QTimer::singleShot(ms, Qt::PreciseTimer, std::move(step));
}

void result(const char* name, double value) { std::printf("result: %s %.3f\n", name, value); }

class Run {
 public:
  Run(int rounds, bool program, bool baseline)
      : rounds_(rounds), program_(program), baseline_(baseline) {}

  void start() {
    if (program_) return after(kGapMs, [this] { press(0); });
    // The baseline alone: each melody is started and stopped at once, only to
    // read its tempo and beats.
    for (int k = 0; k < kMelodies; ++k) {
      window().cmdTrigger(k)->Push();
      melodies_[k] = readMelody();
      window().cmdTrigger(k)->Push();
    }
    after(kGapMs, [this] { bareTimer(0); });
  }

  bool failed() const { return failed_; }

  void report() const {
    std::printf("melody timing on the Qt event loop (%d round%s); errors in ms\n", rounds_,
                rounds_ == 1 ? "" : "s");
    std::printf("%-7s %5s", "melody", "tempo");
    if (program_) std::printf(" %6s %7s %8s %9s", "beats", "median", "largest", "last beat");
    if (baseline_) std::printf("   | bare Qt timer: %7s %8s %9s", "median", "largest", "last tick");
    std::printf("\n");
    Errors all, allBase;
    for (int k = 0; k < kMelodies; ++k) {
      std::printf("%-7d %5d", k, melodies_[k].tempoMs);
      if (program_) {
        const Errors& e = melody_[k];
        std::printf(" %6zu %7.3f %8.3f %9.3f", e.beatsMs.size(), median(e.beatsMs),
                    largest(e.beatsMs), largest(e.lastMs));
      }
      if (baseline_) {
        const Errors& b = base_[k];
        std::printf("   |                %7.3f %8.3f %9.3f", median(b.beatsMs), largest(b.beatsMs),
                    largest(b.lastMs));
      }
      std::printf("\n");
      all.add(melody_[k]);
      allBase.add(base_[k]);
    }
    const double med = median(all.beatsMs), big = largest(all.beatsMs), last = largest(all.lastMs);
    std::printf("%-7s %5s", "overall", "");
    if (program_) std::printf(" %6zu %7.3f %8.3f %9.3f", all.beatsMs.size(), med, big, last);
    if (baseline_) {
      std::printf("   |                %7.3f %8.3f %9.3f", median(allBase.beatsMs),
                  largest(allBase.beatsMs), largest(allBase.lastMs));
    }
    std::printf("\n");
    if (program_) {
      std::printf("goals: median <= 1 ms %s, largest <= 3 ms %s, last beat <= 2 ms %s\n",
                  med <= 1 ? "met" : "MISSED", big <= 3 ? "met" : "MISSED",
                  last <= 2 ? "met" : "MISSED");
      result("melody_beats", static_cast<double>(all.beatsMs.size()));
      result("melody_median_ms", med);
      result("melody_largest_ms", big);
      result("melody_last_beat_ms", last);
    }
    if (baseline_) {
      result("bare_timer_median_ms", median(allBase.beatsMs));
      result("bare_timer_largest_ms", largest(allBase.beatsMs));
      result("bare_timer_last_tick_ms", largest(allBase.lastMs));
    }
    if (program_ && baseline_) {
      std::printf("ratio to the bare Qt timer: median %.2f, largest %.2f\n",
                  med / median(allBase.beatsMs), big / largest(allBase.beatsMs));
    }
  }

 private:
  velmora::frmMain& window() { return *velmora::accessor::frmMain(); }

  // The melody just started: its tempo and the events on each beat.
  Melody readMelody() {
    Melody m;
    m.tempoMs = window().tmrMelodyPlay()->Period();
    const auto& table = *window().iMelodyPlay;
    for (int32_t b = 0; b <= table.Ubound(1); ++b) {
      int n = 0;
      while (n <= table.Ubound(2) && table.get(b, n) != 0) ++n;
      m.eventsPerBeat.push_back(n);
    }
    return m;
  }

  void press(int k) {
    if (k == kMelodies) {
      if (++round_ < rounds_) return after(kGapMs, [this] { press(0); });
      if (baseline_) return after(kGapMs, [this] { bareTimer(0); });
      platform::RuntimeQuit();
      return;
    }
    const size_t mark = platform::headless::synth().events().size();
    const double pressMs = platform::RuntimeNowMs();
    window().cmdTrigger(k)->Push();
    const Melody& m = melodies_[k] = readMelody();
    after(m.lastBeat() * m.tempoMs + kSettleMs, [this, k, mark, pressMs] {
      collect(k, mark, pressMs);
      after(kGapMs, [this, k] { press(k + 1); });
    });
  }

  // The recorded events after `mark`, in order, taken row by row of the table.
  void collect(int k, size_t mark, double pressMs) {
    const Melody& m = melodies_[k];
    const auto& events = platform::headless::synth().events();
    if (window().tmrMelodyPlay()->Mode() != 0) {
      std::fprintf(stderr, "melody %d still playing after its last beat\n", k);
      failed_ = true;
    }
    size_t next = mark;
    for (int b = 0; b <= m.lastBeat(); ++b) {
      if (m.eventsPerBeat[b] == 0) continue;
      if (b == 0) {  // sent inside the press itself, not timed by the melody timer
        next += m.eventsPerBeat[b];
        continue;
      }
      if (next >= events.size()) {
        std::fprintf(stderr, "melody %d: beat %d never sounded\n", k, b);
        failed_ = true;
        return;
      }
      const double error = std::abs(events[next].timeMs - (pressMs + double(b) * m.tempoMs));
      melody_[k].beatsMs.push_back(error);
      if (b == m.lastBeat()) melody_[k].lastMs.push_back(error);
      next += m.eventsPerBeat[b];
    }
  }

  // The baseline: a repeating precise QTimer at melody k's tempo for as many ticks.
  void bareTimer(int k) {
    if (k == kMelodies) {
      bare_.reset();
      platform::RuntimeQuit();
      return;
    }
    if (!bare_) {
      bare_ = std::make_unique<QTimer>();
      bare_->setTimerType(Qt::PreciseTimer);
      QObject::connect(bare_.get(), &QTimer::timeout, [this] { bareTick(); });
    }
    bareMelody_ = k;
    bareTicks_ = 0;
    bare_->setInterval(melodies_[k].tempoMs);
    bareStartMs_ = platform::RuntimeNowMs();
    bare_->start();
  }

  void bareTick() {
    const int k = bareMelody_;
    const Melody& m = melodies_[k];
    const int b = ++bareTicks_;
    const double error =
        std::abs(platform::RuntimeNowMs() - (bareStartMs_ + double(b) * m.tempoMs));
    base_[k].beatsMs.push_back(error);
    if (b < m.lastBeat()) return;
    base_[k].lastMs.push_back(error);
    bare_->stop();
    after(kGapMs, [this, k] { bareTimer(k + 1); });
  }

  int rounds_;
  bool program_;
  bool baseline_;
  int round_ = 0;
  bool failed_ = false;
  std::unique_ptr<QTimer> bare_;
  int bareMelody_ = 0, bareTicks_ = 0;
  double bareStartMs_ = 0;
  Melody melodies_[kMelodies];
  Errors melody_[kMelodies];
  Errors base_[kMelodies];
};

}  // namespace

int main(int argc, char** argv) {
  int rounds = 1;
  bool program = true, baseline = true;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--rounds") == 0 && i + 1 < argc) {
      rounds = std::max(1, std::atoi(argv[++i]));
    } else if (std::strcmp(argv[i], "--program-only") == 0 ||
               std::strcmp(argv[i], "--no-baseline") == 0) {
      baseline = false;
    } else if (std::strcmp(argv[i], "--baseline-only") == 0) {
      program = false;
    } else {
      std::fprintf(stderr, "usage: %s [--rounds N] [--program-only | --baseline-only]\n", argv[0]);
      return 2;
    }
  }
  if (!program && !baseline) {
    std::fprintf(stderr, "melody_timing: nothing to measure\n");
    return 2;
  }
  setenv("QT_QPA_PLATFORM", "offscreen", 0);

  platform::RuntimeInit();
  velmora::percentInitialize();
  Run run(rounds, program, baseline);
  // Posted before the loop runs: the first press comes once start-up is done.
  QTimer::singleShot(0, [&run] { run.start(); });
  velmora::_Main();
  run.report();
  velmora::percentFinalize();
  const int status = platform::RuntimeExit();
  return run.failed() ? 1 : status;
}
