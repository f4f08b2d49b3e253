// The melody parser: a melody string becomes the tempo of the melody timer and
// one row of (note, duration, start beat) per item, in string order. The twelve
// built-in strings, parsed one after another, are written back from their rows
// field for field in melody_figures_test.cpp.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/app/melody_session.h"

namespace velmora::testing {
namespace {

constexpr int kDesignPeriodMs = 150;  // the melody timer's period before any parse

TEST(MelodyParser, WorkedExampleGivesItsTempoAndThreeRowsInStringOrder) {
  MelodySession s;
  const std::string text = "130,60080,48020,55022,";
  s.setMelody(0, text);
  EXPECT_EQ(s.parse(0), (std::vector<Item>{{60, 8, 0}, {48, 2, 0}, {55, 2, 2}}));
  EXPECT_EQ(s.tempo(), 130);
  EXPECT_EQ(s.melody(0), text) << "the parse works on a copy";
  EXPECT_FALSE(s.playing());
  EXPECT_TRUE(s.heard().empty());
}

// Strings outside the format never make the parser read or write outside its
// text or its array: it keeps the well-formed items before the first bad one, and
// a bad tempo leaves no items and the period as it was.
struct MalformedCase {
  const char* name;
  const char* text;
  int period;
  std::vector<Item> items;
};
void PrintTo(const MalformedCase& c, std::ostream* os) { *os << c.name; }

const std::vector<MalformedCase> kMalformed = {
    {"Empty", "", kDesignPeriodMs, {}},
    {"TempoOnlyNoComma", "130", kDesignPeriodMs, {}},
    {"TempoNoItems", "130,", 130, {}},
    {"ItemWithoutComma", "130,60080", 130, {}},
    {"TextAfterLastComma", "130,60080,4802", 130, {{60, 8, 0}}},
    {"ItemTooShort", "130,6008,48020,", 130, {}},
    {"EmptyItem", "130,60080,,48020,", 130, {{60, 8, 0}}},
    {"LetterInNote", "130,6a080,48020,", 130, {}},
    {"LetterInStartStopsThere", "130,60080,4802x,55022,", 130, {{60, 8, 0}}},
    {"NegativeStartBeat", "130,6004-1,60040,", 130, {}},
    {"BlankInItem", "130,60080, 48020,", 130, {{60, 8, 0}}},
    {"StartBeat9999IsKept", "130,48019999,55022,", 130, {{48, 1, 9999}, {55, 2, 2}}},
    {"StartBeat10000StopsThere", "130,60080,480110000,55022,", 130, {{60, 8, 0}}},
    {"StartBeatTooLarge", "130,60080,4802100000,", 130, {{60, 8, 0}}},
    {"TempoZero", "0,60080,", kDesignPeriodMs, {}},
    {"TempoNotDigits", "abc,60080,", kDesignPeriodMs, {}},
    {"TempoSigned", "-130,60080,", kDesignPeriodMs, {}},
    {"TempoEmpty", ",60080,", kDesignPeriodMs, {}},
    {"TempoHuge", "99999999999999999999,60080,", kDesignPeriodMs, {}},
    {"OnlyCommas", ",,,,", kDesignPeriodMs, {}},
    {"NoteZeroIsParsed", "130,00040,", 130, {{0, 4, 0}}},
};

class MalformedMelody : public ::testing::TestWithParam<MalformedCase> {};

TEST_P(MalformedMelody, KeepsTheItemsBeforeTheFirstBadOne) {
  MelodySession s;
  s.parse(0);  // leaves melody 0's 20 rows behind
  s.setMelody(5, GetParam().text);
  s.timer().Period(kDesignPeriodMs);
  EXPECT_EQ(s.parse(5), GetParam().items);
  EXPECT_EQ(s.tempo(), GetParam().period);
  EXPECT_EQ(s.window().iMelodyBuild->Ubound(2), 2);
}

INSTANTIATE_TEST_SUITE_P(Strings, MalformedMelody, ::testing::ValuesIn(kMalformed),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(MelodyParser, AMelodyIndexOutsideTheTableReadsAsAnEmptyMelody) {
  MelodySession s;
  for (int k : {-1, 12, 1 << 30}) {
    s.parse(0);
    EXPECT_TRUE(s.parse(k).empty()) << k;
    EXPECT_EQ(s.tempo(), 130) << k;
  }
}

}  // namespace
}  // namespace velmora::testing
