#include "program.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QTest>
#include <QTimer>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <thread>

#include "main_window/frm_main.h"
#include "platform/backends/qt/qt_toolkit.h"
#include "platform/menu.h"
#include "platform/run.h"
#include "platform/toolkit.h"
#include "platform/window.h"
#include "shell/startup.h"

namespace velmora::e2e {
namespace {

using platform::fluidsynth::SoundFontState;

// A run that outlasts this hangs: the process ends with a line saying so.
constexpr auto kHangBound = std::chrono::seconds(120);
// Seconds of sound rendered after the run before listening for what is left.
constexpr double kDieAwaySeconds = 3.0;
// A released note counts as gone 60 dB below the loudest sound of the run.
constexpr double kGoneRatio = 1e-3;
// Rendered silence: FluidSynth's effects keep a floor near 1e-8 against denormals.
constexpr double kSilenceRms = 1e-5;

platform::qt::QtToolkit& qtToolkit() {
  return dynamic_cast<platform::qt::QtToolkit&>(platform::toolkit());
}

// The program's main window (the only one), found without creating it.
platform::Window* programWindow() {
  for (const Ref<platform::Window>& window : platform::RuntimeWindows()) {
    if (dynamic_cast<frmMain*>(window.get())) return window.get();
  }
  return nullptr;
}

// Ends the process when percentMain has not returned in time: a hang must not
// wait for ctest's timeout to show.
class HangGuard {
 public:
  HangGuard()
      : thread_([this] {
          std::unique_lock lock(mutex_);
          if (!done_cv_.wait_for(lock, kHangBound, [this] { return done_; })) {
            std::fprintf(stderr, "e2e: the program did not end within %lld s\n",
                         static_cast<long long>(kHangBound.count()));
            std::_Exit(EXIT_FAILURE);
          }
        }) {}
  ~HangGuard() {
    {
      std::lock_guard lock(mutex_);
      done_ = true;
    }
    done_cv_.notify_all();
    thread_.join();
  }

 private:
  std::mutex mutex_;
  std::condition_variable done_cv_;
  bool done_ = false;
  std::thread thread_;
};

}  // namespace

void ProgramTest::SetUp() {
  if (!std::filesystem::exists(kTimGm)) GTEST_SKIP() << kTimGm << " is not installed";
  // The tests read stderr: nothing of the person's desktop may add to it.
  offscreen_.emplace();
  newStudio();
}

void ProgramTest::TearDown() {
  endStudio();
  offscreen_.reset();
}

int ProgramTest::runProgram(std::function<void()> script, ScriptStart start) {
  studio().onLoopStarted = [script = std::move(script), start] {
    QTimer::singleShot(0, [script, start] {
      if (start == ScriptStart::AfterTheLoad) {
        waitFor([] {
          const SoundFontState state = studio().fluid->soundFontState();
          return state != SoundFontState::Waiting && state != SoundFontState::Loading;
        });
      }
      script();
      if (::testing::Test::HasFatalFailure()) platform::RuntimeQuit();
    });
  };
  int status = -1;
  {
    HangGuard guard;
    status = percentMain();
  }
  studio().speaker.stop();
  return status;
}

QMainWindow* ProgramTest::mainWidget() {
  platform::Window* window = programWindow();
  return window ? qtToolkit().windowWidget(*window) : nullptr;
}

platform::Object* ProgramTest::control(std::string_view name, int32_t index) {
  platform::Window* window = programWindow();
  if (!window) return nullptr;
  // The window keeps its controls; the lookup's reference is not needed.
  const Ref<platform::Object> found = index == platform::kNoIndex
                                          ? window->controlByName(name)
                                          : window->controlByNameIndex(name, index);
  return found.get();
}

QWidget* ProgramTest::widget(std::string_view name, int32_t index) {
  platform::Object* found = control(name, index);
  return found ? qtToolkit().widgetFor(*found) : nullptr;
}

std::vector<QWidget*> ProgramTest::controlWidgets() {
  std::vector<QWidget*> widgets;
  platform::Window* window = programWindow();
  if (!window) return widgets;
  for (const auto& [name, object] : window->controls()) {
    if (QWidget* shownBy = qtToolkit().widgetFor(*object)) widgets.push_back(shownBy);
  }
  return widgets;
}

void ProgramTest::click(std::string_view name, int32_t index) {
  QWidget* target = widget(name, index);
  ASSERT_NE(target, nullptr) << name << " " << index;
  QTest::mouseClick(target, Qt::LeftButton, {}, clickPoint(*target));
}

QPoint ProgramTest::clickPoint(const QWidget& target) {
  // Qt takes a check box's clicks on its square and caption only.
  return qobject_cast<const QCheckBox*>(&target) ? QPoint(7, target.height() / 2)
                                                 : target.rect().center();
}

std::string ProgramTest::shown(std::string_view name, int32_t index) {
  QWidget* target = widget(name, index);
  if (auto* label = qobject_cast<QLabel*>(target)) return label->text().toStdString();
  if (auto* button = qobject_cast<QAbstractButton*>(target)) return button->text().toStdString();
  return "(no widget)";
}

void ProgramTest::typeKey(Qt::Key key, const QString& text, Qt::KeyboardModifiers modifiers) {
  QTest::sendKeyEvent(QTest::Click, mainWidget(), key, text, modifiers);
}

void ProgramTest::typeAnswer(int pitchClass) {
  const auto [letter, shift] = velmora::testing::kAnswerKeys[pitchClass];
  const char typed = shift ? static_cast<char>(letter - 'a' + 'A') : letter;
  typeKey(static_cast<Qt::Key>(Qt::Key_A + (letter - 'a')), QString(QChar(typed)),
          shift ? Qt::ShiftModifier : Qt::NoModifier);
}

void ProgramTest::chooseQuit() {
  platform::Window* window = programWindow();
  ASSERT_NE(window, nullptr);
  const Ref<platform::MenuItem> file = window->MenuBar()->Child("FileMenu");
  ASSERT_TRUE(file);
  const Ref<platform::MenuItem> quit = file->Child("FileQuit");
  ASSERT_TRUE(quit);
  QAction* action = qtToolkit().actionFor(*quit);
  ASSERT_NE(action, nullptr);
  ASSERT_TRUE(action->isEnabled());
  action->trigger();
}

void ProgramTest::pressCtrlQ() {
  QMainWindow* window = mainWidget();
  ASSERT_NE(window, nullptr);
  window->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window));
  QTest::keyClick(window, Qt::Key_Q, Qt::ControlModifier);
}

bool ProgramTest::waitFor(const std::function<bool()>& condition, int timeoutMs) {
  return QTest::qWaitFor(condition, timeoutMs);
}

int ProgramTest::waitForCall(size_t from, const std::function<bool(const SynthCall&)>& match) {
  int found = -1;
  waitFor([&] {
    for (size_t i = from; i < calls().size() && found < 0; ++i) {
      if (match(calls()[i])) found = static_cast<int>(i);
    }
    return found >= 0;
  });
  return found;
}

void ProgramTest::expectSilenceAfterwards() {
  EXPECT_EQ(notesLeftSounding(calls()), std::vector<std::string>{});
  const double loudest = studio().speaker.loudestRms();
  const double tail = tailRms(*studio().fluid, kDieAwaySeconds);
  EXPECT_LT(tail, std::max(loudest * kGoneRatio, kSilenceRms))
      << "still heard " << kDieAwaySeconds << " s after the end; loudest was " << loudest;
}

}  // namespace velmora::e2e
