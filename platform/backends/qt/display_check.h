// Whether Qt can reach a display, asked before QApplication exists: Qt itself
// aborts (and dumps core) when its platform plugin cannot connect.
#pragma once

#include <optional>
#include <string>

namespace platform::qt {

struct DisplayChoice {
  // The platform plugin to start Qt with; empty: Qt's own choice, or the one
  // QT_QPA_PLATFORM names.
  std::string platform;
  // Set when no display can be reached: the reason, in words for the person who
  // started the program.
  std::optional<std::string> problem;
};

// Reads DISPLAY, WAYLAND_DISPLAY and QT_QPA_PLATFORM and connects to the X
// display to see that it answers. Changes nothing in the process's environment.
DisplayChoice chooseDisplay();

}  // namespace platform::qt
