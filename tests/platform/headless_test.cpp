#include <gtest/gtest.h>

#include <array>
#include <map>

#include "fixture.h"
#include "platform/controls.h"
#include "platform/random.h"

namespace platform::testing {
namespace {

class HeadlessTest : public RuntimeTest {
 protected:
  void SetUp() override {
    RuntimeTest::SetUp();
    seen().clear();
  }
};

void logName(Object& raiser) { seen().push_back(dynamic_cast<Control&>(raiser).Name()); }

std::map<const Object*, std::string> gLabels;

TEST_F(HeadlessTest, DueTimersFireInDeadlineOrderTiesInArmOrder) {
  std::vector<Ref<Timer>> timers;
  for (auto [label, period] : {std::pair{"A", 300}, {"B", 100}, {"C", 300}, {"D", 300}}) {
    Ref<Timer> t = RuntimeNewObjectAs<Timer>(Timer::__Lookup());
    gLabels[t.get()] = label;
    t->Period(period);
    RuntimeInstallInstanceEventHandler(*t, "Action", [](Object& o) {
      seen().push_back(gLabels[&o] + "@" + std::to_string(int(RuntimeNowMs())));
    });
    t->Mode(Timer::kSingle);
    timers.push_back(t);
  }
  timers[0]->Reset();  // armed again: now the last of the three due at 300
  tk().advance(1000);
  EXPECT_EQ(seen(), (std::vector<std::string>{"B@100", "C@300", "D@300", "A@300"}));
  EXPECT_EQ(RuntimeNowMs(), 1000);
  gLabels.clear();
}

TEST_F(HeadlessTest, ClickRaisesActionOnlyOnEnabledVisibleControls) {
  Ref<PushButton> go = RuntimeNewObjectAs<PushButton>(PushButton::__Lookup());
  go->Name("cmdGo");
  RuntimeInstallInstanceEventHandler(*go, "Action", logName);
  tk().click(*go);
  go->Enabled(false);
  tk().click(*go);
  go->Enabled(true);
  go->Visible(false);
  tk().click(*go);
  EXPECT_EQ(seen(), (std::vector<std::string>{"cmdGo"}));
}

bool gValueInHandler = false;
TEST_F(HeadlessTest, CheckBoxClickTogglesTheValueBeforeItsAction) {
  Ref<CheckBox> box = RuntimeNewObjectAs<CheckBox>(CheckBox::__Lookup());
  box->Value(true);
  RuntimeInstallInstanceEventHandler(*box, "Action", [](Object& o) {
    gValueInHandler = dynamic_cast<CheckBox&>(o).Value();
    seen().push_back("Action");
  });
  tk().click(*box);
  EXPECT_FALSE(box->Value());
  EXPECT_FALSE(gValueInHandler);
  box->Value(true);
  EXPECT_EQ(seen().size(), 1u) << "writing Value raises no Action";
  box->Enabled(false);
  tk().click(*box);
  EXPECT_TRUE(box->Value());
  EXPECT_EQ(seen().size(), 1u);
}

TEST_F(HeadlessTest, SeededRandomObjectsRepeatTheirDraws) {
  auto draws = [&] {
    tk().seedRandom(42);
    Ref<Random> r = RuntimeNewObjectAs<Random>(Random::__Lookup());
    std::vector<int32_t> out;
    for (int i = 0; i < 20; ++i) out.push_back(r->InRange(0, 11));
    return out;
  };
  EXPECT_EQ(draws(), draws());
  tk().seedRandom(42);
  Ref<Random> a = RuntimeNewObjectAs<Random>(Random::__Lookup());
  Ref<Random> b = RuntimeNewObjectAs<Random>(Random::__Lookup());
  EXPECT_NE(a->InRange(0, 1 << 30), b->InRange(0, 1 << 30)) << "each object its own seed";
}

TEST_F(HeadlessTest, InRangeCoversBothEndsEvenly) {
  tk().seedRandom(7);
  Ref<Random> r = RuntimeNewObjectAs<Random>(Random::__Lookup());
  std::array<int, 6> counts{};
  constexpr int kDraws = 60000;
  for (int i = 0; i < kDraws; ++i) {
    const int32_t v = r->InRange(1, 6);
    ASSERT_GE(v, 1);
    ASSERT_LE(v, 6);
    ++counts[size_t(v - 1)];
  }
  for (int c : counts) EXPECT_NEAR(c, kDraws / 6, kDraws / 60);
  EXPECT_EQ(r->InRange(5, 5), 5);
  EXPECT_EQ(r->InRange(9, 3), 9);
  const int32_t wide = r->InRange(INT32_MIN, INT32_MAX);
  (void)wide;  // the whole range must not overflow (the sanitizer build checks)
}

TEST_F(HeadlessTest, RunExecutesScriptStepsUntilQuit) {
  tk().script([] { seen().push_back("one"); });
  tk().script([] {
    seen().push_back("two");
    RuntimeQuit();
  });
  tk().script([] { seen().push_back("three"); });
  RuntimeRun();
  EXPECT_EQ(seen(), (std::vector<std::string>{"one", "two"}));
}

}  // namespace
}  // namespace platform::testing
