#include "tests/common/leftovers.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "platform/array.h"
#include "platform/object.h"
#include "platform/run.h"
#include "platform/window.h"

namespace velmora::testing {

namespace {

std::vector<std::function<std::string()>>& extraChecks() {
  static std::vector<std::function<std::string()>> checks;
  return checks;
}

class LeftoverListener : public ::testing::EmptyTestEventListener {
  void OnTestStart(const ::testing::TestInfo&) override {
    arraysAtStart_ = platform::LiveArrayCount();
  }

  // Runs before the result is printed (end events reach listeners newest first),
  // while failures still count against the test that just ended.
  void OnTestEnd(const ::testing::TestInfo&) override {
    std::vector<std::string> left;
    const bool traceLeft = platform::RuntimeTraceEnabled() || !platform::RuntimeTraceLog().empty();
    platform::RuntimeTraceEnable(false);
    for (const auto& check : extraChecks()) {
      if (std::string what = check(); !what.empty()) left.push_back(std::move(what));
    }
    if (platform::RuntimeIsInitialized()) {
      left.push_back("the runtime still running");
      platform::RuntimeReleaseImplicitWindowList();
      platform::RuntimeReleaseWindowList();
      platform::RuntimeExit();
    }
    if (const size_t open = platform::RuntimeWindows().size(); open > 0) {
      left.push_back(std::to_string(open) + " window(s) open");
    }
    platform::RuntimeReleaseImplicitWindowList();
    platform::RuntimeReleaseWindowList();
    if (const auto& classes = platform::RuntimeRegisteredClasses(); !classes.empty()) {
      left.push_back(std::to_string(classes.size()) + " class(es) registered, the first " +
                     classes.front()->name);
      platform::RuntimeReleaseReflectionMaps();
    }
    if (traceLeft) left.push_back("the trace log on or not empty");
    platform::RuntimeTraceClear();
    if (const int64_t arrays = platform::LiveArrayCount() - arraysAtStart_; arrays != 0) {
      left.push_back(std::to_string(arrays) + " array(s) alive");
    }

    if (left.empty()) return;
    std::string report;
    for (const std::string& what : left) report += (report.empty() ? "" : "; ") + what;
    ADD_FAILURE() << "the test left behind: " << report;
  }

  int64_t arraysAtStart_ = 0;
};

[[maybe_unused]] const bool kInstalled = [] {
  ::testing::UnitTest::GetInstance()->listeners().Append(new LeftoverListener);
  return true;
}();

}  // namespace

void addLeftoverCheck(std::function<std::string()> check) {
  extraChecks().push_back(std::move(check));
}

}  // namespace velmora::testing
