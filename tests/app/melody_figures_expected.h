// Expected figures of the twelve built-in melodies, for tests that derive them from
// the strings through the parser and the beat event table.
//
// Per melody:
//   tempo                 ms per beat (the timer period after parsing)
//   items                 rows of the parsed item array
//   first_note            note of item 0 (which starts on beat 0)
//   lowest/highest_note   over all items
//   last_beat             largest start + duration
//   rows                  rows of the beat event table (last_beat + 1)
//   most_events           largest number of events (starts + releases) in one row
//   beats_without_events  rows holding no event
//   most_sounding         largest number of distinct note numbers held on, playing the
//                         rows in order and each row's events in slot order; the same
//                         figure holds after every single event, not only after a row
//   in_start_order        every item starts no earlier than the one before it
//   equal_item_pairs      pairs of items equal in note, duration and start
//   same_start_pairs      pairs of items with the same note and start but different
//                         durations
#pragma once

#include <array>

namespace velmora::testing {

struct MelodyFigures {
  int tempo;
  int items;
  int first_note;
  int lowest_note;
  int highest_note;
  int last_beat;
  int rows;
  int most_events;
  int beats_without_events;
  int most_sounding;
  bool in_start_order;
  int equal_item_pairs;
  int same_start_pairs;
};

// clang-format off
inline constexpr std::array<MelodyFigures, 12> kExpectedMelodyFigures = {{
  // tempo items first  low high last rows events empty sounding  ordered  equal same
  { 130,   20,    60,   48,   67,   32,   33,      4,    18,        2,    true,     0,    0},  // 0
  { 100,   22,    61,   45,   69,   52,   53,      4,    29,        2,    true,     0,    0},  // 1
  { 125,   13,    62,   55,   74,   24,   25,      6,    16,        4,   false,     0,    0},  // 2
  { 110,   39,    75,   46,   82,   32,   33,     11,    20,        6,   false,     0,    0},  // 3
  { 150,   19,    64,   40,   74,   23,   24,     10,    17,        5,   false,     0,    0},  // 4
  { 130,   36,    65,   46,   72,   50,   51,      4,    26,        2,   false,     0,    0},  // 5
  { 150,   23,    66,   42,   74,   26,   27,      5,     9,        3,   false,     0,    0},  // 6
  { 150,   29,    67,   47,   67,   32,   33,      4,    16,        2,   false,     0,    0},  // 7
  { 140,   49,    68,   37,   76,   52,   53,     10,    32,        6,   false,     1,    0},  // 8
  { 135,   36,    69,   38,   69,   31,   32,      4,     0,        2,   false,     0,    0},  // 9
  {  75,   36,    46,   46,   82,   44,   45,      7,    31,        4,   false,     0,    0},  // 10
  { 120,   53,    35,   35,   66,   32,   33,      8,    16,        5,   false,     0,    2},  // 11
}};
// clang-format on

// Over all twelve melodies.
inline constexpr int kExpectedOneDigitStartBeats = 114;  // start beats 0 to 9
inline constexpr int kExpectedTwoDigitStartBeats = 261;  // start beats 10 to 48
inline constexpr int kExpectedShortestDuration = 1;
inline constexpr int kExpectedLongestDuration = 16;
inline constexpr int kExpectedLatestStartBeat = 48;

}  // namespace velmora::testing
