// Before Qt starts: which display the toolkit asks Qt for, and starting without
// one. The X displays here are the tests' own (x_display.h), so the outcome is
// the same whatever display the machine has; WAYLAND_DISPLAY stays unset, since
// whether Qt's Wayland plugin is installed differs from machine to machine.
#include <gtest/gtest.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>

#include "platform/backends/qt/display_check.h"
#include "platform/toolkit.h"
#include "tests/common/scoped_env.h"
#include "x_display.h"

namespace velmora::test {
namespace {

using platform::qt::chooseDisplay;
using platform::qt::DisplayChoice;
using velmora::testing::ScopedEnv;

std::optional<std::string> env(const char* name) {
  const char* value = std::getenv(name);
  return value ? std::optional<std::string>(value) : std::nullopt;
}

// DISPLAY and QT_QPA_PLATFORM as a case gives them (nullopt: unset), and no
// WAYLAND_DISPLAY; all three as they were at the end.
class DisplayEnvironment {
 public:
  DisplayEnvironment(const std::optional<std::string>& display,
                     const std::optional<std::string>& platform) {
    env_.unset("WAYLAND_DISPLAY");
    env_.apply("DISPLAY", display);
    env_.apply("QT_QPA_PLATFORM", platform);
  }

 private:
  ScopedEnv env_;
};

TEST(DisplayChoice, TakesAPlatformThatReachesADisplayAndLeavesTheEnvironmentAsItWas) {
  const AnsweringXDisplay answering;
  const RefusingXDisplay refusing;
  const std::string noScreenOne = answering.name() + ".1";
  const struct {
    std::optional<std::string> platform;  // QT_QPA_PLATFORM; nullopt: unset
    std::optional<std::string> display;   // DISPLAY
    std::string chosen;                   // the platform Qt is to be started with
    std::optional<std::string> problem;   // nullopt: a display is reached
  } cases[] = {
      // Nothing requested: X, when its display answers.
      {std::nullopt, answering.name(), "xcb", std::nullopt},
      {std::nullopt, noScreenOne, "", "the X display '" + noScreenOne + "' has no such screen"},
      {std::nullopt, refusing.name(), "",
       "the X display '" + refusing.name() + "' does not answer or refuses the connection"},
      {std::nullopt, "velmora", "", "DISPLAY 'velmora' is not a display name"},
      {std::nullopt, std::nullopt, "", "neither DISPLAY nor WAYLAND_DISPLAY is set"},
      // Requested: left to Qt, once it can start.
      {"xcb", answering.name(), "", std::nullopt},
      {"xcb:nograb", answering.name(), "", std::nullopt},
      {"xcb", std::nullopt, "", "DISPLAY is not set"},
      {"xcb", refusing.name(), "",
       "the X display '" + refusing.name() + "' does not answer or refuses the connection"},
      {"xcb;offscreen", refusing.name(), "", std::nullopt},
      {"offscreen", refusing.name(), "", std::nullopt},
      {";", std::nullopt, "", "QT_QPA_PLATFORM is empty"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE("QT_QPA_PLATFORM=" + c.platform.value_or("(unset)") +
                 " DISPLAY=" + c.display.value_or("(unset)"));
    const DisplayEnvironment environment(c.display, c.platform);
    const DisplayChoice choice = chooseDisplay();
    EXPECT_EQ(choice.platform, c.chosen);
    EXPECT_EQ(choice.problem, c.problem);
    EXPECT_EQ(env("QT_QPA_PLATFORM"), c.platform) << "the choice went into the environment";
    EXPECT_EQ(env("DISPLAY"), c.display);
  }
}

// Qt connects right after the check; an X server whose last client has left
// would refuse it (and Qt would abort), so the check's connection stays open.
TEST(DisplayChoice, KeepsItsConnectionOpenForQtsOnAServerThatResetsWhenLeftAlone) {
  const AnsweringXDisplay resetting(AnsweringXDisplay::OnLastClientLeaving::Resets);
  const DisplayEnvironment environment(resetting.name(), std::nullopt);
  const DisplayChoice choice = chooseDisplay();
  ASSERT_EQ(choice.problem, std::nullopt);

  int screen = 0;
  xcb_connection_t* qt = xcb_connect(nullptr, &screen);  // as Qt's xcb plugin connects
  EXPECT_EQ(xcb_connection_has_error(qt), 0) << "the display had reset";
  xcb_disconnect(qt);
}

// Without a display the toolkit says so in one line and does not start Qt (the
// program's exit status for it: tests/e2e/real_program_test.cpp).
TEST(QtToolkitStart, WithoutADisplayItPrintsOneLineAndRefusesToStart) {
  const RefusingXDisplay refusing;
  const struct {
    std::optional<std::string> display;
    std::optional<std::string> platform;
    std::string says;
  } cases[] = {
      {std::nullopt, std::nullopt, "neither DISPLAY nor WAYLAND_DISPLAY is set"},
      {refusing.name(), std::nullopt, "'" + refusing.name() + "' does not answer"},
      {std::nullopt, "xcb", "DISPLAY is not set"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.says);
    const DisplayEnvironment environment(c.display, c.platform);
    std::unique_ptr<platform::Toolkit> toolkit = platform::makeToolkit();
    ::testing::internal::CaptureStderr();
    const bool started = toolkit->start();
    const std::string said = ::testing::internal::GetCapturedStderr();
    EXPECT_FALSE(started);
    EXPECT_TRUE(said.starts_with("velmora: cannot open a display: ")) << said;
    EXPECT_NE(said.find(c.says), std::string::npos) << said;
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
    EXPECT_TRUE(said.ends_with('\n'));
  }
}

}  // namespace
}  // namespace velmora::test
