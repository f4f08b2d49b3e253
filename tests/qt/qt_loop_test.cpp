// The event loop: timers on their grid, exceptions carried out of Qt's dispatch,
// and random seeds.
#include <QTest>
#include <QTimer>

#include "platform/random.h"
#include "platform/run.h"
#include "test_window.h"

namespace velmora::test {
namespace {

using namespace platform;
using Heard = std::vector<std::string>;

TEST_F(QtWindowTest, RepeatingTimerTicksInOrderOnItsGridAndNeverEarly) {
  constexpr int32_t kPeriodMs = 130;
  constexpr int kTicks = 4;
  auto tick = control<Timer>("tmrTick");
  Ref<Timer> once = RuntimeNewObjectAs<Timer>(Timer::__Lookup());
  once->Period(200);                   // falls between the first and the second tick
  std::vector<double> dueMs, firedMs;  // each tick's deadline, and the clock when it fired
  afterHandler() = [&](Object& raiser) {
    auto& timer = dynamic_cast<Timer&>(raiser);
    if (&timer != tick.get()) return;
    dueMs.push_back(timer.deadlineMs() - kPeriodMs);  // the handler sees the next deadline
    firedMs.push_back(RuntimeNowMs());
    EXPECT_EQ(timer.Mode(), Timer::kMultiple) << "a repeating timer reads 2 in its handler";
    if (static_cast<int>(dueMs.size()) == kTicks) {
      timer.Mode(Timer::kOff);
      RuntimeQuit();
    }
  };
  RuntimeInstallInstanceEventHandler(*once, "Action", [](Object&) { heard().push_back("once"); });
  double startMs = 0;
  runWith([&] {
    tick->Period(kPeriodMs);
    tick->Mode(Timer::kMultiple);
    once->Mode(Timer::kSingle);
    startMs = tick->deadlineMs() - kPeriodMs;
  });

  EXPECT_EQ(heard(), (Heard{"Action tmrTick", "once", "Action tmrTick", "Action tmrTick",
                            "Action tmrTick"}));
  ASSERT_EQ(dueMs.size(), size_t{kTicks});
  for (int n = 0; n < kTicks; ++n) {
    EXPECT_DOUBLE_EQ(dueMs[n], startMs + (n + 1) * kPeriodMs) << "tick " << n;
    EXPECT_GE(firedMs[n], dueMs[n]) << "tick " << n << " fired before its deadline";
  }
}

TEST_F(QtWindowTest, StoppedTimerDoesNotFire) {
  auto tick = control<Timer>("tmrTick");
  Ref<Timer> later = RuntimeNewObjectAs<Timer>(Timer::__Lookup());
  later->Period(300);
  RuntimeInstallInstanceEventHandler(*later, "Action", [](Object&) { RuntimeQuit(); });
  runWith([&] {
    tick->Mode(Timer::kMultiple);
    tick->Mode(Timer::kOff);
    later->Mode(Timer::kSingle);
  });
  EXPECT_TRUE(heard().empty());
}

// Each way into the core from Qt's dispatch carries a handler's exception out of
// the loop, which ends; run rethrows it.
TEST_F(QtWindowTest, ExceptionInAHandlerEndsTheLoopAndIsRethrown) {
  const struct {
    const char* via;
    std::function<void(QtWindowTest&)> act;
  } cases[] = {
      {"click", [](QtWindowTest& t) { QTest::mouseClick(t.widget("cmdAlpha"), Qt::LeftButton); }},
      {"key", [](QtWindowTest& t) { QTest::keyClick(t.widget("cmdAlpha"), Qt::Key_A); }},
      {"timer", [](QtWindowTest& t) { t.control<Timer>("tmrTick")->Mode(Timer::kSingle); }},
  };
  afterHandler() = [](Object&) { throw NilObjectException("thrown by the handler"); };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.via);
    heard().clear();
    EXPECT_THROW(runWith([&] { c.act(*this); }), NilObjectException);
    EXPECT_EQ(heard().size(), 1u);
  }
}

TEST_F(QtWindowTest, TwoRandomObjectsMadeTogetherDrawDifferentNumbers) {
  Ref<Random> a = RuntimeNewObjectAs<Random>(Random::__Lookup());
  Ref<Random> b = RuntimeNewObjectAs<Random>(Random::__Lookup());
  std::vector<int32_t> drawsA, drawsB;
  for (int i = 0; i < 8; ++i) {
    drawsA.push_back(a->InRange(0, 1 << 30));
    drawsB.push_back(b->InRange(0, 1 << 30));
  }
  EXPECT_NE(drawsA, drawsB);
}

}  // namespace
}  // namespace velmora::test
