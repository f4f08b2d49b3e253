// The figures of the twelve built-in melodies, derived from the strings the
// window holds through its own parser and beat table, against the expected table.
// A changed note that breaks a figure fails here.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "tests/app/melody_figures_expected.h"
#include "tests/app/melody_session.h"

namespace velmora::testing {
namespace {

struct Derived {
  MelodyFigures figures{};
  std::vector<Item> items;
  std::vector<std::vector<int>> table;
};

// Distinct note numbers held on while the rows are played in order; `afterEach`
// counts after every event, otherwise after every row.
int mostSounding(const std::vector<std::vector<int>>& table, bool afterEach) {
  std::map<int, int> held;
  auto distinct = [&] {
    return static_cast<int>(
        std::count_if(held.begin(), held.end(), [](const auto& h) { return h.second > 0; }));
  };
  int most = 0;
  for (const auto& row : table) {
    for (int v : eventsOf(row)) {
      held[std::abs(v)] += v > 0 ? 1 : -1;
      if (afterEach) most = std::max(most, distinct());
    }
    most = std::max(most, distinct());
  }
  return most;
}

Derived derive(MelodySession& s, int k) {
  Derived d;
  d.table = s.load(k);
  d.items = s.items();
  MelodyFigures& f = d.figures;
  f.tempo = s.tempo();
  f.items = static_cast<int>(d.items.size());
  f.first_note = d.items.at(0).note;
  f.lowest_note = f.highest_note = f.first_note;
  f.in_start_order = true;
  for (size_t i = 0; i < d.items.size(); ++i) {
    const Item& it = d.items[i];
    f.lowest_note = std::min(f.lowest_note, it.note);
    f.highest_note = std::max(f.highest_note, it.note);
    f.last_beat = std::max(f.last_beat, it.end());
    if (i > 0 && it.start < d.items[i - 1].start) f.in_start_order = false;
    for (size_t j = i + 1; j < d.items.size(); ++j) {
      const Item& other = d.items[j];
      if (it == other) ++f.equal_item_pairs;
      if (it.note == other.note && it.start == other.start && it.duration != other.duration) {
        ++f.same_start_pairs;
      }
    }
  }
  f.rows = static_cast<int>(d.table.size());
  for (const auto& row : d.table) {
    const int n = static_cast<int>(eventsOf(row).size());
    f.most_events = std::max(f.most_events, n);
    if (n == 0) ++f.beats_without_events;
  }
  f.most_sounding = mostSounding(d.table, false);
  return d;
}

// The string written back from the parsed tempo and items; equal to the original
// only when every field has its exact width and no start beat a leading zero.
std::string rewrite(int tempo, const std::vector<Item>& items) {
  std::string s = std::to_string(tempo) + ",";
  char buf[16];
  for (const Item& i : items) {
    std::snprintf(buf, sizeof buf, "%02d%02d%d,", i.note, i.duration, i.start);
    s += buf;
  }
  return s;
}

TEST(MelodyFigures, EachBuiltInMelodyHasItsExpectedFigures) {
  MelodySession s;
  std::vector<Derived> all;
  for (int k = 0; k < kMelodyCount; ++k) all.push_back(derive(s, k));

  for (int k = 0; k < kMelodyCount; ++k) {
    SCOPED_TRACE("melody " + std::to_string(k));
    const MelodyFigures& got = all[k].figures;
    const MelodyFigures& want = kExpectedMelodyFigures[k];
    EXPECT_EQ(got.tempo, want.tempo);
    EXPECT_EQ(got.items, want.items);
    EXPECT_EQ(got.first_note, want.first_note);
    EXPECT_EQ(got.lowest_note, want.lowest_note);
    EXPECT_EQ(got.highest_note, want.highest_note);
    EXPECT_EQ(got.last_beat, want.last_beat);
    EXPECT_EQ(got.rows, want.rows);
    EXPECT_EQ(got.most_events, want.most_events);
    EXPECT_EQ(got.beats_without_events, want.beats_without_events);
    EXPECT_EQ(got.most_sounding, want.most_sounding);
    EXPECT_EQ(mostSounding(all[k].table, true), want.most_sounding) << "counted after each event";
    EXPECT_EQ(got.in_start_order, want.in_start_order);
    EXPECT_EQ(got.equal_item_pairs, want.equal_item_pairs);
    EXPECT_EQ(got.same_start_pairs, want.same_start_pairs);
    // The first item opens the melody on beat 0 with a note of its own pitch class.
    EXPECT_EQ(all[k].items.at(0).start, 0);
    EXPECT_EQ(all[k].items.at(0).note % 12, k);
  }
}

TEST(MelodyFigures, StringsHaveExactFieldWidthsAndTheirRangesHold) {
  MelodySession s;
  int oneDigit = 0, twoDigit = 0;
  int shortest = 1000, longest = 0, latest = -1;
  for (int k = 0; k < kMelodyCount; ++k) {
    SCOPED_TRACE("melody " + std::to_string(k));
    const std::vector<Item> items = s.parse(k);
    EXPECT_EQ(rewrite(s.tempo(), items), s.melody(k));
    for (const Item& i : items) {
      (i.start < 10 ? oneDigit : twoDigit) += 1;
      shortest = std::min(shortest, i.duration);
      longest = std::max(longest, i.duration);
      latest = std::max(latest, i.start);
    }
  }
  EXPECT_EQ(oneDigit, kExpectedOneDigitStartBeats);
  EXPECT_EQ(twoDigit, kExpectedTwoDigitStartBeats);
  EXPECT_EQ(shortest, kExpectedShortestDuration);
  EXPECT_EQ(longest, kExpectedLongestDuration);
  EXPECT_EQ(latest, kExpectedLatestStartBeat);
}

// A beat's events fill its slots from the first, with no gap. Where a note number
// ends on the beat on which it starts again, the release must come first, or the
// new note would be cut off at once.
TEST(MelodyFigures, EachBeatFillsItsFirstSlotsAndReleasesANoteBeforeStartingItAgain) {
  MelodySession s;
  for (int k = 0; k < kMelodyCount; ++k) {
    const auto table = s.load(k);
    for (size_t b = 0; b < table.size(); ++b) {
      const std::vector<int> events = eventsOf(table[b]);
      ASSERT_EQ(table[b].size(), size_t(kTableSlots));
      EXPECT_EQ(std::count(table[b].begin(), table[b].end(), 0), kTableSlots - int(events.size()))
          << "melody " << k << " beat " << b << " has an event after a free slot";
      std::set<int> started;
      for (int v : events) {
        if (v > 0) started.insert(v);
        EXPECT_FALSE(v < 0 && started.count(-v))
            << "melody " << k << " beat " << b << " starts " << -v << " before releasing it";
      }
    }
  }
}

}  // namespace
}  // namespace velmora::testing
