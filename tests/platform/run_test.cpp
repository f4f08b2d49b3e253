// The framework's own start and failure paths; the program's start-up order,
// quitting and failures are proven on the program (tests/app/startup_test.cpp).
#include "platform/run.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "fixture.h"
#include "platform/random.h"

namespace platform::testing {
namespace {

using ::testing::internal::CaptureStderr;
using ::testing::internal::GetCapturedStderr;

TEST(Run, NullStartUpEntryRaisesNilObjectException) {
  RuntimeInit();
  EXPECT_THROW(RunFrameworkInitialization(nullptr), NilObjectException);
  EXPECT_EQ(RuntimeExit(), kExitOk);
}

// One line per exception, naming its kind and message (line breaks made blanks),
// and the exit status then says the program failed.
TEST(Run, UnhandledExceptionsAreReportedOneLineEachAndFailTheExit) {
  RuntimeInit();
  CaptureStderr();
  RuntimeUnhandledException(std::make_exception_ptr(NilObjectException()));
  RuntimeUnhandledException(
      std::make_exception_ptr(OutOfBoundsException("index 12 is outside 0..11")));
  RuntimeUnhandledException(std::make_exception_ptr(std::runtime_error("disk\nfull")));
  RuntimeUnhandledException(std::make_exception_ptr(42));
  EXPECT_EQ(GetCapturedStderr(),
            "velmora: unhandled NilObjectException: a member was used through a nil object\n"
            "velmora: unhandled OutOfBoundsException: index 12 is outside 0..11\n"
            "velmora: unhandled std::exception: disk full\n"
            "velmora: unhandled unknown exception\n");
  EXPECT_EQ(RuntimeExit(), kExitUnhandledException);
}

// The keyboard-state object belongs to the running runtime: the same one until
// shut-down gives it back, a new one in the next runtime.
TEST(Run, KeyboardObjectLastsAsLongAsItsRuntime) {
  RuntimeInit();
  Ref<_Keyboard> first = Keyboard();
  EXPECT_EQ(Keyboard(), first);
  EXPECT_EQ(first->refCount(), 2) << "this test's and the runtime's";
  RuntimeExit();
  EXPECT_EQ(first->refCount(), 1) << "shut-down gave the runtime's back";
  RuntimeInit();
  EXPECT_NE(Keyboard(), first);
  RuntimeExit();
  RuntimeReleaseReflectionMaps();
}

}  // namespace
}  // namespace platform::testing
