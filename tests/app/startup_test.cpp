// Start-up and shut-down as the whole program runs them: the order of the
// steps, quitting from the menu, and failures that end the program.
#include "shell/startup.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "main_window/frm_main.h"
#include "platform/application.h"
#include "platform/backends/headless/headless.h"
#include "platform/run.h"
#include "platform/window.h"
#include "shell/app.h"
#include "shell/menu_bar1.h"
#include "tests/app/app_startup.h"
#include "tests/common/lines.h"
#include "tests/common/trace_recording.h"

namespace velmora::testing {
namespace {

using platform::RuntimeTraceLog;

// percentMain's steps with two places for a test to act: after RuntimeInit (to
// script the event loop) and after _Main returns (to look before shut-down).
int runProgram(
    const std::function<void()>& afterInit, const std::function<void()>& afterMain = [] {}) {
  platform::RuntimeInit();
  afterInit();
  percentInitialize();
  _Main();
  afterMain();
  percentFinalize();
  return platform::RuntimeExit();
}

// Where `entry` first stands in the trace; fails the test when it is missing.
size_t positionOf(const std::string& entry) {
  const auto& log = RuntimeTraceLog();
  const auto it = std::find(log.begin(), log.end(), entry);
  EXPECT_NE(it, log.end()) << "trace lacks \"" << entry << "\"";
  return static_cast<size_t>(it - log.begin());
}

bool traced(const std::string& entry) {
  const auto& log = RuntimeTraceLog();
  return std::find(log.begin(), log.end(), entry) != log.end();
}

// Each entry appears, and after the one before it.
void expectInOrder(const std::vector<std::string>& entries) {
  size_t previous = 0;
  for (size_t i = 0; i < entries.size(); ++i) {
    const size_t at = positionOf(entries[i]);
    if (i > 0) {
      EXPECT_GT(at, previous) << "\"" << entries[i] << "\" comes before \"" << entries[i - 1]
                              << "\"";
    }
    previous = at;
  }
}

// The program's own classes, registered in this order after the framework's.
const std::vector<std::string> kApplicationClasses = {
    "App",
    "frmMain.frmMain",
    "frmMain.cmdResponse",
    "frmMain.tmrPitch",
    "frmMain.chkPitch",
    "frmMain.cmdTrigger",
    "frmMain.tmrDelay",
    "frmMain.tmrMelodyPlay",
    "frmMain.chkOctave",
    "MenuBar1.MenuBar1",
};

TEST(StartUp, RunsItsStepsInOrderAndExitsWithZeroWhenTheLoopEnds) {
  TraceRecording trace;
  // With nothing scripted the headless event loop returns at once, as after a quit.
  EXPECT_EQ(percentMain(), platform::kExitOk);

  std::vector<std::string> expected = {"RuntimeInit", "RuntimeRegisterFrameworkClasses"};
  for (const std::string& cls : kApplicationClasses) expected.push_back("register " + cls);
  for (const char* step :
       {"RunFrameworkInitialization", "RuntimeInitExternalClasses",
        "RuntimeAllocatePluginEntrypointsTable", "RuntimeRegisterAppObject",
        "Layout frmMain.frmMain", "CreateControls frmMain.frmMain", "Open frmMain.frmMain",
        "RuntimeRun", "RuntimeReleaseImplicitWindowList", "RuntimeReleaseDirtyWindowList",
        "RuntimeReleaseWindowList", "RuntimeReleaseReflectionMaps",
        "release MenuBar1._implicitInstance", "RuntimeExit"}) {
    expected.push_back(step);
  }
  expectInOrder(expected);
}

TEST(StartUp, RegistrationAloneCreatesNoObjectOfTheProgram) {
  Registration registered;

  EXPECT_EQ(platform::RuntimeAppObject(), nullptr);
  EXPECT_TRUE(platform::RuntimeWindows().empty());
  EXPECT_EQ(platform::RuntimeGetImplicitWindow(frmMain::kClassName), nullptr);
  EXPECT_FALSE(static_cast<bool>(MenuBar1::_implicitInstance));
  for (const std::string& cls : kApplicationClasses) {
    EXPECT_NE(platform::RuntimeFindClass(cls), nullptr) << cls;
  }
}

TEST(StartUp, RegisteringTheClassesTwiceChangesNothing) {
  Registration registered;
  const auto before = platform::RuntimeRegisteredClasses();
  const size_t frmMainMembers = frmMain::__Lookup().members.size();
  percentInitialize();
  EXPECT_EQ(platform::RuntimeRegisteredClasses(), before);
  EXPECT_EQ(&frmMain::__Lookup(), platform::RuntimeFindClass(frmMain::kClassName));
  EXPECT_EQ(frmMain::__Lookup().members.size(), frmMainMembers);
}

TEST(StartUp, TheApplicationObjectAndTheWindowShareOneMenuBar) {
  bool appIsApp = false;
  const platform::Object* appBar = nullptr;
  const platform::Object* windowBar = nullptr;
  const platform::Object* sharedBar = nullptr;
  runProgram([] {},
             [&] {
               Ref<platform::Application> app = platform::RuntimeAppObject();
               ASSERT_TRUE(app);
               appIsApp = app->isA(App::__Lookup());
               appBar = app->MenuBar().get();
               windowBar = accessor::frmMain()->MenuBar().get();
               sharedBar = accessor::MenuBar1().get();
             });
  EXPECT_TRUE(appIsApp);
  EXPECT_NE(sharedBar, nullptr);
  EXPECT_EQ(appBar, sharedBar);
  EXPECT_EQ(windowBar, sharedBar);
}

TEST(StartUp, ChoosingQuitEndsTheEventLoopWithStatusZero) {
  bool quitChosen = false;
  bool stepAfterQuitRan = false;
  bool windowOpenAfterLoop = false;
  const int status = runProgram(
      [&] {
        auto& tk = platform::headless::toolkit();
        tk.script([&] { quitChosen = tk.chooseMenu(*accessor::frmMain(), "FileQuit"); });
        tk.script([&] { stepAfterQuitRan = true; });
      },
      [&] { windowOpenAfterLoop = !platform::RuntimeWindows().empty(); });

  EXPECT_TRUE(quitChosen);
  EXPECT_FALSE(stepAfterQuitRan) << "the event loop went on after the quit";
  EXPECT_TRUE(windowOpenAfterLoop) << "the window closes at shut-down, not at the quit";
  EXPECT_EQ(status, platform::kExitOk);
}

// A create function that gives nothing: the framework's RuntimeNewObject then
// yields nil, as when an object cannot be made.
platform::Object* createNothing() { return nullptr; }

// The seam: the framework keeps the first description registered under a name,
// so registering "App" first makes every App creation fail.
void makeAppCreationFail() {
  platform::RuntimeNewClass(&platform::Application::__Lookup(), App::kClassName, &createNothing);
}

TEST(StartUp, NilApplicationObjectIsReportedOnceAndSkipsTheEventLoop) {
  makeAppCreationFail();
  TraceRecording trace;
  bool loopRan = false;
  bool menuBarBuilt = true;
  bool windowOpened = true;
  ::testing::internal::CaptureStderr();
  const int status =
      runProgram([&] { platform::headless::toolkit().script([&] { loopRan = true; }); },
                 [&] {
                   menuBarBuilt = static_cast<bool>(MenuBar1::_implicitInstance);
                   windowOpened = !platform::RuntimeWindows().empty();
                 });
  const std::vector<std::string> lines = linesOf(::testing::internal::GetCapturedStderr());

  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0].rfind("velmora: unhandled NilObjectException", 0), 0u) << lines[0];
  EXPECT_FALSE(loopRan);
  EXPECT_FALSE(traced("RuntimeRun"));
  EXPECT_FALSE(menuBarBuilt) << "the nil check comes before the menu bar is fetched";
  EXPECT_FALSE(windowOpened);
  EXPECT_NE(status, platform::kExitOk);
  // Shut-down still runs its module release.
  expectInOrder({"RuntimeReleaseImplicitWindowList", "RuntimeReleaseWindowList",
                 "release MenuBar1._implicitInstance", "RuntimeExit"});
}

// Shut-down gives back all that a start-up built (the class registry with
// the rest), so a second start-up in the process runs step for step as the first.
TEST(StartUp, ASecondStartUpInTheProcessRunsLikeTheFirst) {
  std::vector<std::string> runs[2];
  for (std::vector<std::string>& steps : runs) {
    TraceRecording trace;
    EXPECT_EQ(percentMain(), platform::kExitOk);
    steps = RuntimeTraceLog();
  }
  EXPECT_EQ(runs[1], runs[0]);
  EXPECT_NE(std::find(runs[1].begin(), runs[1].end(), "register App"), runs[1].end());
}

// A description registered for one start-up (here, a failing App) goes with its
// shut-down: the next start-up describes App anew and creates the application object.
TEST(StartUp, AStartUpAfterAFailedOneCreatesTheApplicationObject) {
  makeAppCreationFail();
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(runProgram([] {}), platform::kExitUnhandledException);
  ::testing::internal::GetCapturedStderr();

  bool appIsApp = false;
  const int status = runProgram([] {},
                                [&] {
                                  Ref<platform::Application> app = platform::RuntimeAppObject();
                                  appIsApp = app && app->isA(App::__Lookup());
                                });
  EXPECT_EQ(status, platform::kExitOk);
  EXPECT_TRUE(appIsApp);
}

TEST(StartUp, AnExceptionFromTheEventLoopIsReportedAndShutDownFollows) {
  bool laterStepRan = false;
  ::testing::internal::CaptureStderr();
  const int status = runProgram([&] {
    auto& tk = platform::headless::toolkit();
    tk.script([] { platform::RaiseNilObjectException(); });
    tk.script([&] { laterStepRan = true; });
  });
  const std::vector<std::string> lines = linesOf(::testing::internal::GetCapturedStderr());

  ASSERT_EQ(lines.size(), 1u);
  EXPECT_NE(lines[0].find("NilObjectException"), std::string::npos) << lines[0];
  EXPECT_FALSE(laterStepRan);
  EXPECT_EQ(status, platform::kExitUnhandledException);
}

}  // namespace
}  // namespace velmora::testing
