#include <gtest/gtest.h>

#include "fixture.h"
#include "platform/controls.h"

namespace platform::testing {
namespace {

using headless::NoteEvent;

class NotePlayerTest : public RuntimeTest {
 protected:
  void SetUp() override {
    RuntimeTest::SetUp();
    player = RuntimeNewObjectAs<NotePlayer>(NotePlayer::__Lookup());
    player->Name("notPitches");
  }
  Ref<NotePlayer> player;
};

TEST_F(NotePlayerTest, NoteSoundsOnTheDefaultPianoAtTheVirtualTime) {
  tk().advance(250);
  player->PlayNote(60, 127);
  tk().advance(1000);
  player->PlayNote(60, 0);
  EXPECT_EQ(sound().events(), (std::vector<NoteEvent>{{250, "notPitches", 60, 127, 1},
                                                      {1250, "notPitches", 60, 0, 1}}));
  EXPECT_TRUE(sound().sounding("notPitches").empty());
}

struct InstrumentCase {
  int32_t written;
  int32_t heard;  // the program in force afterwards, counted from 1
};

// The first row also shows an instrument written before the first note is in force for it.
TEST_F(NotePlayerTest, InstrumentOutsideOneTo128KeepsTheCurrentOne) {
  const InstrumentCase cases[] = {{26, 26}, {0, 26}, {129, 26}, {-1, 26}, {1, 1}, {128, 128}};
  for (const InstrumentCase& c : cases) {
    sound().clear();
    player->Instrument(c.written);
    player->PlayNote(67, 127);
    ASSERT_EQ(sound().events().size(), 1u);
    EXPECT_EQ(sound().events()[0].instrument, c.heard) << "wrote " << c.written;
    EXPECT_EQ(player->Instrument(), c.heard);
  }
}

struct NoteCase {
  int32_t note, velocity;
  bool heard;
  int32_t heardVelocity;
};

TEST_F(NotePlayerTest, OutOfRangeNotesAreIgnoredAndVelocitiesClamped) {
  const NoteCase cases[] = {
      {-1, 127, false, 0},  {128, 127, false, 0}, {0, 127, true, 127}, {127, 1, true, 1},
      {60, 200, true, 127}, {60, -5, true, 0},    {60, 0, true, 0},
  };
  for (const NoteCase& c : cases) {
    sound().clear();
    player->PlayNote(c.note, c.velocity);
    if (!c.heard) {
      EXPECT_TRUE(sound().events().empty()) << c.note;
      continue;
    }
    ASSERT_EQ(sound().events().size(), 1u) << c.note << " " << c.velocity;
    EXPECT_EQ(sound().events()[0].note, c.note);
    EXPECT_EQ(sound().events()[0].velocity, c.heardVelocity);
  }
}

TEST_F(NotePlayerTest, TwoPlayersSoundIndependently) {
  Ref<NotePlayer> melodies = RuntimeNewObjectAs<NotePlayer>(NotePlayer::__Lookup());
  melodies->Name("notMelodies");
  player->Instrument(26);
  player->PlayNote(62, 127);
  melodies->PlayNote(62, 127);
  melodies->PlayNote(65, 127);
  player->PlayNote(62, 0);
  EXPECT_TRUE(sound().sounding("notPitches").empty());
  EXPECT_EQ(sound().sounding("notMelodies"), (std::vector<int>{62, 65}));
  EXPECT_EQ(sound().events()[1].instrument, 1);
}

TEST_F(NotePlayerTest, AllNotesOffReleasesEverySoundingNoteOnce) {
  player->PlayNote(60, 127);
  player->PlayNote(60, 127);
  player->PlayNote(72, 100);
  tk().advance(40);
  sound().allNotesOff();
  EXPECT_TRUE(sound().sounding("notPitches").empty());
  const auto& e = sound().events();
  ASSERT_EQ(e.size(), 5u);
  EXPECT_EQ(e[3], (NoteEvent{40, "notPitches", 60, 0, 1}));
  EXPECT_EQ(e[4], (NoteEvent{40, "notPitches", 72, 0, 1}));
}

}  // namespace
}  // namespace platform::testing
