// The headless toolkit: virtual clock, scripted event loop, direct input.
#include <algorithm>
#include <functional>

#include "platform/backends/headless/headless.h"
#include "platform/controls.h"
#include "platform/menu.h"
#include "platform/timer.h"
#include "platform/window.h"

namespace platform {

std::unique_ptr<Toolkit> makeToolkit() { return std::make_unique<headless::HeadlessToolkit>(); }

}  // namespace platform

namespace platform::headless {

namespace {

// splitmix64: a small generator whose every output is a well-mixed 64-bit seed.
uint64_t splitmix64(uint64_t& state) {
  uint64_t z = (state += 0x9E3779B97F4A7C15ull);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}

MenuItem* findMenuItem(MenuItem& parent, std::string_view name) {
  for (int32_t i = 0; i < parent.Count(); ++i) {
    Ref<MenuItem> child = parent.Item(i);
    if (child->Name() == name) return child.get();
    if (MenuItem* found = findMenuItem(*child, name)) return found;
  }
  return nullptr;
}

}  // namespace

HeadlessToolkit& toolkit() { return dynamic_cast<HeadlessToolkit&>(platform::toolkit()); }

void HeadlessToolkit::armTimer(Timer& timer, double deadlineMs) {
  disarmTimer(timer);
  armed_.push_back(Armed{&timer, deadlineMs, armOrder_++});
}

void HeadlessToolkit::disarmTimer(Timer& timer) {
  std::erase_if(armed_, [&](const Armed& a) { return a.timer == &timer; });
}

// One timer at a time: a handler may arm or disarm any timer, so the next due
// one is chosen afresh after every fire.
void HeadlessToolkit::advance(double ms) {
  const double endMs = nowMs_ + std::max(ms, 0.0);
  for (;;) {
    auto next = std::min_element(armed_.begin(), armed_.end(), [](const Armed& a, const Armed& b) {
      return a.deadlineMs != b.deadlineMs ? a.deadlineMs < b.deadlineMs : a.order < b.order;
    });
    if (next == armed_.end() || next->deadlineMs > endMs) break;
    Timer* timer = next->timer;
    nowMs_ = std::max(nowMs_, next->deadlineMs);
    armed_.erase(next);
    timer->fire();
  }
  nowMs_ = std::max(nowMs_, endMs);  // a handler may have advanced further itself
}

void HeadlessToolkit::run() {
  for (auto tasks = std::exchange(startTasks_, {}); auto& task : tasks) task();
  while (!quitRequested_ && !script_.empty()) {
    std::function<void()> step = std::move(script_.front());
    script_.erase(script_.begin());
    step();
  }
}

void HeadlessToolkit::showWindow(Window& window) {
  if (std::find(shown_.begin(), shown_.end(), &window) == shown_.end()) shown_.push_back(&window);
}

void HeadlessToolkit::closeWindow(Window& window) { std::erase(shown_, &window); }

uint64_t HeadlessToolkit::newRandomSeed() { return splitmix64(seedState_); }

void HeadlessToolkit::seedRandom(uint64_t seed) { seedState_ = seed; }

void HeadlessToolkit::click(Object& control) {
  if (auto* rect = dynamic_cast<RectControl*>(&control)) {
    Ref<Object> keep(rect);
    rect->click();
  }
}

bool HeadlessToolkit::keyDown(Window& window, const std::string& key, bool shift) {
  struct ShiftState {
    bool& held;
    bool before;
    ~ShiftState() { held = before; }
  } restore{shift_, shift_};
  shift_ = shift;
  return window.keyDown(key);
}

bool HeadlessToolkit::chooseMenu(Window& window, std::string_view name) {
  const Ref<MenuBar>& bar = window.MenuBar();
  if (!bar) return false;
  MenuItem* item = findMenuItem(*bar, name);
  if (!item) return false;
  Ref<Object> keep(item);
  item->choose();
  return true;
}

void HeadlessToolkit::pressCloseButton(Window& window) {
  Ref<Object> keep(&window);
  window.userClose();
}

}  // namespace platform::headless
