// The beat event table: one row per beat, +n starts note n and -n releases it,
// events of a beat in item order, 20 slots per beat.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "tests/app/melody_session.h"

namespace velmora::testing {
namespace {

using Rows = std::map<int, std::vector<int>>;  // beat -> its events; rows not named hold none

// The table's events by beat; every row must have 20 slots and no gap in its list.
Rows eventsByBeat(const std::vector<std::vector<int>>& table) {
  Rows out;
  for (size_t b = 0; b < table.size(); ++b) {
    EXPECT_EQ(table[b].size(), size_t(kTableSlots)) << "row " << b;
    const std::vector<int> events = eventsOf(table[b]);
    for (size_t j = events.size(); j < table[b].size(); ++j) {
      EXPECT_EQ(table[b][j], 0) << "row " << b << " has an event after a free slot";
    }
    if (!events.empty()) out[int(b)] = events;
  }
  return out;
}

// Melody `text` as trigger button 4's, loaded.
std::vector<std::vector<int>> loadText(MelodySession& s, const std::string& text) {
  s.setMelody(4, text);
  return s.load(4);
}

// Plays trigger button 4's melody to its end; returns what was left sounding.
std::vector<int> playMelody4(MelodySession& s) {
  s.pressTrigger(4);
  EXPECT_TRUE(s.playToEnd());
  return s.sounding();
}

TEST(BeatTable, WorkedExampleTakesItsLastBeatFromTheItemThatEndsLast) {
  MelodySession s;
  const auto table = loadText(s, "130,60080,48020,55022,");
  EXPECT_EQ(table.size(), 9u);
  EXPECT_EQ(eventsByBeat(table), (Rows{{0, {60, 48}}, {2, {-48, 55}}, {4, {-55}}, {8, {-60}}}));
}

TEST(BeatTable, AMelodyAfterALongerOneLeavesOnlyItsOwnRows) {
  MelodySession s;
  const auto fresh = s.load(2);
  EXPECT_EQ(fresh.size(), 25u);
  s.load(8);  // 53 rows, with events in row 0 and everywhere else
  EXPECT_EQ(s.load(2), fresh);
}

// Melodies the table cannot hold in full: an item is left out whole, never
// half, so what starts is also released.
struct OverfullCase {
  const char* name;
  std::string text;
  Rows rows;
  size_t rowCount;
};
void PrintTo(const OverfullCase& c, std::ostream* os) { *os << c.name; }

std::string repeatItem(const std::string& item, int times) {
  std::string s;
  for (int i = 0; i < times; ++i) s += item;
  return s;
}
std::vector<int> repeatValue(std::vector<int> pattern, int times) {
  std::vector<int> out;
  for (int i = 0; i < times; ++i) out.insert(out.end(), pattern.begin(), pattern.end());
  return out;
}

const std::vector<OverfullCase> kOverfull = {
    // 21 notes start on beat 0: the 21st has no slot, and its release is left out too.
    {"TwentyOneStartsOnOneBeat", "100," + repeatItem("60010,", 20) + "62010,",
     Rows{{0, repeatValue({60}, 20)}, {1, repeatValue({-60}, 20)}}, 2},
    // 11 zero-length items want 22 slots of beat 0: ten pairs fit.
    {"ElevenZeroLengthItemsOnOneBeat", "100," + repeatItem("60000,", 11),
     Rows{{0, repeatValue({60, -60}, 10)}}, 1},
    // Beat 2 is full with releases: the item that would start there is left out.
    {"StartOnAFullBeat", "100," + repeatItem("60020,", 20) + "64022,",
     Rows{{0, repeatValue({60}, 20)}, {2, repeatValue({-60}, 20)}}, 5},
    // Beat 1 is full: an item whose release would fall there does not start either.
    {"ReleaseOnAFullBeat", "100," + repeatItem("60001,", 10) + "64010,",
     Rows{{1, repeatValue({60, -60}, 10)}}, 2},
    // Note number 0 would read as a free slot: the item is left out.
    {"NoteNumberZero", "100,00080,60020,", Rows{{0, {60}}, {2, {-60}}}, 3},
};

class OverfullMelody : public ::testing::TestWithParam<OverfullCase> {};

TEST_P(OverfullMelody, LeavesOutWholeItemsAndReleasesWhatItStarts) {
  MelodySession s;
  const auto table = loadText(s, GetParam().text);
  EXPECT_EQ(table.size(), GetParam().rowCount);
  EXPECT_EQ(eventsByBeat(table), GetParam().rows);
  EXPECT_TRUE(playMelody4(s).empty());
}

INSTANTIATE_TEST_SUITE_P(Melodies, OverfullMelody, ::testing::ValuesIn(kOverfull),
                         [](const auto& info) { return std::string(info.param.name); });

// The latest start beat the parser keeps, 9999, makes a table of 10001 rows that
// plays to its end; a start beat of 10000 ends the melody before its item.
TEST(BeatTable, TheLatestStartBeatMakesTheLongestTableAndPlaysToItsEnd) {
  MelodySession s;
  const auto table = loadText(s, "1,48020,60019999,");
  EXPECT_EQ(table.size(), 10001u);
  EXPECT_EQ(eventsByBeat(table), (Rows{{0, {48}}, {2, {-48}}, {9999, {60}}, {10000, {-60}}}));
  const double pressMs = s.now();
  s.pressTrigger(4);
  ASSERT_TRUE(s.playToEnd());
  EXPECT_EQ(s.heard(), (std::vector<Heard>{{pressMs, 48, true},
                                           {pressMs + 2, 48, false},
                                           {pressMs + 9999, 60, true},
                                           {pressMs + 10000, 60, false}}));

  EXPECT_EQ(loadText(s, "1,48020,600110000,").size(), 3u);
}

TEST(BeatTable, AMelodyWithoutItemsIsOneSilentRowAndSendsNothing) {
  MelodySession s;
  s.load(8);
  const auto table = loadText(s, "100,6004-1,");
  EXPECT_EQ(table.size(), 1u);
  EXPECT_TRUE(eventsByBeat(table).empty());
  s.pressTrigger(4);
  EXPECT_FALSE(s.playing());
  s.advance(1000);
  EXPECT_TRUE(s.heard().empty());
}

}  // namespace
}  // namespace velmora::testing
