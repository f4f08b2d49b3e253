// Many thousands of random clicks, box toggles, keys and clock advances against
// what must always hold: every drill note ends with a release of its own note
// number, a note sounds exactly while the note timer runs, and the labels show
// only what the drill writes. VELMORA_DRILL_SEED replays another seed.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "tests/app/drill_session.h"

namespace velmora::testing {
namespace {

uint64_t seedFromEnvironment(uint64_t fallback) {
  const char* text = std::getenv("VELMORA_DRILL_SEED");
  return text ? std::strtoull(text, nullptr, 10) : fallback;
}

TEST(DrillRandomized, InvariantsHoldUnderRandomPlay) {
  constexpr int kSteps = 20000;
  const uint64_t seed = seedFromEnvironment(20240917);
  SCOPED_TRACE("seed " + std::to_string(seed) +
               " (rerun with VELMORA_DRILL_SEED=" + std::to_string(seed) + ")");
  std::mt19937_64 person(seed);
  auto pick = [&](int n) { return static_cast<int>(person() % static_cast<uint64_t>(n)); };

  DrillSession s(seed);
  const std::vector<std::string> keys = {"c", "C", "d", "e", "F", "g",  "a",  "b",
                                         "B", "x", "1", "#", " ", "\t", "cc", "\xc3\xa9"};
  std::set<std::string> labelTexts = {"", "0", "Yep", "Nope"};
  for (const char* name : kPitchNames) labelTexts.insert(name);

  std::vector<int> sounding;  // note numbers started and not yet released
  size_t seen = 0;
  for (int step = 0; step < kSteps; ++step) {
    const int action = pick(100);
    std::string did;
    if (action < 12) {
      did = "Start";
      s.pressStart();
    } else if (action < 18) {
      did = "Give Answer";
      s.pressGiveAnswer();
    } else if (action < 40) {
      const int k = pick(12);
      did = "button " + std::to_string(k);
      s.clickResponse(k);
    } else if (action < 52) {
      const int k = pick(12);
      did = "pitch box " + std::to_string(k);
      s.clickPitchBox(k);
    } else if (action < 55) {
      did = "Octave 3";
      s.clickOctave3();
    } else if (action < 58) {
      did = "Octave 5";
      s.clickOctave5();
    } else if (action < 61) {
      did = "Include guitar";
      s.clickGuitar();
    } else if (action < 75) {
      const std::string& key = keys[pick(static_cast<int>(keys.size()))];
      const bool shift = pick(2) == 1;
      did = "key " + key + (shift ? " with Shift" : "");
      ASSERT_FALSE(s.key(key, shift)) << did;
    } else {
      const int ms = pick(2600);
      did = "advance " + std::to_string(ms);
      s.advance(ms);
    }
    SCOPED_TRACE("step " + std::to_string(step) + ": " + did);

    const auto& events = platform::headless::synth().events();
    for (; seen < events.size(); ++seen) {
      const auto& e = events[seen];
      if (e.player != kDrillPlayer) continue;
      if (e.velocity > 0) {
        ASSERT_TRUE(sounding.empty()) << "a second drill note started over " << sounding[0];
        ASSERT_GE(e.note, 44);
        ASSERT_LE(e.note, 79);
        ASSERT_TRUE(e.instrument == 1 || e.instrument == 26) << e.instrument;
        sounding.push_back(e.note);
      } else {
        ASSERT_EQ(sounding.size(), 1u) << "a release with no drill note sounding";
        ASSERT_EQ(e.note, sounding[0]) << "the release ends another note number";
        sounding.clear();
      }
    }
    const int mode = s.window().tmrPitch()->Mode();
    ASSERT_TRUE(mode == 0 || mode == 2) << mode;
    ASSERT_EQ(sounding.size(), mode == 2 ? 1u : 0u);
    if (step % 256 == 0) {
      ASSERT_EQ(s.sounding(), sounding);  // the synthesiser's own view agrees
    }
    ASSERT_TRUE(labelTexts.count(s.feedback())) << s.feedback();
    ASSERT_TRUE(labelTexts.count(s.answer())) << s.answer();
    ASSERT_TRUE(s.window().iPitch >= 0 && s.window().iPitch < 12);
  }

  s.advance(kNextTurnDelayMs + kNoteLengthMs);
  EXPECT_TRUE(s.sounding().empty());
}

// Expects the outcomes counted to be exactly `outcomes`, each between low and high.
void expectCountsWithin(const std::map<int, int>& counts, const std::vector<int>& outcomes, int low,
                        int high) {
  std::vector<int> seen;
  for (const auto& [outcome, count] : counts) {
    seen.push_back(outcome);
    EXPECT_TRUE(count >= low && count <= high) << outcome << " came " << count << " times";
  }
  EXPECT_EQ(seen, outcomes);
}

// Each turn draws a pitch class, an octave and an instrument; over many turns with
// a fixed seed every outcome of each draw comes about equally often. Of n draws
// with a fair share p, n p are expected with a standard deviation of
// sqrt(n p (1 - p)); the bounds lie five deviations either side. 1200 turns:
// instrument 600 +- 17, octave 400 +- 16, pitch class 100 +- 9.6. An unfair draw
// lands far out: guitar one time in three gives 400 +- 16, seven deviations below 510.
TEST(DrillDraws, EveryOutcomeOfEachDrawComesAboutEquallyOften) {
  constexpr int kTurns = 1200;
  DrillSession s(20250301);
  s.clickOctave3();
  s.clickOctave5();
  s.clickGuitar();
  s.pressStart();
  for (int turn = 0; turn < kTurns; ++turn) s.answerHeardAndWaitForNextTurn();

  // The notes after the first right answer, from when the octave boxes count.
  const auto ons = s.drillNoteOns();
  ASSERT_EQ(ons.size(), size_t(kTurns) + 1);
  std::map<int, int> instruments, octaves, pitchClasses;
  for (size_t n = 1; n < ons.size(); ++n) {
    const int k = ons[n].note % 12;
    const int middleOctaveNote = k > 7 ? k + 48 : k + 60;
    ++instruments[ons[n].instrument];
    ++octaves[(ons[n].note - middleOctaveNote) / 12];
    ++pitchClasses[k];
  }
  {
    SCOPED_TRACE("instrument");
    expectCountsWithin(instruments, {1, 26}, 510, 690);
  }
  {
    SCOPED_TRACE("octave");
    expectCountsWithin(octaves, {-1, 0, 1}, 318, 482);
  }
  {
    SCOPED_TRACE("pitch class");
    expectCountsWithin(pitchClasses, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}, 52, 148);
  }
}

}  // namespace
}  // namespace velmora::testing
