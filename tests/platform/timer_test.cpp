#include "platform/timer.h"

#include <gtest/gtest.h>

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
