// The pitch drill as a person meets it: "Start"/"Repeat", the answers, the next
// turn, the pitch, octave and guitar boxes, "Give Answer". Time is virtual.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <ostream>
#include <set>
#include <string>
#include <vector>

#include "tests/app/drill_session.h"

namespace velmora::testing {
namespace {

using platform::headless::NoteEvent;

// Every scenario ends with no drill note left sounding once the turns run out.
class Drill : public ::testing::Test {
 protected:
  void TearDown() override {
    s.advance(kNextTurnDelayMs + kNoteLengthMs);
    EXPECT_TRUE(s.sounding().empty()) << "a drill note was left sounding";
  }
  DrillSession s;
};

// ---------------------------------------------------------------- the state table

enum class State { Quiet, Sounding, QuietNextDue, SoundingNextDue };
enum class Sound { None, Starts, Releases };
enum class Pitch { Same, New };

const char* stateName(State st) {
  switch (st) {
    case State::Quiet:
      return "Quiet";
    case State::Sounding:
      return "Sounding";
    case State::QuietNextDue:
      return "QuietNextDue";
    case State::SoundingNextDue:
      return "SoundingNextDue";
  }
  return "?";
}

// The drill's state as its two timers hold it; a note sounds exactly while the
// note timer runs.
State stateOf(DrillSession& s) {
  const bool sounding = s.window().tmrPitch()->Mode() == platform::Timer::kMultiple;
  const bool due = s.window().tmrDelay()->Mode() == platform::Timer::kSingle;
  EXPECT_EQ(s.sounding().size(), sounding ? 1u : 0u);
  if (sounding) return due ? State::SoundingNextDue : State::Sounding;
  return due ? State::QuietNextDue : State::Quiet;
}

void answerRight(DrillSession& s) { s.clickResponseOrKey(s.window().iPitch); }
void answerWrong(DrillSession& s) { s.clickResponse((s.window().iPitch + 1) % 12); }
void advanceToTick(DrillSession& s, platform::Timer& timer) {
  ASSERT_TRUE(timer.armed());
  s.advance(timer.deadlineMs() - platform::RuntimeNowMs());
}

// Ways into each state. Each leaves a revealed name in the answer label and a
// verdict (or "0") in the feedback label, so that emptied and unchanged labels differ.
struct Setup {
  const char* name;
  State state;
  std::function<void(DrillSession&)> reach;
};
void leaveLabels(DrillSession& s) {
  s.pressGiveAnswer();
  if (s.feedback().empty()) s.key("x");
}
const Setup kQuietFresh{"QuietFresh", State::Quiet, [](DrillSession& s) { leaveLabels(s); }};
const Setup kQuietRepeat{"QuietRepeat", State::Quiet, [](DrillSession& s) {
                           s.pressStart();
                           s.advance(kNoteLengthMs);
                           leaveLabels(s);
                         }};
const Setup kSoundingRepeat{"SoundingRepeat", State::Sounding, [](DrillSession& s) {
                              s.pressStart();
                              leaveLabels(s);
                            }};
// A right answer before the first press brings a turn while "Start" still shows.
const Setup kSoundingStart{"SoundingStart", State::Sounding, [](DrillSession& s) {
                             s.key("c");
                             s.advance(kNextTurnDelayMs);
                             leaveLabels(s);
                           }};
// "Start" over the turn a right answer brought releases its note and draws a pitch
// class that has not sounded yet.
const Setup kQuietUnheard{"QuietUnheard", State::Quiet, [](DrillSession& s) {
                            s.key("c");
                            s.advance(kNextTurnDelayMs);
                            s.pressStart();
                            leaveLabels(s);
                          }};
const Setup kQuietDueRepeat{"QuietDueRepeat", State::QuietNextDue, [](DrillSession& s) {
                              s.pressStart();
                              s.advance(kNoteLengthMs);
                              answerRight(s);
                              leaveLabels(s);
                            }};
const Setup kQuietDueStart{"QuietDueStart", State::QuietNextDue, [](DrillSession& s) {
                             s.key("c");
                             leaveLabels(s);
                           }};
// The note's tick comes before the next turn's.
const Setup kSoundingDueRepeat{"SoundingDueRepeat", State::SoundingNextDue, [](DrillSession& s) {
                                 s.pressStart();
                                 answerRight(s);
                                 leaveLabels(s);
                               }};
// "Repeat" late in the wait: the next turn's tick comes while the replay sounds.
const Setup kSoundingDueReplay{"SoundingDueReplay", State::SoundingNextDue, [](DrillSession& s) {
                                 s.pressStart();
                                 s.advance(kNoteLengthMs);
                                 answerRight(s);
                                 s.advance(1500);
                                 s.pressStart();
                                 leaveLabels(s);
                               }};
const Setup kSoundingDueStart{"SoundingDueStart", State::SoundingNextDue, [](DrillSession& s) {
                                s.key("c");
                                s.advance(kNextTurnDelayMs);
                                answerRight(s);
                                leaveLabels(s);
                              }};

struct Event {
  const char* name;
  std::function<void(DrillSession&)> act;
};
const Event kGoWithOneButton{"GoWithOneButton", [](DrillSession& s) {
                               s.keepOnlyPitchClasses({(s.window().iPitch + 3) % 12});
                               s.pressStart();
                             }};
const Event kGoWithNoButton{"GoWithNoButton", [](DrillSession& s) {
                              s.keepOnlyPitchClasses({});
                              s.pressStart();
                            }};
const Event kGo{"Go", [](DrillSession& s) { s.pressStart(); }};
const Event kNoteTick{"NoteTick",
                      [](DrillSession& s) { advanceToTick(s, *s.window().tmrPitch()); }};
const Event kNextTurnTick{"NextTurnTick",
                          [](DrillSession& s) { advanceToTick(s, *s.window().tmrDelay()); }};
const Event kRight{"RightAnswer", answerRight};
const Event kWrong{"WrongAnswer", answerWrong};
const Event kPitchBox{"PitchBox", [](DrillSession& s) {
                        const int other = (s.window().iPitch + 5) % 12;
                        s.clickPitchBox(other);
                        EXPECT_FALSE(s.responseEnabled(other));
                      }};
const Event kGiveAnswer{"GiveAnswer", [](DrillSession& s) { s.pressGiveAnswer(); }};

constexpr const char* kSame = "\x01same";       // the label keeps its text
constexpr const char* kPitchName = "\x01name";  // the name of the current pitch class

struct Row {
  Setup from;
  Event event;
  State to;
  Sound sound;
  Pitch pitch;
  const char* feedback;
  const char* answer;
  const char* caption;  // kSame: unchanged
};

// clang-format off
const Row kRows[] = {
    // "Start"/"Repeat" with fewer than two enabled buttons: nothing at all.
    {kQuietFresh, kGoWithNoButton, State::Quiet, Sound::None, Pitch::Same, kSame, kSame, kSame},
    {kSoundingRepeat, kGoWithNoButton, State::Sounding, Sound::None, Pitch::Same, kSame, kSame,
     kSame},
    {kQuietRepeat, kGoWithOneButton, State::Quiet, Sound::None, Pitch::Same, kSame, kSame, kSame},
    {kSoundingStart, kGoWithOneButton, State::Sounding, Sound::None, Pitch::Same, kSame, kSame,
     kSame},
    {kQuietDueStart, kGoWithOneButton, State::QuietNextDue, Sound::None, Pitch::Same, kSame, kSame,
     kSame},
    {kSoundingDueRepeat, kGoWithOneButton, State::SoundingNextDue, Sound::None, Pitch::Same, kSame,
     kSame, kSame},
    // "Start": a new pitch class, both labels emptied; a sounding note is only released.
    {kQuietFresh, kGo, State::Sounding, Sound::Starts, Pitch::New, "", "", "Repeat"},
    {kSoundingStart, kGo, State::Quiet, Sound::Releases, Pitch::New, "", "", "Repeat"},
    {kQuietDueStart, kGo, State::SoundingNextDue, Sound::Starts, Pitch::New, "", "", "Repeat"},
    {kSoundingDueStart, kGo, State::QuietNextDue, Sound::Releases, Pitch::New, "", "", "Repeat"},
    // "Repeat": the same pitch class, labels kept.
    {kQuietRepeat, kGo, State::Sounding, Sound::Starts, Pitch::Same, kSame, kSame, "Repeat"},
    {kQuietUnheard, kGo, State::Sounding, Sound::Starts, Pitch::Same, kSame, kSame, "Repeat"},
    {kSoundingRepeat, kGo, State::Quiet, Sound::Releases, Pitch::Same, kSame, kSame, "Repeat"},
    {kQuietDueRepeat, kGo, State::SoundingNextDue, Sound::Starts, Pitch::Same, kSame, kSame,
     "Repeat"},
    {kSoundingDueRepeat, kGo, State::QuietNextDue, Sound::Releases, Pitch::Same, kSame, kSame,
     "Repeat"},
    // The note's tick releases it.
    {kSoundingRepeat, kNoteTick, State::Quiet, Sound::Releases, Pitch::Same, kSame, kSame, kSame},
    {kSoundingDueRepeat, kNoteTick, State::QuietNextDue, Sound::Releases, Pitch::Same, kSame, kSame,
     kSame},
    // The next turn's tick draws a new pitch class and sounds it, or only releases.
    {kQuietDueRepeat, kNextTurnTick, State::Sounding, Sound::Starts, Pitch::New, "", "", kSame},
    {kSoundingDueReplay, kNextTurnTick, State::Quiet, Sound::Releases, Pitch::New, "", "", kSame},
    // Answers.
    {kQuietRepeat, kRight, State::QuietNextDue, Sound::None, Pitch::Same, "Yep", kSame, kSame},
    {kSoundingRepeat, kRight, State::SoundingNextDue, Sound::None, Pitch::Same, "Yep", kSame,
     kSame},
    {kQuietDueRepeat, kRight, State::QuietNextDue, Sound::None, Pitch::Same, "Yep", kSame, kSame},
    {kSoundingDueRepeat, kRight, State::SoundingNextDue, Sound::None, Pitch::Same, "Yep", kSame,
     kSame},
    {kQuietFresh, kWrong, State::Quiet, Sound::None, Pitch::Same, "Nope", kSame, kSame},
    {kSoundingRepeat, kWrong, State::Sounding, Sound::None, Pitch::Same, "Nope", kSame, kSame},
    {kQuietDueRepeat, kWrong, State::QuietNextDue, Sound::None, Pitch::Same, "Nope", kSame, kSame},
    {kSoundingDueRepeat, kWrong, State::SoundingNextDue, Sound::None, Pitch::Same, "Nope", kSame,
     kSame},
    // Pitch boxes and "Give Answer" leave the turn alone.
    {kQuietRepeat, kPitchBox, State::Quiet, Sound::None, Pitch::Same, kSame, kSame, kSame},
    {kSoundingRepeat, kPitchBox, State::Sounding, Sound::None, Pitch::Same, kSame, kSame, kSame},
    {kQuietDueRepeat, kPitchBox, State::QuietNextDue, Sound::None, Pitch::Same, kSame, kSame,
     kSame},
    {kSoundingDueRepeat, kPitchBox, State::SoundingNextDue, Sound::None, Pitch::Same, kSame, kSame,
     kSame},
    {kQuietFresh, kGiveAnswer, State::Quiet, Sound::None, Pitch::Same, kSame, kPitchName, kSame},
    {kSoundingRepeat, kGiveAnswer, State::Sounding, Sound::None, Pitch::Same, kSame, kPitchName,
     kSame},
    {kQuietDueRepeat, kGiveAnswer, State::QuietNextDue, Sound::None, Pitch::Same, kSame, kPitchName,
     kSame},
    {kSoundingDueRepeat, kGiveAnswer, State::SoundingNextDue, Sound::None, Pitch::Same, kSame,
     kPitchName, kSame},
};
// clang-format on

void PrintTo(const Row& row, std::ostream* os) {
  *os << row.event.name << " from " << row.from.name;
}

class DrillStateTable : public Drill, public ::testing::WithParamInterface<Row> {};

TEST_P(DrillStateTable, EventMovesDrillAsTheTableSays) {
  const Row& row = GetParam();
  row.from.reach(s);
  ASSERT_EQ(stateOf(s), row.from.state) << stateName(stateOf(s));

  const int pitchBefore = s.window().iPitch;
  const std::string feedbackBefore = s.feedback();
  const std::string answerBefore = s.answer();
  const std::string captionBefore = s.goCaption();
  const std::vector<int> soundingBefore = s.sounding();
  const size_t notesBefore = s.drillNotes().size();

  row.event.act(s);

  EXPECT_EQ(stateOf(s), row.to) << stateName(stateOf(s));
  const std::vector<NoteEvent> all = s.drillNotes();
  const std::vector<NoteEvent> sent(all.begin() + notesBefore, all.end());
  switch (row.sound) {
    case Sound::None:
      EXPECT_TRUE(sent.empty());
      break;
    case Sound::Starts:
      ASSERT_EQ(sent.size(), 1u);
      EXPECT_EQ(sent[0].velocity, 127);
      EXPECT_EQ(sent[0].note % 12, s.window().iPitch) << "the note sounds the current pitch class";
      break;
    case Sound::Releases:
      ASSERT_EQ(sent.size(), 1u);
      ASSERT_EQ(soundingBefore.size(), 1u);
      EXPECT_EQ(sent[0].velocity, 0);
      EXPECT_EQ(sent[0].note, soundingBefore[0]) << "the release ends the note that sounded";
      break;
  }
  if (row.pitch == Pitch::Same) {
    EXPECT_EQ(s.window().iPitch, pitchBefore);
  } else {
    EXPECT_NE(s.window().iPitch, pitchBefore) << "a new pitch class differs from the last";
  }
  const std::string name = kPitchNames[s.window().iPitch];
  auto expected = [&](const char* want, const std::string& before) {
    if (want == kSame) return before;
    if (want == kPitchName) return name;
    return std::string(want);
  };
  EXPECT_EQ(s.feedback(), expected(row.feedback, feedbackBefore));
  EXPECT_EQ(s.answer(), expected(row.answer, answerBefore));
  EXPECT_EQ(s.goCaption(), expected(row.caption, captionBefore));
}

INSTANTIATE_TEST_SUITE_P(Rows, DrillStateTable, ::testing::ValuesIn(kRows),
                         [](const ::testing::TestParamInfo<Row>& info) {
                           return std::string(info.param.event.name) + "_From" +
                                  info.param.from.name;
                         });

// ---------------------------------------------------------------- the draw

class FirstTurn : public Drill, public ::testing::WithParamInterface<int> {};

TEST_P(FirstTurn, FirstPitchClassIsNeverC) {
  s.toolkit().seedRandom(GetParam());
  s.pressStart();
  ASSERT_EQ(s.drillNoteOns().size(), 1u);
  EXPECT_NE(s.heardPitchClass(), 0);
}
INSTANTIATE_TEST_SUITE_P(Seeds, FirstTurn, ::testing::Range(1, 25));

// Each next turn draws an enabled pitch class other than the one just answered;
// with two enabled, turns alternate.
struct EnabledSet {
  const char* name;
  std::set<int> enabled;
  int turns;
};
void PrintTo(const EnabledSet& set, std::ostream* os) { *os << set.name; }
class NextTurnDraw : public Drill, public ::testing::WithParamInterface<EnabledSet> {};

TEST_P(NextTurnDraw, DrawsOnlyEnabledPitchClassesNeverThePreviousOne) {
  const EnabledSet& p = GetParam();
  s.keepOnlyPitchClasses(std::vector<int>(p.enabled.begin(), p.enabled.end()));
  s.pressStart();
  for (int turn = 0; turn < p.turns; ++turn) {
    const int before = s.heardPitchClass();
    ASSERT_TRUE(p.enabled.count(before)) << before << " on turn " << turn;
    s.answerHeardAndWaitForNextTurn();
    ASSERT_NE(s.heardPitchClass(), before) << "turn " << turn;
  }
}
INSTANTIATE_TEST_SUITE_P(
    Sets, NextTurnDraw,
    ::testing::Values(EnabledSet{"All", {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}, 200},
                      EnabledSet{"Four", {1, 4, 6, 10}, 60}, EnabledSet{"Two", {2, 9}, 12}),
    [](const auto& info) { return std::string(info.param.name); });

// Boxes cleared during the wait leave no other button to draw: the next turn
// sounds the answered pitch class again instead of searching forever.
TEST_F(Drill, NextTurnWithoutAnotherEnabledButtonKeepsThePitchClass) {
  s.pressStart();
  s.advance(kNoteLengthMs);
  const int k = s.heardPitchClass();
  answerRight(s);
  s.keepOnlyPitchClasses({k});
  s.advance(kNextTurnDelayMs);
  ASSERT_EQ(s.drillNoteOns().size(), 2u);
  EXPECT_EQ(s.heardPitchClass(), k);
  EXPECT_EQ(s.feedback(), "");
  EXPECT_EQ(s.answer(), "");

  // With no button at all, the same; keys still answer it.
  s.keepOnlyPitchClasses({});
  s.advance(kNoteLengthMs);
  s.clickResponseOrKey(k);
  EXPECT_EQ(s.feedback(), "Yep");
  s.advance(kNextTurnDelayMs);
  ASSERT_EQ(s.drillNoteOns().size(), 3u);
  EXPECT_EQ(s.heardPitchClass(), k);
}

// ---------------------------------------------------------------- note numbers and octaves

struct OctaveBoxes {
  const char* name;
  bool octave3, octave5;
  std::set<int> offsets;  // offsets heard after the first right answer
};
void PrintTo(const OctaveBoxes& boxes, std::ostream* os) { *os << boxes.name; }
class OctaveChoice : public Drill, public ::testing::WithParamInterface<OctaveBoxes> {};

TEST_P(OctaveChoice, OctaveBoxesMatterOnlyAfterFirstRightAnswer) {
  const OctaveBoxes& p = GetParam();
  if (p.octave3) s.clickOctave3();
  if (p.octave5) s.clickOctave5();
  // Replays and new pitch classes before any right answer: middle octave.
  s.pressStart();
  for (int press = 0; press < 30; ++press) {
    s.advance(kNoteLengthMs);
    s.pressStart();
  }
  for (const NoteEvent& e : s.drillNoteOns()) EXPECT_TRUE(e.note >= 56 && e.note <= 67) << e.note;

  std::set<int> offsets;
  for (int turn = 0; turn < 60; ++turn) {
    s.answerHeardAndWaitForNextTurn();
    const NoteEvent e = s.drillNoteOns().back();
    const int base = e.note % 12 > 7 ? e.note % 12 + 48 : e.note % 12 + 60;
    offsets.insert((e.note - base) / 12);
  }
  EXPECT_EQ(offsets, p.offsets);
}
INSTANTIATE_TEST_SUITE_P(Boxes, OctaveChoice,
                         ::testing::Values(OctaveBoxes{"Neither", false, false, {0}},
                                           OctaveBoxes{"Octave3", true, false, {-1, 0}},
                                           OctaveBoxes{"Octave5", false, true, {0, 1}},
                                           OctaveBoxes{"Both", true, true, {-1, 0, 1}}),
                         [](const auto& info) { return std::string(info.param.name); });

// "Repeat" during the wait draws the octave for the replay, and the next turn
// keeps it. Over many turns the replays land in more than one octave.
TEST_F(Drill, RepeatDuringWaitReplaysInNewOctaveThatNextTurnKeeps) {
  s.clickOctave3();
  s.clickOctave5();
  s.pressStart();
  s.advance(kNoteLengthMs);
  std::set<int> replayOffsets;
  for (int turn = 0; turn < 40; ++turn) {
    const NoteEvent answered = s.drillNoteOns().back();
    s.clickResponse(answered.note % 12);
    s.pressStart();  // "Repeat"
    const NoteEvent replay = s.drillNoteOns().back();
    ASSERT_EQ(replay.note % 12, answered.note % 12) << "the replay sounds the answered pitch class";
    const int replayOffset = (replay.note - s.window().iCurrentPitch) / 12;
    replayOffsets.insert(replayOffset);
    s.advance(kNextTurnDelayMs);
    const NoteEvent next = s.drillNoteOns().back();
    ASSERT_NE(next.note % 12, replay.note % 12);
    EXPECT_EQ((next.note - s.window().iCurrentPitch) / 12, replayOffset) << "turn " << turn;
    s.advance(kNoteLengthMs);
  }
  EXPECT_GT(replayOffsets.size(), 1u);
}

// The release ends exactly the note that the start sent, also when a right
// answer during the note asks for a new octave.
TEST_F(Drill, RightAnswerWhileSoundingDoesNotChangeTheReleasedNote) {
  s.clickOctave3();
  s.clickOctave5();
  s.pressStart();
  for (int turn = 0; turn < 40; ++turn) {
    const NoteEvent on = s.drillNoteOns().back();
    s.clickResponse(on.note % 12);  // while it sounds
    s.advance(kNoteLengthMs);
    const NoteEvent off = s.drillNotes().back();
    EXPECT_EQ(off.velocity, 0);
    EXPECT_EQ(off.note, on.note) << "turn " << turn;
    EXPECT_TRUE(s.sounding().empty());
    s.advance(kNextTurnDelayMs - kNoteLengthMs);
  }
}

// ---------------------------------------------------------------- timing

TEST_F(Drill, NoteLastsOneSecondAndNextTurnComesTwoSecondsAfterRightAnswer) {
  s.advance(250);
  s.pressStart();
  s.advance(400);
  const double answeredAt = platform::RuntimeNowMs();
  s.clickResponse(s.heardPitchClass());
  s.advance(5000);
  const std::vector<NoteEvent> notes = s.drillNotes();
  ASSERT_EQ(notes.size(), 4u);
  EXPECT_EQ(notes[0].timeMs, 250);
  EXPECT_EQ(notes[1].velocity, 0);
  EXPECT_EQ(notes[1].timeMs, 250 + kNoteLengthMs);
  EXPECT_EQ(notes[2].velocity, 127);
  EXPECT_EQ(notes[2].timeMs, answeredAt + kNextTurnDelayMs);
  EXPECT_EQ(notes[3].timeMs, answeredAt + kNextTurnDelayMs + kNoteLengthMs);
}

TEST_F(Drill, NopeDuringWaitLeavesNextTurnDue) {
  s.pressStart();
  s.advance(kNoteLengthMs);
  const double answeredAt = platform::RuntimeNowMs();
  answerRight(s);
  s.advance(500);
  answerWrong(s);
  EXPECT_EQ(s.feedback(), "Nope");
  s.advance(kNextTurnDelayMs - 500);
  ASSERT_EQ(s.drillNoteOns().size(), 2u);
  EXPECT_EQ(s.drillNoteOns().back().timeMs, answeredAt + kNextTurnDelayMs);
  EXPECT_EQ(s.feedback(), "");
}

// ---------------------------------------------------------------- "Start" and "Give Answer"

TEST_F(Drill, StartActsWithTwoButtons) {
  s.keepOnlyPitchClasses({0, 11});
  s.pressStart();
  EXPECT_EQ(s.goCaption(), "Repeat");
  EXPECT_EQ(s.heardPitchClass(), 11) << "the one button other than C";
}

TEST_F(Drill, UncheckedPitchBoxKeepsTurnAnswerableByKeyAndRevealable) {
  s.pressStart();
  const int k = s.heardPitchClass();
  s.clickPitchBox(k);
  EXPECT_FALSE(s.responseEnabled(k));
  s.clickResponse(k);
  EXPECT_EQ(s.feedback(), "") << "a disabled button does not answer";
  s.pressGiveAnswer();
  EXPECT_EQ(s.answer(), kPitchNames[k]);
  s.clickResponseOrKey(k);
  EXPECT_EQ(s.feedback(), "Yep");
  s.clickPitchBox(k);
  EXPECT_TRUE(s.responseEnabled(k));
}

// ---------------------------------------------------------------- instruments

TEST_F(Drill, IncludeGuitarDrawsGuitarOrPianoAndUncheckingKeepsTheLast) {
  s.clickGuitar();
  s.pressStart();
  std::set<int> instruments;
  for (int turn = 0; turn < 40; ++turn) {
    instruments.insert(s.drillNoteOns().back().instrument);
    s.answerHeardAndWaitForNextTurn();
  }
  EXPECT_EQ(instruments, (std::set<int>{1, 26}));

  // Replays draw too; stop at a guitar note and uncheck the box.
  for (int press = 0; press < 100 && s.drillNoteOns().back().instrument != 26; ++press) {
    s.advance(kNoteLengthMs);
    s.pressStart();
  }
  ASSERT_EQ(s.drillNoteOns().back().instrument, 26);
  s.clickGuitar();
  for (int turn = 0; turn < 10; ++turn) s.answerHeardAndWaitForNextTurn();
  const std::vector<NoteEvent> ons = s.drillNoteOns();
  for (size_t i = ons.size() - 10; i < ons.size(); ++i) EXPECT_EQ(ons[i].instrument, 26);
}

// The release of a note started before the box was checked writes an instrument
// that was never drawn; the note player keeps piano and the note still ends.
TEST_F(Drill, CheckingGuitarWhileNoteSoundsStillEndsTheNote) {
  s.pressStart();
  s.clickGuitar();
  s.advance(kNoteLengthMs);
  EXPECT_TRUE(s.sounding().empty());
  EXPECT_EQ(s.drillNotes().back().instrument, 1);
}

}  // namespace
}  // namespace velmora::testing
