// The trigger buttons and the melody player, heard through the melody note player
// on the virtual clock: beat b sounds b x tempo ms after the press.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "tests/app/melody_figures_expected.h"
#include "tests/app/melody_session.h"

namespace velmora::testing {
namespace {

struct StopCase {
  const char* name;
  int stopWith;  // the button pressed during melody 8
};
void PrintTo(const StopCase& c, std::ostream* os) { *os << c.name; }

class PressDuringMelody : public ::testing::TestWithParam<StopCase> {};

// A press while a melody plays stops it at once and sends nothing, not even its
// releases. The next press plays its own melody from beat 0, here the shorter
// melody 2 (25 rows) in the table melody 8 (53 rows) left behind.
TEST_P(PressDuringMelody, StopsItAtOnceLeavesNotesSoundingAndStartsNothing) {
  MelodySession s;
  s.pressTrigger(8);
  s.advance(10 * 140);  // beat 10 of melody 8
  ASSERT_EQ(s.window().iMelodyBeat, 10);
  const std::vector<int> soundingBefore = s.sounding();
  ASSERT_FALSE(soundingBefore.empty());

  const size_t atStop = s.mark();
  s.pressTrigger(GetParam().stopWith);
  EXPECT_FALSE(s.playing());
  EXPECT_EQ(s.window().iMelodyBeat, 10);
  s.advance(10000);
  EXPECT_TRUE(s.heard(atStop).empty()) << "no note-off, no other melody";
  EXPECT_EQ(s.sounding(), soundingBefore);

  const size_t atRestart = s.mark();
  const double pressMs = s.now();
  s.pressTrigger(2);
  const std::vector<Item> items = s.items();
  EXPECT_EQ(s.heard(atRestart), beatEvents(items, 0, pressMs)) << "beat 0 at the press";
  ASSERT_TRUE(s.playToEnd());
  EXPECT_EQ(s.heard(atRestart), performance(items, 125, pressMs));
}

INSTANTIATE_TEST_SUITE_P(Buttons, PressDuringMelody,
                         ::testing::Values(StopCase{"SameButton", 8}, StopCase{"OtherButton", 5}),
                         [](const auto& info) { return std::string(info.param.name); });

// The timer's mode is written only at the press (to 2) and at the last beat (to 0).
// A write of 2 at a tick would restart the period from the moment of the tick; so
// each tick here is delivered 3 ms late, as a busy event loop might, and the next
// deadline must still be the press time + n x tempo. Any write in between would
// move it off that grid (and would make a real melody drift).
TEST(MelodyPlayer, ModeIsWrittenOnlyAtThePressAndAtTheLastBeat) {
  constexpr double kLateMs = 3;
  MelodySession s;
  const double pressMs = s.now();
  s.pressTrigger(6);
  const int tempo = s.tempo();
  const int lastBeat = s.window().iMelodyPlay->Ubound(1);
  ASSERT_EQ(s.timer().Mode(), platform::Timer::kMultiple);
  ASSERT_EQ(s.timer().deadlineMs(), pressMs + tempo);

  for (int b = 1; b <= lastBeat; ++b) {
    platform::Timer& timer = s.timer();
    s.toolkit().disarmTimer(timer);
    s.advance(pressMs + double(b) * tempo + kLateMs - s.now());
    timer.fire();
    ASSERT_EQ(s.window().iMelodyBeat, b);
    if (b < lastBeat) {
      ASSERT_EQ(timer.Mode(), platform::Timer::kMultiple) << "beat " << b;
      ASSERT_EQ(timer.deadlineMs(), pressMs + double(b + 1) * tempo) << "beat " << b;
    }
  }
  EXPECT_EQ(s.timer().Mode(), platform::Timer::kOff);
  EXPECT_TRUE(s.sounding().empty());
}

TEST(MelodyPlayer, AMelodyWhoseOnlyBeatIs0SendsItAtThePressAndStaysIdle) {
  MelodySession s;
  s.setMelody(7, "100,60000,64000,");
  s.pressTrigger(7);
  EXPECT_EQ(s.heard(),
            (std::vector<Heard>{{0, 60, true}, {0, 60, false}, {0, 64, true}, {0, 64, false}}));
  EXPECT_FALSE(s.playing());
  // Idle, so the next press starts again rather than stopping.
  s.pressTrigger(7);
  EXPECT_EQ(s.heard().size(), 8u);
}

TEST(MelodyPlayer, AMelodyAndADrillNoteSoundTogetherEachOnItsOwnPlayer) {
  MelodySession s;
  s.pressStart();
  const double pressMs = s.now();
  s.pressTrigger(0);
  const std::vector<Item> items = s.items();
  ASSERT_TRUE(s.playToEnd());

  std::vector<platform::headless::NoteEvent> drill;
  for (const auto& e : platform::headless::synth().events()) {
    if (e.player != kMelodyPlayer) drill.push_back(e);
  }
  ASSERT_EQ(drill.size(), 2u) << "the drill note starts at the press and ends after a second";
  EXPECT_EQ(drill[0].player, "notPitches");
  EXPECT_EQ(drill[0].timeMs, 0);
  EXPECT_EQ(drill[0].velocity, 127);
  EXPECT_EQ(drill[1].timeMs, 1000);
  EXPECT_EQ(drill[1].velocity, 0);
  EXPECT_EQ(drill[1].note, drill[0].note);
  EXPECT_EQ(s.heard(), performance(items, 130, pressMs))
      << "the melody goes on past the drill note";
}

TEST(MelodyPlayer, EveryMelodyPlayedToItsEndReleasesAllItsNotesAtLastBeatTimesTempo) {
  MelodySession s;
  for (int k = 0; k < kMelodyCount; ++k) {
    SCOPED_TRACE("melody " + std::to_string(k));
    const MelodyFigures& want = kExpectedMelodyFigures[k];
    const size_t atPress = s.mark();
    const double pressMs = s.now();
    s.pressTrigger(k);
    const std::vector<Item> items = s.items();
    ASSERT_TRUE(s.playToEnd());
    EXPECT_EQ(s.now() - pressMs, double(want.last_beat) * want.tempo);
    EXPECT_TRUE(s.sounding().empty());
    s.advance(1000);
    EXPECT_EQ(s.heard(atPress), performance(items, want.tempo, pressMs)) << "nothing after the end";
    EXPECT_EQ(s.velocities(atPress), (std::set<int>{0, 127}))
        << "every note starts at full velocity";
  }
}

}  // namespace
}  // namespace velmora::testing
