// The whole program, from percentMain to its exit status, on Qt's offscreen
// platform with the recording tap in front of FluidSynth. A test's script runs
// inside the program's event loop and acts through Qt's own event dispatch.
#pragma once

#include <gtest/gtest.h>

#include <QMainWindow>
#include <QString>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "platform/controls.h"
#include "sound_tap.h"
#include "tests/common/offscreen_qt.h"
#include "tests/common/pitch_classes.h"

namespace velmora::e2e {

// How long a wait may take before it counts as a fault. Waits end as soon as
// what they wait for happens; only a fault runs them out.
inline constexpr int kPatienceMs = 15000;
// RMS above which a rendered block counts as heard (a held piano note at
// velocity 127 is well above it).
inline constexpr double kHeardRms = 1e-3;

using velmora::testing::kPitchNames;

class ProgramTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  enum class ScriptStart { AfterTheLoad, AtOnce };
  // Runs the program to its end and returns percentMain's status. `script` runs
  // inside the event loop, once the SoundFont load has ended (either way) or, with
  // AtOnce, on the loop's first pass; if it returns with a fatal failure the
  // program is asked to quit.
  int runProgram(std::function<void()> script, ScriptStart start = ScriptStart::AfterTheLoad);

 public:
  // For scripts.
  static QMainWindow* mainWidget();
  static QWidget* widget(std::string_view name, int32_t index = platform::kNoIndex);
  static platform::Object* control(std::string_view name, int32_t index = platform::kNoIndex);
  // The widget of every control that shows one, disabled ones included.
  static std::vector<QWidget*> controlWidgets();
  // A left click on the control's widget (a check box on its square).
  static void click(std::string_view name, int32_t index = platform::kNoIndex);
  static QPoint clickPoint(const QWidget& target);
  // What a button, check box or label shows.
  static std::string shown(std::string_view name, int32_t index = platform::kNoIndex);
  // A key press and release in the window.
  static void typeKey(Qt::Key key, const QString& text, Qt::KeyboardModifiers modifiers = {});
  // The key that names pitch class `pitchClass` (Shift for the sharps and flats).
  static void typeAnswer(int pitchClass);
  // File > "&Quit", through the menu's action.
  static void chooseQuit();
  // Ctrl+Q in the active window.
  static void pressCtrlQ();
  static bool waitFor(const std::function<bool()>& condition, int timeoutMs = kPatienceMs);
  // The index of the first call from `from` on that `match` accepts, waiting
  // for it to come; -1 when none came.
  static int waitForCall(size_t from, const std::function<bool(const SynthCall&)>& match);
  static const std::vector<SynthCall>& calls() { return studio().calls; }

  // After the run: nothing is heard once the released notes have died away.
  void expectSilenceAfterwards();

 private:
  std::optional<velmora::testing::OffscreenQt> offscreen_;
};

}  // namespace velmora::e2e
