#include "platform/run.h"

#include <gtest/gtest.h>

#include "fixture.h"
#include "platform/application.h"
#include "platform/array.h"
#include "platform/menu.h"

namespace platform::testing {
namespace {

using ::testing::internal::CaptureStderr;
using ::testing::internal::GetCapturedStderr;

// A start-up shaped like the application's: the app object with a menu bar
// holding a quit item, one window.
void startup() {
  RuntimeInitExternalClasses();
  Ref<Application> app = RuntimeNewObjectAs<Application>(Application::__Lookup());
  Ref<MenuBar> bar = RuntimeNewObjectAs<MenuBar>(MenuBar::__Lookup());
  Ref<MenuItem> quit = RuntimeNewObjectAs<MenuItem>(QuitMenuItem::__Lookup());
  quit->Name("FileQuit");
  bar->Append(quit);
  app->MenuBar(bar);
  RuntimeRegisterAppObject(app);
  Ref<Window> window = RuntimeNewObjectAs<Window>(Window::__Lookup());
  window->MenuBar(bar);
  window->Constructor();
}

void failingStartup() { RaiseNilObjectException(); }

// What the program's main does, with the exception net of its start-up routine.
int32_t runProgram(StartupEntry entry) {
  RuntimeInit();
  RuntimeRegisterFrameworkClasses();
  try {
    RunFrameworkInitialization(entry);
    RuntimeRun();
  } catch (...) {
    RuntimeUnhandledException(std::current_exception());
  }
  RuntimeReleaseImplicitWindowList();
  RuntimeReleaseDirtyWindowList();
  RuntimeReleaseWindowList();
  RuntimeReleaseReflectionMaps();
  return RuntimeExit();
}

TEST(Run, QuitFromTheMenuEndsTheLoopWithStatusZeroInOrder) {
  RuntimeTraceEnable(true);
  RuntimeTraceClear();
  // The script is queued once the toolkit exists: from inside the start-up.
  const int32_t status = runProgram([] {
    startup();
    headless::toolkit().script(
        [] { headless::toolkit().chooseMenu(*RuntimeWindows().at(0), "FileQuit"); });
  });
  EXPECT_EQ(status, kExitOk);
  std::vector<std::string> calls;
  for (const std::string& entry : RuntimeTraceLog()) {
    if (entry.rfind("register ", 0) != 0) calls.push_back(entry);
  }
  EXPECT_EQ(calls,
            (std::vector<std::string>{
                "RuntimeInit", "RuntimeRegisterFrameworkClasses", "RunFrameworkInitialization",
                "RuntimeInitExternalClasses", "RuntimeRegisterAppObject", "Layout Window",
                "CreateControls Window", "Open Window", "RuntimeRun", "RuntimeQuit",
                "RuntimeReleaseImplicitWindowList", "RuntimeReleaseDirtyWindowList",
                "RuntimeReleaseWindowList", "RuntimeReleaseReflectionMaps", "RuntimeExit"}));
  const auto& classes = RuntimeRegisteredClasses();
  const auto at = [&](std::string_view name) {
    return std::find(classes.begin(), classes.end(), RuntimeFindClass(name));
  };
  EXPECT_LT(at("Control"), at("PushButton")) << "a base is registered before its classes";
  EXPECT_NE(at("Delegate"), classes.end());
}

TEST(Run, ExceptionDuringStartUpIsReportedOnceSkipsTheLoopAndFails) {
  RuntimeTraceEnable(true);
  RuntimeTraceClear();
  CaptureStderr();
  const int32_t status = runProgram(failingStartup);
  EXPECT_EQ(GetCapturedStderr(),
            "velmora: unhandled NilObjectException: a member was used through a nil object\n");
  EXPECT_EQ(status, kExitUnhandledException);
  const auto& log = RuntimeTraceLog();
  EXPECT_EQ(std::find(log.begin(), log.end(), "RuntimeRun"), log.end());
}

TEST(Run, NullStartUpEntryRaisesNilObjectException) {
  RuntimeInit();
  EXPECT_THROW(RunFrameworkInitialization(nullptr), NilObjectException);
  EXPECT_EQ(RuntimeExit(), kExitOk);
}

void throwFromTimer(Object&) { throw OutOfBoundsException("index 12 is outside 0..11"); }

TEST(Run, ExceptionFromAHandlerEndsTheLoopAndIsReported) {
  CaptureStderr();
  const int32_t status = runProgram([] {
    Ref<Timer> timer = RuntimeNewObjectAs<Timer>(Timer::__Lookup());
    RuntimeInstallInstanceEventHandler(*timer, "Action", throwFromTimer);
    timer->Mode(Timer::kMultiple);
    // The script step keeps the timer alive while the clock moves.
    headless::toolkit().script([timer] { headless::toolkit().advance(5000); });
    headless::toolkit().script([] { ADD_FAILURE() << "the loop went on after the exception"; });
  });
  EXPECT_EQ(GetCapturedStderr(),
            "velmora: unhandled OutOfBoundsException: index 12 is outside 0..11\n");
  EXPECT_EQ(status, kExitUnhandledException);
}

TEST(Run, ShutDownClosesTheWindowsTheFrameworkKept) {
  const int64_t arraysBefore = LiveArrayCount();
  RuntimeInit();
  RuntimeRegisterFrameworkClasses();
  Ref<Window> window = RuntimeNewObjectAs<Window>(Window::__Lookup());
  window->Constructor();
  window = nullptr;
  EXPECT_EQ(RuntimeWindows().size(), 1u) << "the framework keeps its windows";
  EXPECT_EQ(RuntimeExit(), kExitOk);
  EXPECT_FALSE(RuntimeIsInitialized());
  EXPECT_TRUE(RuntimeWindows().empty());
  EXPECT_EQ(LiveArrayCount(), arraysBefore);
}

TEST(Run, ReportNamesNonFrameworkExceptionsToo) {
  CaptureStderr();
  RuntimeUnhandledException(std::make_exception_ptr(std::runtime_error("disk\nfull")));
  RuntimeUnhandledException(std::make_exception_ptr(42));
  EXPECT_EQ(GetCapturedStderr(),
            "velmora: unhandled std::exception: disk full\n"
            "velmora: unhandled unknown exception\n");
}

}  // namespace
}  // namespace platform::testing
