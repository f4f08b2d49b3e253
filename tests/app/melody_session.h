// A running Velmora on the headless backend, seen from the trigger melodies: press
// a trigger button, let (virtual) time pass, hear the notes of the melody player;
// and, for the table tests, the window's parsed items and beat event table.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <ostream>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "platform/backends/headless/headless.h"
#include "platform/run.h"
#include "tests/app/app_startup.h"

namespace velmora::testing {

inline constexpr std::string_view kMelodyPlayer = "notMelodies";
inline constexpr int kMelodyCount = 12;
inline constexpr int kTableSlots = 20;

// One parsed item: note number, duration in beats, start beat.
struct Item {
  int note, duration, start;
  int end() const { return start + duration; }
  bool operator==(const Item&) const = default;
};

// A note event as a person hears it: when, which note, started or released.
struct Heard {
  double timeMs;
  int note;
  bool on;
  bool operator==(const Heard&) const = default;
};

inline std::ostream& operator<<(std::ostream& os, const Item& i) {
  return os << "(" << i.note << ", " << i.duration << ", " << i.start << ")";
}
inline std::ostream& operator<<(std::ostream& os, const Heard& h) {
  return os << (h.on ? "+" : "-") << h.note << "@" << h.timeMs;
}

// The events of beat b as the player must send them: items in string order,
// each item's note-on before its note-off.
inline std::vector<Heard> beatEvents(const std::vector<Item>& items, int b, double atMs) {
  std::vector<Heard> out;
  for (const Item& i : items) {
    if (i.start == b) out.push_back({atMs, i.note, true});
    if (i.end() == b) out.push_back({atMs, i.note, false});
  }
  return out;
}

// A whole melody as it must sound from a press at `pressMs`: beat b at b x tempo.
inline std::vector<Heard> performance(const std::vector<Item>& items, int tempoMs, double pressMs) {
  int last = 0;
  for (const Item& i : items) last = std::max(last, i.end());
  std::vector<Heard> out;
  for (int b = 0; b <= last; ++b) {
    for (const Heard& h : beatEvents(items, b, pressMs + double(b) * tempoMs)) out.push_back(h);
  }
  return out;
}

class MelodySession {
 public:
  MelodySession() = default;

  frmMain& window() { return *app_.window(); }
  platform::headless::HeadlessToolkit& toolkit() { return platform::headless::toolkit(); }
  platform::Timer& timer() { return *window().tmrMelodyPlay(); }

  // ---- acting
  void pressTrigger(int k) { toolkit().click(*window().cmdTrigger(k)); }
  void pressStart() { toolkit().click(*window().cmdGo()); }
  void advance(double ms) { toolkit().advance(ms); }
  double now() const { return platform::RuntimeNowMs(); }
  bool playing() { return timer().Mode() != platform::Timer::kOff; }
  // Lets a melody run out; false when it would take longer than `limitMs`.
  bool playToEnd(double limitMs = 60000) {
    const double until = now() + limitMs;
    while (playing() && now() < until) advance(timer().deadlineMs() - now());
    return !playing();
  }
  // Replaces melody string k (the window's table is otherwise constant).
  void setMelody(int k, std::string text) { window().sMelodies->set(k, std::move(text)); }
  std::string melody(int k) { return window().sMelodies->get(k); }

  // ---- the window's tables
  std::vector<Item> parse(int k) {
    window().ParseMelody(k);
    return items();
  }
  std::vector<Item> items() {
    const auto& build = *window().iMelodyBuild;
    std::vector<Item> out;
    for (int32_t i = 0; i <= build.Ubound(1); ++i) {
      out.push_back({build.get(i, 0), build.get(i, 1), build.get(i, 2)});
    }
    return out;
  }
  int tempo() { return timer().Period(); }
  // The beat event table as rows of slots.
  std::vector<std::vector<int>> load(int k) {
    window().MelodyLoad(k);
    return table();
  }
  std::vector<std::vector<int>> table() {
    const auto& t = *window().iMelodyPlay;
    std::vector<std::vector<int>> rows;
    for (int32_t b = 0; b <= t.Ubound(1); ++b) {
      std::vector<int> row;
      for (int32_t j = 0; j <= t.Ubound(2); ++j) row.push_back(t.get(b, j));
      rows.push_back(row);
    }
    return rows;
  }

  // ---- hearing
  // A mark in the record of every note event; heard(mark) gives what came after it.
  size_t mark() const { return platform::headless::synth().events().size(); }
  std::vector<Heard> heard(size_t fromMark = 0) const {
    const auto& events = platform::headless::synth().events();
    std::vector<Heard> out;
    for (size_t n = fromMark; n < events.size(); ++n) {
      if (events[n].player == kMelodyPlayer) {
        out.push_back({events[n].timeMs, events[n].note, events[n].velocity > 0});
      }
    }
    return out;
  }
  // The velocities of the melody player's note events since `fromMark` (0: a release).
  std::set<int> velocities(size_t fromMark = 0) const {
    const auto& events = platform::headless::synth().events();
    std::set<int> out;
    for (size_t n = fromMark; n < events.size(); ++n) {
      if (events[n].player == kMelodyPlayer) out.insert(events[n].velocity);
    }
    return out;
  }
  std::vector<int> sounding() const { return platform::headless::synth().sounding(kMelodyPlayer); }

 private:
  AppSession app_;
};

// The events of a table row, in slot order, up to its first free slot.
inline std::vector<int> eventsOf(const std::vector<int>& row) {
  std::vector<int> out;
  for (int v : row) {
    if (v == 0) break;
    out.push_back(v);
  }
  return out;
}

}  // namespace velmora::testing
