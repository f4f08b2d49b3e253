#include "platform/timer.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "fixture.h"

namespace platform::testing {
namespace {

class TimerTest : public RuntimeTest {
 protected:
  void SetUp() override {
    RuntimeTest::SetUp();
    seen().clear();
    ticks.clear();
  }
  static Ref<Timer> makeTimer(int32_t periodMs, HandlerEntry onAction) {
    Ref<Timer> t = RuntimeNewObjectAs<Timer>(Timer::__Lookup());
    t->Period(periodMs);
    if (onAction) RuntimeInstallInstanceEventHandler(*t, "Action", onAction);
    return t;
  }
  static inline std::vector<double> ticks;
  static void recordTick(Object&) { ticks.push_back(RuntimeNowMs()); }
  static void recordMode(Object& raiser) {
    seen().push_back("mode " + std::to_string(dynamic_cast<Timer&>(raiser).Mode()));
  }
};

TEST_F(TimerTest, RepeatingTimerReadsModeTwoInsideItsOwnHandler) {
  Ref<Timer> t = makeTimer(1000, recordMode);
  t->Mode(Timer::kMultiple);
  tk().advance(3000);
  EXPECT_EQ(seen(), (std::vector<std::string>{"mode 2", "mode 2", "mode 2"}));
  EXPECT_EQ(t->Mode(), Timer::kMultiple);
}

TEST_F(TimerTest, SingleTimerFiresOnceAndReadsZeroInsideItsHandler) {
  Ref<Timer> t = makeTimer(2000, recordMode);
  t->Mode(Timer::kSingle);
  tk().advance(1999);
  EXPECT_TRUE(seen().empty());
  tk().advance(10000);
  EXPECT_EQ(seen(), (std::vector<std::string>{"mode 0"}));
  EXPECT_EQ(t->Mode(), Timer::kOff);
  EXPECT_EQ(tk().armedTimerCount(), 0u);
}

TEST_F(TimerTest, ThousandTicksLandExactlyOnMultiplesOfThePeriod) {
  Ref<Timer> t = makeTimer(130, recordTick);
  t->Mode(Timer::kMultiple);
  // Uneven steps: the ticks must not depend on how the clock is advanced.
  for (int step = 0; step < 130000 / 7 + 1; ++step) tk().advance(7);
  ASSERT_GE(ticks.size(), 1000u);
  for (size_t n = 0; n < 1000; ++n) ASSERT_EQ(ticks[n], 130.0 * double(n + 1)) << "tick " << n;
}

TEST_F(TimerTest, WritingAModeAgainRestartsThePeriodFromNow) {
  Ref<Timer> t = makeTimer(1000, recordTick);
  t->Mode(Timer::kSingle);
  tk().advance(600);
  t->Mode(Timer::kSingle);
  tk().advance(1500);
  EXPECT_EQ(ticks, (std::vector<double>{1600}));
}

TEST_F(TimerTest, NewPeriodRestartsARunningTimerFromNow) {
  Ref<Timer> t = makeTimer(150, recordTick);
  t->Mode(Timer::kMultiple);
  tk().advance(100);
  t->Period(120);
  tk().advance(250);
  EXPECT_EQ(ticks, (std::vector<double>{220, 340}));
}

TEST_F(TimerTest, ModeZeroOrAnUnknownModeStopsTheTimer) {
  Ref<Timer> t = makeTimer(100, recordTick);
  t->Mode(Timer::kMultiple);
  t->Mode(5);
  EXPECT_EQ(t->Mode(), Timer::kOff);
  tk().advance(1000);
  EXPECT_TRUE(ticks.empty());
  EXPECT_EQ(tk().armedTimerCount(), 0u);
}

// A tick the backend delivers late (a busy event loop, a suspended machine):
// the tick for 100 ms of a 100 ms timer arrives `lateMs` after its deadline.
// The later ticks stay on the grid start + n * 100. When grid points have passed
// meanwhile, only the last of them fires, at once; the ones before it are
// skipped rather than fired in a burst.
struct LateTick {
  const char* name;
  double lateMs;
  std::vector<double> ticks;  // from the start, for 250 ms after the late tick
};
void PrintTo(const LateTick& c, std::ostream* os) { *os << c.name; }

// clang-format off
const LateTick kLateTicks[] = {
    {"OnTime",                 0, {100, 200, 300}},
    {"HalfAPeriod",           50, {150, 200, 300, 400}},
    {"JustUnderAPeriod",      99, {199, 200, 300, 400}},
    // The next grid point is due as the late tick arrives: it fires at once.
    {"ExactlyAPeriod",       100, {200, 200, 300, 400}},
    {"JustOverAPeriod",      101, {201, 201, 300, 400}},
    {"JustUnderTwoPeriods",  199, {299, 299, 300, 400, 500}},
    // From here the next grid point has passed a whole period ago: it is skipped.
    {"ExactlyTwoPeriods",    200, {300, 300, 400, 500}},
    {"JustOverTwoPeriods",   201, {301, 301, 400, 500}},
    {"TwoAndAHalfPeriods",   250, {350, 350, 400, 500, 600}},
    {"TenPeriods",          1000, {1100, 1100, 1200, 1300}},
    {"TenAndAHalfPeriods",  1050, {1150, 1150, 1200, 1300, 1400}},
};
// clang-format on

class LateTickTest : public TimerTest, public ::testing::WithParamInterface<LateTick> {};

TEST_P(LateTickTest, LaterTicksStayOnTheGridAndMissedOnesDoNotBurst) {
  const double startMs = RuntimeNowMs();
  Ref<Timer> t = makeTimer(100, recordTick);
  t->Mode(Timer::kMultiple);
  tk().disarmTimer(*t);  // the backend holds the tick back while the clock runs on
  tk().advance(100 + GetParam().lateMs);
  t->fire();
  tk().advance(250);
  for (double& tick : ticks) tick -= startMs;
  EXPECT_EQ(ticks, GetParam().ticks);
}

INSTANTIATE_TEST_SUITE_P(Lateness, LateTickTest, ::testing::ValuesIn(kLateTicks),
                         [](const auto& info) { return std::string(info.param.name); });

// Handlers that steer other timers: A stops B, whose deadline is the same
// instant as A's (B armed later, so A fires first), and starts C.
Ref<Timer> gB, gC;
void stopBStartC(Object&) {
  seen().push_back("A at " + std::to_string(int(RuntimeNowMs())));
  gB->Mode(Timer::kOff);
  gC->Mode(Timer::kSingle);
}
void logB(Object&) { seen().push_back("B at " + std::to_string(int(RuntimeNowMs()))); }
void logC(Object&) { seen().push_back("C at " + std::to_string(int(RuntimeNowMs()))); }

TEST_F(TimerTest, HandlerStopsAndStartsOtherTimersWithinOneAdvance) {
  Ref<Timer> a = makeTimer(100, stopBStartC);
  gB = makeTimer(100, logB);
  gC = makeTimer(50, logC);
  a->Mode(Timer::kSingle);
  gB->Mode(Timer::kSingle);
  tk().advance(1000);
  EXPECT_EQ(seen(), (std::vector<std::string>{"A at 100", "C at 150"}));
  gB = nullptr;
  gC = nullptr;
}

void throwOnTick(Object&) {
  seen().push_back("tick at " + std::to_string(int(RuntimeNowMs())));
  throw NilObjectException();
}

TEST_F(TimerTest, HandlerThatThrowsLeavesTheTimerRunningOnItsGrid) {
  Ref<Timer> t = makeTimer(100, throwOnTick);
  t->Mode(Timer::kMultiple);
  EXPECT_THROW(tk().advance(250), NilObjectException);
  EXPECT_EQ(RuntimeNowMs(), 100);
  EXPECT_EQ(t->Mode(), Timer::kMultiple);
  EXPECT_EQ(tk().armedTimerCount(), 1u);
  EXPECT_THROW(tk().advance(150), NilObjectException);
  EXPECT_EQ(seen(), (std::vector<std::string>{"tick at 100", "tick at 200"}));
}

TEST_F(TimerTest, DestroyedTimerLeavesTheScheduler) {
  Ref<Timer> t = makeTimer(100, recordTick);
  t->Mode(Timer::kMultiple);
  EXPECT_EQ(tk().armedTimerCount(), 1u);
  t = nullptr;
  EXPECT_EQ(tk().armedTimerCount(), 0u);
  tk().advance(500);
  EXPECT_TRUE(ticks.empty());
}

}  // namespace
}  // namespace platform::testing
