// The program as a person meets it: one drill turn, one melody, then quitting;
// and the close button.
#include "program.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QMainWindow>
#include <QPointer>
#include <QTest>
#include <QWindow>
#include <atomic>
#include <chrono>
#include <future>
#include <thread>

#include "platform/run.h"

namespace velmora::e2e {
namespace {

using platform::fluidsynth::SoundFontState;

constexpr int kPitchClasses = 12;
constexpr int kMelodyC = 0;
// Long enough for several beats of the C melody (130 ms each) to have been due.
constexpr int kMelodyQuietMs = 1000;

TEST_F(ProgramTest, DrillTurnAndMelodySoundInOrderAndQuitExitsWithZero) {
  int note = -1, nextNote = -1;
  size_t stopMark = 0;
  const int status = runProgram([&] {
    ASSERT_EQ(studio().fluid->soundFontState(), SoundFontState::Loaded);
    EXPECT_EQ(shown("cmdGo"), "Start");

    // "Start": the drawn pitch class sounds on notPitches and is heard.
    size_t mark = calls().size();
    click("cmdGo");
    const int on = waitForCall(mark, [](const SynthCall& c) { return isNoteOn(c, "notPitches"); });
    ASSERT_GE(on, 0) << "Start sounded nothing";
    note = calls()[on].note;
    const int drawn = note % kPitchClasses;
    EXPECT_EQ(shown("cmdGo"), "Repeat");
    EXPECT_TRUE(waitFor([] { return studio().speaker.loudestRms() > kHeardRms; }))
        << "the drill note was not heard";
    click("cmdReveal");
    EXPECT_EQ(shown("lblAnswer"), kPitchNames[drawn]) << "Give Answer names another pitch";

    // Its note-off follows on its own.
    ASSERT_GE(
        waitForCall(on + 1, [&](const SynthCall& c) { return isRelease(c, "notPitches", note); }),
        0)
        << "the drill note was never released";

    // A wrong key, then the right one.
    typeAnswer((drawn + 2) % kPitchClasses);
    EXPECT_EQ(shown("lblFeedback"), "Nope");
    mark = calls().size();
    typeAnswer(drawn);
    EXPECT_EQ(shown("lblFeedback"), "Yep");

    // The next turn comes by itself, with another pitch class.
    const int next =
        waitForCall(mark, [](const SynthCall& c) { return isNoteOn(c, "notPitches"); });
    ASSERT_GE(next, 0) << "no next turn after Yep";
    nextNote = calls()[next].note;
    EXPECT_EQ(shown("lblFeedback"), "");

    // "C trigger": the melody's first beat at once, then more beats on their own.
    mark = calls().size();
    click("cmdTrigger", kMelodyC);
    const size_t pressEnd = calls().size();
    const int firstBeat =
        waitForCall(mark, [](const SynthCall& c) { return isNoteOn(c, "notMelodies"); });
    ASSERT_GE(firstBeat, 0) << "the melody sounded nothing";
    EXPECT_LT(firstBeat, static_cast<int>(pressEnd)) << "the first beat was not sent at the press";
    EXPECT_EQ(calls()[firstBeat].note % kPitchClasses, kMelodyC);
    mark = calls().size();
    ASSERT_GE(waitForCall(mark, [](const SynthCall& c) { return c.player == "notMelodies"; }), 0)
        << "the melody stopped after its first beat";

    // A second press stops it: no further beat.
    click("cmdTrigger", kMelodyC);
    stopMark = calls().size();
    QTest::qWait(kMelodyQuietMs);

    chooseQuit();
  });

  EXPECT_EQ(status, platform::kExitOk);
  // What the drill sent, in order: the note, its release, the next turn's note.
  std::vector<std::string> drill;
  for (const SynthCall& c : calls()) {
    if (isNoteOn(c, "notPitches")) drill.push_back("on " + std::to_string(c.note));
    if (isRelease(c, "notPitches", c.note)) drill.push_back("off " + std::to_string(c.note));
  }
  drill.resize(std::min<size_t>(drill.size(), 3));
  EXPECT_EQ(drill,
            (std::vector<std::string>{"on " + std::to_string(note), "off " + std::to_string(note),
                                      "on " + std::to_string(nextNote)}));
  EXPECT_NE(note % kPitchClasses, nextNote % kPitchClasses)
      << "the next turn drew the same pitch class";
  for (size_t i = stopMark; i < calls().size(); ++i) {
    EXPECT_NE(calls()[i].player, "notMelodies") << "a beat came after the melody was stopped";
  }
  ASSERT_FALSE(calls().empty());
  EXPECT_EQ(calls().back().kind, SynthCall::Kind::AllNotesOff) << "shut-down releases last";
  expectSilenceAfterwards();
}

// "Start" pressed while the SoundFont is still loading. The loader is held just
// before the SoundFont until the press is on its way, so the press meets the
// load under way whatever the machine's speed.
TEST_F(ProgramTest, StartPressedWhileTheSoundFontLoadsIsHeardAndReleased) {
  std::atomic<bool> loaderInside{false};
  std::promise<void> pressing;
  std::shared_future<void> pressed = pressing.get_future().share();
  studio().options.beforeSoundFont = [&loaderInside, pressed] {
    loaderInside = true;
    pressed.wait();
    // A little longer, so that the press reaches the synthesiser before the load
    // ends (and well within the time a note waits for the load).
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
  };
  int note = -1;
  const int status = runProgram(
      [&] {
        ASSERT_TRUE(waitFor([&] { return loaderInside.load(); }));
        ASSERT_EQ(studio().fluid->soundFontState(), SoundFontState::Loading);
        const size_t mark = calls().size();
        pressing.set_value();
        click("cmdGo");
        EXPECT_EQ(shown("cmdGo"), "Repeat");
        EXPECT_EQ(studio().fluid->soundFontState(), SoundFontState::Loaded)
            << "the press was taken before the SoundFont was in";
        const int on =
            waitForCall(mark, [](const SynthCall& c) { return isNoteOn(c, "notPitches"); });
        ASSERT_GE(on, 0) << "Start sent no note";
        note = calls()[on].note;
        EXPECT_TRUE(waitFor([] { return studio().speaker.loudestRms() > kHeardRms; }))
            << "the note was not heard";
        EXPECT_GE(
            waitForCall(on + 1,
                        [note](const SynthCall& c) { return isRelease(c, "notPitches", note); }),
            0)
            << "the note was never released";
        chooseQuit();
      },
      ScriptStart::AtOnce);
  EXPECT_EQ(status, platform::kExitOk);
  expectSilenceAfterwards();
}

TEST_F(ProgramTest, CloseButtonClosesTheWindowAndEndsTheProgramWithZero) {
  bool closed = false;
  const int status = runProgram([&] {
    QPointer<QMainWindow> window = mainWidget();
    ASSERT_TRUE(window);
    EXPECT_TRUE(window->isVisible());
    // The title bar's close button: the window system asks the window to close.
    ASSERT_NE(window->windowHandle(), nullptr);
    QCloseEvent request;
    QGuiApplication::sendEvent(window->windowHandle(), &request);
    closed = window.isNull() || !window->isVisible();
    EXPECT_TRUE(platform::RuntimeQuitRequested());
  });
  EXPECT_TRUE(closed);
  EXPECT_EQ(status, platform::kExitOk);
}

}  // namespace
}  // namespace velmora::e2e
