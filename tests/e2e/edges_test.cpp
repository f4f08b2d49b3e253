// Faults at the program's edges, on the real program path: a SoundFont missing
// or damaged, an exception in a handler, quitting (by menu or signal) while
// notes sound, and storms of keys and clicks. Each ends without a crash, hang
// or leak, says at most one line on stderr, and leaves no note sounding.
#include <QApplication>
#include <QKeyEvent>
#include <QTest>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <random>

#include "platform/object.h"
#include "platform/run.h"
#include "program.h"
#include "tests/common/lines.h"
#include "tests/common/temp_dir.h"

namespace velmora::e2e {
namespace {

using velmora::testing::linesOf;

namespace fs = std::filesystem;
using platform::fluidsynth::SoundFontState;

constexpr int kPitchClasses = 12;
constexpr int kMelodyC = 0;
constexpr unsigned kStormSeed = 20240607;
// Timers get their turn this often during a storm.
constexpr int kEventsBetweenPauses = 40;

// The pitch class "Give Answer" shows for the current turn.
int revealedPitchClass() {
  ProgramTest::click("cmdReveal");
  const std::string name = ProgramTest::shown("lblAnswer");
  for (int k = 0; k < kPitchClasses; ++k) {
    if (name == kPitchNames[k]) return k;
  }
  ADD_FAILURE() << "Give Answer shows '" << name << "'";
  return 0;
}

// ---------------------------------------------------------------------------
// The SoundFont: the program runs on in silence and says once what to do.

struct SoundFontFault {
  const char* name;
  std::function<std::string(const fs::path& dir)> make;  // the SoundFont path given
  SoundFontState state;
  const char* says;
};

void PrintTo(const SoundFontFault& fault, std::ostream* out) { *out << fault.name; }

class SoundFontFaults : public ProgramTest, public ::testing::WithParamInterface<SoundFontFault> {};

TEST_P(SoundFontFaults, DrillRunsSilentlyAfterOneLineOnStderr) {
  const SoundFontFault& fault = GetParam();
  const velmora::testing::TempDir dir("velmora-e2e");
  studio().options.soundFonts = {fault.make(dir.path())};

  ::testing::internal::CaptureStderr();
  const int status = runProgram([&] {
    EXPECT_EQ(studio().fluid->soundFontState(), fault.state);
    click("cmdGo");
    EXPECT_EQ(shown("cmdGo"), "Repeat");
    click("cmdResponse", revealedPitchClass());
    EXPECT_EQ(shown("lblFeedback"), "Yep");
    chooseQuit();
  });
  const std::vector<std::string> said = linesOf(::testing::internal::GetCapturedStderr());

  EXPECT_EQ(status, platform::kExitOk);
  ASSERT_EQ(said.size(), 1u) << ::testing::PrintToString(said);
  EXPECT_TRUE(said[0].starts_with("velmora: ")) << said[0];
  EXPECT_NE(said[0].find(fault.says), std::string::npos) << said[0];
  EXPECT_LT(studio().speaker.loudestRms(), kHeardRms) << "something was heard";
  EXPECT_TRUE(std::any_of(calls().begin(), calls().end(), [](const SynthCall& c) {
    return isNoteOn(c, "notPitches");
  })) << "Start sent no note";
  expectSilenceAfterwards();
}

INSTANTIATE_TEST_SUITE_P(
    Program, SoundFontFaults,
    ::testing::Values(SoundFontFault{"Missing",
                                     [](const fs::path& dir) { return (dir / "gm.sf2").string(); },
                                     SoundFontState::Missing, "no General MIDI SoundFont"},
                      SoundFontFault{"Truncated",
                                     [](const fs::path& dir) {
                                       std::ifstream in(kTimGm, std::ios::binary);
                                       std::string half(fs::file_size(kTimGm) / 2, '\0');
                                       in.read(half.data(), std::streamsize(half.size()));
                                       const fs::path path = dir / "gm.sf2";
                                       std::ofstream(path, std::ios::binary) << half;
                                       return path.string();
                                     },
                                     SoundFontState::Damaged, "damaged"}),
    [](const ::testing::TestParamInfo<SoundFontFault>& info) { return info.param.name; });

// ---------------------------------------------------------------------------
// A handler's exception while the loop runs.

int gThrowingHandlerRuns = 0;

void throwingHandler(platform::Object&) {
  ++gThrowingHandlerRuns;
  throw platform::NilObjectException("thrown by a test handler");
}

TEST_F(ProgramTest, ExceptionInAnActionHandlerIsReportedOnceAndShutDownReleasesTheNotes) {
  gThrowingHandlerRuns = 0;
  ::testing::internal::CaptureStderr();
  const int status = runProgram([] {
    click("cmdGo");
    click("cmdTrigger", kMelodyC);
    ASSERT_NE(control("cmdReveal"), nullptr);
    platform::RuntimeInstallInstanceEventHandler(*control("cmdReveal"), "Action", &throwingHandler);
    click("cmdReveal");
    // The loop ends by itself; a further click changes nothing.
    click("cmdReveal");
  });
  const std::vector<std::string> said = linesOf(::testing::internal::GetCapturedStderr());

  EXPECT_EQ(status, platform::kExitUnhandledException);
  EXPECT_EQ(gThrowingHandlerRuns, 1);
  EXPECT_EQ(said, std::vector<std::string>{
                      "velmora: unhandled NilObjectException: thrown by a test handler"});
  ASSERT_FALSE(calls().empty());
  EXPECT_EQ(calls().back().kind, SynthCall::Kind::AllNotesOff);
  expectSilenceAfterwards();
}

// ---------------------------------------------------------------------------
// Quitting while a drill note and a melody sound, by menu shortcut or signal.

struct QuitWay {
  const char* name;
  int signal;  // 0: Ctrl+Q
  int status;
  const char* says;  // the one line on stderr; "" for none
};

void PrintTo(const QuitWay& way, std::ostream* out) { *out << way.name; }

class QuittingWhileNotesSound : public ProgramTest,
                                public ::testing::WithParamInterface<QuitWay> {};

TEST_P(QuittingWhileNotesSound, EndsCleanlyWithItsStatusAndReleasesEveryNote) {
  const QuitWay& way = GetParam();
  std::vector<std::string> soundingAtQuit;
  ::testing::internal::CaptureStderr();
  const int status = runProgram([&] {
    click("cmdGo");
    click("cmdTrigger", kMelodyC);
    soundingAtQuit = notesLeftSounding(calls());
    if (way.signal == 0) {
      pressCtrlQ();
    } else {
      std::raise(way.signal);
      EXPECT_TRUE(waitFor([] { return platform::RuntimeQuitRequested(); }))
          << "the signal did not quit";
    }
  });
  const std::vector<std::string> said = linesOf(::testing::internal::GetCapturedStderr());

  EXPECT_EQ(status, way.status);
  const auto soundsOn = [&](std::string_view player) {
    return std::any_of(soundingAtQuit.begin(), soundingAtQuit.end(),
                       [&](const std::string& note) { return note.starts_with(player); });
  };
  EXPECT_TRUE(soundsOn("notPitches") && soundsOn("notMelodies"))
      << "not both sounded when quitting: " << ::testing::PrintToString(soundingAtQuit);
  if (*way.says) {
    EXPECT_EQ(said, std::vector<std::string>{way.says});
  } else {
    EXPECT_EQ(said, std::vector<std::string>{});
  }
  ASSERT_FALSE(calls().empty());
  EXPECT_EQ(calls().back().kind, SynthCall::Kind::AllNotesOff);
  expectSilenceAfterwards();
}

INSTANTIATE_TEST_SUITE_P(
    Ways, QuittingWhileNotesSound,
    ::testing::Values(QuitWay{"CtrlQ", 0, platform::kExitOk, ""},
                      QuitWay{"SIGINT", SIGINT, 130,
                              "velmora: SIGINT received; quitting with exit status 130"},
                      QuitWay{"SIGTERM", SIGTERM, 143,
                              "velmora: SIGTERM received; quitting with exit status 143"}),
    [](const ::testing::TestParamInfo<QuitWay>& info) { return info.param.name; });

// ---------------------------------------------------------------------------
// Storms: whatever keys and clicks come, nothing breaks and no note sticks.

// Random text: a few code points from all over Unicode, controls and lone
// surrogates included.
QString randomText(std::mt19937& random) {
  static constexpr std::pair<char32_t, char32_t> kRanges[] = {
      {0x20, 0x7e},     {0x00, 0x1f},     {0x7f, 0xff},       {0x300, 0x36f},
      {0x590, 0x6ff},   {0x3040, 0x30ff}, {0x4e00, 0x9fff},   {0xd800, 0xdfff},
      {0xe000, 0xf8ff}, {0xfff0, 0xffff}, {0x1f300, 0x1faff}, {0x10000, 0x10ffff},
  };
  std::uniform_int_distribution<size_t> count(0, 3), range(0, std::size(kRanges) - 1);
  QString text;
  for (size_t n = count(random); n > 0; --n) {
    const auto [low, high] = kRanges[range(random)];
    const auto code =
        static_cast<char32_t>(std::uniform_int_distribution<uint32_t>(low, high)(random));
    if (code >= 0xd800 && code <= 0xdfff) {
      text += QChar(static_cast<char16_t>(code));  // a lone surrogate
    } else {
      text += QString::fromUcs4(&code, 1);
    }
  }
  return text;
}

// Key presses that bypass QTest (which makes its own text), so that Qt's
// dispatch sees exactly this text, repeat flag and receiver.
void press(QWidget* receiver, Qt::Key key, const QString& text, Qt::KeyboardModifiers modifiers,
           bool autoRepeat = false) {
  QKeyEvent down(QEvent::KeyPress, key, modifiers, text, autoRepeat);
  QApplication::sendEvent(receiver, &down);
  if (!autoRepeat) {
    QKeyEvent up(QEvent::KeyRelease, key, modifiers, text);
    QApplication::sendEvent(receiver, &up);
  }
}

void pauseNowAndThen(int& events) {
  if (++events % kEventsBetweenPauses == 0) QTest::qWait(1);
}

TEST_F(ProgramTest, KeysOfEveryKindNeitherBreakTheDrillNorLeaveANoteSounding) {
  ::testing::internal::CaptureStderr();
  const int status = runProgram([] {
    std::mt19937 random(kStormSeed);
    const std::vector<QWidget*> receivers = controlWidgets();
    std::uniform_int_distribution<size_t> pick(0, receivers.size());  // size(): the window
    const auto receiver = [&]() -> QWidget* {
      const size_t k = pick(random);
      return k == receivers.size() ? mainWidget() : receivers[k];
    };
    int events = 0;
    click("cmdGo");

    // Any text, with and without Shift.
    for (int i = 0; i < 400; ++i) {
      press(receiver(), Qt::Key_unknown, randomText(random),
            random() % 2 ? Qt::ShiftModifier : Qt::NoModifier);
      pauseNowAndThen(events);
    }
    // Keys with no text, and keys whose text is a control character.
    const std::pair<Qt::Key, const char*> bare[] = {
        {Qt::Key_Shift, ""},    {Qt::Key_Control, ""},     {Qt::Key_Meta, ""},
        {Qt::Key_CapsLock, ""}, {Qt::Key_F1, ""},          {Qt::Key_Left, ""},
        {Qt::Key_Home, ""},     {Qt::Key_unknown, ""},     {Qt::Key_Escape, "\x1b"},
        {Qt::Key_Return, "\r"}, {Qt::Key_Backspace, "\b"}, {Qt::Key_Delete, "\x7f"},
        {Qt::Key_Tab, "\t"},    {Qt::Key_Space, " "},
    };
    for (const auto& [key, text] : bare) {
      for (int i = 0; i < 4; ++i) {
        press(receiver(), key, text, i % 2 ? Qt::ShiftModifier : Qt::NoModifier);
        pauseNowAndThen(events);
      }
    }
    // Dead keys, alone and followed by the composed letter.
    const Qt::Key deadKeys[] = {Qt::Key_Dead_Grave, Qt::Key_Dead_Acute, Qt::Key_Dead_Circumflex,
                                Qt::Key_Dead_Tilde, Qt::Key_Dead_Diaeresis};
    for (Qt::Key dead : deadKeys) {
      press(mainWidget(), dead, "", Qt::NoModifier);
      press(mainWidget(), Qt::Key_E, QString::fromUtf8("é"), Qt::NoModifier);
      press(mainWidget(), dead, QString::fromUtf8("´"), Qt::ShiftModifier);
    }
    // Held keys repeating at full speed, no event handled in between.
    for (const auto& [letter, modifiers] :
         {std::pair{"c", Qt::NoModifier}, std::pair{"C", Qt::ShiftModifier}}) {
      for (int i = 0; i < 1000; ++i) {
        press(mainWidget(), Qt::Key_C, letter, modifiers, /*autoRepeat=*/true);
      }
      QKeyEvent up(QEvent::KeyRelease, Qt::Key_C, modifiers, letter);
      QApplication::sendEvent(mainWidget(), &up);
    }

    // The drill still answers.
    typeAnswer(revealedPitchClass());
    EXPECT_EQ(shown("lblFeedback"), "Yep");
    chooseQuit();
  });

  EXPECT_EQ(status, platform::kExitOk);
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
  expectSilenceAfterwards();
}

TEST_F(ProgramTest, ClickStormsOnEveryControlNeitherBreakTheDrillNorLeaveANoteSounding) {
  ::testing::internal::CaptureStderr();
  size_t notesSent = 0;
  const int status = runProgram([&] {
    std::mt19937 random(kStormSeed);
    const std::vector<QWidget*> targets = controlWidgets();
    ASSERT_EQ(targets.size(), 44u) << "every control that shows, disabled ones included";
    std::uniform_int_distribution<size_t> pick(0, targets.size() - 1);
    int events = 0;
    // Every control in turn, then at random; double clicks among them.
    for (int i = 0; i < 1200; ++i) {
      QWidget* target = i < static_cast<int>(targets.size()) ? targets[i] : targets[pick(random)];
      if (i % 7 == 0) {
        QTest::mouseDClick(target, Qt::LeftButton, {}, clickPoint(*target));
      } else {
        QTest::mouseClick(target, Qt::LeftButton, {}, clickPoint(*target));
      }
      pauseNowAndThen(events);
    }
    notesSent = static_cast<size_t>(std::count_if(calls().begin(), calls().end(), [](auto& c) {
      return c.kind == SynthCall::Kind::NoteOn && c.value > 0;
    }));

    // The drill still answers (with every pitch box on, Start acts).
    for (int k = 0; k < kPitchClasses; ++k) {
      if (!widget("cmdResponse", k)->isEnabled()) click("chkPitch", k);
    }
    click("cmdGo");
    click("cmdResponse", revealedPitchClass());
    EXPECT_EQ(shown("lblFeedback"), "Yep");
    chooseQuit();
  });

  EXPECT_EQ(status, platform::kExitOk);
  EXPECT_GT(notesSent, 0u) << "the storm sounded nothing";
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
  expectSilenceAfterwards();
}

}  // namespace
}  // namespace velmora::e2e
